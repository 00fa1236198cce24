// Start-up and modal answers for the desktop tests.
#include "gui_fixture.h"

#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <cstdlib>

#include "gui_session.h"
#include "host/api/commands.h"
#include "shell_window.h"

namespace guitest {

ModalAnswerer::ModalAnswerer(std::function<bool(QWidget*)> handler) : handler_(std::move(handler)) {
  timer_.setInterval(20);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible() && handler_(modal)) ++answered_;
  });
  timer_.start();
}

ModalAnswerer::~ModalAnswerer() {
  timer_.stop();
}

bool answer_first_and_ok(QWidget* modal, QStringList* seen) {
  auto* box = qobject_cast<QMessageBox*>(modal);
  if (box == nullptr) return false;
  if (seen != nullptr) seen->append(box->text());
  if (auto* first = box->findChild<QAbstractButton*>("push1")) {
    first->click();
  } else {
    box->accept();
  }
  return true;
}

bool admin_on() {
  const char* v = std::getenv("TAVRIN_ADMIN");
  return v != nullptr && *v != '\0' && std::string(v) != "0";
}

int host_version() {
  const char* v = std::getenv("TAVRIN_GUI_TEST_HOST_VERSION");
  return v != nullptr ? std::atoi(v) : 18;
}

fs::path share_copy(const QTemporaryDir& scratch) {
  return fs::path(scratch.path().toStdString()) / "share";
}

std::unique_ptr<gui::MainWindow> start_window(const QTemporaryDir& scratch) {
  const fs::path root = scratch.path().toStdString();
  // Recent files, window layout and the background switch go to a test profile.
  QStandardPaths::setTestModeEnabled(true);
  QSettings().clear();  // every test process starts as a first start
  // A large dialog font, as on a screen with large text settings.
  if (const int pt = qEnvironmentVariableIntValue("TAVRIN_GUI_TEST_FONT_PT"); pt > 0) {
    QFont font = QApplication::font();
    font.setPointSize(pt);
    QApplication::setFont(font);
  }
  fs::copy(fs::path(TAVRIN_BINARY_DIR) / "share" / "tavrin", share_copy(scratch),
           fs::copy_options::recursive);
  fs::create_directories(root / "profile");
  setenv("TAVRIN_PROFILE_DIR", (root / "profile").c_str(), 1);
  setenv("TAVRIN_MODULE", TAVRIN_MODULE_FILE, 1);
  gui::Options options;
  options.path = share_copy(scratch).string();
  options.host_version = host_version();
  host::apply_start_options(options);
  auto window = std::make_unique<gui::MainWindow>();
  window->resize(1200, 860);
  window->show();
  gui::load_module(host::module_path());
  window->build_module_ui();
  return window;
}

QPoint position_in_grid(gui::ShellWindow* shell, const std::string& control,
                        const std::string& grid) {
  QWidget* w = shell->widget_of(control);
  QWidget* g = shell->widget_of(grid);
  if (w == nullptr || g == nullptr) return {-1, -1};
  return w->mapTo(g, QPoint(0, 0));
}

}  // namespace guitest
