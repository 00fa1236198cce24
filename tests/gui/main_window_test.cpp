// The desktop front end driven as a person drives it: ribbon clicks, dialog clicks, answers.
#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <fstream>

#include "gui_fixture.h"
#include "host/api/drawing_ops.h"
#include "host/api/files.h"
#include "host/drawing/store.h"
#include "host/ui/model.h"
#include "ribbon_bar.h"
#include "sheet_view.h"
#include "shell_window.h"

using namespace guitest;

namespace {

const std::string kGrid = "TAVRIN-DIALOG-11-GA";
std::string id(const std::string& key) {
  return "TAVRIN-DIALOG-" + key;
}

void write(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// A drawing "4711" whose text carries an INFO field with two changes below its marker line.
void drawing_with_history(const fs::path& path) {
  write(path,
        "tavrin-mi 1\n"
        "drawing \"4711\" \"2D_PROCESS\" 0\n"
        "sheet \"1\" \"1\" \"1:1\" \"A4\"\n"
        "rectangle 1 1 1 \"SOLID\" 0.7 2 0 0 200 287 \"\" 0\n"
        "text 0 1 1 \"SOLID\" 0.25 1 10 10 2.5 0 1 \"hp_i3098_v\" 1 0 1.6 0 1 \"Änderungen\" "
        "\"\" 3 \"Änderung 02\" \"Änderung 01\" \"AENDERUNGEN: Index | Datum | Änderungen\"\n"
        "end\n");
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;
  std::unique_ptr<gui::MainWindow> window_;
  fs::path plots_;
  // Every modal window meets this handler: OK on messages, the first button of questions,
  // unless a test wants otherwise.
  QStringList seen_;
  std::function<bool(QWidget*)> handler_;
  std::unique_ptr<ModalAnswerer> answerer_;
  void default_answers() {
    handler_ = [this](QWidget* m) { return answer_first_and_ok(m, &seen_); };
  }

  gui::ShellWindow* dialog() { return window_->shell_window("TAVRIN-DIALOG"); }
  QWidget* widget(const std::string& key) {
    return dialog() != nullptr ? dialog()->widget_of(id(key)) : nullptr;
  }
  // Visible as the person sees it: the widget and every parent up to the dialog.
  bool shown(const std::string& key) {
    QWidget* w = widget(key);
    return w != nullptr && w->isVisibleTo(dialog());
  }
  void click(const std::string& key) {
    auto* b = qobject_cast<QAbstractButton*>(widget(key));
    QVERIFY2(b != nullptr, key.c_str());
    QTest::mouseClick(b, Qt::LeftButton);
  }
  QToolButton* ribbon_button(const char* command) {
    return window_->ribbon()->findChild<QToolButton*>(command);
  }
  void open_batch_dialog() {
    if (host_version() >= 18) {
      QToolButton* b = ribbon_button("TAVRIN-BATCH-START-DIALOG");
      QVERIFY(b != nullptr);
      b->click();
    } else {
      for (QAction* a : window_->menuBar()->findChildren<QAction*>("Verzeichnis")) a->trigger();
    }
    QApplication::processEvents();
  }
  QTableWidget* file_table() { return qobject_cast<QTableWidget*>(widget("DT")); }
  int row_of(const QString& name) {
    for (int r = 0; r < file_table()->rowCount(); ++r) {
      for (int c = 0; c < file_table()->columnCount(); ++c) {
        if (file_table()->item(r, c)->text().trimmed() == name) return r;
      }
    }
    return -1;
  }
  QString mark(int row) { return file_table()->item(row, 0)->text().trimmed(); }

 private slots:
  void initTestCase() {
    QVERIFY(scratch_.isValid());
    plots_ = fs::path(scratch_.path().toStdString()) / "plots";
    fs::create_directories(plots_);
    for (const char* name : {"flansch.mi", "platte.mi"}) {
      fs::copy_file(fs::path(TAVRIN_SOURCE_DIR) / "examples" / name, plots_ / name);
    }
    default_answers();
    answerer_ = std::make_unique<ModalAnswerer>([this](QWidget* m) { return handler_(m); });
    window_ = start_window(scratch_);
    host::sd_set_current_working_directory(plots_.string());
  }

  void menuLayout() {
    if (host_version() >= 18) {
      QCOMPARE(window_->ribbon()->count(), 1);
      QCOMPARE(window_->ribbon()->tabText(0), QString("Ostra"));
      const auto groups = window_->ribbon()->widget(0)->findChildren<QGroupBox*>();
      QStringList titles;
      QList<int> counts;
      for (QGroupBox* g : groups) {
        titles << g->title();
        const auto buttons = g->findChildren<QToolButton*>();
        counts << static_cast<int>(buttons.size());
        for (QToolButton* b : buttons) {
          // The start and history commands are large, the administrator's normal.
          QCOMPARE(b->property("large").toBool(), g->title() != "Admin");
          QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
        }
      }
      if (admin_on()) {
        QCOMPARE(titles, (QStringList{"Start", "Änderungen", "Admin"}));
        QCOMPARE(counts, (QList<int>{2, 2, 6}));
      } else {
        QCOMPARE(titles, (QStringList{"Start", "Änderungen"}));
        QCOMPARE(counts, (QList<int>{2, 2}));
      }
    } else {
      QVERIFY(!window_->ribbon()->isVisibleTo(window_.get()));
      QMenu* menu = window_->menuBar()->findChild<QMenu*>("Tavrin");
      QVERIFY(menu != nullptr);
      QStringList sections, labels;
      for (QAction* a : menu->actions()) (a->isSeparator() ? sections : labels) << a->text();
      if (admin_on()) {
        QCOMPARE(sections, (QStringList{"Start", "Änderungen", "Admin"}));
        QCOMPARE(labels.size(), 10);
      } else {
        QCOMPARE(sections, (QStringList{"Start"}));
        QCOMPARE(labels, (QStringList{"Verzeichnis", "Zeichnung"}));
      }
    }
    // The task menu leads to the module in both variants.
    QMenu* task = window_->menuBar()->findChild<QMenu*>("TASK");
    QVERIFY(task != nullptr);
    QCOMPARE(task->actions().size(), 1);
    QCOMPARE(task->actions().front()->text(), QString("Tavrin"));
  }

  void verzeichnisOpensTheMainDialogWithEveryControlInPlace() {
    open_batch_dialog();
    QVERIFY(dialog() != nullptr);
    QVERIFY(dialog()->isVisible());
    struct Place {
      const char* key;
      int x, y, w, h;  // cells; 0 leaves the size to the widget
    };
    const Place places[] = {
        {"SPEICHERN-LB", 0, 0, 11, 5},
        {"STORE-MI-TB", 12, 0, 10, 5},
        {"STORE-DXF-TB", 24, 0, 10, 5},
        {"STORE-PDF-TB", 36, 0, 10, 5},
        {"AENDERUNG-SE", 0, 5, 80, 1},
        {"STORE-AENDERUNG-TB", 0, 6, 80, 5},  // asked 100 wide: narrowed to the grid
        {"DRUCKEN-SE", 0, 11, 80, 1},
        {"DRUCKEN-LB", 0, 12, 10, 5},
        {"AUTO-PLOTTER-SELECT-TB", 12, 12, 30, 5},
        {"DRUCKER-TX", 45, 12, 35, 5},
        {"DRUCKEN-TB", 3, 17, 3, 5},
        {"EINPASSEN-TB", 12, 17, 13, 5},
        {"FORMAT-TX", 26, 17, 0, 5},
        {"FIRMA-TX", 45, 17, 0, 5},
        {"BLATT-SE", 0, 22, 80, 1},
        {"BLATT-LB", 0, 23, 10, 5},
        {"BLATT-ALLE-TB", 12, 23, 7, 5},
        {"BLATT-GROESSER-TB", 20, 23, 16, 5},
        {"BLATT-GROESSER-TX", 36, 23, 7, 5},
        {"BLATT-KLEINER-TB", 43, 23, 14, 5},
        {"BLATT-KLEINER-TX", 57, 23, 0, 5},
        {"BLATT-X-TB", 64, 23, 0, 5},
        {"BLATT-X-TX", 76, 23, 0, 5},
        {"STORE-KONFIG-PB", 0, 136, 20, 10},
        {"START-PB", 20, 136, 40, 10},
        {"AUTOTEXT-LB", 65, 137, 0, 5},
        {"AUTOTEXT-AN-TB", 62, 141, 0, 5},
        {"AUTOTEXT-AUS-TB", 70, 141, 0, 5},
    };
    const int cell = dialog()->cell(), cell_w = dialog()->cell_width();
    for (const Place& p : places) {
      QWidget* w = widget(p.key);
      QVERIFY2(w != nullptr, p.key);
      QCOMPARE(position_in_grid(dialog(), id(p.key), kGrid), QPoint(p.x * cell_w, p.y * cell));
      if (p.w > 0) QCOMPARE(w->width(), p.w * cell_w);
      QCOMPARE(w->height(), p.h * cell);
    }
    // The grid keeps its size in cells: 80 wide, 146 high in a directory run.
    QCOMPARE(dialog()->widget_of(kGrid)->size(), QSize(80 * cell_w, 146 * cell));
    // Drop-downs take only their entries; the sheet-number fields are typed into.
    QVERIFY(!qobject_cast<QComboBox*>(widget("DRUCKER-TX"))->isEditable());
    QVERIFY(qobject_cast<QComboBox*>(widget("FIRMA-TX")) != nullptr);
    QVERIFY(qobject_cast<QLineEdit*>(widget("BLATT-X-TX")) != nullptr);
  }

  void printAndPdfTogglesShowTheirControls() {
    // The shared standard has PDF on: after the reset only the plot style shows.
    QVERIFY(qobject_cast<QAbstractButton*>(widget("STORE-PDF-TB"))->isChecked());
    QVERIFY(shown("FIRMA-TX"));
    for (const char* key : {"AUTO-PLOTTER-SELECT-TB", "DRUCKER-TX", "EINPASSEN-TB", "FORMAT-TX"})
      QVERIFY2(!shown(key), key);
    click("STORE-PDF-TB");
    QVERIFY(!shown("FIRMA-TX"));
    click("STORE-PDF-TB");
    QVERIFY(shown("FIRMA-TX"));
    QVERIFY(!shown("DRUCKER-TX") && !shown("EINPASSEN-TB") && !shown("AUTO-PLOTTER-SELECT-TB"));

    click("DRUCKEN-TB");
    QVERIFY(shown("AUTO-PLOTTER-SELECT-TB") && shown("EINPASSEN-TB") && shown("FIRMA-TX"));
    QVERIFY(shown("DRUCKER-TX"));  // manual printer choice while automatic choice is off
    QVERIFY(!shown("FORMAT-TX"));
    click("AUTO-PLOTTER-SELECT-TB");
    QVERIFY(!shown("DRUCKER-TX"));
    click("EINPASSEN-TB");
    QVERIFY(shown("FORMAT-TX"));
    QVERIFY(qobject_cast<QAbstractButton*>(widget("EINPASSEN-TB"))->isChecked());

    click("DRUCKEN-TB");
    for (const char* key : {"AUTO-PLOTTER-SELECT-TB", "DRUCKER-TX", "EINPASSEN-TB", "FORMAT-TX"})
      QVERIFY2(!shown(key), key);
    QVERIFY(shown("FIRMA-TX"));  // PDF is still on
    click("STORE-PDF-TB");
    QVERIFY(!shown("FIRMA-TX"));
    // The widgets show the model's values, not just their own clicks.
    QCOMPARE(qobject_cast<QAbstractButton*>(widget("STORE-PDF-TB"))->isChecked(),
             host::ui::find_control(id("STORE-PDF-TB"))->set);
  }

  void fileTableRowsAreMarkedByClicks() {
    QVERIFY(file_table() != nullptr);
    const int flansch = row_of("flansch.mi"), platte = row_of("platte.mi");
    QVERIFY(flansch >= 0 && platte >= 0);
    QCOMPARE(mark(flansch), QString());
    file_table()->cellClicked(flansch, 1);
    QCOMPARE(mark(flansch), QString("X"));
    QCOMPARE(mark(platte), QString());
    QCOMPARE(qobject_cast<QAbstractButton*>(widget("ALLE-AN-AUS-PB"))->text(), QString("  X"));
    // With a mark anywhere "  X" clears them all; with none it marks them all.
    click("ALLE-AN-AUS-PB");
    for (int r = 0; r < file_table()->rowCount(); ++r) QCOMPARE(mark(r), QString());
    click("ALLE-AN-AUS-PB");
    for (int r = 0; r < file_table()->rowCount(); ++r) QCOMPARE(mark(r), QString("X"));
    // A click on a marked row takes its mark away again.
    file_table()->cellClicked(platte, 1);
    QCOMPARE(mark(platte), QString());
    QCOMPARE(mark(flansch), QString("X"));
  }

  void startAnsweredWithTheFirstButtonWritesTheMarkedOutputs() {
    if (!qobject_cast<QAbstractButton*>(widget("STORE-PDF-TB"))->isChecked()) click("STORE-PDF-TB");
    seen_.clear();
    click("START-PB");
    QVERIFY2(!seen_.isEmpty(), "Start asked nothing");
    QVERIFY(fs::exists(plots_ / "4711_A_1.pdf"));
    QVERIFY(fs::exists(plots_ / "4711_A_Deckblatt.pdf"));
    QVERIFY(fs::file_size(plots_ / "4711_A_1.pdf") > 0);
    // platte.mi was not marked.
    for (const auto& e : fs::directory_iterator(plots_)) {
      QVERIFY2(e.path().filename().string().rfind("4712", 0) != 0, e.path().filename().c_str());
    }
  }

  // A DWG opens like any drawing, through a stand-in converter that writes one line as DXF,
  // and joins the recent files.
  void dwgOpensThroughTheConverterAndJoinsTheRecentFiles() {
    const fs::path root = fs::path(scratch_.path().toStdString()) / "dwg";
    fs::create_directories(root / "conv/node_modules/@mlightcad/libredwg-web/wasm");
    std::ofstream(root / "conv/dwg2dxf.mjs") << "// stand-in\n";
    std::ofstream(root / "conv/node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm");
    std::ofstream(root / "node")
        << "#!/usr/bin/python3\nimport json, sys\nprint(json.dumps({'status': 'ready'}), "
           "flush=True)\nfor line in sys.stdin:\n    out = json.loads(line)['out']\n"
           "    open(out, 'w').write('0\\nSECTION\\n2\\nENTITIES\\n0\\nLINE\\n8\\n0\\n"
           "10\\n0\\n20\\n0\\n11\\n80\\n21\\n40\\n0\\nENDSEC\\n0\\nEOF\\n')\n"
           "    print(json.dumps({'status': 'done', 'code': 0}), flush=True)\n";
    fs::permissions(root / "node", fs::perms::owner_all);
    const fs::path file = root / "PLAN.DWG";
    std::ofstream(file) << "stand-in drawing\n";
    qputenv("TAVRIN_NODE", QByteArray::fromStdString((root / "node").string()));
    qputenv("TAVRIN_DWG_CONVERTER", QByteArray::fromStdString((root / "conv").string()));
    const QString name = QString::fromStdString(file.string());
    const bool opened = window_->open_drawing(name);
    qunsetenv("TAVRIN_NODE");
    qunsetenv("TAVRIN_DWG_CONVERTER");
    QVERIFY(opened);
    QCOMPARE(host::current_drawing().current_sheet().elements.size(), std::size_t{1});
    QCOMPARE(window_->recent_files().value(0), name);
  }

  void editDokuShowsTheHistoryAndStoresTheResult() {
    if (host_version() < 18 && !admin_on()) QSKIP("Edit-Doku is in the administrator's menu");
    const fs::path file = plots_ / "historie.mi";
    drawing_with_history(file);
    QVERIFY(window_->open_drawing(QString::fromStdString(file.string())));
    QString shown_text;
    handler_ = [&](QWidget* m) {
      if (m->objectName() != "tavrin-text-window") return answer_first_and_ok(m, &seen_);
      auto* edit = m->findChild<QPlainTextEdit*>("text");
      shown_text = edit->toPlainText();
      edit->setPlainText(shown_text + "\nÄnderung 03");
      qobject_cast<QDialog*>(m)->accept();
      return true;
    };
    QToolButton* b = ribbon_button("TV_INFO_EDIT");
    QVERIFY(b != nullptr);
    b->click();
    default_answers();
    QVERIFY2(shown_text.contains("Änderung 01") && shown_text.contains("Änderung 02"),
             qPrintable(shown_text));
    std::vector<std::string> info;
    for (const auto& e : host::current_drawing().current_sheet().elements) {
      if (!e.info.empty()) info = e.info;
    }
    QVERIFY(std::find(info.begin(), info.end(), "Änderung 03") != info.end());
    QVERIFY(std::find(info.begin(), info.end(), "Änderung 01") != info.end());
  }

  void typedPointAnswersThePointInput() {
    std::optional<host::Point2> got;
    QTimer::singleShot(0, [&] {
      window_->command_line()->setText("12.5, -3");
      QTest::keyClick(window_->command_line(), Qt::Key_Return);
    });
    got = window_->front_end().read_point("Punkt");
    QVERIFY(got.has_value());
    QCOMPARE(got->x, 12.5);
    QCOMPARE(got->y, -3.0);
    // A click in the sheet view answers with drawing coordinates.
    QTimer::singleShot(
        0, [&] { QTest::mouseClick(window_->sheet_view(), Qt::LeftButton, {}, QPoint(50, 60)); });
    got = window_->front_end().read_point("Punkt");
    QVERIFY(got.has_value());
    const QPointF expected = window_->sheet_view()->to_drawing(QPointF(50, 60));
    QCOMPARE(got->x, expected.x());
    QCOMPARE(got->y, expected.y());
  }

  void outputBoxKeepsEveryLine() {
    window_->output_box()->clear();
    for (int i = 0; i < 3000; ++i) window_->front_end().output_line("Zeile " + std::to_string(i));
    QApplication::processEvents();
    QCOMPARE(window_->output_box()->blockCount(), 3000);
    QVERIFY(window_->output_box()->toPlainText().startsWith("Zeile 0\n"));
  }

  // The picture of the main window with the main dialog over a loaded drawing. Written where
  // TAVRIN_SCREENSHOT says (docs/screenshot-main.png when refreshed by hand).
  void screenshotShowsDrawingAndDialog() {
    QVERIFY(window_->open_drawing(QString::fromStdString((plots_ / "flansch.mi").string())));
    open_batch_dialog();
    QVERIFY(dialog() != nullptr && dialog()->isVisible());
    window_->sheet_view()->fit();
    QApplication::processEvents();
    QImage picture = window_->grab().toImage();
    QImage view = window_->sheet_view()->grab().toImage();
    // The sheet view shows lines: not a single colour.
    bool drawn = false;
    for (int y = 0; y < view.height() && !drawn; y += 3)
      for (int x = 0; x < view.width() && !drawn; x += 3)
        drawn = view.pixel(x, y) != view.pixel(0, 0);
    QVERIFY(drawn);
    {
      QPainter p(&picture);
      const QPixmap shell = dialog()->grab();
      const QPoint at(picture.width() - shell.width() - 24, 96);
      p.fillRect(QRect(at, shell.size()).adjusted(-1, -1, 1, 1), Qt::darkGray);
      p.drawPixmap(at, shell);
    }
    const char* target = std::getenv("TAVRIN_SCREENSHOT");
    const QString path = target != nullptr ? QString(target) : scratch_.filePath("screenshot.png");
    QVERIFY(picture.save(path));
  }

  void cleanupTestCase() {
    answerer_.reset();
    window_->close();
    window_.reset();
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
