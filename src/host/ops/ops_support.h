// What the drawing operations share: reading their keyword arguments, turning handles into
// sheets and elements, and the adjust-point rule.
#pragma once

#include <string>
#include <vector>

#include "host/drawing/model.h"
#include "host/value/value.h"

namespace host::ops {

// The text of a keyword's value (strings as they are, other values as printed text);
// throws host::Error "<op>: :<key> is missing" when absent or nil.
std::string required_text(const KeywordArgs& args, std::string_view key, const char* op);
// The text of a keyword's value, or "" when absent.
std::string optional_text(const KeywordArgs& args, std::string_view key);
// The text of the first of several spellings of a keyword that is present (:frame_type or
// :frame-type), or `fallback`.
std::string text_of_any(const KeywordArgs& args, std::initializer_list<std::string_view> keys,
                        const std::string& fallback);

// Point values of an argument list in their order: points, and lists of two numbers.
std::vector<Vec2> point_args(const List& args);
// A single point value (a point or a list of two numbers), or nullopt.
std::optional<Vec2> as_vec(const Value& v);

// The sheet that :owner names: the current sheet for :current_sheet (or no :owner), or the
// sheet of a sheet handle.
Sheet& owner_sheet(const KeywordArgs& args, const char* op);
// A sheet of the current drawing by handle or by name.
Sheet& sheet_of(const Value& sheet, const char* op);
Element& element_of(const Value& element, const char* op);
Value handle_of(const Sheet& sheet);
Value handle_of(const Element& element);

// The point of a box that an adjust code names (1 bottom left, 5 centre, 9 top right).
Vec2 adjust_point(const std::pair<Vec2, Vec2>& box, int adjust);

// Refuses to replace an existing file unless the operation was given :overwrite.
void check_overwrite(const KeywordArgs& args, const std::string& path, const char* op);

}  // namespace host::ops
