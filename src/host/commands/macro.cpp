// Parsing and evaluating the inquiry macros. The macro is evaluated statement by statement,
// so any arrangement of the same calls gives the same answer, not only the module's text.
#include "host/commands/macro.h"

#include <map>
#include <optional>

#include "host/api/commands.h"
#include "host/api/error.h"
#include "host/commands/tokens.h"
#include "host/drawing/store.h"
#include "host/value/format.h"
#include "host/value/reader.h"

namespace host::commands {

namespace {

constexpr int kMaxDepth = 64;

struct MacroFunction {
  const char* name;
  std::size_t arity;
};

constexpr MacroFunction kFunctions[] = {
    {"STR", 1},
    {"INQ", 1},
    {"DOCU_CSTRING_TO_LSTRING", 1},
    {"DOCU_OPEN_CONNECTION_TO_SD", 0},
    {"DOCU_ADD_LINE_TO_SD", 1},
    {"DOCU_CLOSE_CONNECTION_TO_SD", 0},
};

const MacroFunction* find_function(const std::string& name) {
  for (const auto& f : kFunctions)
    if (name == f.name) return &f;
  return nullptr;
}

[[noreturn]] void fail(const std::string& what, const std::string& keyword = "") {
  throw Error(format("INQ_PART: ~A", what), keyword);
}

class MacroParser {
 public:
  explicit MacroParser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  std::vector<Statement> statements() {
    std::vector<Statement> out;
    while (pos_ < tokens_.size()) out.push_back(statement());
    return out;
  }

 private:
  const Token& next(const char* expected) {
    if (pos_ >= tokens_.size()) fail(format("expects ~A, but the macro ends", expected));
    return tokens_[pos_++];
  }
  [[noreturn]] void unexpected(const Token& t, const char* expected) {
    fail(format("expects ~A at column ~A, found \"~A\"", expected, static_cast<long long>(t.column),
                t.text));
  }

  Statement statement() {
    Statement s;
    const Token& head = tokens_[pos_];
    if (head.is_word("INQ_PART")) {
      ++pos_;
      const Token& part = next("a quoted part name");
      if (part.type != TokenType::String) unexpected(part, "a quoted part name");
      s.type = Statement::Type::InqPart;
      s.name = part.text;
      if (s.name.size() >= 2 && s.name.front() == '[' && s.name.back() == ']')
        s.name = s.name.substr(1, s.name.size() - 2);
    } else if (head.is_word("LET")) {
      ++pos_;
      const Token& name = next("a variable name");
      if (name.type != TokenType::Word) unexpected(name, "a variable name");
      s.type = Statement::Type::Let;
      s.name = name.text;
      s.expr = term(0);
    } else {
      s.expr = term(0);
    }
    return s;
  }

  Expr term(int depth) {
    if (depth > kMaxDepth) fail("brackets nested too deeply");
    const Token& t = next("a value");
    Expr e;
    switch (t.type) {
      case TokenType::Open:
        return group(depth + 1);
      case TokenType::Close:
        unexpected(t, "a value");
      case TokenType::Word: {
        e.name = t.text;
        // "inq 104": a function that takes arguments takes the terms that follow it.
        const MacroFunction* f = find_function(e.name);
        if (!f || f->arity == 0) {
          e.type = Expr::Type::Name;
          return e;
        }
        e.type = Expr::Type::Call;
        for (std::size_t i = 0; i < f->arity; ++i) e.args.push_back(term(depth + 1));
        return e;
      }
      default:
        e.literal = token_value(t);
        return e;
    }
  }

  // "(x)" is x; "(f)" calls f without arguments; "(f a)" is the term f a.
  Expr group(int depth) {
    std::vector<Expr> items;
    while (true) {
      if (pos_ >= tokens_.size()) fail("a bracket is not closed");
      if (tokens_[pos_].type == TokenType::Close) break;
      items.push_back(term(depth));
    }
    ++pos_;
    if (items.empty()) return Expr{};
    Expr& head = items.front();
    const bool is_call =
        head.type == Expr::Type::Name && (find_function(head.name) || items.size() > 1);
    if (!is_call) {
      if (items.size() > 1) fail("a bracket holds several values but no function");
      return std::move(head);
    }
    Expr call;
    call.type = Expr::Type::Call;
    call.name = head.name;
    call.args.assign(std::make_move_iterator(items.begin() + 1),
                     std::make_move_iterator(items.end()));
    return call;
  }

  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
};

class Evaluator {
 public:
  void run(const Statement& s) {
    switch (s.type) {
      case Statement::Type::InqPart:
        select_part(s.name);
        break;
      case Statement::Type::Let:
        vars_[s.name] = eval(s.expr);
        break;
      case Statement::Type::Eval:
        last_ = eval(s.expr);
        break;
    }
  }

