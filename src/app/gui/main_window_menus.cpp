// The main window's own menus: File (with recent drawings and the output box), View (zoom,
// background, plot preview) and Help (About, the README).
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QSettings>
#include <QUrl>

#include "act.h"
#include "host/api/commands.h"
#include "main_window.h"
#include "sheet_view.h"
#include "shell_window.h"
#include "gui_text.h"

namespace gui {

namespace {

constexpr int kRecentCount = 8;

// The README beside the installed share directory, else the one of the source tree the
// program was built from.
QString readme_path() {
  const QString exe_dir = QCoreApplication::applicationDirPath();
  for (const QString& candidate :
       {exe_dir + "/../share/doc/tavrin/README.md", exe_dir + "/../../README.md",
        QStringLiteral(TAVRIN_GUI_SOURCE_README)}) {
    if (QFileInfo::exists(candidate)) return QFileInfo(candidate).canonicalFilePath();
  }
  return {};
}

}  // namespace

void MainWindow::build_file_menu() {
  QMenu* file = menuBar()->addMenu(qtr("&File"));
  file->setObjectName("file-menu");
  file->addAction(qtr("&Open..."), QKeySequence::Open, this, [this] { open_dialog(); });
  recent_menu_ = file->addMenu(qtr("Open &recent"));
  recent_menu_->setObjectName("recent-menu");
  file->addAction(qtr("Open &folder for a directory run..."), this, [this] {
    const QString dir = QFileDialog::getExistingDirectory(this, qtr("Folder for a directory run"));
    if (!dir.isEmpty()) start_directory_run(dir);
  });
  file->addAction(qtr("&Save"), QKeySequence::Save, this, [this] { save(); });
  file->addAction(qtr("Save &as..."), QKeySequence::SaveAs, this, [this] { save_as(); });
  file->addSeparator();
  file->addAction(qtr("Save &output box as..."), this, [this] {
    const QString name =
        QFileDialog::getSaveFileName(this, qtr("Save the output box"), "output.txt", qtr("Text (*.txt)"));
    if (!name.isEmpty()) save_output(name);
  });
  file->addSeparator();
  file->addAction(qtr("&Quit"), QKeySequence::Quit, this, [this] { close(); });
  fill_recent_menu();
}

void MainWindow::build_view_menu() {
  QMenu* view = menuBar()->addMenu(qtr("&View"));
  view->setObjectName("view-menu");
  QAction* fit = view->addAction(qtr("&Zoom to extent"), view_, [this] { view_->fit(); });
  fit->setShortcuts({QKeySequence(Qt::Key_F), QKeySequence(Qt::Key_Home)});
  QAction* light = view->addAction(qtr("&Light background"));
  light->setObjectName("light-background");
  light->setCheckable(true);
  light->setChecked(QSettings().value("view/light", false).toBool());
  view_->set_light(light->isChecked());
  connect(light, &QAction::toggled, this, [this](bool on) {
    view_->set_light(on);
    QSettings().setValue("view/light", on);
  });
  view->addSeparator();
  view->addAction(qtr("Plot &preview"), QKeySequence(Qt::CTRL | Qt::Key_P), this,
                  [this] { show_plot_preview(); });
}

void MainWindow::build_help_menu() {
  QMenu* help = menuBar()->addMenu(qtr("&Help"));
  help->setObjectName("help-menu");
  help->addAction("&README", this, [this] {
    const QString readme = readme_path();
    if (readme.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(readme))) {
      QMessageBox::information(this, "README",
                               readme.isEmpty() ? qtr("The README is not installed.")
                                                : qtr("No program to show %1 was found.").arg(readme));
    }
  });
  help->addAction(qtr("&About tavrin-gui"), this, [this] { show_about(); });
}

void MainWindow::show_about() {
  QMessageBox::about(
      this, qtr("About tavrin-gui"),
      qtr("<b>tavrin-gui %1</b><p>Plots, PDF files and exchange files from 2D drawings.</p>"
          "<p>Licence: GPL-2.0-or-later.</p><p>README: %2</p>")
          .arg(QCoreApplication::applicationVersion(), readme_path().toHtmlEscaped()));
}

// The preview reads the job settings of the main dialog, so it needs that dialog open.
bool MainWindow::show_plot_preview() {
  ShellWindow* dialog = shell_window("TAVRIN-DIALOG");
  if (dialog == nullptr || !dialog->isVisible()) {
    QMessageBox::information(this, qtr("Plot preview"),
                             qtr("The preview shows the print or PDF of the current sheet with "
                                 "the settings of the main dialog: open it first (%1 or %2).")
                                 .arg(QString::fromUtf8(G_("Verzeichnis")),
                                      QString::fromUtf8(G_("Zeichnung"))));
    return false;
  }
  // Run as a command of its own, not as an answer to a dialog waiting for input.
  const bool ok = act([] { host::run_command_line("TAVRIN-PLOT-PREVIEW"); });
  host::run_queued_commands();
  sync();
  return ok;
}

QStringList MainWindow::recent_files() const {
  return QSettings().value("recent/files").toStringList();
}

void MainWindow::remember_recent(const QString& file) {
  QStringList list = recent_files();
  const QString path = QFileInfo(file).absoluteFilePath();
  list.removeAll(path);
  list.prepend(path);
  while (list.size() > kRecentCount) list.removeLast();
  QSettings().setValue("recent/files", list);
  fill_recent_menu();
}

void MainWindow::fill_recent_menu() {
  if (recent_menu_ == nullptr) return;
  recent_menu_->clear();
  const QStringList list = recent_files();
  for (int i = 0; i < list.size(); ++i) {
    const QString path = list[i];
    QAction* a =
        recent_menu_->addAction(QString("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)),
                                this, [this, path] { open_drawing(path); });
    a->setEnabled(QFileInfo::exists(path));
  }
  recent_menu_->setEnabled(!list.isEmpty());
}

// Written to a temporary name and renamed, so an interrupted save leaves no half file.
bool MainWindow::save_output(const QString& file) {
  QSaveFile out(file);
  const QByteArray text = output_box()->toPlainText().toUtf8() + "\n";
  if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
    QMessageBox::warning(this, qtr("Save output"), qtr("Cannot write %1: %2").arg(file, out.errorString()));
    return false;
  }
  return true;
}

}  // namespace gui
