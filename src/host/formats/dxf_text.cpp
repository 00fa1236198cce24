// Text in DXF files: code pages, \U+XXXX escapes, %% control codes and MTEXT formatting.
#include "host/formats/dxf_text.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "host/drawing/stroke_font.h"
#include "host/drawing/text_layout.h"
#include "host/formats/dxf_style.h"
#include "host/value/text.h"

namespace host::dxf {
namespace {

// cp1252 0x80..0x9F; 0 marks the five unassigned bytes (kept as U+0080.. like Latin-1).
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Invalid bytes come back as U+FFFD.
char32_t next_code_point(std::string_view s, std::size_t& i) {
  auto b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80) return b;
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
  if (extra < 0 || i + extra > s.size()) return 0xFFFD;
  char32_t c = b & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    auto cont = static_cast<unsigned char>(s[i]);
    if ((cont & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (cont & 0x3F);
    ++i;
  }
  return c;
}

bool all_ascii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

// "\U+XXXX" at s[i]: the code point, or 0 when it is not such an escape.
char32_t unicode_escape_at(std::string_view s, std::size_t i) {
  if (i + 7 > s.size() || s[i] != '\\' || (s[i + 1] != 'U' && s[i + 1] != 'u') || s[i + 2] != '+')
    return 0;
  unsigned value = 0;
  auto [ptr, ec] = std::from_chars(s.data() + i + 3, s.data() + i + 7, value, 16);
  if (ec != std::errc() || ptr != s.data() + i + 7) return 0;
  return value;
}

std::string convert_with_iconv(const std::string& from, std::string_view bytes) {
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return cp1252_to_utf8(bytes);
  std::string in(bytes);
  std::string out(bytes.size() * 4 + 4, '\0');
  char* inp = in.data();
  char* outp = out.data();
  std::size_t inleft = in.size();
  std::size_t outleft = out.size();
  std::size_t rc = iconv(cd, &inp, &inleft, &outp, &outleft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return cp1252_to_utf8(bytes);
  out.resize(out.size() - outleft);
  return out;
}

}  // namespace

void TextDecoder::set_version(std::string_view acadver) {
  // AC1021 (R2007) and later store UTF-8.
  utf8_ = acadver.size() == 6 && acadver.substr(0, 2) == "AC" && acadver >= "AC1021";
}

void TextDecoder::set_codepage(std::string_view dwgcodepage) {
  const std::string name = upper(dwgcodepage);
  if (name.rfind("ANSI_", 0) == 0 && name.size() > 5) {
    codepage_ = "CP" + name.substr(5);
  } else if (name == "UTF8" || name == "UTF-8") {
    utf8_ = true;
  }
}

std::string TextDecoder::to_utf8(std::string_view raw) const {
  if (utf8_ || all_ascii(raw)) return std::string(raw);
  // Writers that put UTF-8 into older files are common; genuine cp1252 text practically
  // never forms valid multi-byte UTF-8 sequences.
  if (is_valid_utf8(raw)) return std::string(raw);
  if (codepage_ == "CP1252") return cp1252_to_utf8(raw);
  return convert_with_iconv(codepage_, raw);
}

std::string cp1252_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    char32_t c = b;
    if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80] != 0) c = kCp1252High[b - 0x80];
    append_utf8(out, c);
  }
  return out;
}

bool is_valid_utf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    if (next_code_point(s, i) == 0xFFFD) return false;
  }
  return true;
}

std::string decode_unicode_escapes(std::string_view s) {
  if (s.find('\\') == std::string_view::npos) return std::string(s);
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (char32_t c = unicode_escape_at(s, i)) {
      append_utf8(out, c);
      i += 7;
    } else {
      out += s[i++];
    }
  }
  return out;
}

std::string plain_text(std::string_view s) {
  std::string decoded = decode_unicode_escapes(s);
  if (decoded.find("%%") == std::string::npos) return decoded;
  std::string out;
  out.reserve(decoded.size());
  for (std::size_t i = 0; i < decoded.size();) {
    if (decoded.compare(i, 2, "%%") != 0 || i + 2 >= decoded.size()) {
      out += decoded[i++];
      continue;
    }
    switch (lower_ascii(decoded[i + 2])) {
      case 'd':
        append_utf8(out, 0x00B0);
        break;
      case 'p':
        append_utf8(out, 0x00B1);
        break;
      case 'c':
        append_utf8(out, 0x2300);
        break;
      case '%':
        out += '%';
        break;
      case 'u':
      case 'o':
      case 'k':
        break;
      default:
        out += decoded.substr(i, 3);
    }
    i += 3;
  }
  return out;
}

namespace {

// The argument of a format code such as \H2.5; (up to the semicolon) starting at s[i].
std::string_view code_argument(std::string_view s, std::size_t& i) {
  std::size_t end = s.find(';', i);
  if (end == std::string_view::npos) end = s.size();
  std::string_view arg = s.substr(i, end - i);
  i = std::min(end + 1, s.size());
  return arg;
}

double leading_number(std::string_view arg, double fallback) {
  double value = fallback;
  auto [ptr, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), value);
  return ec == std::errc() ? value : fallback;
}

}  // namespace

MText parse_mtext(std::string_view s) {
  MText m;
  m.lines = formatted_plain_lines(decode_unicode_escapes(s));
  for (auto& l : m.lines) l = plain_text(l);
  // Width and oblique codes ahead of the first visible character apply to the whole text.
  for (std::size_t i = 0; i + 1 < s.size() && (s[i] == '\\' || s[i] == '{');) {
    if (s[i] == '{') {
      ++i;
      continue;
    }
    const char code = s[i + 1];
    if (std::string_view("WQHACcfFTp").find(code) == std::string_view::npos) break;
    i += 2;
    const double v = leading_number(std::string_view("WQHTA").find(code) != std::string_view::npos
                                        ? numeric_argument(s, i)
                                        : code_argument(s, i),
                                    code == 'W' ? 1 : 0);
    if (code == 'W' && v > 0) m.ratio = v;
    if (code == 'Q') m.slant = v;
  }
  return m;
}

