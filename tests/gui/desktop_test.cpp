// The desktop program as a daily tool: what the sheet view shows on either background,
// dialogs that fit their windows at any font size, ribbon labels, and a long directory run
// with its progress window and Cancel.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>
#include <fstream>
#include <set>

#include "gui_fixture.h"
#include "host/api/files.h"
#include "host/api/front_end_render.h"
#include "host/ui/menus.h"
#include "plot_preview.h"
#include "ribbon_bar.h"
#include "sheet_view.h"
#include "shell_window.h"

using namespace guitest;

namespace {

void write(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// A drawing numbered `number`: a framed sheet with a thick line across, both white unless
// `rgb` says otherwise.
std::string white_line_drawing(const std::string& number, const std::string& rgb = "1 1 1") {
  return "tavrin-mi 1\ndrawing \"" + number +
         "\" \"2D_PROCESS\" 0\n"
         "sheet \"1\" \"1\" \"1:1\" \"A4\"\n"
         "rectangle " +
         rgb + " \"SOLID\" 0.35 2 0 0 297 210 \"\" 0\n" + "line " + rgb +
         " \"SOLID\" 2 2 20 105 277 105 \"\" 0\nend\n";
}

int distance(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
         std::abs(qBlue(a) - qBlue(b));
}

bool file_complete_pdf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  return text.rfind("%PDF-", 0) == 0 &&
         text.find("%%EOF", text.size() > 32 ? text.size() - 32 : 0) != std::string::npos;
}

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;
  std::unique_ptr<gui::MainWindow> window_;
  std::unique_ptr<ModalAnswerer> answerer_;
  fs::path root_;

  gui::ShellWindow* dialog() { return window_->shell_window("TAVRIN-DIALOG"); }
  QWidget* widget(const std::string& key) {
    return dialog() ? dialog()->widget_of("TAVRIN-DIALOG-" + key) : nullptr;
  }
  void open_batch_dialog(const fs::path& dir) {
    host::sd_set_current_working_directory(dir.string());
    QToolButton* b = window_->ribbon()->findChild<QToolButton*>("TAVRIN-BATCH-START-DIALOG");
    QVERIFY(b != nullptr);
    b->click();
    QApplication::processEvents();
    QVERIFY(dialog() != nullptr && dialog()->isVisible());
  }
  void click(const std::string& key) {
    auto* b = qobject_cast<QAbstractButton*>(widget(key));
    QVERIFY2(b != nullptr, key.c_str());
    b->click();
  }

 private slots:
  void initTestCase() {
    QVERIFY(scratch_.isValid());
    root_ = scratch_.path().toStdString();
    answerer_ = std::make_unique<ModalAnswerer>([](QWidget* m) { return answer_first_and_ok(m); });
    window_ = start_window(scratch_);
  }

  // White is the host's default colour: on the dark background it shows as white, on the
  // light one as black; yellow, pale on a light background, is shown darker there. Either
  // way the line's pixels stand out from the background.
  void whiteLineIsVisibleOnBothBackgrounds() {
    gui::SheetView* view = window_->sheet_view();
    for (const char* rgb : {"1 1 1", "1 1 0"}) {
      const fs::path file = root_ / "farbe.mi";
      write(file, white_line_drawing("W1", rgb));
      QVERIFY(window_->open_drawing(QString::fromStdString(file.string())));
      for (bool light : {false, true}) {
        view->set_light(light);
        view->fit();
        const QImage image = view->grab().toImage();
        const QRgb background = view->background().rgb();
        QCOMPARE(QColor(image.pixel(2, 2)).rgb(), background);
        // The line runs through the middle of the view from left to right.
        int best = 0;
        QRgb line_pixel = background;
        for (int y = 0; y < image.height(); ++y) {
          const QRgb p = image.pixel(image.width() / 2, y);
          if (distance(p, background) > best) best = distance(p, background), line_pixel = p;
        }
        const QString label = QString("%1 light=%2 contrast %3").arg(rgb).arg(light).arg(best);
        QVERIFY2(best > 300, qPrintable(label));
        QVERIFY2((qGray(line_pixel) > 128) == !light, qPrintable(label));
      }
    }
    view->set_light(false);
  }

