// The main window: the host's drawing, the module's ribbon, dialogs and output in one place.
#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <charconv>

#include "act.h"
#include "host/api/commands.h"
#include "host/api/drawing_ops.h"
#include "host/api/files.h"
#include "host/api/front_end.h"
#include "ribbon_bar.h"
#include "sheet_view.h"
#include "shell_window.h"
#include "gui_text.h"

namespace gui {

namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

host::List file_args(const char* key, const QString& file) {
  return {host::Value::keyword(key), host::Value::string(file.toStdString())};
}

// "x,y" typed while a point is wanted; locale-proof.
std::optional<std::pair<double, double>> parse_point(const std::string& text) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  auto number = [](std::string s) -> std::optional<double> {
    while (!s.empty() && s.front() == ' ') s.erase(s.begin());
    while (!s.empty() && s.back() == ' ') s.pop_back();
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || s.empty()) return std::nullopt;
    return v;
  };
  auto x = number(text.substr(0, comma)), y = number(text.substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return std::pair{*x, *y};
}

}  // namespace

MainWindow::MainWindow() : front_end_(this) {
  setObjectName("main-window");
  setWindowTitle("Annotation");
  view_ = new SheetView(this);
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  ribbon_ = new RibbonBar(central);
  ribbon_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  ribbon_->hide();
  column->addWidget(ribbon_);
  column->addWidget(view_, 1);
  command_ = new QLineEdit(central);
  command_->setObjectName("command-line");
  command_->setPlaceholderText(qtr("Command"));
  column->addWidget(command_);
  setCentralWidget(central);

  sheets_ = new QListWidget(this);
  sheets_->setObjectName("sheet-list");
  auto* sheet_dock = new QDockWidget(qtr("Sheets"), this);
  sheet_dock->setObjectName("sheets-dock");
  sheet_dock->setWidget(sheets_);
  addDockWidget(Qt::LeftDockWidgetArea, sheet_dock);

  output_ = new QPlainTextEdit(this);
  output_->setObjectName("output-box");
  output_->setReadOnly(true);
  output_->setMaximumBlockCount(0);  // the output box keeps every line
  auto* output_dock = new QDockWidget(qtr("Output"), this);
  output_dock->setObjectName("output-dock");
  output_dock->setWidget(output_);
  addDockWidget(Qt::BottomDockWidgetArea, output_dock);

  progress_label_ = new QLabel(this);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setMaximumWidth(220);
  progress_->hide();
  statusBar()->addWidget(progress_label_, 1);
  statusBar()->addPermanentWidget(progress_);

  build_file_menu();
  build_view_menu();
  build_help_menu();
  setAcceptDrops(true);

  connect(command_, &QLineEdit::returnPressed, this, [this] {
    const QString line = command_->text();
    command_->clear();
    run_command(line);
  });
  connect(sheets_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    act([&] { host::am_current_sheet(item->data(Qt::UserRole).toString().toStdString()); });
    host::run_queued_commands();
    view_->fit();
    sync();
  });
  connect(view_, &SheetView::point_clicked, this, [this](double x, double y) {
    if (front_end_.waiting_for_point()) front_end_.supply_point(x, y);
  });
  connect(&front_end_, &QtFrontEnd::line_output, this,
          [this](const QString& text) { output_->appendPlainText(text); });
  connect(&front_end_, &QtFrontEnd::progress_changed, this,
          [this](int done, int total, const QString& label) {
            progress_->setVisible(total > 0 && done < total);
            progress_->setRange(0, std::max(total, 1));
            progress_->setValue(done);
            progress_label_->setText(
                total > 0 && done < total
                    ? qtr("Drawing %1 of %2: %3").arg(done + 1).arg(total).arg(label)
                    : QString());
          });
  connect(&front_end_, &QtFrontEnd::point_requested, this, [this](const QString& prompt) {
    progress_label_->setText(prompt + qtr("  (click in the sheet or type x,y)"));
  });
  // Model changes arrive in bursts while an action runs; one refresh afterwards is enough.
  connect(&front_end_, &QtFrontEnd::changed, this, [this] {
    if (sync_queued_) return;
    sync_queued_ = true;
    QTimer::singleShot(0, this, [this] {
      sync_queued_ = false;
      sync();
    });
  });
  connect(ribbon_, &RibbonBar::command_ran, this, [this] { sync(); });

  QSettings settings;
  if (!restoreGeometry(settings.value("main/geometry").toByteArray())) resize(1200, 800);
  if (!restoreState(settings.value("main/state").toByteArray())) {
    // The sheet view gets the room; the docks start small (once the window has its size).
    QTimer::singleShot(0, this, [this, output_dock, sheet_dock] {
      resizeDocks({output_dock}, {fontMetrics().lineSpacing() * 8}, Qt::Vertical);
      resizeDocks({sheet_dock}, {fontMetrics().averageCharWidth() * 18}, Qt::Horizontal);
    });
  }
  host::ui::set_front_end(&front_end_);
}

MainWindow::~MainWindow() {
  host::ui::set_front_end(nullptr);
}

void MainWindow::closeEvent(QCloseEvent* e) {
  QSettings settings;
  settings.setValue("main/geometry", saveGeometry());
  settings.setValue("main/state", saveState());
  if (front_end_.waiting_for_point()) front_end_.cancel_point();
  QMainWindow::closeEvent(e);
}

void MainWindow::build_module_ui() {
  ribbon_->rebuild();
  add_classic_menus(menuBar(), this, [this] { sync(); });
  sync();
}

void MainWindow::open_dialog() {
  const QString name =
      QFileDialog::getOpenFileName(this, qtr("Open drawing"), QFileInfo(file_).absolutePath(),
                                   qtr("Drawings (*.mi *.dxf *.dwg *.bdl);;All files (*)"));
  if (!name.isEmpty()) open_drawing(name);
}

