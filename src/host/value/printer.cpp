// The literal printer of the host language: "~S" form that the reader gives back as the same
// value, and "~A" form for texts shown to people.
#include <charconv>
#include <cmath>

#include "host/value/reader.h"

namespace host {

namespace {

const char* handle_name(HandleKind k) {
  switch (k) {
    case HandleKind::Sheet:
      return "SHEET";
    case HandleKind::Element:
      return "ELEMENT";
    case HandleKind::Drawing:
      return "DRAWING";
  }
  return "HANDLE";
}

// Shortest form that reads back as the same double; always marked as a float by a "." or
// an exponent, so that 1.0 never comes back as the integer 1.
std::string print_float(double d) {
  if (std::isnan(d)) return "#<NAN>";
  if (std::isinf(d)) return d > 0 ? "#<+INFINITY>" : "#<-INFINITY>";
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, d);
  std::string out(buf, r.ptr);
  if (out.find_first_of(".e") == std::string::npos) out += ".0";
  return out;
}

std::string print_integer(std::int64_t i) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, i);
  return std::string(buf, r.ptr);
}

std::string quote_string(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

using ElementPrinter = std::string (*)(const Value&);

std::string print_list(const List& items, ElementPrinter element) {
  std::string out = "(";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ' ';
    out += element(items[i]);
  }
  return out + ')';
}

// The forms shared by "~S" and "~A": everything but strings, names and lists.
std::string print_common(const Value& v) {
  switch (v.kind()) {
    case Kind::Nil:
      return "NIL";
    case Kind::T:
      return "T";
    case Kind::Integer:
      return print_integer(v.as_integer());
    case Kind::Ratio:
      return print_integer(v.numerator()) + "/" + print_integer(v.denominator());
    case Kind::Float:
      return print_float(v.as_double());
    case Kind::Complex:
      return "#C(" + print_float(v.real_part()) + " " + print_float(v.imag()) + ")";
    case Kind::Point: {
      const Point2 p = v.as_point();
      return "#2D(" + print_float(p.x) + " " + print_float(p.y) + ")";
    }
    case Kind::Handle:
      return "#<" + std::string(handle_name(v.handle_kind())) + " " +
             std::to_string(v.handle_id()) + ">";
    case Kind::Function:
      return "#<FUNCTION>";
    default:
      return {};
  }
}

}  // namespace

std::string print_literal(const Value& v) {
  switch (v.kind()) {
    case Kind::String:
      return quote_string(v.as_string());
    case Kind::Keyword:
      return ":" + v.as_string();
    case Kind::Symbol:
      return v.as_string();
    case Kind::List:
      return print_list(v.as_list(), print_literal);
    default:
      return print_common(v);
  }
}

std::string print_text(const Value& v) {
  switch (v.kind()) {
    case Kind::String:
    case Kind::Keyword:
    case Kind::Symbol:
      return v.as_string();
    case Kind::List:
      return print_list(v.as_list(), print_text);
    default:
      return print_common(v);
  }
}

}  // namespace host