  // A zoom survives a larger window with the same point in the middle; after a fit the
  // view follows the window again.
  void zoomSurvivesAResize() {
    gui::SheetView* view = window_->sheet_view();
    const QPointF middle(view->width() / 2.0, view->height() / 2.0);
    QWheelEvent wheel(middle, view->mapToGlobal(middle), {}, {0, 480}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    const double zoomed = view->scale();
    const QPointF seen = view->to_drawing(middle);
    window_->resize(window_->width() + 160, window_->height());
    QApplication::processEvents();
    QCOMPARE(view->scale(), zoomed);
    const QPointF now = view->to_drawing(QPointF(view->width() / 2.0, view->height() / 2.0));
    QVERIFY(std::abs(now.x() - seen.x()) < 1 && std::abs(now.y() - seen.y()) < 1);
    view->fit();
    const double fitted = view->scale();
    window_->resize(window_->width() - 460, window_->height() - 300);
    QApplication::processEvents();
    view->grab();  // paints, which fits
    QVERIFY(view->scale() < fitted);
  }

  // No control of the main dialog reaches outside its area or its window, the grid keeps
  // the module's proportions in cells that follow the font, and the file table shows every
  // column without a horizontal scroll bar, the name read from the left.
  void mainDialogFitsItsWindow() {
    const fs::path dir = root_ / "plots";
    fs::create_directories(dir);
    for (const char* name : {"flansch.mi", "platte.mi"})
      fs::copy_file(fs::path(TAVRIN_SOURCE_DIR) / "examples" / name, dir / name);
    write(dir / "eine_zeichnung_mit_einem_recht_langen_namen.mi", white_line_drawing("L1"));
    open_batch_dialog(dir);
    gui::ShellWindow* shell = dialog();
    QVERIFY(shell->cell() >= gui::cell_for(shell->fontMetrics()));
    QVERIFY(shell->cell() * 5 >= shell->fontMetrics().lineSpacing());
    QVERIFY(!(shell->windowFlags() & Qt::FramelessWindowHint));
    QVERIFY(shell->isWindow());
    qInfo("cell %d x %d px at a line spacing of %d px", shell->cell_width(), shell->cell(),
          shell->fontMetrics().lineSpacing());
    QVERIFY(!shell->windowTitle().isEmpty());
    QApplication::processEvents();
    int checked = 0;
    for (QWidget* w : shell->findChildren<QWidget*>()) {
      if (w->objectName().isEmpty() || !w->isVisibleTo(shell) ||
          !w->objectName().startsWith("TAVRIN-DIALOG-"))
        continue;
      const QRect in_shell(w->mapTo(shell, QPoint(0, 0)), w->size());
      QVERIFY2(shell->rect().contains(in_shell), qPrintable(w->objectName()));
      QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(w->objectName()));
      // Titles are shown whole, not cut at the next control.
      if (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) ||
          qobject_cast<QRadioButton*>(w)) {
        QVERIFY2(w->sizeHint().width() <= w->width(), qPrintable(QString("%1: %2 > %3")
                                                                     .arg(w->objectName())
                                                                     .arg(w->sizeHint().width())
                                                                     .arg(w->width())));
      }
      ++checked;
    }
    QVERIFY(checked > 20);
    // The grid keeps its module size in cells: 80 wide, 146 high in a directory run.
    QWidget* grid = shell->widget_of("TAVRIN-DIALOG-11-GA");
    QCOMPARE(grid->width(), 80 * shell->cell_width());
    QCOMPARE(grid->height(), 146 * shell->cell());

