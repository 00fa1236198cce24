// The literal reader of the host language: numbers, strings, keywords, symbols, lists,
// complex numbers and 2D points, read the way the host reads a typed answer.
#include "host/value/reader.h"

#include "host/value/error.h"
#include "host/value/number_syntax.h"
#include "host/value/text.h"

namespace host {

namespace {

// Deep enough for any real command file, shallow enough that hostile input cannot
// exhaust the stack.
constexpr int kMaxDepth = 500;

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Characters that end a token, as in the host language.
bool ends_token(char c) {
  return is_blank(c) || c == '(' || c == ')' || c == '"' || c == '\'' || c == ';' || c == '`' ||
         c == ',';
}

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::size_t pos() const { return pos_; }

  // Skips blanks and comments; false at the end of the text.
  bool skip_blanks() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (is_blank(c)) {
        ++pos_;
      } else if (c == ';') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        return true;
      }
    }
    return false;
  }

  Value read(int depth = 0) {
    if (depth > kMaxDepth) fail("lists nested too deeply");
    if (!skip_blanks()) fail("the text ends where a value was expected");
    const char c = text_[pos_];
    switch (c) {
      case '(':
        ++pos_;
        return read_list(depth);
      case ')':
        fail("unexpected \")\"");
      case '"':
        ++pos_;
        return read_string();
      case '\'':
        ++pos_;
        return Value(List{Value::symbol("QUOTE"), read(depth + 1)});
      case '#':
        return read_dispatch(depth);
      case '`':
      case ',':
        fail(std::string("unsupported character \"") + c + "\"");
      default:
        return read_token();
    }
  }

  [[noreturn]] void fail(const std::string& what) const {
    // Long texts (a whole command file) are quoted around the place that failed.
    constexpr std::size_t kQuoted = 200;
    const std::size_t from = pos_ > kQuoted / 2 && text_.size() > kQuoted ? pos_ - kQuoted / 2 : 0;
    std::string quoted = from > 0 ? "..." : "";
    quoted += text_.substr(from, kQuoted);
    if (text_.size() > from + kQuoted) quoted += "...";
    throw Error("Cannot read \"" + quoted + "\": " + what + " (at character " +
                std::to_string(pos_ + 1) + ")");
  }

 private:
  Value read_list(int depth) {
    List items;
    while (true) {
      if (!skip_blanks()) fail("list without closing \")\"");
      if (text_[pos_] == ')') {
        ++pos_;
        return Value(std::move(items));
      }
      items.push_back(read(depth + 1));
    }
  }

  // A backslash takes the next character literally, so \" and \\ stand for " and \.
  Value read_string() {
    std::string out;
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c == '"') return Value(std::move(out));
      if (c == '\\') {
        if (pos_ >= text_.size()) break;
        c = text_[pos_++];
      }
      out += c;
    }
    fail("string without closing quote");
  }

  // #C(re im) complex numbers and #2D(x y) points.
  Value read_dispatch(int depth) {
    const std::size_t start = pos_;
    const std::string_view rest = text_.substr(pos_ + 1);
    std::size_t tag = 0;
    if (rest.size() >= 1 && upper_ascii(rest[0]) == 'C') tag = 1;
    if (rest.size() >= 2 && rest[0] == '2' && upper_ascii(rest[1]) == 'D') tag = 2;
    if (tag == 0) fail("unknown \"#\" syntax");
    pos_ += 1 + tag;
    if (pos_ >= text_.size() || text_[pos_] != '(') fail("\"#\" syntax without its list");
    const Value parts = read(depth + 1);
    const List& l = parts.as_list();
    if (l.size() != 2 || !is_real_number(l[0]) || !is_real_number(l[1])) {
      pos_ = start;
      fail(tag == 1 ? "a complex number needs two real parts" : "a 2D point needs two coordinates");
    }
    if (tag == 2) return Value::point(l[0].as_double(), l[1].as_double());
    // A complex number with rational parts and no imaginary part is that rational.
    if (l[1].kind() != Kind::Float && l[0].kind() != Kind::Float && l[1].numerator() == 0)
      return l[0];
    return Value::complex(l[0].as_double(), l[1].as_double());
  }

  static bool is_real_number(const Value& v) { return v.is_number() && v.kind() != Kind::Complex; }

  Value read_token() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !ends_token(text_[pos_])) ++pos_;
    const std::string_view token = text_.substr(start, pos_ - start);
    if (token.find_first_not_of('.') == std::string_view::npos) fail("a token of dots only");
    NumberParse number = parse_number(token);
    if (number.status == NumberParse::OutOfRange) fail("number out of range");
    if (number.status == NumberParse::ZeroDenominator) fail("division by zero");
    if (number.status == NumberParse::Ok) return number.value;
    if (token.front() == ':') return Value::keyword(token);  // drops the one colon
    if (iequals(token, "NIL")) return Value();
    if (iequals(token, "T")) return Value::t();
    return Value::symbol(token);
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

Value read_literal(std::string_view text, std::size_t* consumed) {
  Reader reader(text);
  Value v;
  if (reader.skip_blanks()) v = reader.read();
  if (consumed) *consumed = reader.pos();
  return v;
}

List read_all_literals(std::string_view text) {
  Reader reader(text);
  List out;
  while (reader.skip_blanks()) out.push_back(reader.read());
  return out;
}

}  // namespace host
