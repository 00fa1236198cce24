// The grammar of the host command lines: one command per line, its operand, then the
// selection it applies to, closed by END.
#include "host/commands/parser.h"

#include <array>

#include "host/api/error.h"
#include "host/commands/names.h"
#include "host/commands/tokens.h"
#include "host/value/format.h"

namespace host::commands {

namespace {

enum class Operand { Text, Color, Linetype, Adjust, Real, PositiveReal, OnOff };

struct SelectionCommand {
  const char* name;
  Operand operand;
};

constexpr std::array<SelectionCommand, 12> kSelectionCommands{{
    {"CHANGE_TEXT", Operand::Text},
    {"CHANGE_COLOR", Operand::Color},
    {"CHANGE_LINETYPE", Operand::Linetype},
    {"ADD_ELEM_INFO", Operand::Text},
    {"CHANGE_TEXT_ADJUST", Operand::Adjust},
    {"CHANGE_TEXT_FONTNAME", Operand::Text},
    {"CHANGE_TEXT_ANGLE", Operand::Real},
    {"CHANGE_TEXT_FRAME", Operand::OnOff},
    {"CHANGE_TEXT_LINESPACE", Operand::PositiveReal},
    {"CHANGE_TEXT_RATIO", Operand::PositiveReal},
    {"CHANGE_TEXT_SIZE", Operand::PositiveReal},
    {"CHANGE_TEXT_SLANT", Operand::Real},
}};

const SelectionCommand* find_selection_command(const std::string& name) {
  for (const auto& c : kSelectionCommands)
    if (name == c.name) return &c;
  return nullptr;
}

// Walks the tokens of one command; every complaint names the command.
class Cursor {
 public:
  Cursor(std::vector<Token> tokens, std::string name)
      : tokens_(std::move(tokens)), name_(std::move(name)) {}

  bool at_end() const { return pos_ >= tokens_.size(); }
  const Token* peek() const { return at_end() ? nullptr : &tokens_[pos_]; }
  const Token& next(const char* expected) {
    if (at_end()) fail(format("expects ~A, but the line ends", expected));
    return tokens_[pos_++];
  }
  bool accept_word(std::string_view word) {
    if (peek() && peek()->is_word(upper(word))) {
      ++pos_;
      return true;
    }
    return false;
  }
  void expect_word(const char* word) {
    const Token& t = next(word);
    if (!t.is_word(word)) unexpected(t, word);
  }
  [[noreturn]] void unexpected(const Token& t, const char* expected) const {
    fail(format("expects ~A at column ~A, found \"~A\"", expected, static_cast<long long>(t.column),
                t.text));
  }
  [[noreturn]] void fail(const std::string& what) const {
    throw Error(format("~A: ~A", name_, what));
  }

