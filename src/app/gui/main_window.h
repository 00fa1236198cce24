// The main window of the 2D application "Annotation": sheet view, sheet list, output box,
// command line, File, View and Help menus, ribbon or classic menus, and the shown dialog
// shells. Drawing files and folders can be dropped onto it.
#pragma once

#include <QMainWindow>
#include <QUrl>
#include <map>
#include <memory>
#include <string>

#include "qt_front_end.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QLabel;
class QMenu;

namespace gui {

class RibbonBar;
class SheetView;
class ShellWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow();
  ~MainWindow() override;
  QtFrontEnd& front_end() { return front_end_; }
  // After the module loaded: the ribbon or menus it built.
  void build_module_ui();
  // Re-reads everything from the host: shells, sheet list, view.
  void sync();
  ShellWindow* shell_window(const std::string& shell) const;
  RibbonBar* ribbon() const { return ribbon_; }
  SheetView* sheet_view() const { return view_; }
  QPlainTextEdit* output_box() const { return output_; }
  QLineEdit* command_line() const { return command_; }
  // Loads a .mi, .dxf, .dwg or .bdl drawing; false (after a message) when it fails.
  bool open_drawing(const QString& file);
  bool save_drawing(const QString& file);
  void run_command(const QString& line);
  // A dropped or opened folder: the directory run's dialog for it.
  void start_directory_run(const QString& folder);
  // What a drop does: drawings open one after the other, a folder starts a directory run.
  void open_dropped(const QList<QUrl>& urls);
  QStringList recent_files() const;
  bool save_output(const QString& file);
  // The current sheet as the print or PDF with the main dialog's settings would have it.
  bool show_plot_preview();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void build_file_menu();
  void build_view_menu();
  void build_help_menu();
  void remember_recent(const QString& file);
  void fill_recent_menu();
  void show_about();
  void sync_shells();
  void sync_sheets();
  void open_dialog();
  void save();
  void save_as();

  QtFrontEnd front_end_;
  SheetView* view_;
  RibbonBar* ribbon_;
  QListWidget* sheets_;
  QPlainTextEdit* output_;
  QLineEdit* command_;
  QProgressBar* progress_;
  QLabel* progress_label_;
  QString file_;
  QMenu* recent_menu_ = nullptr;
  std::map<std::string, ShellWindow*> shells_;
  bool sync_queued_ = false;
};

}  // namespace gui