bool MainWindow::open_drawing(const QString& file) {
  const bool bundle = file.endsWith(".bdl", Qt::CaseInsensitive);
  const bool ok = act([&] {
    if (bundle) {
      host::List args{host::Value::keyword("load-drawing"), host::Value::keyword("on"),
                      host::Value::keyword("load-3d"), host::Value::keyword("off")};
      for (auto& v : file_args("fname", file)) args.push_back(v);
      host::am_load_bundle(args);
    } else {
      host::am_load_drawing(file_args("filename", file));
    }
  });
  host::run_queued_commands();
  if (ok && !bundle) file_ = file;
  if (ok) remember_recent(file);
  if (ok && bundle) file_.clear();  // a bundle is saved as a drawing file of its own
  view_->fit();
  sync();
  return ok;
}

bool MainWindow::save_drawing(const QString& file) {
  const bool ok = act([&] {
    host::List args = file_args("filename", file);
    args.push_back(host::Value::keyword("overwrite"));
    host::am_save_drawing(args);
  });
  if (ok) {
    file_ = file;
    statusBar()->showMessage(qtr("Saved %1").arg(file), 4000);
  }
  return ok;
}

void MainWindow::save() {
  // Bundles and DWG files are read, not written: their drawing is saved under a new name.
  if (file_.isEmpty() || file_.endsWith(".bdl", Qt::CaseInsensitive) ||
      file_.endsWith(".dwg", Qt::CaseInsensitive)) {
    save_as();
    return;
  }
  save_drawing(file_);
}

void MainWindow::save_as() {
  QString suggested = file_;
  if (suggested.endsWith(".dwg", Qt::CaseInsensitive)) suggested.chop(4), suggested += ".mi";
  const QString name = QFileDialog::getSaveFileName(this, qtr("Save drawing as"), suggested,
                                                    qtr("Drawings (*.mi);;DXF (*.dxf)"));
  if (!name.isEmpty()) save_drawing(name);
}

void MainWindow::run_command(const QString& text) {
  const std::string line = text.trimmed().toStdString();
  if (line.empty()) return;
  if (front_end_.waiting_for_point()) {
    if (auto p = parse_point(line)) {
      front_end_.supply_point(p->first, p->second);
      return;
    }
    output_->appendPlainText(qtr("Point wanted as x,y: ") + text);
    return;
  }
  // A running command dialog asks for its current input: the typed line is the answer.
  if (host::active_dialog()) {
    act([&] { host::ui::enter_dialog_input(host::Value::string(line)); });
    host::run_queued_commands();
    sync();
    return;
  }
  output_->appendPlainText("> " + qs(line));
  act([&] { host::run_command_line(line); });
  host::run_queued_commands();
  sync();
}

ShellWindow* MainWindow::shell_window(const std::string& shell) const {
  auto it = shells_.find(shell);
  return it == shells_.end() ? nullptr : it->second;
}

void MainWindow::sync_shells() {
  for (const auto& name : host::ui::shell_names()) {
    const auto shell = host::ui::find_shell(name);
    if (!shell) continue;
    ShellWindow* w = shell_window(name);
    if (shell->shown && w == nullptr) {
      w = new ShellWindow(name, this);
      shells_[name] = w;
      w->move(geometry().topLeft() + QPoint(60, 120));
    }
    if (w == nullptr) continue;
    w->sync();
    if (shell->shown && !w->isVisible()) {
      w->adjustSize();
      w->show();
      w->raise();
    } else if (!shell->shown && w->isVisible()) {
      w->hide();
    }
  }
  // A shell the model dropped altogether.
  const auto names = host::ui::shell_names();
  for (auto it = shells_.begin(); it != shells_.end();) {
    if (std::find(names.begin(), names.end(), it->first) == names.end()) {
      it->second->hide();
      it->second->deleteLater();
      it = shells_.erase(it);
    } else {
      ++it;
    }
  }
}

void MainWindow::sync_sheets() {
  const auto& drawing = host::current_drawing();
  sheets_->clear();
  for (std::size_t i = 0; i < drawing.sheets.size(); ++i) {
    auto* item = new QListWidgetItem(qs(drawing.sheets[i].name), sheets_);
    item->setData(Qt::UserRole, qs(drawing.sheets[i].name));
    if (i == drawing.current) {
      // The sheet shown is marked even while the list has no focus.
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
      item->setText(QString::fromUtf8("\u25B6 ") + item->text());
      sheets_->setCurrentItem(item);
    }
  }
  const QString number = qs(drawing.number.value_or(""));
  setWindowTitle(number.isEmpty() ? "Annotation" : "Annotation - " + number);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

// Drawings open one after the other (the last stays current); a folder opens the directory
// run's dialog for it.
void MainWindow::dropEvent(QDropEvent* e) {
  open_dropped(e->mimeData()->urls());
  e->acceptProposedAction();
}

void MainWindow::open_dropped(const QList<QUrl>& urls) {
  for (const QUrl& url : urls) {
    const QString path = url.toLocalFile();
    if (path.isEmpty()) continue;
    if (QFileInfo(path).isDir()) {
      start_directory_run(path);
    } else {
      open_drawing(path);
    }
  }
}

void MainWindow::start_directory_run(const QString& folder) {
  act([&] { host::sd_set_current_working_directory(folder.toStdString()); });
  run_command("TAVRIN-BATCH-START-DIALOG");
}

void MainWindow::sync() {
  if (auto dialog = host::ui::active_dialog_view(); dialog && !front_end_.waiting_for_point()) {
    progress_label_->setText(qs(dialog->title + ": " + dialog->variable.title));
  }
  sync_shells();
  sync_sheets();
  view_->update();
}

}  // namespace gui
