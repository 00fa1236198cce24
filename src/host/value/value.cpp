// Host values: construction, accessors and structural equality.
#include "host/value/value.h"

#include "host/value/error.h"
#include "host/value/reader.h"
#include "host/value/text.h"
#include "host/value/wide.h"

namespace host {

Value::Value(const char* s) : kind_(Kind::String), s_(s ? s : "") {}
Value::Value(std::string s) : kind_(Kind::String), s_(std::move(s)) {}
Value::Value(std::string_view s) : kind_(Kind::String), s_(s) {}
Value::Value(int i) : kind_(Kind::Integer), i_(i) {}
Value::Value(long i) : kind_(Kind::Integer), i_(i) {}
Value::Value(long long i) : kind_(Kind::Integer), i_(i) {}
Value::Value(double d) : kind_(Kind::Float), d_(d) {}
Value::Value(bool b) : kind_(b ? Kind::T : Kind::Nil) {}
Value::Value(Point2 p) : kind_(Kind::Point), d_(p.x), d2_(p.y) {}

// The empty list is nil, as in the host language: both print as NIL and compare equal.
Value::Value(List l) {
  if (l.empty()) return;
  kind_ = Kind::List;
  list_ = std::make_shared<const List>(std::move(l));
}

Value Value::t() {
  Value v;
  v.kind_ = Kind::T;
  return v;
}

Value Value::integer(std::int64_t i) {
  return Value(static_cast<long long>(i));
}

Value Value::ratio(std::int64_t num, std::int64_t den) {
  if (den == 0) throw Error("Division by zero: " + std::to_string(num) + "/0");
  // 128-bit arithmetic: the sign cannot move from the smallest int64 without overflow.
  Wide n = num, d = den;
  if (d < 0) n = -n, d = -d;
  const Wide g = wide_gcd(n, d);
  n /= g;
  d /= g;
  if (!fits_int64(n) || !fits_int64(d))
    return Value(static_cast<double>(n) / static_cast<double>(d));
  if (d == 1) return integer(static_cast<std::int64_t>(n));
  Value v;
  v.kind_ = Kind::Ratio;
  v.i_ = static_cast<std::int64_t>(n);
  v.den_ = static_cast<std::int64_t>(d);
  return v;
}

Value Value::real(double d) {
  return Value(d);
}

Value Value::complex(double re, double im) {
  Value v;
  v.kind_ = Kind::Complex;
  v.d_ = re;
  v.d2_ = im;
  return v;
}

Value Value::string(std::string s) {
  return Value(std::move(s));
}

Value Value::keyword(std::string_view name) {
  Value v;
  v.kind_ = Kind::Keyword;
  v.s_ = upper(name.starts_with(':') ? name.substr(1) : name);
  return v;
}

Value Value::symbol(std::string_view name) {
  Value v;
  v.kind_ = Kind::Symbol;
  v.s_ = upper(name);
  return v;
}

Value Value::list(List l) {
  return Value(std::move(l));
}
Value Value::point(double x, double y) {
  return Value(Point2{x, y});
}

Value Value::handle(HandleKind kind, std::uint64_t id) {
  Value v;
  v.kind_ = Kind::Handle;
  v.hk_ = kind;
  v.i_ = static_cast<std::int64_t>(id);
  return v;
}

Value Value::function(Function f) {
  Value v;
  v.kind_ = Kind::Function;
  v.fn_ = std::make_shared<const Function>(std::move(f));
  return v;
}

bool Value::is_number() const {
  return kind_ == Kind::Integer || kind_ == Kind::Ratio || kind_ == Kind::Float ||
         kind_ == Kind::Complex;
}

bool Value::is_keyword(std::string_view name) const {
  if (kind_ != Kind::Keyword) return false;
  if (name.starts_with(':')) name.remove_prefix(1);
  return iequals(s_, name);
}

namespace {
[[noreturn]] void wrong_kind(const Value& v, const char* wanted) {
  throw Error("Not " + std::string(wanted) + ": " + print_literal(v));
}
}  // namespace

std::int64_t Value::as_integer() const {
  if (kind_ != Kind::Integer) wrong_kind(*this, "an integer");
  return i_;
}

double Value::as_double() const {
  switch (kind_) {
    case Kind::Integer:
      return static_cast<double>(i_);
    case Kind::Ratio:
      return static_cast<double>(i_) / static_cast<double>(den_);
    case Kind::Float:
      return d_;
    default:
      wrong_kind(*this, "a real number");
  }
}

std::int64_t Value::numerator() const {
  if (kind_ != Kind::Integer && kind_ != Kind::Ratio) wrong_kind(*this, "a rational number");
  return i_;
}

std::int64_t Value::denominator() const {
  if (kind_ != Kind::Integer && kind_ != Kind::Ratio) wrong_kind(*this, "a rational number");
  return den_;
}

double Value::real_part() const {
  if (kind_ == Kind::Complex) return d_;
  return as_double();
}

double Value::imag() const {
  if (kind_ == Kind::Complex) return d2_;
  if (!is_number()) wrong_kind(*this, "a number");
  return 0.0;
}

const std::string& Value::as_string() const {
  if (kind_ != Kind::String && kind_ != Kind::Keyword && kind_ != Kind::Symbol)
    wrong_kind(*this, "a string or name");
  return s_;
}

const List& Value::as_list() const {
  static const List empty;
  if (kind_ == Kind::Nil) return empty;
  if (kind_ != Kind::List) wrong_kind(*this, "a list");
  return *list_;
}

Point2 Value::as_point() const {
  if (kind_ != Kind::Point) wrong_kind(*this, "a 2D point");
  return {d_, d2_};
}

HandleKind Value::handle_kind() const {
  if (kind_ != Kind::Handle) wrong_kind(*this, "a handle");
  return hk_;
}

std::uint64_t Value::handle_id() const {
  if (kind_ != Kind::Handle) wrong_kind(*this, "a handle");
  return static_cast<std::uint64_t>(i_);
}

const Function& Value::as_function() const {
  if (kind_ != Kind::Function) wrong_kind(*this, "a function");
  return *fn_;
}

Value Value::call(const List& args) const {
  return as_function()(args);
}

bool Value::operator==(const Value& other) const {
  if (is_number() && other.is_number()) return numeric_equal(*this, other);
  if (kind_ != other.kind_) return false;
  switch (kind_) {
    case Kind::Nil:
    case Kind::T:
      return true;
    case Kind::String:
    case Kind::Keyword:
    case Kind::Symbol:
      return s_ == other.s_;
    case Kind::List:
      return list_ == other.list_ || *list_ == *other.list_;
    case Kind::Point:
      return d_ == other.d_ && d2_ == other.d2_;
    case Kind::Handle:
      return hk_ == other.hk_ && i_ == other.i_;
    case Kind::Function:
      return fn_ == other.fn_;
    default:
      return false;
  }
}

Value kw(std::string_view name) {
  return Value::keyword(name);
}

}  // namespace host
