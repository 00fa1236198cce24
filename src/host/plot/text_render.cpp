// Text layout for plotting: the adjust point places the block of lines, the size is the
// height of a capital letter.
#include "host/plot/text_render.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string_view>
#include <vector>

#include "host/api/error.h"
#include "host/drawing/stroke_font.h"
#include "host/plot/font_lookup.h"
#include "host/value/text.h"

namespace host {
namespace {

// No text on paper holds a mebibyte; laying one out would take memory and time out of all
// proportion (a glyph record per character), so such a text stops the plot with an error.
constexpr std::size_t kMaxTextBytes = std::size_t{1} << 20;

// Length of the valid UTF-8 prefix; cairo refuses a whole context for one bad string.
std::size_t valid_utf8_prefix(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80           ? 1
                    : (c >> 5) == 0x6  ? 2
                    : (c >> 4) == 0xE  ? 3
                    : (c >> 3) == 0x1E ? 4
                                       : 0;
    if (n == 0 || i + n > s.size() || (n == 2 && c < 0xC2) || (n == 4 && c > 0xF4)) return i;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return i;
    }
    i += n;
  }
  return i;
}

// The text as cairo accepts it: invalid bytes become "?". Copies only when needed.
const char* safe_utf8(const std::string& s, std::string& buffer) {
  std::size_t ok = valid_utf8_prefix(s);
  if (ok == s.size()) return s.c_str();
  buffer.clear();
  std::string_view rest = s;
  while (!rest.empty()) {
    ok = valid_utf8_prefix(rest);
    buffer.append(rest.substr(0, ok));
    if (ok < rest.size()) {
      buffer += '?';
      ++ok;
    }
    rest.remove_prefix(ok);
  }
  return buffer.c_str();
}

bool usable(const TextProps& t) {
  return std::isfinite(t.size) && t.size > 0 && std::isfinite(t.ratio) && t.ratio > 0 &&
         std::isfinite(t.angle) && std::isfinite(t.slant) && std::isfinite(t.linespace);
}

#if defined(__SANITIZE_ADDRESS__)
// Cairo and fontconfig keep font caches for the whole process and lose track of parts of
// them; at exit of a sanitized build they are freed, so leak checks report only our leaks.
void free_font_caches() {
  release_font_faces();
  cairo_debug_reset_static_data();
  if (auto fc_fini = reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "FcFini"))) fc_fini();
}
const bool kFontCachesFreedAtExit = [] { return std::atexit(free_font_caches) == 0; }();
#endif

constexpr double kLargestGlyphPt = 1000;

}  // namespace

FontCache::~FontCache() {
  for (auto& f : faces_) cairo_font_face_destroy(f.face);
}

