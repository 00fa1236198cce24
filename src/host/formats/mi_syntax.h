// The lexical layer of the .mi format shared by its reader and writer: keywords of the
// format, UTF-8 checks, and how texts and numbers are spelled.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/drawing/model.h"

namespace host::mi {

inline constexpr std::string_view kMagic = "tavrin-mi";
// Versions read: kOldestVersion to kVersion. Version 2 brought groups, fills, masks, points,
// images and the optional named fields after the kind fields; version 3 the plot style
// fields (a sheet's plot style table, an element's colour index and named plot style).
// Writers write the lowest version that holds the drawing, so that a drawing without plot
// style fields stays readable by hosts that know version 2.
inline constexpr int kVersion = 3;
inline constexpr int kOldestVersion = 1;
inline constexpr std::string_view kNone = "~";

// The word that starts an element line, and back.
std::string_view kind_word(ElementKind kind);
bool kind_from_word(std::string_view word, ElementKind& kind);
// The format version that introduced a kind.
int kind_since(ElementKind kind);

// Length of the valid UTF-8 character at p (1..4), or 0 when the bytes there are not one
// (overlong forms and surrogates included).
std::size_t utf8_length(const char* p, const char* end);

// Appends s as a quoted text: `"`, `\` and control characters escaped, bytes that are not
// UTF-8 as \xHH, so that any byte string reads back exactly.
void append_quoted(std::string& out, std::string_view s);
// Appends the shortest spelling that reads back as exactly this number; throws host::Error
// for numbers that are not finite.
void append_number(std::string& out, double v);
void append_integer(std::string& out, long long v);

// What is wrong with an element for the format (wrong point count, adjust point out of
// range, negative radius ...), or nullptr when it can be written and read.
const char* element_problem(const Element& e);

}  // namespace host::mi