    auto* table = qobject_cast<QTableWidget*>(widget("DT"));
    QVERIFY(table != nullptr && table->rowCount() >= 3);
    QCOMPARE(table->columnCount(), 4);
    int sum = 0;
    for (int c = 0; c < table->columnCount(); ++c) {
      QVERIFY(!table->isColumnHidden(c));
      QVERIFY2(table->columnWidth(c) > 0, qPrintable(QString::number(c)));
      sum += table->columnWidth(c);
    }
    QVERIFY2(sum <= table->viewport()->width(),
             qPrintable(QString("%1 > %2").arg(sum).arg(table->viewport()->width())));
    QVERIFY(!table->horizontalScrollBar()->isVisible());
    // The name column takes the rest and reads from the left; the short ones fit their text.
    QVERIFY(table->columnWidth(1) > table->columnWidth(2) &&
            table->columnWidth(1) > table->columnWidth(3));
    for (int r = 0; r < table->rowCount(); ++r) {
      QVERIFY(table->item(r, 1)->textAlignment() & Qt::AlignLeft);
      for (int c : {2, 3}) {
        const int text = table->fontMetrics().horizontalAdvance(table->item(r, c)->text());
        QVERIFY2(table->columnWidth(c) >= text, qPrintable(table->item(r, c)->text()));
      }
    }
    shell->close();
  }

  // Each ribbon button shows the title its command is declared with, under its icon, with a
  // letter of its own for Alt + letter.
  void ribbonButtonsShowTheirTitles() {
    std::set<QChar> letters;
    const auto buttons = window_->ribbon()->findChildren<QToolButton*>();
    int labelled = 0;
    for (QToolButton* b : buttons) {
      if (b->property("large").isNull()) continue;  // the tab bar's scroll arrows
      ++labelled;
      QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
      const auto declaration =
          host::ui::find_declaration({"Annotation", "Tavrin", b->objectName().toStdString()});
      QVERIFY2(declaration.has_value(), qPrintable(b->objectName()));
      QString text = b->text();
      const int amp = text.indexOf('&');
      QVERIFY2(amp >= 0, qPrintable(text));
      QVERIFY(letters.insert(text[amp + 1].toLower()).second);
      QCOMPARE(text.remove(amp, 1), QString::fromStdString(declaration->description));
      QVERIFY(b->toolTip().contains(text));
    }
    QVERIFY(labelled >= 4);
  }

  // Twenty drawings, Cancel pressed while the first one runs: its outputs are complete, the
  // other nineteen are untouched, and the output box says how far the run got.
  void cancelStopsADirectoryRunAfterTheCurrentDrawing() {
    const fs::path dir = root_ / "zwanzig";
    fs::create_directories(dir);
    for (int i = 1; i <= 20; ++i) {
      const std::string n = std::to_string(5000 + i);
      write(dir / (fmt_index(i) + ".mi"), white_line_drawing(n));
    }
    open_batch_dialog(dir);
    if (!qobject_cast<QAbstractButton*>(widget("STORE-PDF-TB"))->isChecked()) click("STORE-PDF-TB");
    click("ALLE-AN-AUS-PB");
    // The run takes the files in table order: the first row's drawing is the one finished.
    auto* table = qobject_cast<QTableWidget*>(widget("DT"));
    const QString first = table->item(0, 1)->text().trimmed();  // zNN.mi
    const std::string number = std::to_string(5000 + first.mid(1, 2).toInt());
    QList<int> seen_done;
    QString seen_count;
    auto connection = connect(&window_->front_end(), &gui::QtFrontEnd::progress_changed, this,
                              [&](int done, int total, const QString&) {
                                seen_done << done;
                                if (done != 1 || total != 20) return;
                                // A click made while the first drawing ran reaches the
                                // window when the run next reports.
                                auto* progress = window_->findChild<QDialog*>("run-progress");
                                QVERIFY(progress != nullptr && progress->isVisible());
                                seen_count = progress->findChild<QLabel*>("count")->text();
                                progress->findChild<QAbstractButton*>("cancel")->click();
                              });
    window_->output_box()->clear();
    click("START-PB");
    disconnect(connection);
    QCOMPARE(seen_count, QString("Drawing 1 of 20"));
    QCOMPARE(seen_done, (QList<int>{0, 1, 20}));
    std::set<std::string> written;
    for (const auto& e : fs::directory_iterator(dir)) {
      if (e.path().extension() != ".mi") written.insert(e.path().filename().string());
    }
    QVERIFY(!written.empty());
    for (const auto& name : written) {
      QVERIFY2(name.rfind(number + "_", 0) == 0, name.c_str());
      if (name.ends_with(".pdf")) QVERIFY2(file_complete_pdf(dir / name), name.c_str());
    }
    QVERIFY(written.count(number + "_1.pdf") == 1);
    QVERIFY(!window_->findChild<QDialog*>("run-progress")->isVisible());
    const QString output = window_->output_box()->toPlainText();
    QVERIFY2(output.contains("Abgebrochen: 1 von 20 Zeichnungen bearbeitet"), qPrintable(output));
    dialog()->close();
    // The output box can be kept: every line goes into the file.
    const QString saved = QString::fromStdString((root_ / "ausgabe.txt").string());
    QVERIFY(window_->save_output(saved));
    QFile in(saved);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(in.readAll()).trimmed(), output.trimmed());
  }

  // The preview's paper is the paper the plot gets: with PDF on, the page of the PDF that
  // Start then writes for the same sheet.
  void previewShowsThePageOfThePdf() {
    const fs::path dir = root_ / "vorschau";
    fs::create_directories(dir);
    fs::copy_file(fs::path(TAVRIN_SOURCE_DIR) / "examples" / "flansch.mi", dir / "flansch.mi");
    QVERIFY(window_->open_drawing(QString::fromStdString((dir / "flansch.mi").string())));
    open_batch_dialog(dir);
    if (!qobject_cast<QAbstractButton*>(widget("STORE-PDF-TB"))->isChecked()) click("STORE-PDF-TB");
    QVERIFY(window_->show_plot_preview());
    gui::PlotPreviewWindow* preview = window_->front_end().preview_window();
    QVERIFY(preview != nullptr && preview->isVisible());
    const host::PaperPreview page = preview->preview();
    QVERIFY2(preview->preview().description.find("4711_A_1.pdf") != std::string::npos,
             preview->preview().description.c_str());
    // The paper shows the sheet: not one colour.
    const QImage paper = preview->paper_view()->grab().toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < paper.height(); y += 2)
      for (int x = 0; x < paper.width(); x += 2) colours.insert(paper.pixel(x, y));
    QVERIFY(colours.size() > 3);

    click("ALLE-AN-AUS-PB");
    click("START-PB");
    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", {QString::fromStdString((dir / "4711_A_1.pdf").string())});
    QVERIFY(pdfinfo.waitForFinished());
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    const QRegularExpression size("Page size:\\s+([0-9.]+) x ([0-9.]+) pts");
    const auto m = size.match(info);
    QVERIFY2(m.hasMatch(), qPrintable(info));
    QVERIFY(std::abs(m.captured(1).toDouble() / host::kPointsPerMm - page.width_mm) < 0.5);
    QVERIFY(std::abs(m.captured(2).toDouble() / host::kPointsPerMm - page.height_mm) < 0.5);
    preview->close();
    dialog()->close();
  }

  // With printing on, the paper is the printer's: the format table's row for the sheet (or
  // the fit format), turned as the sheet lies, and the window draws it in that shape.
  void previewShowsThePrintersPaper() {
    const fs::path dir = root_ / "druckvorschau";
    fs::create_directories(dir);
    fs::copy_file(fs::path(TAVRIN_SOURCE_DIR) / "examples" / "flansch.mi", dir / "flansch.mi");
    QVERIFY(window_->open_drawing(QString::fromStdString((dir / "flansch.mi").string())));
    // A printer for A4 and A3; the tables are read again when the dialog opens.
    write(share_copy(scratch_) / "TABELLEN" / "TavrinPlotter.dat", "Testdrucker|A4|A3\n");
    open_batch_dialog(dir);
    auto checked = [&](const char* key) {
      return qobject_cast<QAbstractButton*>(widget(key))->isChecked();
    };
    if (!checked("DRUCKEN-TB")) click("DRUCKEN-TB");
    if (!checked("AUTO-PLOTTER-SELECT-TB")) click("AUTO-PLOTTER-SELECT-TB");
    auto* sheets = window_->findChild<QListWidget*>("sheet-list");
    struct Case {
      int sheet;        // row in the sheet list
      const char* fit;  // fit format, or nullptr
      double w, h;      // paper in mm
    };
    // Sheet 1 is 400 x 280 (A3 landscape), sheet 2 200 x 287 (A4 portrait).
    for (const Case& c :
         {Case{0, nullptr, 420, 297}, Case{1, nullptr, 210, 297}, Case{0, "A4", 297, 210}}) {
      const QString label = QString("sheet row %1, fit %2").arg(c.sheet).arg(c.fit ? c.fit : "-");
      emit sheets->itemClicked(sheets->item(c.sheet));
      if (checked("EINPASSEN-TB") != (c.fit != nullptr)) click("EINPASSEN-TB");
      if (c.fit != nullptr) {  // picked as a person picks it
        auto* format = qobject_cast<QComboBox*>(widget("FORMAT-TX"));
        const int i = format->findText(c.fit);
        QVERIFY2(i >= 0, c.fit);
        format->setCurrentIndex(i);
        emit format->activated(i);
      }
      QVERIFY2(window_->show_plot_preview(), qPrintable(label));
      gui::PlotPreviewWindow* preview = window_->front_end().preview_window();
      const host::PaperPreview page = preview->preview();
      QVERIFY2(page.description.starts_with("Printer Testdrucker"), page.description.c_str());
      QCOMPARE(page.fit, c.fit != nullptr);
      QVERIFY2(std::abs(page.width_mm - c.w) < 0.5 && std::abs(page.height_mm - c.h) < 0.5,
               qPrintable(label + QString(": %1 x %2").arg(page.width_mm).arg(page.height_mm)));
      // The white paper in the window has the page's shape.
      const QImage shown = preview->paper_view()->grab().toImage();
      int left = shown.width(), right = -1, top = shown.height(), bottom = -1;
      for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
          if (shown.pixel(x, y) == qRgb(255, 255, 255)) {
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
          }
      QVERIFY2(right > left && bottom > top, qPrintable(label));
      const double ratio = double(right - left + 1) / (bottom - top + 1);
      QVERIFY2(std::abs(ratio - c.w / c.h) < 0.03, qPrintable(label + QString(": %1").arg(ratio)));
      preview->close();
    }
    click("DRUCKEN-TB");
    dialog()->close();
  }

  // A folder dropped onto the window opens the directory run for that folder; a drawing
  // dropped opens it and joins the recent files.
  void droppedFolderAndDrawing() {
    const fs::path dir = root_ / "abgelegt";
    fs::create_directories(dir);
    write(dir / "d.mi", white_line_drawing("D1"));
    for (const fs::path& path : {dir, dir / "d.mi"})
      window_->open_dropped({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
    QVERIFY2(fs::equivalent(host::sd_get_current_working_directory(), dir),
             host::sd_get_current_working_directory().c_str());
    QVERIFY(dialog() != nullptr && dialog()->isVisible());
    QCOMPARE(window_->recent_files().value(0), QString::fromStdString((dir / "d.mi").string()));
  }

  // The next start looks as the last one ended: light background, window size and docks.
  void viewSettingsSurviveARestart() {
    if (!qEnvironmentVariableIsEmpty("TAVRIN_SCREENSHOT_DIR")) QSKIP("screenshots keep the window");
    auto* light = window_->findChild<QAction*>("light-background");
    QVERIFY(light != nullptr);
    light->setChecked(true);
    window_->resize(900, 640);
    auto* output = window_->findChild<QDockWidget*>("output-dock");
    output->hide();
    QApplication::processEvents();
    window_->close();
    window_.reset();
    window_ = std::make_unique<gui::MainWindow>();
    window_->show();
    QApplication::processEvents();
    QVERIFY(window_->findChild<QAction*>("light-background")->isChecked());
    QCOMPARE(window_->sheet_view()->background(), QColor(250, 250, 247));
    QCOMPARE(window_->size(), QSize(900, 640));
    QVERIFY(!window_->findChild<QDockWidget*>("output-dock")->isVisible());
    QVERIFY(window_->findChild<QDockWidget*>("sheets-dock")->isVisible());
    window_->findChild<QAction*>("light-background")->setChecked(false);
  }

  // The pictures in docs/, taken by scripts/screenshots.sh under Xvfb with a window manager:
  // a real DXF drawing, the main dialog, and the progress window of a directory run.
  void screenshots() {
    const QString out = qEnvironmentVariable("TAVRIN_SCREENSHOT_DIR");
    if (out.isEmpty()) QSKIP("pictures only under scripts/screenshots.sh (TAVRIN_SCREENSHOT_DIR)");
    auto shoot = [&](const QString& name) {
      QTest::qWait(1200);  // the window manager draws its frames
      QCOMPARE(QProcess::execute("import", {"-window", "root", out + "/" + name}), 0);
    };
    window_->setGeometry(20, 40, 1400, 840);
    QString drawing = qEnvironmentVariable("TAVRIN_SCREENSHOT_DXF");
    if (drawing.isEmpty()) drawing = QString(TAVRIN_SOURCE_DIR) + "/examples/flansch.mi";
    QVERIFY(window_->open_drawing(drawing));
    shoot("screenshot-dxf.png");

    const fs::path dir = root_ / "bilder";
    fs::create_directories(dir);
    for (const char* name : {"flansch.mi", "platte.mi", "schild.dxf", "skizze.dxf"})
      fs::copy_file(fs::path(TAVRIN_SOURCE_DIR) / "examples" / name, dir / name);
    for (int i = 1; i <= 12; ++i)
      write(dir / (fmt_index(i) + ".mi"), white_line_drawing(std::to_string(6000 + i)));
    QVERIFY(window_->open_drawing(QString::fromStdString((dir / "flansch.mi").string())));
    open_batch_dialog(dir);
    dialog()->move(window_->geometry().right() - dialog()->frameGeometry().width() - 20, 60);
    if (!qobject_cast<QAbstractButton*>(widget("STORE-PDF-TB"))->isChecked()) click("STORE-PDF-TB");
    click("ALLE-AN-AUS-PB");
    shoot("screenshot-main.png");
    QVERIFY(window_->show_plot_preview());
    window_->front_end().preview_window()->setGeometry(240, 120, 820, 640);
    shoot("screenshot-preview.png");
    window_->front_end().preview_window()->close();

    auto connection = connect(&window_->front_end(), &gui::QtFrontEnd::progress_changed, this,
                              [&](int done, int, const QString&) {
                                if (done != 5) return;
                                QTimer::singleShot(0, [&] {
                                  shoot("screenshot-progress.png");
                                  window_->findChild<QDialog*>("run-progress")
                                      ->findChild<QAbstractButton*>("cancel")
                                      ->click();
                                });
                              });
    click("START-PB");
    disconnect(connection);
  }

  void cleanupTestCase() {
    answerer_.reset();
    window_->close();
    window_.reset();
  }

 private:
  static std::string fmt_index(int i) { return (i < 10 ? "z0" : "z") + std::to_string(i); }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