  std::string answer() const {
    if (!collected_) return last_.is_nil() ? std::string() : print_literal(last_);
    return *collected_;
  }

 private:
  void select_part(const std::string& unique_name) {
    for (const Sheet& sheet : current_drawing().sheets) {
      if (sheet.unique_name == unique_name) {
        part_ = sheet.id;
        return;
      }
    }
    fail(format("no part with the unique name \"~A\"", unique_name));
  }

  const Sheet& part() {
    Drawing& drawing = current_drawing();
    if (!part_) return drawing.current_sheet();
    if (const Sheet* sheet = drawing.find_sheet_by_id(*part_)) return *sheet;
    fail("the selected part no longer exists");
  }

  Value eval(const Expr& e) {
    switch (e.type) {
      case Expr::Type::Literal:
        return e.literal;
      case Expr::Type::Name: {
        if (auto it = vars_.find(e.name); it != vars_.end()) return it->second;
        if (find_function(e.name)) return call(e.name, {});
        fail(format("unknown name ~A", e.name));
      }
      case Expr::Type::Call: {
        List args;
        for (const Expr& a : e.args) args.push_back(eval(a));
        return call(e.name, args);
      }
    }
    return {};
  }

  Value call(const std::string& name, const List& args) {
    const MacroFunction* f = find_function(name);
    if (!f) fail(format("unknown function ~A", name));
    if (args.size() != f->arity)
      fail(format("~A takes ~A argument(s), not ~A", name, static_cast<long long>(f->arity),
                  static_cast<long long>(args.size())));
    if (name == "STR") return args[0].is_string() ? args[0] : Value::string(print_literal(args[0]));
    if (name == "INQ") return inquire(args[0]);
    if (name == "DOCU_CSTRING_TO_LSTRING") {
      if (!args[0].is_string())
        fail(format("~A expects a text, not ~A", name, print_literal(args[0])));
      return args[0];
    }
    if (name == "DOCU_OPEN_CONNECTION_TO_SD") {
      open_ = true;
      if (!collected_) collected_ = std::string();
      return Value::t();
    }
    if (name == "DOCU_ADD_LINE_TO_SD") {
      if (!open_) fail("DOCU_ADD_LINE_TO_SD without an open connection");
      if (!args[0].is_string())
        fail(format("~A expects a text, not ~A", name, print_literal(args[0])));
      if (!collected_->empty()) *collected_ += '\n';
      *collected_ += args[0].as_string();
      return Value::t();
    }
    open_ = false;  // DOCU_CLOSE_CONNECTION_TO_SD
    return Value::t();
  }

  // 104: lower-left corner of the part's content; 105: upper-right corner.
  Value inquire(const Value& what) {
    if (what.kind() != Kind::Integer || (what.as_integer() != 104 && what.as_integer() != 105))
      fail(format("inq ~A is not an inquiry of this host", print_literal(what)));
    const Sheet& sheet = part();
    const auto extent = sheet.extent();
    if (!extent)
      fail(format("the part \"~A\" is empty and has no extent", sheet.unique_name), "EMPTY-PART");
    const Vec2 corner = what.as_integer() == 104 ? extent->first : extent->second;
    return Value::point(corner.x, corner.y);
  }

  std::map<std::string, Value> vars_;
  std::optional<std::uint64_t> part_;
  bool open_ = false;
  std::optional<std::string> collected_;
  Value last_;
};

}  // namespace

std::vector<Statement> parse_macro(std::string_view text) {
  std::vector<Token> tokens;
  try {
    tokens = tokenize(text);
  } catch (const Error& e) {
    fail(e.what());
  }
  return MacroParser(std::move(tokens)).statements();
}

std::string run_macro(const std::vector<Statement>& macro) {
  Evaluator evaluator;
  for (const Statement& s : macro) evaluator.run(s);
  return evaluator.answer();
}

}  // namespace host::commands

namespace host {

Value sd_execute_annotator_function(const List& args) {
  const auto text = KeywordArgs(args).value("fnc");
  if (!text || !text->is_string())
    throw Error("sd_execute_annotator_function: expects :fnc and a macro text");
  return Value::string(commands::run_macro(commands::parse_macro(text->as_string())));
}

}  // namespace host
