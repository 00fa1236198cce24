// What the desktop tests share: a scratch installation and profile, the main window with the
// module loaded through the program's own start-up code, and answers for modal windows.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "main_window.h"

namespace guitest {

namespace fs = std::filesystem;

// Answers modal windows as they open: the handler gets each new modal widget and returns
// true when it dealt with it. Stops when destroyed.
class ModalAnswerer {
 public:
  explicit ModalAnswerer(std::function<bool(QWidget*)> handler);
  ~ModalAnswerer();
  int answered() const { return answered_; }

 private:
  QTimer timer_;
  std::function<bool(QWidget*)> handler_;
  int answered_ = 0;
};

// Clicks the first of a question's two buttons, OK on messages; records the texts seen.
bool answer_first_and_ok(QWidget* modal, QStringList* seen = nullptr);

bool admin_on();
int host_version();  // what the test process gives the host (17 for the classic menu)

// Sets the environment, starts the host in the window and loads the module (once).
std::unique_ptr<gui::MainWindow> start_window(const QTemporaryDir& scratch);

fs::path share_copy(const QTemporaryDir& scratch);

// The shell-relative position of a control's widget in pixels.
QPoint position_in_grid(gui::ShellWindow* shell, const std::string& control,
                        const std::string& grid);

}  // namespace guitest
