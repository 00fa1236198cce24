// Ribbon tabs, groups and buttons with their bitmaps; classic menus with their button boxes.
#include "ribbon_bar.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

#include "act.h"
#include "host/api/front_end.h"
#include "gui_text.h"

namespace gui {

namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

QIcon icon_of(const std::string& image) {
  if (image.empty()) return {};
  std::error_code ec;
  if (std::filesystem::exists(image, ec)) return QIcon(qs(image));
  if (auto file = host::ui::image_file(image)) return QIcon(qs(*file));
  return {};
}

// What a button says: the module's label, else the title its command is declared with.
QString label_of(const host::ui::RibbonButton& b) {
  if (!b.label.empty()) return qs(b.label);
  const auto declaration = host::ui::find_declaration(b.avail);
  if (declaration && !declaration->description.empty()) return qs(declaration->description);
  return qs(b.avail.command);
}

// Marks the first letter of the label not yet taken on this tab, so Alt + letter presses
// the button.
QString with_mnemonic(const QString& label, QString& taken) {
  for (int i = 0; i < label.size(); ++i) {
    const QChar c = label[i].toLower();
    if (!c.isLetter() || taken.contains(c)) continue;
    taken.append(c);
    QString text = label;
    text.replace("&", "&&");
    int at = 0;
    for (int k = 0; k < i; ++k) at += label[k] == '&' ? 2 : 1;
    return text.insert(at, '&');
  }
  return QString(label).replace("&", "&&");
}

}  // namespace

RibbonBar::RibbonBar(QWidget* parent) : QTabWidget(parent) {
  setObjectName("ribbon");
  setDocumentMode(true);
}

void RibbonBar::rebuild() {
  while (count() > 0) {
    QWidget* page = widget(0);
    removeTab(0);
    page->deleteLater();
  }
  for (const auto& tab : host::ui::ribbon_tabs()) {
    auto* page = new QWidget(this);
    page->setObjectName(qs(tab.name));
    auto* row = new QHBoxLayout(page);
    // the mnemonics of the File, View and Help menus
    QString taken;
    for (const char* menu : {N_("&File"), N_("&View"), N_("&Help")}) {
      const QString title = qtr(menu);
      const qsizetype amp = title.indexOf('&');
      if (amp >= 0 && amp + 1 < title.size()) taken += title[amp + 1].toLower();
    }
    row->setContentsMargins(2, 2, 2, 2);
    for (const auto& group : tab.groups) {
      auto* box = new QGroupBox(qs(group.title), page);
      box->setObjectName(qs(group.id));
      auto* buttons = new QHBoxLayout(box);
      buttons->setContentsMargins(3, 3, 3, 3);
      for (std::size_t i = 0; i < group.buttons.size(); ++i) {
        const auto& b = group.buttons[i];
        auto* tool = new QToolButton(box);
        const QString label = label_of(b);
        tool->setText(with_mnemonic(label, taken));
        tool->setIcon(icon_of(b.image));
        // Sizes follow the font, so the icons keep their place beside the labels.
        const int line = tool->fontMetrics().height();
        tool->setIconSize(b.large ? QSize(2 * line, 2 * line) : QSize(line, line));
        tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        tool->setProperty("large", b.large);
        if (b.large) tool->setMinimumWidth(tool->fontMetrics().averageCharWidth() * 9);
        tool->setAutoRaise(true);
        // The command names the button, for tests and scripts.
        tool->setObjectName(qs(b.avail.command));
        tool->setToolTip(QString("%1 (%2)").arg(label, qs(b.avail.command)));
        const std::string tab_name = tab.name, group_id = group.id;
        connect(tool, &QToolButton::clicked, this, [this, tab_name, group_id, i] {
          act([&] { host::ui::click_ribbon_button(tab_name, group_id, i); });
          host::run_queued_commands();
          emit command_ran();
        });
        buttons->addWidget(tool);
      }
      row->addWidget(box);
    }
    row->addStretch();
    addTab(page, qs(tab.title.empty() ? tab.name : tab.title));
  }
  setVisible(count() > 0);
}

void add_classic_menus(QMenuBar* bar, QObject* receiver, const std::function<void()>& after) {
  for (const auto& menu : host::ui::menus()) {
    QMenu* m = bar->addMenu(qs(menu.title.empty() ? menu.name : menu.title));
    m->setObjectName(qs(menu.name));
    for (const auto& box : menu.boxes) {
      m->addSection(qs(box.title));
      for (std::size_t i = 0; i < box.buttons.size(); ++i) {
        const auto& b = box.buttons[i];
        QAction* a = m->addAction(icon_of(b.image), qs(b.label));
        a->setObjectName(qs(b.label));
        const std::string menu_name = menu.name, box_id = box.id;
        QObject::connect(a, &QAction::triggered, receiver, [menu_name, box_id, i, after] {
          act([&] { host::ui::click_menu_button(menu_name, box_id, i); });
          host::run_queued_commands();
          after();
        });
      }
    }
  }
  const auto entries = host::ui::menu_entries();
  if (entries.empty()) return;
  QMenu* task = bar->addMenu(qtr("Task"));
  task->setObjectName("TASK");
  for (const auto& e : entries) {
    QAction* a = task->addAction(icon_of(e.image), qs(e.label));
    const std::string mapmenu = e.mapmenu;
    QObject::connect(a, &QAction::triggered, receiver, [mapmenu, after] {
      // The entry opens the module's menu; its buttons are in the menu bar already.
      after();
    });
  }
}

}  // namespace gui
