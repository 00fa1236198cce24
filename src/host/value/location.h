// Where in a file something went wrong, said the way compilers say it: "file:line: message",
// then the offending line and a caret under the column, so that a user sees the place without
// opening the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

// "file:line: message".
std::string located(std::string_view file, std::size_t line, std::string_view message);

// "file:line: message", then the line's text and a caret under `column` (the byte counted from
// 1; 0 when unknown, then the caret stands under the line's first non-blank). Without
// a text (an empty line, the end of the file) this is the one-line form.
std::string located(std::string_view file, std::size_t line, std::string_view message,
                    std::string_view line_text, std::size_t column = 0);

// Line `line` (counted from 1) of `text`, without its line end; empty past the end.
std::string_view line_of(std::string_view text, std::size_t line);

}  // namespace host
