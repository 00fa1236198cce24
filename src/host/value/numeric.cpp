// Arithmetic and comparison across the host's number kinds: integers and ratios stay exact,
// anything touching a float becomes a float, complex numbers only where they must.
#include <cmath>
#include <complex>

#include "host/value/error.h"
#include "host/value/reader.h"
#include "host/value/value.h"
#include "host/value/wide.h"

namespace host {

namespace {

bool is_rational(const Value& v) {
  return v.kind() == Kind::Integer || v.kind() == Kind::Ratio;
}
bool is_real(const Value& v) {
  return is_rational(v) || v.kind() == Kind::Float;
}

void require_number(const Value& v, const char* operation) {
  if (!v.is_number())
    throw Error(std::string("Not a number in ") + operation + ": " + print_literal(v));
}

// A result of 128-bit arithmetic; falls back to a float when it does not fit 64-bit parts.
Value make_rational(Wide n, Wide d) {
  if (d < 0) n = -n, d = -d;
  const Wide g = wide_gcd(n, d);
  n /= g;
  d /= g;
  if (fits_int64(n) && fits_int64(d))
    return Value::ratio(static_cast<std::int64_t>(n), static_cast<std::int64_t>(d));
  return Value(static_cast<double>(n) / static_cast<double>(d));
}

std::complex<double> as_complex(const Value& v) {
  return v.kind() == Kind::Complex ? std::complex<double>(v.real_part(), v.imag())
                                   : std::complex<double>(v.as_double(), 0.0);
}

Value from_complex(std::complex<double> c) {
  return Value::complex(c.real(), c.imag());
}

// Exact ordering of a rational n/d (d > 0) against a finite float.
int compare_rational_float(Wide n, Wide d, double f) {
  // long double holds every int64 and every double exactly; the product rounds only for
  // denominators the float cannot equal anyway, where the order is still right.
  const long double lhs = static_cast<long double>(n);
  const long double rhs = static_cast<long double>(f) * static_cast<long double>(d);
  return lhs < rhs ? -1 : (lhs > rhs ? 1 : 0);
}

int compare_reals(const Value& a, const Value& b) {
  if (is_rational(a) && is_rational(b)) {
    const Wide l = Wide(a.numerator()) * b.denominator();
    const Wide r = Wide(b.numerator()) * a.denominator();
    return l < r ? -1 : (l > r ? 1 : 0);
  }
  if (a.kind() == Kind::Float && b.kind() == Kind::Float) {
    const double x = a.as_double(), y = b.as_double();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  if (a.kind() == Kind::Float) return -compare_reals(b, a);
  const double f = b.as_double();
  if (std::isinf(f)) return f > 0 ? -1 : 1;
  return compare_rational_float(a.numerator(), a.denominator(), f);
}

}  // namespace

bool numeric_equal(const Value& a, const Value& b) {
  if (!a.is_number() || !b.is_number()) return false;
  if (a.kind() == Kind::Complex || b.kind() == Kind::Complex) return as_complex(a) == as_complex(b);
  if ((a.kind() == Kind::Float && std::isnan(a.as_double())) ||
      (b.kind() == Kind::Float && std::isnan(b.as_double())))
    return false;
  return compare_reals(a, b) == 0;
}

int numeric_compare(const Value& a, const Value& b) {
  if (!is_real(a) || !is_real(b))
    throw Error("Cannot order " + print_literal(a) + " and " + print_literal(b));
  if ((a.kind() == Kind::Float && std::isnan(a.as_double())) ||
      (b.kind() == Kind::Float && std::isnan(b.as_double())))
    throw Error("Cannot order " + print_literal(a) + " and " + print_literal(b));
  return compare_reals(a, b);
}

Value numeric_divide(const Value& a, const Value& b) {
  require_number(a, "division");
  require_number(b, "division");
  if (numeric_equal(b, Value(0)))
    throw Error("Division by zero: " + print_literal(a) + " / " + print_literal(b));
  if (is_rational(a) && is_rational(b))
    return make_rational(Wide(a.numerator()) * b.denominator(),
                         Wide(a.denominator()) * b.numerator());
  if (is_real(a) && is_real(b)) return Value(a.as_double() / b.as_double());
  return from_complex(as_complex(a) / as_complex(b));
}

Value numeric_subtract(const Value& a, const Value& b) {
  require_number(a, "subtraction");
  require_number(b, "subtraction");
  if (is_rational(a) && is_rational(b)) {
    const Wide n = Wide(a.numerator()) * b.denominator() - Wide(b.numerator()) * a.denominator();
    return make_rational(n, Wide(a.denominator()) * b.denominator());
  }
  if (is_real(a) && is_real(b)) return Value(a.as_double() - b.as_double());
  return from_complex(as_complex(a) - as_complex(b));
}

}  // namespace host
