// Host values: what crosses the host facade untyped (numbers, strings, keywords, lists, points).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class Value;
using List = std::vector<Value>;
// A callable host value: a control action, a dialog action, a command body.
using Function = std::function<Value(const List&)>;

enum class Kind {
  Nil,
  T,
  Integer,
  Ratio,
  Float,
  Complex,
  String,
  Keyword,
  Symbol,
  List,
  Point,
  Handle,
  Function
};

// What an opaque handle refers to in the host's stores.
enum class HandleKind { Sheet, Element, Drawing };

struct Point2 {
  double x = 0;
  double y = 0;
  bool operator==(const Point2&) const = default;
};

class Value {
 public:
  Value() = default;  // nil
  Value(const char* s);
  Value(std::string s);
  Value(std::string_view s);
  Value(int i);
  Value(long i);
  Value(long long i);
  Value(double d);
  Value(bool b);
  Value(List l);
  Value(Point2 p);

  static Value nil() { return {}; }
  static Value t();
  static Value integer(std::int64_t i);
  // Normalised: a ratio whose denominator divides the numerator becomes an integer.
  static Value ratio(std::int64_t num, std::int64_t den);
  static Value real(double d);
  static Value complex(double re, double im);
  static Value string(std::string s);
  static Value keyword(std::string_view name);  // stored upper case, without the colon
  static Value symbol(std::string_view name);   // stored upper case
  static Value list(List l);
  static Value point(double x, double y);
  static Value handle(HandleKind kind, std::uint64_t id);
  static Value function(Function f);

  Kind kind() const { return kind_; }
  bool is_nil() const { return kind_ == Kind::Nil; }
  // Everything but nil counts as true, as in the host language.
  bool truthy() const { return kind_ != Kind::Nil; }
  bool is_number() const;
  bool is_string() const { return kind_ == Kind::String; }
  bool is_keyword() const { return kind_ == Kind::Keyword; }
  bool is_keyword(std::string_view name) const;  // case-insensitive, with or without colon
  bool is_symbol() const { return kind_ == Kind::Symbol; }
  bool is_list() const { return kind_ == Kind::List || kind_ == Kind::Nil; }
  bool is_point() const { return kind_ == Kind::Point; }
  bool is_handle() const { return kind_ == Kind::Handle; }
  bool is_function() const { return kind_ == Kind::Function; }

  // Accessors throw host::Error when the value is of another kind.
  std::int64_t as_integer() const;
  double as_double() const;  // any real number kind
  std::int64_t numerator() const;
  std::int64_t denominator() const;
  double real_part() const;  // complex real part; a real number gives itself
  double imag() const;
  const std::string& as_string() const;  // string, keyword or symbol name
  const List& as_list() const;           // nil gives the empty list
  Point2 as_point() const;
  HandleKind handle_kind() const;
  std::uint64_t handle_id() const;
  const Function& as_function() const;
  Value call(const List& args = {}) const;

  // Structural equality; numbers compare numerically across kinds (2 = 2.0 = 4/2).
  bool operator==(const Value& other) const;

 private:
  Kind kind_ = Kind::Nil;
  std::int64_t i_ = 0;    // integer, ratio numerator, handle id
  std::int64_t den_ = 1;  // ratio denominator
  double d_ = 0;          // float, complex real part, point x
  double d2_ = 0;         // complex imaginary part, point y
  std::string s_;         // string, keyword, symbol
  std::shared_ptr<const List> list_;
  std::shared_ptr<const Function> fn_;
  HandleKind hk_ = HandleKind::Sheet;
};

Value kw(std::string_view name);  // shorthand for Value::keyword

// Numeric comparison across integer, ratio and float; complex numbers compare equal only.
bool numeric_equal(const Value& a, const Value& b);
// -1, 0, 1; throws host::Error for non-real numbers.
int numeric_compare(const Value& a, const Value& b);
// Division as the host does it: integers and ratios stay exact, floats stay floats.
Value numeric_divide(const Value& a, const Value& b);
Value numeric_subtract(const Value& a, const Value& b);

// Keyword-argument lists as the facade receives them: (:a 1 :b :c "x").
// Finds the value after a keyword; nullopt when absent. Values may themselves be keywords
// (:orientation :landscape), so value() gives whatever follows the key, nil at the end;
// flags (:accept) are asked with present().
class KeywordArgs {
 public:
  explicit KeywordArgs(const List& args) : args_(args) {}
  // It keeps a reference: a temporary list would be gone before the first look-up.
  explicit KeywordArgs(List&&) = delete;
  bool present(std::string_view key) const;
  std::optional<Value> value(std::string_view key) const;
  std::string string(std::string_view key, std::string fallback = "") const;
  double number(std::string_view key, double fallback) const;
  const List& all() const { return args_; }

 private:
  const List& args_;
};

}  // namespace host
