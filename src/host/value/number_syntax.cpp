// Number syntax of the host language's reader, converted with std::from_chars only, so that
// the process locale can never turn "2.5" into 2 or 25.
#include "host/value/number_syntax.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace host {

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
// The host language marks floats of every precision; all of them read as doubles here.
bool is_exponent_marker(char c) {
  return std::string_view("eEdDfFsSlL").find(c) != std::string_view::npos;
}

std::size_t count_digits(std::string_view s, std::size_t from) {
  std::size_t n = 0;
  while (from + n < s.size() && is_digit(s[from + n])) ++n;
  return n;
}

// The pieces of a number token; empty views where a piece is absent.
struct Pieces {
  bool negative = false;
  std::string_view whole, fraction, denominator, exponent;
  bool slash = false, has_exponent = false;
};

bool split(std::string_view t, Pieces& p) {
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) p.negative = t[i++] == '-';
  const std::size_t w = count_digits(t, i);
  p.whole = t.substr(i, w);
  i += w;
  if (i < t.size() && t[i] == '/') {
    const std::size_t d = count_digits(t, i + 1);
    p.slash = true;
    p.denominator = t.substr(i + 1, d);
    return w > 0 && d > 0 && i + 1 + d == t.size();
  }
  if (i < t.size() && t[i] == '.') {
    const std::size_t f = count_digits(t, i + 1);
    p.fraction = t.substr(i + 1, f);
    i += 1 + f;
  }
  if (p.whole.empty() && p.fraction.empty()) return false;
  if (i < t.size() && is_exponent_marker(t[i])) {
    std::size_t e = i + 1;
    if (e < t.size() && (t[e] == '+' || t[e] == '-')) ++e;
    const std::size_t n = count_digits(t, e);
    if (n == 0) return false;
    p.has_exponent = true;
    p.exponent = t.substr(i + 1, e + n - i - 1);
    i = e + n;
  }
  return i == t.size();
}

// Digits without a sign; false when they do not fit 64 bits.
bool to_int64(std::string_view digits, bool negative, std::int64_t& out) {
  std::string text = negative ? "-" : "";
  text += digits;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// Roughly the power of ten of the number's leading digit; enough to tell an overflow
// from an underflow when the conversion reports that the value is out of range.
long long decimal_magnitude(const Pieces& p) {
  long long exponent = 0;
  if (p.has_exponent) {
    std::string_view e = p.exponent;
    const bool negative = e.starts_with('-');
    if (e.starts_with('+') || negative) e.remove_prefix(1);
    const auto r = std::from_chars(e.data(), e.data() + e.size(), exponent);
    if (r.ec != std::errc()) exponent = 1'000'000'000;  // far beyond any double either way
    if (negative) exponent = -exponent;
  }
  const auto lead = p.whole.find_first_not_of('0');
  if (lead != std::string_view::npos)
    return exponent + static_cast<long long>(p.whole.size() - lead);
  const auto frac_lead = p.fraction.find_first_not_of('0');
  if (frac_lead == std::string_view::npos) return -1;  // zero
  return exponent - static_cast<long long>(frac_lead);
}

NumberParse float_from(const Pieces& p) {
  std::string text = p.negative ? "-" : "";
  text += p.whole.empty() ? "0" : std::string(p.whole);
  text += '.';
  text += p.fraction.empty() ? "0" : std::string(p.fraction);
  if (p.has_exponent)
    text += 'e' + std::string(p.exponent.starts_with('+') ? p.exponent.substr(1) : p.exponent);
  double d = 0;
  const auto r =
      std::from_chars(text.data(), text.data() + text.size(), d, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Too small to represent is zero; too large is an error.
    if (decimal_magnitude(p) > 0) return {NumberParse::OutOfRange, {}};
    d = p.negative ? -0.0 : 0.0;
  } else if (r.ec != std::errc() || r.ptr != text.data() + text.size()) {
    return {};
  }
  return {NumberParse::Ok, Value(d)};
}

// Integers beyond 64 bits keep their magnitude as a float rather than stop being numbers.
NumberParse big_integer(const Pieces& p) {
  Pieces as_float = p;
  as_float.fraction = {};
  return float_from(as_float);
}

NumberParse ratio_from(const Pieces& p) {
  std::int64_t num = 0, den = 0;
  const bool num_ok = to_int64(p.whole, p.negative, num);
  const bool den_ok = to_int64(p.denominator, false, den);
  if (den_ok && den == 0) return {NumberParse::ZeroDenominator, {}};
  if (num_ok && den_ok) return {NumberParse::Ok, Value::ratio(num, den)};
  Pieces n = p, d = p;
  n.denominator = {};
  d.whole = p.denominator;
  d.negative = false;
  const NumberParse nf = big_integer(n), df = big_integer(d);
  if (nf.status != NumberParse::Ok) return nf;
  if (df.status != NumberParse::Ok) return df;
  if (df.value.as_double() == 0) return {NumberParse::ZeroDenominator, {}};
  return {NumberParse::Ok, Value(nf.value.as_double() / df.value.as_double())};
}

}  // namespace

NumberParse parse_number(std::string_view token) {
  Pieces p;
  if (!split(token, p)) return {};
  if (p.slash) return ratio_from(p);
  if (!p.has_exponent && p.fraction.empty()) {
    // "2" and "2." are integers.
    std::int64_t i = 0;
    if (to_int64(p.whole, p.negative, i)) return {NumberParse::Ok, Value::integer(i)};
    return big_integer(p);
  }
  return float_from(p);
}

}  // namespace host
