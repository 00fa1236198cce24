// Tokens of a host command line: words, keywords, quoted strings, numbers, points, brackets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/value/text.h"
#include "host/value/value.h"

namespace host::commands {

enum class TokenType { Word, Keyword, String, Number, Point, Open, Close };

struct Token {
  TokenType type = TokenType::Word;
  std::string text;        // words and keywords upper case (keywords without colon); string content
  Value value;             // numbers and points; nil otherwise
  std::size_t column = 0;  // 1-based position of the token's first character in the line

  bool is_word(std::string_view upper) const { return type == TokenType::Word && text == upper; }
};

// Splits one command line. Single-quoted strings take '' as one quote and keep backslashes;
// double-quoted strings take backslash escapes. Throws host::Error naming the column on an
// unterminated string or a malformed number or point.
std::vector<Token> tokenize(std::string_view line);

// The value a token stands for as an argument: keyword, string, number or point.
Value token_value(const Token& token);

}  // namespace host::commands
