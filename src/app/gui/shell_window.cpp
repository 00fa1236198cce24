// A dialog shell rendered from the control model; every interaction goes back through the
// user-action layer, and the model's answer is what the widgets then show.
#include "shell_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <set>

#include "act.h"
#include "host/api/front_end.h"

namespace gui {

using host::ui::Control;
using host::ui::ControlKind;

namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

Qt::Alignment alignment_of(const std::string& a) {
  if (a == "right") return Qt::AlignRight | Qt::AlignVCenter;
  if (a == "center") return Qt::AlignCenter;
  return Qt::AlignLeft | Qt::AlignVCenter;
}

void fit_columns(QTableWidget* table);

std::string cell_text(const host::Value& v) {
  if (v.is_nil()) return "";
  return v.is_string() ? v.as_string() : host::print_text(v);
}

}  // namespace

int cell_for(const QFontMetrics& metrics) {
  return std::max(kCell, (metrics.lineSpacing() + 8 + 4) / 5);
}

// A real dialog window: title bar, movable, kept above the main window.
ShellWindow::ShellWindow(const std::string& shell, QWidget* parent)
    : QWidget(parent, Qt::Dialog),
      shell_(shell),
      cell_(cell_for(fontMetrics())),
      cell_width_(cell_) {
  setObjectName(qs(shell));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  body_ = new QWidget(this);
  layout->addWidget(body_);
  sync();
}

QWidget* ShellWindow::widget_of(const std::string& control) const {
  auto it = widgets_.find(control);
  return it == widgets_.end() ? nullptr : it->second.widget;
}

void ShellWindow::closeEvent(QCloseEvent* event) {
  // The module decides what closing means; the window follows the model's shown flag.
  event->ignore();
  act([&] { host::ui::close_shell(shell_); });
  after_action();
}

void ShellWindow::after_action() {
  host::run_queued_commands();
  sync();
}

QWidget* ShellWindow::container_for(const Control& c) {
  auto it = widgets_.find(c.parent);
  if (it == widgets_.end()) return body_;
  return it->second.widget;
}

QWidget* ShellWindow::make_widget(const Control& c, QWidget* parent) {
  const std::string name = c.name;
  QWidget* w = nullptr;
  switch (c.kind) {
    case ControlKind::Area:
    case ControlKind::GridArea: {
      // A plain frame: a group box title would push the grid's cells off their places.
      auto* frame = new QFrame(parent);
      frame->setFrameShape(QFrame::NoFrame);
      w = frame;
      break;
    }
    case ControlKind::Label:
      w = new QLabel(parent);
      break;
    case ControlKind::Separator: {
      auto* line = new QFrame(parent);
      line->setFrameShape(QFrame::HLine);
      line->setFrameShadow(QFrame::Sunken);
      w = line;
      break;
    }
    case ControlKind::Toggle: {
      QAbstractButton* b = c.radio ? static_cast<QAbstractButton*>(new QRadioButton(parent))
                                   : static_cast<QAbstractButton*>(new QCheckBox(parent));
      b->setAutoExclusive(false);
      connect(b, &QAbstractButton::clicked, this, [this, name] {
        act([&] { host::ui::click_toggle(name); });
        after_action();
      });
      w = b;
      break;
    }
    case ControlKind::PushButton: {
      auto* b = new QPushButton(parent);
      connect(b, &QPushButton::clicked, this, [this, name] {
        act([&] { host::ui::press_button(name); });
        after_action();
      });
      w = b;
      break;
    }
    case ControlKind::Text:
      if (c.has_range) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(c.editable);
        connect(combo, &QComboBox::activated, this, [this, name, combo](int index) {
          const std::string text = combo->itemText(index).toStdString();
          act([&] { host::ui::pick_entry(name, text); });
          after_action();
        });
        if (c.editable) {
          connect(combo->lineEdit(), &QLineEdit::editingFinished, this, [this, name, combo] {
            const std::string text = combo->currentText().toStdString();
            auto now = host::ui::find_control(name);
            if (now && now->value.value_or("") == text) return;
            act([&] { host::ui::type_text(name, text); });
            after_action();
          });
        }
        w = combo;
      } else {
        auto* edit = new QLineEdit(parent);
        connect(edit, &QLineEdit::editingFinished, this, [this, name, edit] {
          const std::string text = edit->text().toStdString();
          auto now = host::ui::find_control(name);
          if (now && now->value.value_or("") == text) return;
          act([&] { host::ui::type_text(name, text); });
          after_action();
        });
        w = edit;
      }
      break;
    case ControlKind::DisplayTable: {
      auto* table = new QTableWidget(parent);
      table->setSelectionMode(QAbstractItemView::NoSelection);
      table->setEditTriggers(QAbstractItemView::NoEditTriggers);
      table->verticalHeader()->hide();
      table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().lineSpacing() + 4);
      table->setShowGrid(false);
      connect(table, &QTableWidget::cellClicked, this, [this, name](int row, int) {
        act([&] { host::ui::click_table_row(name, row); });
        after_action();
      });
      w = table;
      break;
    }
  }
  w->setObjectName(qs(name));
  return w;
}

