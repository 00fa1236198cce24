// One dialog shell of the control model as a window: every control at its grid position,
// values, titles and visibility kept in step with the model. A cell is 5 x 5 pixels at the
// common dialog font; its height grows with the font's line height and its width also with
// the titles' widths, so the module's layout holds on any screen and no title is cut.
#pragma once

#include <QFontMetrics>
#include <QWidget>
#include <map>
#include <string>

#include "host/api/front_end.h"

namespace gui {

inline constexpr int kCell = 5;

// The side of a grid cell in pixels for a dialog font: five cells hold one line of text
// with the frame a line edit draws around it.
int cell_for(const QFontMetrics& metrics);

class ShellWindow : public QWidget {
  Q_OBJECT
 public:
  ShellWindow(const std::string& shell, QWidget* parent);
  const std::string& shell() const { return shell_; }
  // Re-reads the model: new controls appear, dropped ones go, every value follows.
  void sync();
  // The widget showing a control, or nullptr.
  QWidget* widget_of(const std::string& control) const;
  // A cell's height follows the font's line height; its width is at least that and grows
  // until every title fits.
  int cell() const { return cell_; }
  int cell_width() const { return cell_width_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* make_widget(const host::ui::Control& c, QWidget* parent);
  void update_widget(QWidget* w, const host::ui::Control& c);
  void update_table(QWidget* w, const host::ui::Control& c);
  QWidget* container_for(const host::ui::Control& c);
  void after_action();
  void size_containers(const std::vector<host::ui::Control>& controls);

  void narrow_to_area(const host::ui::Control& area, const std::vector<host::ui::Control>& controls,
                      bool sized_w, bool sized_h);
  QSize natural_size(QWidget* w, const host::ui::Control& c) const;
  int cell_for_titles(const std::vector<host::ui::Control>& controls) const;

  std::string shell_;
  int cell_;
  int cell_width_;
  QWidget* body_;
  struct Entry {
    QWidget* widget;
    host::ui::ControlKind kind;
  };
  std::map<std::string, Entry> widgets_;
};

}  // namespace gui
