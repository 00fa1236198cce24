// Screen and paper agree because both are drawn by render_sheet.
#include "sheet_view.h"

#include <cairo.h>

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>
#include <cmath>

#include "host/api/front_end_render.h"

namespace gui {

SheetView::SheetView(QWidget* parent) : QWidget(parent) {
  setObjectName("sheet-view");
  setMinimumSize(200, 150);
  setMouseTracking(false);
}

void SheetView::fit() {
  const auto& drawing = host::current_drawing();
  std::optional<std::pair<host::Vec2, host::Vec2>> extent;
  if (!drawing.sheets.empty()) extent = drawing.current_sheet().extent();
  const double w = std::max(width(), 1), h = std::max(height(), 1);
  if (!extent) {
    scale_ = 1;
    offset_ = QPointF(w / 2, h / 2);
  } else {
    const double ew = std::max(extent->second.x - extent->first.x, 1.0);
    const double eh = std::max(extent->second.y - extent->first.y, 1.0);
    scale_ = 0.92 * std::min(w / ew, h / eh);
    const double cx = (extent->first.x + extent->second.x) / 2;
    const double cy = (extent->first.y + extent->second.y) / 2;
    offset_ = QPointF(w / 2 - cx * scale_, h / 2 + cy * scale_);
  }
  fitted_ = true;
  zoomed_ = false;
  update();
}

void SheetView::set_light(bool light) {
  light_ = light;
  update();
}

QColor SheetView::background() const {
  return light_ ? QColor(250, 250, 247) : QColor(33, 36, 41);
}

QPointF SheetView::to_drawing(QPointF p) const {
  return {(p.x() - offset_.x()) / scale_, (offset_.y() - p.y()) / scale_};
}

void SheetView::paintEvent(QPaintEvent*) {
  if (!fitted_) fit();
  const qreal dpr = devicePixelRatioF();
  QImage image(QSize(width(), height()) * dpr, QImage::Format_ARGB32_Premultiplied);
  image.fill(background());
  const auto& drawing = host::current_drawing();
  if (!drawing.sheets.empty()) {
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(image.bits(), CAIRO_FORMAT_ARGB32, image.width(),
                                            image.height(), static_cast<int>(image.bytesPerLine()));
    cairo_t* cr = cairo_create(surface);
    cairo_matrix_t m;
    cairo_matrix_init(&m, scale_ * dpr, 0, 0, -scale_ * dpr, offset_.x() * dpr, offset_.y() * dpr);
    host::ScreenStrokes screen;
    if (light_) {  // white as black, pale colours darker
      screen.white_as = host::Rgb{0, 0, 0};
      screen.max_luminance = 0.4;
    }
    screen.min_width = 1 / (scale_ * dpr);
    host::RenderStyle style;
    // Pen widths are paper measures: on screen one millimetre is scale_ pixels, so pens show
    // their width once zoomed in far enough.
    style.units_per_paper_mm = 1;
    style.screen = &screen;
    try {
      host::render_sheet(cr, drawing.current_sheet(), m, style);
    } catch (const std::exception&) {
      // A failed paint leaves the sheet blank; the next paint tries again.
    }
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
  }
  image.setDevicePixelRatio(dpr);
  QPainter painter(this);
  painter.drawImage(0, 0, image);
}

void SheetView::wheelEvent(QWheelEvent* e) {
  const double factor = std::pow(1.0015, e->angleDelta().y());
  const QPointF at = e->position();
  offset_ = at - (at - offset_) * factor;
  scale_ *= factor;
  zoomed_ = true;
  update();
}

void SheetView::mousePressEvent(QMouseEvent* e) {
  press_ = last_ = e->position();
  dragging_ = false;
}

void SheetView::mouseMoveEvent(QMouseEvent* e) {
  if (!(e->buttons() & (Qt::LeftButton | Qt::MiddleButton))) return;
  if ((e->position() - press_).manhattanLength() > 4) dragging_ = true;
  if (!dragging_) return;
  offset_ += e->position() - last_;
  last_ = e->position();
  zoomed_ = true;
  update();
}

void SheetView::mouseReleaseEvent(QMouseEvent* e) {
  if (!dragging_ && e->button() == Qt::LeftButton) {
    const QPointF p = to_drawing(e->position());
    emit point_clicked(p.x(), p.y());
  }
  dragging_ = false;
}

// A view showing the extent shows it again at the new size; one the user zoomed or moved
// keeps its scale and the drawing point at its centre (a dock dragged larger must not
// throw the zoom away).
void SheetView::resizeEvent(QResizeEvent* e) {
  if (!zoomed_) {
    fitted_ = false;
    return;
  }
  offset_ += QPointF(e->size().width() - e->oldSize().width(),
                     e->size().height() - e->oldSize().height()) /
             2;
}

}  // namespace gui