void ShellWindow::update_table(QWidget* w, const Control& c) {
  auto* table = static_cast<QTableWidget*>(w);
  if (!c.table) return;
  host::ui::LogicalTable logical;
  try {
    logical = host::ui::table_of_display(c.name);
  } catch (const std::exception&) {
    table->setRowCount(0);
    return;
  }
  const auto& binding = *c.table;
  std::vector<std::size_t> columns;
  QStringList headers;
  for (const auto& id : binding.columns) {
    try {
      const std::size_t i = host::ui::column_index(logical, host::Value::string(id));
      columns.push_back(i);
      // Blanks around a column name are the module's width hint for a fixed font; the
      // columns here size to their content.
      headers << qs(i < logical.column_names.size() ? logical.column_names[i] : id).trimmed();
    } catch (const std::exception&) {
    }
  }
  QSignalBlocker block(table);
  table->setColumnCount(static_cast<int>(columns.size()));
  table->setHorizontalHeaderLabels(headers);
  table->setRowCount(static_cast<int>(logical.rows.size()));
  const std::set<int> selected(binding.selection.begin(), binding.selection.end());
  for (int r = 0; r < static_cast<int>(logical.rows.size()); ++r) {
    for (int k = 0; k < static_cast<int>(columns.size()); ++k) {
      const auto& row = logical.rows[static_cast<std::size_t>(r)];
      const std::size_t i = columns[static_cast<std::size_t>(k)];
      auto* item = new QTableWidgetItem(qs(i < row.size() ? cell_text(row[i]) : ""));
      if (static_cast<std::size_t>(k) < binding.alignment.size()) {
        item->setTextAlignment(alignment_of(binding.alignment[static_cast<std::size_t>(k)]));
      }
      if (selected.count(r) != 0)
        item->setBackground(palette().highlight());
      else if (binding.row_colors && r % 2 == 1)
        item->setBackground(palette().alternateBase());
      table->setItem(r, k, item);
    }
  }
  fit_columns(table);
}

