// Spelling of texts and numbers in .mi files, and the rules an element must meet there.
#include "host/formats/mi_syntax.h"

#include <charconv>
#include <cmath>
#include <iterator>

#include "host/api/error.h"
#include "host/value/language.h"

namespace host::mi {

namespace {
struct KindSpelling {
  ElementKind kind;
  std::string_view word;
  int since;  // format version
};
constexpr KindSpelling kKinds[] = {
    {ElementKind::Line, "line", 1},
    {ElementKind::Polyline, "polyline", 1},
    {ElementKind::Rectangle, "rectangle", 1},
    {ElementKind::Circle, "circle", 1},
    {ElementKind::Arc, "arc", 1},
    {ElementKind::Text, "text", 1},
    {ElementKind::Fill, "fill", 2},
    {ElementKind::Point, "point", 2},
    {ElementKind::Mask, "mask", 2},
    {ElementKind::Image, "image", 2},
    {ElementKind::Group, "group", 2},
};

const KindSpelling& spelling(ElementKind kind) {
  for (const auto& k : kKinds)
    if (k.kind == kind) return k;
  throw Error(_("an element kind without a spelling in .mi files"));
}
}  // namespace

std::string_view kind_word(ElementKind kind) {
  return spelling(kind).word;
}

int kind_since(ElementKind kind) {
  return spelling(kind).since;
}

bool kind_from_word(std::string_view word, ElementKind& kind) {
  for (const auto& k : kKinds) {
    if (k.word == word) {
      kind = k.kind;
      return true;
    }
  }
  return false;
}

std::size_t utf8_length(const char* p, const char* end) {
  const auto b = [p](int i) { return static_cast<unsigned char>(p[i]); };
  const auto cont = [&b](int i) { return (b(i) & 0xC0) == 0x80; };
  const std::ptrdiff_t left = end - p;
  const unsigned char c = b(0);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return left >= 2 && cont(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (left < 3 || !cont(1) || !cont(2)) return 0;
    if (c == 0xE0 && b(1) < 0xA0) return 0;  // overlong
    if (c == 0xED && b(1) > 0x9F) return 0;  // surrogate
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (left < 4 || !cont(1) || !cont(2) || !cont(3)) return 0;
    if (c == 0xF0 && b(1) < 0x90) return 0;  // overlong
    if (c == 0xF4 && b(1) > 0x8F) return 0;  // beyond U+10FFFF
    return 4;
  }
  return 0;
}

void append_quoted(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '"';
  const char* p = s.data();
  const char* end = p + s.size();
  while (p < end) {
    const char* run = p;
    while (p < end) {
      const auto c = static_cast<unsigned char>(*p);
      if (c == '"' || c == '\\' || c < 0x20 || c == 0x7F) break;
      if (c < 0x80) {
        ++p;
        continue;
      }
      const std::size_t n = utf8_length(p, end);
      if (n == 0) break;
      p += n;
    }
    out.append(run, p);
    if (p == end) break;
    const auto c = static_cast<unsigned char>(*p++);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
  }
  out += '"';
}

void append_number(std::string& out, double v) {
  if (!std::isfinite(v))
    throw Error(_("A drawing holds a number that is not finite; it cannot be written"));
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, result.ptr);
}

void append_integer(std::string& out, long long v) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  out.append(buffer, result.ptr);
}

const char* element_problem(const Element& e) {
  const std::size_t n = e.points.size();
  switch (e.kind) {
    case ElementKind::Line:
    case ElementKind::Rectangle:
      if (n != 2) return N_("needs exactly 2 points");
      break;
    case ElementKind::Polyline:
      if (n < 2) return N_("needs at least 2 points");
      if (e.bulges.size() > n) return N_("has more bulges than points");
      break;
    case ElementKind::Circle:
    case ElementKind::Arc:
      if (n != 1) return N_("needs exactly 1 point (the centre)");
      if (!(e.radius >= 0)) return N_("has a negative radius");
      break;
    case ElementKind::Text:
      if (n != 1) return N_("needs exactly 1 point (the insertion point)");
      if (e.text.adjust < 1 || e.text.adjust > 9) return N_("has an adjust point outside 1..9");
      if (e.text.background < 0 || e.text.background > 2) return N_("has an unknown background");
      if (!(e.text.wrap_width >= 0)) return N_("has a negative wrap width");
      if (!(e.text.fit_width >= 0)) return N_("has a negative fit width");
      if (e.text.column_count < 0 || e.text.column_count > 1000)
        return N_("has a column count outside 0..1000");
      break;
    case ElementKind::Point:
      if (n != 1) return N_("needs exactly 1 point");
      break;
    case ElementKind::Image:
      if (n != 3 && n < 6)
        return N_("needs 3 points (lower left, lower right, upper left), then none or at least 3 "
               "(its clipping boundary)");
      break;
    case ElementKind::Fill:
    case ElementKind::Mask: {
      if (e.rings.empty()) return N_("has no ring");
      std::size_t total = 0;
      for (std::uint32_t r : e.rings) {
        if (r < 3) return N_("has a ring of fewer than 3 points");
        total += r;
      }
      if (total != n) return N_("has rings that do not add up to its points");
      break;
    }
    case ElementKind::Group:
      if (n < 3) return N_("needs at least 3 points (its outline)");
      if (!e.group) return N_("has no content");
      for (const auto& child : e.group->content())
        if (child.kind == ElementKind::Group) return N_("holds another group");
      break;
  }
  return nullptr;
}

}  // namespace host::mi
