// Keyword-argument lists of the user-interface operations, read the way the toolkit reads them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/value/text.h"
#include "host/value/value.h"

namespace host::ui {

// A list such as (:parent "G" :indicator :radio :editable t :multiline :x 12).
// Some keys take a keyword as their value (:indicator :radio, :alignment :center,
// :selectionmode :single-row); any other key directly followed by a keyword, or by the end,
// is a flag and reads as t. Keys compare without regard to case.
class UiArgs {
 public:
  // `context` (the operation and control) opens the error text of a malformed list.
  explicit UiArgs(const List& args, std::string_view context = "keyword list");

  bool has(std::string_view key) const;
  std::optional<Value> get(std::string_view key) const;
  // Text of a value (strings as they are, numbers and names printed); fallback when absent.
  std::string text(std::string_view key, std::string fallback = "") const;
  std::optional<std::string> optional_text(std::string_view key) const;
  bool flag(std::string_view key, bool fallback = false) const;  // present and not nil
  int cells(std::string_view key, int fallback = 0) const;       // a whole number of cells
  double number(std::string_view key, double fallback) const;
  // The value as a list of texts: (:left :right) → {"LEFT", "RIGHT"}, ("a" "b") → {"a", "b"}.
  std::vector<std::string> texts(std::string_view key) const;
  // Keyword names come back as written by the host (upper case); this lowers them.
  std::string keyword_lower(std::string_view key, std::string fallback = "") const;

 private:
  std::vector<std::pair<std::string, Value>> pairs_;
};

// The text a value shows in a control: strings verbatim, nil as "", the rest printed.
std::string value_text(const Value& v);

}  // namespace host::ui
