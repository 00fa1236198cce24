// The settings store of the host: pen-transformation styles, the active pen transformation
// and the current pen list.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/settings/pens.h"

namespace host::settings {

inline constexpr const char* kStylePath = "Annotation/Plot/PensTrafoStyle";
inline constexpr const char* kPensPath = "Annotation/Plot/PensTrafoStyle/Pens";
inline constexpr const char* kPenTrafoPath = "Annotation/Plot/PenTrafo";
// The style that is active at start and after the active style has been deleted.
inline constexpr const char* kDefaultActiveStyle = "STANDARD";

enum class Level { Host, Corp, User };  // shipped with the host, company-wide, the user's own

struct StyleEntry {
  PenStyle style;
  Level level = Level::Host;
};

struct SettingsState {
  std::vector<std::unique_ptr<StyleEntry>> styles;  // in the order they were made
  std::string active;                               // key of the active pen transformation
  PenStyle pens;  // the current pen list; its key names the style it came from
};

SettingsState& state();
// Case-insensitive; nullptr when absent.
StyleEntry* find_entry(const std::string& key);
// Stores a style; a style of the same key is replaced in its place.
void put_style(PenStyle style, Level level);
void erase_style(const std::string& key);
// The shipped styles, STANDARD active, its pens current.
void restore_defaults();

// The styles the host ships, as (key, title, value text) in the form of parse_style_values.
struct DefaultStyle {
  const char* key;
  const char* title;
  const char* values;
};
const std::vector<DefaultStyle>& default_styles();

}  // namespace host::settings
