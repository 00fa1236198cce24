// Reading the keyword lists of the user-interface operations.
#include "host/ui/args.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "host/api/error.h"
#include "host/value/reader.h"

namespace host::ui {

namespace {

// Keys whose value is itself a keyword; for all other keys a following keyword starts the
// next pair, which lets the module write bare flags such as :multiline.
constexpr std::array kKeywordValued = {"INDICATOR",      "ALIGNMENT",      "SELECTIONMODE",
                                       "SELECTION-MODE", "APPLYACTION",    "APPLYCOLUMN",
                                       "KEYCOLUMNTOKEN", "AREABACKGROUND", "BACKGROUND",
                                       "CORNER",         "FRAME",          "VALUETYPE"};

bool keyword_valued(std::string_view key) {
  return std::any_of(kKeywordValued.begin(), kKeywordValued.end(),
                     [&](const char* k) { return key == k; });
}

}  // namespace

std::string value_text(const Value& v) {
  if (v.is_nil()) return "";
  if (v.is_string()) return v.as_string();
  return print_text(v);
}

UiArgs::UiArgs(const List& args, std::string_view context) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!args[i].is_keyword()) {
      throw Error(std::string(context) + ": expected a keyword, got " + print_literal(args[i]));
    }
    std::string key = upper(args[i].as_string());
    bool next_exists = i + 1 < args.size();
    if (next_exists && (!args[i + 1].is_keyword() || keyword_valued(key))) {
      pairs_.emplace_back(key, args[i + 1]);
      ++i;
    } else {
      pairs_.emplace_back(key, Value::t());
    }
  }
}

bool UiArgs::has(std::string_view key) const {
  return get(key).has_value();
}

std::optional<Value> UiArgs::get(std::string_view key) const {
  std::string k = upper(key);
  // The first occurrence wins, as with the host language's keyword arguments.
  for (const auto& [name, value] : pairs_) {
    if (name == k) return value;
  }
  return std::nullopt;
}

std::string UiArgs::text(std::string_view key, std::string fallback) const {
  auto v = get(key);
  return v ? value_text(*v) : fallback;
}

std::optional<std::string> UiArgs::optional_text(std::string_view key) const {
  auto v = get(key);
  if (!v || v->is_nil()) return std::nullopt;
  return value_text(*v);
}

bool UiArgs::flag(std::string_view key, bool fallback) const {
  auto v = get(key);
  return v ? v->truthy() : fallback;
}

int UiArgs::cells(std::string_view key, int fallback) const {
  auto v = get(key);
  if (!v || !v->is_number()) return fallback;
  return static_cast<int>(std::lround(v->as_double()));
}

double UiArgs::number(std::string_view key, double fallback) const {
  auto v = get(key);
  if (!v || !v->is_number()) return fallback;
  return v->as_double();
}

std::vector<std::string> UiArgs::texts(std::string_view key) const {
  std::vector<std::string> out;
  auto v = get(key);
  if (!v || v->is_nil()) return out;
  if (!v->is_list()) return {value_text(*v)};
  for (const Value& item : v->as_list()) out.push_back(value_text(item));
  return out;
}

std::string UiArgs::keyword_lower(std::string_view key, std::string fallback) const {
  auto v = get(key);
  if (!v || v->is_nil()) return fallback;
  return lower(value_text(*v));
}

}  // namespace host::ui
