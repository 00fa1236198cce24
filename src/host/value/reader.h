// The literal reader and printer of the host language.
#pragma once

#include <string>
#include <string_view>

#include "host/value/value.h"

namespace host {

// Reads one literal from text, skipping leading blanks. Reading stops at the first blank
// or closing delimiter, so "Firma A" gives the symbol FIRMA and "2 A" the integer 2.
// `consumed`, when given, receives the number of characters used. Empty text gives nil.
// Throws host::Error (with the offending text) on malformed input.
Value read_literal(std::string_view text, std::size_t* consumed = nullptr);

// Reads every literal of the text in order (a whole command file, a whole answer).
List read_all_literals(std::string_view text);

// "~S" form: strings quoted and escaped, keywords with their colon, numbers in plain
// locale-independent form that the reader gives back as the same number.
std::string print_literal(const Value& v);
// "~A" form: strings and names as their text, without quotes or colons.
std::string print_text(const Value& v);

}  // namespace host