namespace {

// Columns as wide as their content; the widest (the name in a file list) takes the rest of
// the table and reads from the left, so no column hides behind a scroll bar and short
// columns stay beside the text they belong to.
void fit_columns(QTableWidget* table) {
  QHeaderView* header = table->horizontalHeader();
  header->setStretchLastSection(false);
  table->resizeColumnsToContents();
  const int count = table->columnCount();
  if (count == 0) return;
  int widest = 0;
  for (int k = 1; k < count; ++k) {
    if (header->sectionSize(k) > header->sectionSize(widest)) widest = k;
  }
  for (int k = 0; k < count; ++k) {
    header->setSectionResizeMode(
        k, k == widest ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
  }
  table->setTextElideMode(Qt::ElideMiddle);
  for (int r = 0; r < table->rowCount(); ++r) {
    if (QTableWidgetItem* item = table->item(r, widest)) {
      item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
  }
  if (QTableWidgetItem* h = table->horizontalHeaderItem(widest)) {
    h->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
}

}  // namespace

void ShellWindow::update_widget(QWidget* w, const Control& c) {
  const QString title = qs(c.title);
  QSignalBlocker block(w);
  switch (c.kind) {
    case ControlKind::Area:
    case ControlKind::GridArea:
      w->setToolTip(title);
      if (!c.title_color.empty()) {
        // The title colour marks the area, as the host's dialogs show it.
        w->setStyleSheet(
            QString("QFrame#%1 { border-top: 2px solid %2; }").arg(qs(c.name), qs(c.title_color)));
      }
      break;
    case ControlKind::Label:
      static_cast<QLabel*>(w)->setText(title);
      static_cast<QLabel*>(w)->setAlignment(alignment_of(c.alignment));
      break;
    case ControlKind::Toggle:
      static_cast<QAbstractButton*>(w)->setText(title);
      static_cast<QAbstractButton*>(w)->setChecked(c.set);
      break;
    case ControlKind::PushButton: {
      auto* b = static_cast<QPushButton*>(w);
      const auto image = c.image.empty() ? std::nullopt : host::ui::image_file(c.image);
      if (image) {
        b->setIcon(QIcon(qs(*image)));
        b->setText(QString());
      } else {
        b->setText(title);
      }
      break;
    }
    case ControlKind::Text:
      if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QStringList entries;
        for (const auto& e : c.range) entries << qs(e);
        combo->clear();
        combo->addItems(entries);
        const QString value = qs(c.value.value_or(""));
        const int i = combo->findText(value);
        if (i >= 0)
          combo->setCurrentIndex(i);
        else if (combo->isEditable())
          combo->setEditText(value);
        else
          combo->setCurrentIndex(-1);
      } else {
        auto* edit = static_cast<QLineEdit*>(w);
        if (edit->text() != qs(c.value.value_or(""))) edit->setText(qs(c.value.value_or("")));
        edit->setReadOnly(!c.editable);
      }
      break;
    case ControlKind::Separator:
      break;
    case ControlKind::DisplayTable:
      update_table(w, c);
      break;
  }
}

void ShellWindow::sync() {
  const auto shell = host::ui::find_shell(shell_);
  if (shell) setWindowTitle(qs(shell->title));
  const auto controls = host::ui::controls_of_shell(shell_);
  std::set<std::string> alive;
  for (const auto& c : controls) alive.insert(c.name);
  for (auto it = widgets_.begin(); it != widgets_.end();) {
    if (alive.count(it->first) == 0) {
      it->second.widget->deleteLater();
      it->second.widget->hide();
      it = widgets_.erase(it);
    } else {
      ++it;
    }
  }
  for (const auto& c : controls) {
    auto it = widgets_.find(c.name);
    QWidget* parent = container_for(c);
    if (it != widgets_.end() &&
        (it->second.kind != c.kind || it->second.widget->parentWidget() != parent)) {
      it->second.widget->hide();
      it->second.widget->deleteLater();
      widgets_.erase(it);
      it = widgets_.end();
    }
    if (it == widgets_.end()) {
      it = widgets_.emplace(c.name, Entry{make_widget(c, parent), c.kind}).first;
    }
    update_widget(it->second.widget, c);
  }
  cell_width_ = std::max({cell_width_, cell_, cell_for_titles(controls)});
  for (const auto& c : controls) {
    QWidget* w = widget_of(c.name);
    // Cells of the enclosing grid area; a cell size the module gives in pixels of the
    // common font grows with the font like the default one.
    const auto outer = host::ui::find_control(c.parent);
    const double cw =
        outer && outer->cell_width > 0 ? outer->cell_width * cell_width_ / kCell : cell_width_;
    const double ch = outer && outer->cell_height > 0 ? outer->cell_height * cell_ / kCell : cell_;
    const int margin = outer ? outer->margin * cell_ : 0;
    int width = c.width > 0 ? static_cast<int>(c.width * cw) : c.pixel_width * cell_width_ / kCell;
    int height = c.height > 0 ? static_cast<int>(c.height * ch) : c.pixel_height * cell_ / kCell;
    if (width <= 0) width = natural_size(w, c).width();
    if (height <= 0) height = natural_size(w, c).height();
    w->setGeometry(margin + static_cast<int>(c.x * cw), margin + static_cast<int>(c.y * ch), width,
                   height);
    // A button's picture at its own size (Qt's default is 16 pixels), as far as the button
    // has room for it.
    if (auto* b = qobject_cast<QPushButton*>(w); b != nullptr && !b->icon().isNull()) {
      const auto sizes = b->icon().availableSizes();
      if (!sizes.isEmpty()) {
        const int room = std::max(16, std::min(width, height) - 2 * cell_);
        b->setIconSize(sizes.first().boundedTo(QSize(room, room)));
      }
    }
    w->setVisible(c.visible);
  }
  size_containers(controls);
  int right = 0, bottom = 0;
  for (const auto& c : controls) {
    if (container_for(c) != body_) continue;
    const QRect g = widget_of(c.name)->geometry();
    right = std::max(right, g.right() + 1);
    bottom = std::max(bottom, g.bottom() + 1);
  }
  body_->setMinimumSize(right, bottom);
}

// The cell width at which every label and toggle shows its whole title in the cells the
// module gives it: the module's cells were made for a narrower font than most desktops use,
// and a cut word ("Speicher") is worse than a wider dialog. Cells beyond the grid's own
// width do not count (they are narrowed to the grid).
int ShellWindow::cell_for_titles(const std::vector<Control>& controls) const {
  int cell = 0;
  for (const auto& c : controls) {
    if ((c.kind != ControlKind::Label && c.kind != ControlKind::Toggle) || c.title.empty() ||
        c.width <= 0)
      continue;
    const auto outer = host::ui::find_control(c.parent);
    const double cw = outer && outer->cell_width > 0 ? outer->cell_width : kCell;
    double cells = c.width;
    if (outer && outer->pixel_width > 0) cells = std::min(cells, outer->pixel_width / cw - c.x);
    if (cells <= 0) continue;
    const int needed = widget_of(c.name)->sizeHint().width();
    cell = std::max(cell, static_cast<int>(std::ceil(needed * kCell / (cells * cw))));
  }
  return cell;
}

// A control asked larger than its sized area, whose content fits into the area, is narrowed
// to the area's edge (the module asks a full-width toggle 100 cells wide in an 80-cell grid).
// One whose content does not fit keeps its size and the area grows instead.
void ShellWindow::narrow_to_area(const Control& area, const std::vector<Control>& controls,
                                 bool sized_w, bool sized_h) {
  QWidget* a = widget_of(area.name);
  const int margin = area.margin * cell_;
  const int room_w = a->width() - margin, room_h = a->height() - margin;
  for (const auto& child : controls) {
    if (child.parent != area.name) continue;
    QWidget* w = widget_of(child.name);
    QRect g = w->geometry();
    const QSize natural = w->sizeHint();
    if (sized_w && g.right() + 1 > room_w && g.x() + natural.width() <= room_w)
      g.setRight(room_w - 1);
    if (sized_h && g.bottom() + 1 > room_h && g.y() + natural.height() <= room_h)
      g.setBottom(room_h - 1);
    w->setGeometry(g);
  }
}

// What a control takes when the module leaves its size open: its size hint, except that a
// text field takes the room of its value (at least a few characters), not Qt's wide default.
QSize ShellWindow::natural_size(QWidget* w, const Control& c) const {
  const QSize hint = w->sizeHint();
  if (c.kind != ControlKind::Text || c.has_range) return hint;
  const QFontMetrics m = w->fontMetrics();
  const int text =
      std::max(m.horizontalAdvance(qs(c.value.value_or(""))), m.horizontalAdvance("00000"));
  return {text + 2 * cell_ + 4, hint.height()};
}

// Areas created without a size take the room their controls need, and no area is smaller
// than its controls, so no control is ever cut off; inner areas first.
void ShellWindow::size_containers(const std::vector<Control>& controls) {
  for (auto c = controls.rbegin(); c != controls.rend(); ++c) {
    if (c->kind != ControlKind::Area && c->kind != ControlKind::GridArea) continue;
    QWidget* w = widget_of(c->name);
    const bool sized_w = c->width > 0 || c->pixel_width > 0;
    const bool sized_h = c->height > 0 || c->pixel_height > 0;
    const int margin = c->margin * cell_;
    narrow_to_area(*c, controls, sized_w, sized_h);
    int right = 0, bottom = 0;
    for (const auto& child : controls) {
      if (child.parent != c->name) continue;
      const QRect g = widget_of(child.name)->geometry();
      right = std::max(right, g.right() + 1);
      bottom = std::max(bottom, g.bottom() + 1);
    }
    w->resize(sized_w ? std::max(w->width(), right + margin) : right + margin,
              sized_h ? std::max(w->height(), bottom + margin) : bottom + margin);
  }
}

}  // namespace gui
