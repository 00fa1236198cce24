// The settings store and the style lookups the plot renderer uses.
#include "host/settings/style_store.h"

#include <algorithm>

#include "host/api/testing.h"
#include "host/commands/tokens.h"
#include "host/settings/pen_rules.h"

namespace host::settings {

namespace {

SettingsState make_default_state() {
  SettingsState s;
  for (const DefaultStyle& d : default_styles()) {
    auto entry = std::make_unique<StyleEntry>();
    entry->style = {d.key, d.title, parse_style_values(d.values).rules};
    entry->level = Level::Host;
    s.styles.push_back(std::move(entry));
  }
  s.active = kDefaultActiveStyle;
  for (const auto& e : s.styles)
    if (e->style.key == kDefaultActiveStyle) s.pens = e->style;
  return s;
}

[[maybe_unused]] const bool kResetRegistered = (register_reset_hook(restore_defaults), true);

}  // namespace

SettingsState& state() {
  static SettingsState s = make_default_state();
  return s;
}

StyleEntry* find_entry(const std::string& key) {
  const std::string wanted = host::upper(key);
  for (auto& e : state().styles)
    if (e->style.key == wanted) return e.get();
  return nullptr;
}

void put_style(PenStyle style, Level level) {
  style.key = host::upper(style.key);
  if (StyleEntry* existing = find_entry(style.key)) {
    existing->style = std::move(style);
    existing->level = level;
    return;
  }
  state().styles.push_back(std::make_unique<StyleEntry>(StyleEntry{std::move(style), level}));
}

void erase_style(const std::string& key) {
  const std::string wanted = host::upper(key);
  auto& styles = state().styles;
  std::erase_if(styles, [&](const auto& e) { return e->style.key == wanted; });
  if (state().active == wanted) state().active = kDefaultActiveStyle;
}

void restore_defaults() {
  state() = make_default_state();
}

}  // namespace host::settings

namespace host {

const PenStyle* find_pen_style(const std::string& key) {
  const settings::StyleEntry* e = settings::find_entry(key);
  return e ? &e->style : nullptr;
}

const PenStyle* active_pen_style() {
  return find_pen_style(settings::state().active);
}

}  // namespace host