namespace {

// Single-stroke fonts of CAD programs; they have no outlines to print, so they share one
// sans face (the text's width factor keeps their proportions).
constexpr std::string_view kStrokeFonts[] = {
    "txt",     "simplex", "romans",   "romand",   "romanc",   "romant",   "complex",  "italic",
    "isocp",   "isocp2",  "isocp3",   "isoct",    "isoct2",   "isoct3",   "isocpeur", "iso",
    "gdt",     "amgdt",   "scriptc",  "scripts",  "greeks",   "greekc",   "italicc",  "italict",
    "gothice", "gothicg", "gothici",  "cyrillic", "cyriltlc", "syastro",  "symap",    "symath",
    "symeteo", "symusic", "ltypeshp", "bigfont",  "extfont",  "extfont2", "chineset", "spec"};

// TrueType files as STYLE tables name them, by the family they hold.
constexpr std::pair<std::string_view, std::string_view> kFontFiles[] = {
    {"arial", "Arial"},         {"arialbd", "Arial"},         {"ariali", "Arial"},
    {"arialn", "Arial Narrow"}, {"times", "Times New Roman"}, {"timesbd", "Times New Roman"},
    {"cour", "Courier New"},    {"courbd", "Courier New"},    {"calibri", "Calibri"},
    {"cambria", "Cambria"},     {"verdana", "Verdana"},       {"tahoma", "Tahoma"},
    {"georgia", "Georgia"},     {"consola", "Consolas"},      {"segoeui", "Segoe UI"}};

constexpr const char* kStrokeFontFamily = "Liberation Sans";

// The bare font name: no folder, no extension, lower case; `ext` gets the extension.
std::string bare_font_name(const std::string& font, std::string* ext = nullptr) {
  std::string name = lower(font);
  if (auto slash = name.find_last_of("/\\"); slash != std::string::npos) name.erase(0, slash + 1);
  if (auto dot = name.rfind('.'); dot != std::string::npos) {
    if (ext) *ext = name.substr(dot + 1);
    name.erase(dot);
  }
  return name;
}

// Advance of the text in the face, in capital heights.
double face_advance(cairo_t* cr, const FontCache::Face& f, std::string_view text) {
  if (text.empty()) return 0;
  std::string owned(text), buffer;
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_font_face(cr, f.face);
  cairo_set_font_size(cr, 100);
  cairo_text_extents_t ext;
  cairo_text_extents(cr, safe_utf8(owned, buffer), &ext);
  cairo_restore(cr);
  return ext.x_advance / 100 / f.cap_height;
}

// Advance of the text in single-stroke proportions, in capital heights.
double hershey_advance(cairo_t* cr, const FontCache::Face& f, std::string_view text) {
  std::string others;
  const double caps = stroke_advance(text, others);
  return caps + face_advance(cr, f, others) * kStrokeOtherStretch;
}

}  // namespace

std::string font_family_for(const std::string& font) {
  std::string ext;
  const std::string name = bare_font_name(font, &ext);
  if (ext == "shx" || (ext.empty() && std::find(std::begin(kStrokeFonts), std::end(kStrokeFonts),
                                                name) != std::end(kStrokeFonts)))
    return name == "monotxt" ? "Liberation Mono" : kStrokeFontFamily;
  if (ext == "ttf" || ext == "ttc" || ext == "otf") {
    for (auto [file, family] : kFontFiles)
      if (file == name) return std::string(family);
    return font.substr(font.find_last_of("/\\") + 1,
                       font.rfind('.') - font.find_last_of("/\\") - 1);
  }
  if (name.empty() || name.rfind("hp_", 0) == 0) {
    if (icontains(name, "mono") || icontains(name, "courier")) return "DejaVu Sans Mono";
    if (icontains(name, "serif") || icontains(name, "roman") || icontains(name, "times"))
      return "DejaVu Serif";
    return "DejaVu Sans";
  }
  return font;
}

