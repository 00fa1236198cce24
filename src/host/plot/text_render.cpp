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

#include "host/api/error.h"
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

double line_width_of(cairo_t* cr, const char* text) {
  cairo_text_extents_t ext;
  cairo_text_extents(cr, text, &ext);
  return ext.x_advance;
}

bool usable(const TextProps& t) {
  return std::isfinite(t.size) && t.size > 0 && std::isfinite(t.ratio) && t.ratio > 0 &&
         std::isfinite(t.angle) && std::isfinite(t.slant) && std::isfinite(t.linespace);
}

#if defined(__SANITIZE_ADDRESS__)
// Cairo and fontconfig keep font caches for the whole process and lose track of parts of
// them; at exit of a sanitized build they are freed, so leak checks report only our leaks.
void free_font_caches() {
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

const char* font_family_for(const std::string& host_font) {
  if (icontains(host_font, "mono") || icontains(host_font, "courier")) return "DejaVu Sans Mono";
  if (icontains(host_font, "serif") || icontains(host_font, "roman") ||
      icontains(host_font, "times"))
    return "DejaVu Serif";
  // The host's plotter fonts (hp_*) and every other name print in the sans face.
  return "DejaVu Sans";
}

const FontCache::Face& FontCache::face(cairo_t* cr, const std::string& host_font) {
  for (const auto& f : faces_) {
    if (f.host_name == host_font) return f;
  }
  Face f;
  f.host_name = host_font;
  f.face = cairo_toy_font_face_create(font_family_for(host_font), CAIRO_FONT_SLANT_NORMAL,
                                      CAIRO_FONT_WEIGHT_NORMAL);
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

void draw_text(cairo_t* cr, const Element& e, FontCache& fonts) {
  const TextProps& t = e.text;
  if (!usable(t) || e.points.empty() || t.lines.empty()) return;
  std::size_t bytes = 0;
  for (const std::string& line : t.lines) bytes += line.size();
  if (bytes > kMaxTextBytes)
    throw Error("plot: a text of " + std::to_string(bytes) +
                " bytes is too long to plot (at most 1 MiB)");
  const FontCache::Face& face = fonts.face(cr, t.font);
  const double em = t.size / face.cap_height;
  const double slant = std::clamp(t.slant, -75.0, 75.0) * std::numbers::pi / 180;

  cairo_save(cr);
  cairo_translate(cr, e.points[0].x, e.points[0].y);
  cairo_rotate(cr, t.angle * std::numbers::pi / 180);
  cairo_scale(cr, 1, -1);  // glyphs are laid out with y down
  cairo_set_font_face(cr, face.face);
  cairo_matrix_t fm;
  cairo_matrix_init(&fm, em * t.ratio, 0, -std::tan(slant) * em, em, 0, 0);
  cairo_set_font_matrix(cr, &fm);

  const std::size_t n = t.lines.size();
  const double pitch = t.linespace * t.size;
  const double block_h = t.size + static_cast<double>(n - 1) * pitch;
  const int row = (std::clamp(t.adjust, 1, 9) - 1) / 3;  // 0 bottom, 1 middle, 2 top
  const int col = (std::clamp(t.adjust, 1, 9) - 1) % 3;  // 0 left, 1 centre, 2 right
  // Baseline of the first line, measured downwards from the adjust point.
  const double first = row == 2   ? t.size
                       : row == 1 ? t.size - block_h / 2
                                  : -static_cast<double>(n - 1) * pitch;

  // Some PDF renderers drop glyphs above about a thousand points (a text of half a metre at
  // scale 1); such texts are drawn as their outlines.
  double ux = 0, uy = em;
  cairo_user_to_device_distance(cr, &ux, &uy);
  const bool outline = std::hypot(ux, uy) > kLargestGlyphPt;

  std::string buffer;
  double block_w = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char* text = safe_utf8(t.lines[i], buffer);
    if (*text == '\0') continue;
    double w = (col != 0 || t.frame) ? line_width_of(cr, text) : 0;
    block_w = std::max(block_w, w);
    cairo_move_to(cr,
                  col == 0   ? 0
                  : col == 1 ? -w / 2
                             : -w,
                  first + static_cast<double>(i) * pitch);
    if (outline)
      cairo_text_path(cr, text);
    else
      cairo_show_text(cr, text);
  }
  if (outline) cairo_fill(cr);
  cairo_new_path(cr);
  if (t.frame) {
    const double margin = 0.3 * t.size;
    const double left = col == 0 ? 0 : col == 1 ? -block_w / 2 : -block_w;
    cairo_rectangle(cr, left - margin, first - t.size - margin, block_w + 2 * margin,
                    block_h + 2 * margin);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

}  // namespace host
