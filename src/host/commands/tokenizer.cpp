// Splitting a command line into tokens. Quoting is strict so that a value between quotes can
// never end its string early and smuggle in words of its own.
#include <charconv>
#include <optional>

#include "host/api/error.h"
#include "host/commands/tokens.h"
#include "host/value/format.h"

namespace host::commands {

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool ends_bare_run(char c) {
  return is_blank(c) || c == '\'' || c == '"' || c == '(' || c == ')';
}

[[noreturn]] void fail(std::size_t column, const std::string& what) {
  throw Error(format("~A at column ~A", what, static_cast<long long>(column)));
}

// A whole run read as a number, or nullopt. Integers stay exact; everything else is a float.
std::optional<Value> read_number(std::string_view run) {
  if (!run.empty() && run.front() == '+') run.remove_prefix(1);
  const std::size_t digits_at = (!run.empty() && run.front() == '-') ? 1 : 0;
  if (run.size() <= digits_at) return std::nullopt;
  const char first = run[digits_at];
  if (!((first >= '0' && first <= '9') || first == '.')) return std::nullopt;
  const char* end = run.data() + run.size();
  if (run.find_first_of(".eE") == std::string_view::npos) {
    std::int64_t i = 0;
    const auto r = std::from_chars(run.data(), end, i);
    if (r.ec == std::errc() && r.ptr == end) return Value::integer(i);
  }
  double d = 0;
  const auto r = std::from_chars(run.data(), end, d);
  if (r.ec != std::errc() || r.ptr != end) return std::nullopt;
  return Value::real(d);
}

Token classify_run(std::string_view run, std::size_t column) {
  Token token;
  token.column = column;
  if (run.front() == ':') {
    const std::string_view name = run.substr(1);
    if (name.empty() || name.find_first_of(":,") != std::string_view::npos)
      fail(column, format("malformed keyword \"~A\"", std::string(run)));
    token.type = TokenType::Keyword;
    token.text = upper(name);
    return token;
  }
  if (auto number = read_number(run)) {
    token.type = TokenType::Number;
    token.value = *number;
    token.text = std::string(run);
    return token;
  }
  if (const auto comma = run.find(','); comma != std::string_view::npos) {
    const auto x = read_number(run.substr(0, comma));
    const auto y = read_number(run.substr(comma + 1));
    if (!x || !y) fail(column, format("malformed point \"~A\"", std::string(run)));
    token.type = TokenType::Point;
    token.value = Value::point(x->as_double(), y->as_double());
    token.text = std::string(run);
    return token;
  }
  token.type = TokenType::Word;
  token.text = upper(run);
  return token;
}

// Reads a quoted string starting at `pos` (the opening quote); returns the position after it.
std::size_t read_string(std::string_view line, std::size_t pos, Token& token) {
  const char quote = line[pos];
  token.type = TokenType::String;
  token.column = pos + 1;
  std::size_t i = pos + 1;
  while (i < line.size()) {
    const char c = line[i];
    if (c == quote) {
      if (quote == '\'' && i + 1 < line.size() && line[i + 1] == '\'') {
        token.text += '\'';
        i += 2;
        continue;
      }
      return i + 1;
    }
    if (quote == '"' && c == '\\' && i + 1 < line.size()) {
      const char e = line[i + 1];
      token.text += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
      i += 2;
      continue;
    }
    token.text += c;
    ++i;
  }
  fail(token.column, "unterminated string");
}

}  // namespace

std::vector<Token> tokenize(std::string_view line) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (is_blank(c)) {
      ++i;
    } else if (c == '\'' || c == '"') {
      Token token;
      i = read_string(line, i, token);
      tokens.push_back(std::move(token));
    } else if (c == '(' || c == ')') {
      Token token;
      token.type = c == '(' ? TokenType::Open : TokenType::Close;
      token.text = std::string(1, c);
      token.column = i + 1;
      tokens.push_back(std::move(token));
      ++i;
    } else {
      std::size_t end = i;
      while (end < line.size() && !ends_bare_run(line[end])) ++end;
      tokens.push_back(classify_run(line.substr(i, end - i), i + 1));
      i = end;
    }
  }
  return tokens;
}

Value token_value(const Token& token) {
  switch (token.type) {
    case TokenType::Keyword:
      return Value::keyword(token.text);
    case TokenType::String:
      return Value::string(token.text);
    case TokenType::Number:
    case TokenType::Point:
      return token.value;
    case TokenType::Word:
      return Value::symbol(token.text);
    default:
      throw Error(format("unexpected \"~A\" at column ~A", token.text,
                         static_cast<long long>(token.column)));
  }
}

}  // namespace host::commands