const FontCache::Face& FontCache::face(cairo_t* cr, const std::string& host_font, bool bold,
                                       bool italic) {
  for (const auto& f : faces_) {
    if (f.host_name == host_font && f.bold == bold && f.italic == italic) return f;
  }
  Face f;
  f.host_name = host_font;
  f.bold = bold;
  f.italic = italic;
  f.stroke_metrics = has_stroke_proportions(host_font);
  f.face = resolved_font_face(font_family_for(host_font),
                              italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                              bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_font_face(cr, f.face);
  cairo_set_font_size(cr, 100);
  cairo_text_extents_t ext;
  cairo_text_extents(cr, "H", &ext);
  if (ext.height > 1) f.cap_height = ext.height / 100;
  cairo_restore(cr);
  faces_.push_back(std::move(f));
  return faces_.back();
}

double FontCache::advance(cairo_t* cr, const RunStyle& style, std::string_view text) {
  if (text.empty()) return 0;
  const Face& f = face(cr, style.font, style.bold, style.italic);
  const double caps = f.stroke_metrics ? hershey_advance(cr, f, text) : face_advance(cr, f, text);
  return caps * style.height * style.ratio;
}

double FontCache::stretch(cairo_t* cr, const RunStyle& style, std::string_view text) {
  const Face& f = face(cr, style.font, style.bold, style.italic);
  if (!f.stroke_metrics || text.empty()) return 1;
  const double own = face_advance(cr, f, text);
  return own > 0 ? hershey_advance(cr, f, text) / own : 1;
}

namespace {

constexpr double kStackScale = 0.6;  // as the layout sizes stacked fractions

// Shows `text` with its left end at (x, y), y up, in the run's style scaled by `scale`.
void show(cairo_t* cr, FontCache& fonts, const RunStyle& st, double x, double y,
          std::string_view text, double scale = 1) {
  if (text.empty()) return;
  const FontCache::Face& face = fonts.face(cr, st.font, st.bold, st.italic);
  const double em = st.height * scale / face.cap_height;
  // a font matrix cairo cannot invert would spoil the whole page, not just this run
  if (!(em > 1e-9 && em < 1e9) || !(st.ratio > 1e-6 && st.ratio < 1e6)) return;
  const double slant = std::clamp(st.slant, -75.0, 75.0) * std::numbers::pi / 180;
  cairo_set_font_face(cr, face.face);
  cairo_matrix_t fm;
  const double wide = em * st.ratio * fonts.stretch(cr, st, text);
  cairo_matrix_init(&fm, wide, 0, -std::tan(slant) * em, em, 0, 0);
  cairo_set_font_matrix(cr, &fm);
  std::string owned(text), buffer;
  const char* utf8 = safe_utf8(owned, buffer);
  // Some PDF renderers drop glyphs above about a thousand points (a text of half a metre at
  // scale 1); such texts are drawn as their outlines.
  double ux = 0, uy = em;
  cairo_user_to_device_distance(cr, &ux, &uy);
  if (std::hypot(ux, uy) > kLargestGlyphPt) {
    cairo_move_to(cr, x, -y);
    cairo_text_path(cr, utf8);  // tracking aside: such texts are titles, not tables
    cairo_fill(cr);
    return;
  }
  if (st.tracking == 1) {
    cairo_move_to(cr, x, -y);
    cairo_show_text(cr, utf8);
    return;
  }
  // Tracking widens the advance of every character.
  std::string_view rest = utf8;
  while (!rest.empty()) {
    std::size_t n = 1;
    while (n < rest.size() && (static_cast<unsigned char>(rest[n]) & 0xC0) == 0x80) ++n;
    std::string ch(rest.substr(0, n));
    cairo_text_extents_t ext;
    cairo_text_extents(cr, ch.c_str(), &ext);
    cairo_move_to(cr, x, -y);
    cairo_show_text(cr, ch.c_str());
    x += ext.x_advance * st.tracking;
    rest.remove_prefix(n);
  }
}

void rule(cairo_t* cr, double x0, double x1, double y, double height) {
  cairo_save(cr);
  cairo_set_line_width(cr, height * 0.07);
  cairo_set_dash(cr, nullptr, 0, 0);
  cairo_move_to(cr, x0, -y);
  cairo_line_to(cr, x1, -y);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void draw_piece(cairo_t* cr, FontCache& fonts, const TextPiece& p, double x, double y) {
  const double h = p.style.height;
  if (p.stack == '#') {
    const double up = fonts.advance(cr, p.style, p.text) * kStackScale;
    const double slash = fonts.advance(cr, p.style, "/") * kStackScale;
    show(cr, fonts, p.style, x, y + 0.4 * h, p.text, kStackScale);
    show(cr, fonts, p.style, x + up, y, "/", kStackScale);
    show(cr, fonts, p.style, x + up + slash, y, p.lower, kStackScale);
  } else if (p.stack) {
    const double up = fonts.advance(cr, p.style, p.text) * kStackScale;
    const double low = fonts.advance(cr, p.style, p.lower) * kStackScale;
    const bool centred = p.stack == '/';
    show(cr, fonts, p.style, x + (centred ? (p.width - up) / 2 : 0), y + 0.55 * h, p.text,
         kStackScale);
    show(cr, fonts, p.style, x + (centred ? (p.width - low) / 2 : 0), y - 0.2 * h, p.lower,
         kStackScale);
    if (centred) rule(cr, x, x + p.width, y + 0.45 * h, h);
  } else {
    show(cr, fonts, p.style, x, y, p.text);
  }
  if (p.style.underline) rule(cr, x, x + p.width, y - 0.2 * h, h);
  if (p.style.overline) rule(cr, x, x + p.width, y + 1.2 * h, h);
  if (p.style.strike) rule(cr, x, x + p.width, y + 0.5 * h, h);
}

void set_color(cairo_t* cr, const Rgb& c) {
  cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

// Plain left-adjusted texts need no widths; measuring them would only cost time.
bool needs_widths(const TextProps& t) {
  return t.fit_width > 0 || t.wrap_width > 0 || t.frame || t.background != 0 ||
         (std::clamp(t.adjust, 1, 9) - 1) % 3 != 0 || !t.formatted.empty();
}

// A box a text's background and frame go round, in the text's own frame, y up.
struct Box {
  double left, top, width, height;
};

// Text in columns has a box per column, each down to its own height (flowing text may
// leave the last one short); any other text has one box round all of its lines.
std::vector<Box> text_boxes(const TextProps& t, const TextBlock& block) {
  const double full = block.top - block.bottom;
  if (!(t.column_count > 1 && t.wrap_width > 0))
    return {{block.left, block.top, block.right - block.left, full}};
  std::vector<Box> boxes;
  for (int c = 0; c < t.column_count; ++c) {
    const double h = column_height(t, c);
    boxes.push_back({block.left + c * (t.wrap_width + t.column_gutter), block.top, t.wrap_width,
                     h > 0 ? h : full});
  }
  return boxes;
}

}  // namespace

void draw_text(cairo_t* cr, const Element& e, FontCache& fonts, StrokeResolver& pens) {
  const TextProps& t = e.text;
  if (!usable(t) || e.points.empty() || t.lines.empty()) return;
  std::size_t bytes = t.formatted.size();
  for (const std::string& line : t.lines) bytes += line.size();
  if (bytes > kMaxTextBytes)
    throw Error("plot: a text of " + std::to_string(bytes) +
                " bytes is too long to plot (at most 1 MiB)");
  TextMeasure measure = [&](const RunStyle& st, std::string_view text) {
    return fonts.advance(cr, st, text);
  };
  if (!needs_widths(t)) measure = [](const RunStyle&, std::string_view) { return 0.0; };
  const TextBlock block = layout_text(t, measure);

  cairo_save(cr);
  cairo_translate(cr, e.points[0].x, e.points[0].y);
  cairo_rotate(cr, t.angle * std::numbers::pi / 180);
  cairo_scale(cr, t.backward ? -1 : 1, t.upside_down ? -1 : 1);
  const auto [fx, fy] = fit_scale(t, block);
  cairo_scale(cr, fx, fy);
  cairo_scale(cr, 1, -1);  // glyphs are laid out with y down; positions below are y up
  cairo_new_path(cr);

  const std::vector<Box> boxes = text_boxes(t, block);
  if (t.background != 0) {
    const double m = std::max(0.0, t.background_margin - 1) * t.size;
    cairo_save(cr);
    // a coloured background prints as the text's plot prints its colours
    set_color(cr, t.background == 2 ? Rgb{1, 1, 1}
                                    : apply_color_mode(pens.color_mode(), t.background_color));
    for (const Box& b : boxes)
      cairo_rectangle(cr, b.left - m, -b.top - m, b.width + 2 * m, b.height + 2 * m);
    cairo_fill(cr);
    cairo_restore(cr);
  }
  const Rgb own = pens.printed(e.stroke).color;
  for (const TextLine& line : block.lines) {
    for (const TextPiece& p : line.pieces) {
      if (p.style.color) {
        Stroke run = e.stroke;
        run.color = *p.style.color;
        set_color(cr, pens.printed(run).color);
      } else {
        set_color(cr, own);
      }
      draw_piece(cr, fonts, p, line.x + p.x, line.baseline);
    }
  }
  cairo_new_path(cr);
  if (t.frame) {
    set_color(cr, own);
    const double margin = 0.3 * t.size;
    for (const Box& b : boxes)
      cairo_rectangle(cr, b.left - margin, -b.top - margin, b.width + 2 * margin,
                      b.height + 2 * margin);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

}  // namespace host
