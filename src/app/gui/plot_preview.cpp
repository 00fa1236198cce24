// The page is laid out by the host's own placement (place_sheet) and painted by render_sheet,
// exactly as the PDF writer does it; only the last step, page points to pixels, is the
// window's.
#include "plot_preview.h"

#include <cairo.h>

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "host/api/front_end_render.h"
#include "gui_text.h"

namespace gui {

class PaperView : public QWidget {
 public:
  explicit PaperView(QWidget* parent) : QWidget(parent) {
    setObjectName("paper");
    setMinimumSize(480, 360);
  }
  void set_preview(const host::PaperPreview* preview) {
    preview_ = preview;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  const host::PaperPreview* preview_ = nullptr;
};

void PaperView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(120, 124, 130));
  if (preview_ == nullptr || preview_->width_mm <= 0 || preview_->height_mm <= 0) return;
  const auto& drawing = host::current_drawing();
  // The paper as large as the window allows, with room for its shadow.
  const double pt_w = preview_->width_mm * host::kPointsPerMm;
  const double pt_h = preview_->height_mm * host::kPointsPerMm;
  const double k = std::min((width() - 24) / pt_w, (height() - 24) / pt_h);
  const QRectF paper((width() - pt_w * k) / 2, (height() - pt_h * k) / 2, pt_w * k, pt_h * k);
  painter.fillRect(paper.translated(4, 4), QColor(60, 60, 60));
  const qreal dpr = devicePixelRatioF();
  QImage image((paper.size() * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  if (!drawing.sheets.empty()) {
    const host::Sheet& sheet = drawing.current_sheet();
    const host::SheetOnPage on_page =
        host::place_sheet(sheet, {preview_->width_mm, preview_->height_mm},
                          {preview_->fit, preview_->scale, preview_->position_left});
    const host::Affine& a = on_page.drawing_to_page;
    cairo_matrix_t to_page, to_image, m;
    cairo_matrix_init(&to_page, a.xx, a.yx, a.xy, a.yy, a.x0, a.y0);
    cairo_matrix_init_scale(&to_image, k * dpr, k * dpr);
    cairo_matrix_multiply(&m, &to_page, &to_image);
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(image.bits(), CAIRO_FORMAT_ARGB32, image.width(),
                                            image.height(), static_cast<int>(image.bytesPerLine()));
    cairo_t* cr = cairo_create(surface);
    host::RenderStyle style;
    style.pens = preview_->pen_style.empty() ? nullptr : host::find_pen_style(preview_->pen_style);
    style.units_per_paper_mm = on_page.units_per_paper_mm;
    try {
      host::render_sheet(cr, sheet, m, style);
    } catch (const std::exception&) {
      // The paper stays blank; the description still says what it would be.
    }
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
  }
  image.setDevicePixelRatio(dpr);
  painter.drawImage(paper.topLeft(), image);
}

PlotPreviewWindow::PlotPreviewWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("plot-preview");
  setWindowTitle(qtr("Plot preview"));
  auto* column = new QVBoxLayout(this);
  description_ = new QLabel(this);
  description_->setObjectName("description");
  description_->setWordWrap(true);
  paper_ = new PaperView(this);
  column->addWidget(description_);
  column->addWidget(paper_, 1);
  resize(760, 600);
}

QWidget* PlotPreviewWindow::paper_view() const {
  return paper_;
}

void PlotPreviewWindow::show_preview(const host::PaperPreview& preview) {
  preview_ = preview;
  description_->setText(QString::fromStdString(preview_.description));
  paper_->set_preview(&preview_);
  show();
  raise();
}

}  // namespace gui