namespace {

std::string number_text(double v) {
  char buf[32];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, ptr) : std::string("1");
}

// Rewrites the codes that depend on the file (heights, palette colours) into their
// self-contained form; everything else is copied as it is.
std::string normalized_codes(std::string_view s, double height) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] != '\\' || i + 1 >= s.size()) {
      out += s[i++];
      continue;
    }
    const char code = s[i + 1];
    if (code != 'H' && code != 'C') {
      out.append(s.substr(i, 2));
      i += 2;
      continue;
    }
    std::size_t at = i + 2;
    std::string_view arg = numeric_argument(s, at);
    const bool relative = !arg.empty() && (arg.back() == 'x' || arg.back() == 'X');
    const double v = leading_number(arg, -1);
    if (code == 'H' && !relative && v > 0 && height > 0) {
      out += "\\H" + number_text(v / height) + "x;";
    } else if (code == 'C' && v >= 1 && v <= 255) {
      const Rgb c = aci_to_rgb(static_cast<int>(v));
      const int rgb = rgb_to_true_color(c);
      const int bgr = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
      out += "\\c" + std::to_string(bgr) + ";";
    } else {
      out.append(s.substr(i, at - i));
    }
    i = at;
  }
  return out;
}

}  // namespace

MTextContent mtext_to_formatted(std::string_view utf8, double height) {
  MTextContent m;
  m.formatted = normalized_codes(plain_text(utf8), height);
  m.lines = formatted_plain_lines(m.formatted);
  // Width and oblique codes ahead of plain lines are the text's own width and slant.
  std::string_view rest = m.formatted;
  double ratio = 1, slant = 0;
  while (rest.size() > 2 && rest[0] == '\\' && (rest[1] == 'W' || rest[1] == 'Q')) {
    std::size_t at = 2;
    std::string_view arg = numeric_argument(rest, at);
    if (arg.empty() || arg.back() == 'x') break;
    (rest[1] == 'W' ? ratio : slant) = leading_number(arg, rest[1] == 'W' ? 1 : 0);
    rest.remove_prefix(at);
  }
  if (mtext_content(m.lines) == rest && ratio > 0) {
    m.formatted.clear();
    m.ratio = ratio;
    m.slant = slant;
  }
  return m;
}

void mtext_box(TextProps& t, const RawGroups& r, double width) {
  if (width > 0 && std::isfinite(width)) t.wrap_width = width;
  const int flags = r.integer(90, 0);
  if (flags & 2) {
    t.background = 2;
  } else if (flags & 1) {
    t.background = 1;
    t.background_color =
        r.has(421) ? true_color_to_rgb(r.integer(421, 0)) : aci_to_rgb(r.integer(63, 7));
  }
  const double margin = r.real(45, 1.5);
  if (t.background != 0 && margin >= 1 && margin <= 5) t.background_margin = margin;
  t.frame = flags & 16;
  // Dynamic columns hold the whole text, which flows on from column to column; static
  // ones are entities of their own.
  const MTextColumns& c = r.columns;
  // the defined height (the entity's own, or of its columns) is the height of its box
  const double defined = c.defined_height > 0 ? c.defined_height : r.real(46, 0);
  if (defined > 0 && std::isfinite(defined)) t.column_heights = {defined};
  if (c.type == 2 && c.count > 1 && c.count <= 100) {
    t.column_count = c.count;
    if (c.width > 0) t.wrap_width = c.width;
    t.column_gutter = std::max(0.0, c.gutter);
    if (defined > 0 && (c.auto_height || c.heights.empty())) {
      t.column_heights = {defined};
    } else if (!c.heights.empty()) {
      t.column_heights = c.auto_height ? std::vector<double>{c.heights.front()} : c.heights;
    }
  }
}

std::string utf8_to_cp1252(std::string_view s) {
  if (all_ascii(s) && std::none_of(s.begin(), s.end(), [](char c) { return c < 0x20; }))
    return std::string(s);
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = next_code_point(s, i);
    if (c >= 0x20 && c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    if (c >= 0xA0 && c <= 0xFF) {
      out += static_cast<char>(c);
      continue;
    }
    auto high = std::find(kCp1252High.begin(), kCp1252High.end(), c);
    if (c >= 0x100 && high != kCp1252High.end()) {
      out += static_cast<char>(0x80 + (high - kCp1252High.begin()));
      continue;
    }
    if (c > 0xFFFF) c = 0xFFFD;  // \U+ escapes carry four hex digits
    char buf[8];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<unsigned>(c), 16);
    std::string hex(buf, ptr);
    hex = upper(hex);
    out += "\\U+" + std::string(4 - hex.size(), '0') + hex;
  }
  return out;
}

std::string mtext_content(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (n > 0) out += "\\P";
    for (char c : lines[n]) {
      if (c == '\\' || c == '{' || c == '}') out += '\\';
      out += c;
    }
  }
  return out;
}

void stand_on_descenders(Element& e) {
  if (e.points.empty()) return;
  const double up = descent_share(e.text.font) * e.text.size * (e.text.upside_down ? -1 : 1);
  const double a = e.text.angle * std::numbers::pi / 180;
  if (!std::isfinite(up) || !std::isfinite(a)) return;
  e.points[0].x -= std::sin(a) * up;
  e.points[0].y += std::cos(a) * up;
}

}  // namespace host::dxf
