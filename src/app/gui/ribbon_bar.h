// The ribbon (host version 18 and later) or the classic menus, rendered from what the module
// built; each button runs its command through the user-action layer.
#pragma once

#include <QTabWidget>
#include <functional>

class QMenuBar;

namespace gui {

class RibbonBar : public QTabWidget {
  Q_OBJECT
 public:
  explicit RibbonBar(QWidget* parent = nullptr);
  // Rebuilds the tabs from the host's ribbon model.
  void rebuild();

 signals:
  void command_ran();
};

// Adds the classic menus and the task-menu entries to a menu bar (after its first menu).
void add_classic_menus(QMenuBar* bar, QObject* receiver, const std::function<void()>& after);

}  // namespace gui