 private:
  std::vector<Token> tokens_;
  std::size_t pos_ = 1;  // the command name is consumed
  std::string name_;
};

double number_operand(Cursor& in, bool positive) {
  const Token& t = in.next("a number");
  if (t.type != TokenType::Number) in.unexpected(t, "a number");
  const double d = t.value.as_double();
  if (positive && !(d > 0)) in.fail(format("expects a number greater than 0, found ~A", t.text));
  return d;
}

Value read_operand(Cursor& in, Operand kind) {
  switch (kind) {
    case Operand::Text: {
      const Token& t = in.next("a quoted text");
      if (t.type != TokenType::String) in.unexpected(t, "a quoted text");
      return Value::string(t.text);
    }
    case Operand::Color: {
      const Token& t = in.next("a colour name");
      if (t.type != TokenType::Word || !color_by_name(t.text)) in.unexpected(t, "a colour name");
      return Value::symbol(t.text);
    }
    case Operand::Linetype: {
      const Token& t = in.next("a line type");
      if (t.type != TokenType::Word || !is_linetype(t.text)) in.unexpected(t, "a line type");
      return Value::symbol(t.text);
    }
    case Operand::Adjust: {
      const Token& t = in.next("an adjust point 1 to 9");
      if (t.type != TokenType::Number || t.value.kind() != Kind::Integer ||
          t.value.as_integer() < 1 || t.value.as_integer() > 9)
        in.unexpected(t, "an adjust point 1 to 9");
      return t.value;
    }
    case Operand::Real:
      return Value::real(number_operand(in, false));
    case Operand::PositiveReal:
      return Value::real(number_operand(in, true));
    case Operand::OnOff: {
      if (in.accept_word("ON")) return Value::t();
      if (in.accept_word("OFF")) return Value::nil();
      in.unexpected(in.next("ON or OFF"), "ON or OFF");
    }
  }
  return {};
}

Selection read_selection(Cursor& in) {
  Selection s;
  s.global = in.accept_word("GLOBAL");
  if (in.accept_word("GEO"))
    s.category = Selection::Category::Geo;
  else if (in.accept_word("TEXTS"))
    s.category = Selection::Category::Texts;
  if (in.accept_word("INFOS")) {
    const Token& t = in.next("a quoted INFO name");
    if (t.type != TokenType::String) in.unexpected(t, "a quoted INFO name");
    s.info = t.text;
  } else {
    in.expect_word("ALL");
  }
  in.expect_word("END");
  return s;
}

void expect_line_end(const Cursor& in) {
  if (const Token* t = in.peek())
    in.fail(format("unexpected \"~A\" at column ~A after the end of the command", t->text,
                   static_cast<long long>(t->column)));
}

// AM_LOAD_SKETCH and am_create_drawing: keyword arguments, optionally closed by "cancel".
void read_keyword_args(Cursor& in, Command& cmd) {
  while (const Token* t = in.peek()) {
    if (t->is_word("CANCEL")) {
      in.next("cancel");
      expect_line_end(in);
      return;
    }
    if (t->type == TokenType::Word || t->type == TokenType::Open || t->type == TokenType::Close)
      in.unexpected(*t, "a keyword, a quoted text, a number or a point");
    cmd.args.push_back(token_value(in.next("an argument")));
  }
}

void read_load(Cursor& in, Command& cmd) {
  in.expect_word("SUBPART");
  const Token& path = in.next("a quoted file name");
  if (path.type != TokenType::String) in.unexpected(path, "a quoted file name");
  cmd.operand = Value::string(path.text);
  if (const Token* t = in.peek(); t && t->type == TokenType::Point)
    cmd.offset = in.next("a point").value.as_point();
  expect_line_end(in);
}

}  // namespace

bool is_selection_command(const std::string& name) {
  return find_selection_command(name) != nullptr;
}

Command parse_command(std::string_view line) {
  std::vector<Token> tokens;
  try {
    tokens = tokenize(line);
  } catch (const Error& e) {
    const std::string head(line.substr(0, line.find_first_of(" \t'\"(")));
    throw Error(
        format("~A: ~A", head.empty() ? std::string("command line") : upper(head), e.what()));
  }
  if (tokens.empty()) throw Error("command line: empty line");
  if (tokens.front().type != TokenType::Word)
    throw Error(format("command line: expects a command name at column 1, found \"~A\"",
                       tokens.front().text));
  Command cmd;
  cmd.name = tokens.front().text;
  Cursor in(std::move(tokens), cmd.name);
  if (const SelectionCommand* sc = find_selection_command(cmd.name)) {
    cmd.operand = read_operand(in, sc->operand);
    cmd.selection = read_selection(in);
    expect_line_end(in);
  } else if (cmd.name == "LOAD") {
    read_load(in, cmd);
  } else if (cmd.name == "AM_LOAD_SKETCH" || cmd.name == "AM_CREATE_DRAWING") {
    read_keyword_args(in, cmd);
  } else {
    throw Error(format("Unknown command: ~A", cmd.name));
  }
  return cmd;
}

}  // namespace host::commands
