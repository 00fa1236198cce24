// One dialog shell of the control model as a window: every control at its grid position
// (cells of 5 x 5 pixels), values, titles and visibility kept in step with the model.
#pragma once

#include <QWidget>
#include <map>
#include <string>

#include "host/api/front_end.h"

namespace gui {

inline constexpr int kCell = 5;

class ShellWindow : public QWidget {
  Q_OBJECT
 public:
  ShellWindow(const std::string& shell, QWidget* parent);
  const std::string& shell() const { return shell_; }
  // Re-reads the model: new controls appear, dropped ones go, every value follows.
  void sync();
  // The widget showing a control, or nullptr.
  QWidget* widget_of(const std::string& control) const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* make_widget(const host::ui::Control& c, QWidget* parent);
  void update_widget(QWidget* w, const host::ui::Control& c);
  void update_table(QWidget* w, const host::ui::Control& c);
  QWidget* container_for(const host::ui::Control& c);
  void after_action();
  void size_containers(const std::vector<host::ui::Control>& controls);

  std::string shell_;
  QWidget* body_;
  struct Entry {
    QWidget* widget;
    host::ui::ControlKind kind;
  };
  std::map<std::string, Entry> widgets_;
};

}  // namespace gui
