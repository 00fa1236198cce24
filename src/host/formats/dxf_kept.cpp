// Entities read from their kept groups, turned into host elements and block references.
#include "host/formats/dxf_kept.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/formats/dxf_entities.h"
#include "host/formats/dxf_hatch.h"

namespace host::dxf {
namespace {

// More strokes than this for one hatch pattern print as an even tone: the area is filled.
constexpr std::size_t kPatternLimit = 200'000;

bool in_paper(const Groups& groups) {
  for (const auto& [code, value] : groups) {
    if (code == 67) return to_real(value) != 0;
    if (code == 100 && value != "AcDbEntity") break;
  }
  return false;
}

}  // namespace

// One dimension variable, by its group code, as a tolerance frame uses it.
void KeptEntities::set_dim_variable(DimStyle& style, int code, const std::string& value) {
  const double v = to_real(value, -1);
  if (code == 140 && v > 0) style.text_height = v;
  // 0 is "scaled to the viewport": the frame is drawn as the style defines it
  if (code == 40 && v >= 0) style.scale = v > 0 ? v : 1;
  if ((code == 176 || code == 178) && v >= 0 && v <= 256)
    (code == 176 ? style.line_color : style.text_color) = static_cast<int>(v);
  if (code == 340) style.text_style = value;
}

void KeptEntities::set_dim_style(DimStyle& style, const Groups& groups) {
  for (const auto& [code, value] : groups) {
    if (code >= 1000) break;
    set_dim_variable(style, code, value);
  }
}

// An entity overrides variables of its dimension style in its ACAD XDATA: "DSTYLE", then
// between braces pairs of the variable's group code (1070) and its value.
void KeptEntities::override_dim_style(DimStyle& style, const Groups& groups) {
  bool acad = false, dstyle = false, inside = false;
  int pending = 0;
  for (const auto& [code, value] : groups) {
    if (code == 1001) {
      if (inside) break;
      acad = value == "ACAD";
      dstyle = false;
    } else if (acad && code == 1000 && !inside) {
      dstyle = value == "DSTYLE";
    } else if (dstyle && code == 1002) {
      if (value == "}") break;
      inside = value == "{";
    } else if (inside && pending == 0 && code == 1070) {
      pending = static_cast<int>(to_real(value));
    } else if (inside && pending != 0) {
      set_dim_variable(style, pending, value);
      pending = 0;
    }
  }
}

RawStroke stroke_of(const Groups& groups) {
  RawStroke s{std::string(1, '0')};
  bool seen_entity = false;
  bool got[5] = {};
  for (const auto& [code, value] : groups) {
    // the entity's own groups come before its subclass data, which repeats some codes
    if (code == 100) {
      if (value == "AcDbEntity") {
        seen_entity = true;
        continue;
      }
      if (seen_entity) break;
    }
    if (code == 8 && !got[0]) s.layer = value, got[0] = true;
    if (code == 62 && !got[1]) s.color = static_cast<int>(to_real(value, 256)), got[1] = true;
    if (code == 420 && !got[2]) s.color24 = static_cast<int>(to_real(value, -1)), got[2] = true;
    if (code == 370 && !got[3]) s.lineweight = static_cast<int>(to_real(value, -1)), got[3] = true;
    if (code == 6 && !got[4]) s.linetype = value, got[4] = true;
    if (code == 60) s.invisible = to_real(value) == 1;
  }
  return s;
}

void KeptEntities::add(const RawGroups& raw, bool in_block) {
  const std::string& kind = raw.entity;
  if (kind == "IMAGEDEF") {
    const std::string* handle = first_text(raw.groups, 5);
    const std::string* file = first_text(raw.groups, 1);
    if (handle && file) image_files_[*handle] = decoder_.to_utf8(*file);
    return;
  }
  if (kind == "PDFDEFINITION" || kind == "DWFDEFINITION" || kind == "DGNDEFINITION") {
    // the file an underlay shows and, for a PDF, the number of its page
    const std::string* handle = first_text(raw.groups, 5);
    const std::string* file = first_text(raw.groups, 1);
    const std::string* page = first_text(raw.groups, 2);
    if (handle && file)
      underlay_files_[*handle] = {decoder_.to_utf8(*file), kind == "PDFDEFINITION",
                                  page ? std::max(1, static_cast<int>(to_real(*page, 1))) : 1};
    return;
  }
  if (kind == "RASTERVARIABLES") {
    image_frames_ = raw.integer(70, 1);
    return;
  }
  if (kind == "WIPEOUTVARIABLES") {
    wipeout_frames_ = raw.integer(70, 0) == 1;
    return;
  }
  if (kind == "DIMSTYLE") {
    if (!raw.name.empty()) set_dim_style(dim_styles_[upper(raw.name)], raw.groups);
    return;
  }
  if (kind == "BLOCK_RECORD") {
    const std::string* handle = first_text(raw.groups, 5);
    if (handle && !raw.name.empty()) block_records_[*handle] = upper(raw.name);
    return;
  }
  const RawStroke stroke = stroke_of(raw.groups);
  const bool paper = in_paper(raw.groups);
  if (kind == "HATCH" || kind == "MPOLYGON") {
    hatch(raw, stroke, paper);
  } else if (kind == "MULTILEADER" || kind == "MLEADER") {
    multileader(raw, stroke, paper);
  } else if (kind == "ACAD_TABLE") {
    table(raw, stroke, paper, false);
  } else if (kind == "ARC_DIMENSION") {
    table(raw, stroke, paper, true);
  } else if (kind == "ATTDEF") {
    attdef(raw, stroke, paper, in_block);
  } else if (kind == "TOLERANCE") {
    tolerance(raw, stroke, paper);
  } else if (kind == "WIPEOUT") {
    std::vector<Vec2> outline = image_outline(raw.groups);
    if (outline.size() >= 3) fill({outline}, ElementKind::Mask, stroke, paper);
  } else if (kind == "IMAGE") {
    picture(raw, stroke, paper);
    // a picture whose clipping is switched off keeps its boundary only for later
    const bool clipped = first_real(raw.groups, 280, 1) != 0;
    polyline(image_outline(raw.groups, clipped), true, stroke, paper, kImageFrameMark);
  } else if (kind.ends_with("UNDERLAY")) {
    std::vector<Vec2> outline = image_outline(raw.groups);
    if (outline.size() >= 3)
      polyline(std::move(outline), true, stroke, paper);
    else
      underlay_frame(raw, stroke, paper);
  } else if (kind == "MESH") {
    for (const auto& [a, b] : mesh_edges(raw.groups)) polyline({a, b}, false, stroke, paper);
  } else if (kind == "HELIX") {
    polyline(helix_points(raw.groups), false, stroke, paper);
  } else if (kind == "MLINE") {
    bool closed = false;
    for (auto& line : mline_lines(raw.groups, closed))
      polyline(std::move(line), closed, stroke, paper);
  } else if (draws_proxy_graphic(kind)) {
    proxy(raw, stroke, paper);
  }
}

// A custom entity as its proxy graphic draws it; one without a graphic shows nothing, as in
// the CAD programs that do not know its kind.
void KeptEntities::proxy(const RawGroups& raw, const RawStroke& stroke, bool paper) {
  if (stroke.invisible) return;
  const std::string data = proxy_graphic_bytes(raw.groups);
  if (data.empty()) return;
  for (ProxyPiece& piece : decode_proxy_graphic(data, stroke, proxy_tables_, decoder_)) {
    if (piece.element.sketch == kXLineMark || piece.element.sketch == kRayMark)
      has_construction_ = true;
    assembly_.add(std::move(piece.element), std::move(piece.stroke), paper);
  }
}

// The picture of an IMAGE: its corners from the insertion point (lower left) and the pixel
// vectors times the size in pixels.
void KeptEntities::picture(const RawGroups& raw, const RawStroke& stroke, bool paper) {
  const std::string* def = first_text(raw.groups, 340);
  if (!def) return;
  const Vec2 o{first_real(raw.groups, 10), first_real(raw.groups, 20)};
  const Vec2 u{first_real(raw.groups, 11), first_real(raw.groups, 21)};
  const Vec2 v{first_real(raw.groups, 12), first_real(raw.groups, 22)};
  const double w = first_real(raw.groups, 13), h = first_real(raw.groups, 23);
  if (!(w > 0) || !(h > 0)) return;
  Element e;
  e.kind = ElementKind::Image;
  e.points = {o, {o.x + u.x * w, o.y + u.y * w}, {o.x + v.x * h, o.y + v.y * h}};
  // a clipping boundary, when clipping is on, cuts the picture
  const bool boundary = std::count_if(raw.groups.begin(), raw.groups.end(),
                                      [](const auto& g) { return g.first == 14; }) >= 2;
  if (boundary && first_real(raw.groups, 280, 1) != 0) {
    const std::vector<Vec2> cut = image_outline(raw.groups);
    if (cut.size() >= 3) e.points.insert(e.points.end(), cut.begin(), cut.end());
  }
  e.source = std::string(1, kImageMark) + *def;
  assembly_.add(std::move(e), stroke, paper);
}

// An underlay without a clipping boundary shows its whole page, whose size only its file
// knows: until the file is looked up, a closed polyline through the insertion point and the
// ends of one inch of the underlay along its x and y axes (scaled and turned), its source
// kImageMark and the handle of its definition.
void KeptEntities::underlay_frame(const RawGroups& raw, const RawStroke& stroke, bool paper) {
  const std::string* def = first_text(raw.groups, 340);
  if (!def) return;
  const Vec2 o{first_real(raw.groups, 10), first_real(raw.groups, 20)};
  const double sx = first_real(raw.groups, 41, 1), sy = first_real(raw.groups, 42, 1);
  const double turn = first_real(raw.groups, 50) * std::numbers::pi / 180;
  const double c = std::cos(turn), s = std::sin(turn);
  Element e;
  e.kind = ElementKind::Polyline;
  e.closed = true;
  e.points = {o, {o.x + c * sx, o.y + s * sx}, {o.x - s * sy, o.y + c * sy}};
  e.source = std::string(1, kImageMark) + *def;
  assembly_.add(std::move(e), stroke, paper);
}

void KeptEntities::hatch(const RawGroups& raw, const RawStroke& stroke, bool paper) {
  Hatch h = parse_hatch(raw.groups, raw.entity == "MPOLYGON");
  if (h.rings.empty()) return;
  const Affine ocs = ocs_transform(h.extrusion_xy.x, h.extrusion_xy.y, h.extrusion_z);
  for (auto& ring : h.rings)
    for (auto& p : ring) p = ocs.apply(p);
  for (auto& line : h.pattern) {
    line.base = ocs.apply(line.base);
    line.offset = ocs.apply_vector(line.offset);
    if (ocs.det() < 0) line.angle = 180 - line.angle;
  }
  hatch_area(h, stroke, paper);
  // a polygon's boundary shows over its fill, in its own colour
  if (h.boundary_lines)
    for (auto& ring : h.rings) polyline(std::move(ring), true, stroke, paper);
}

void KeptEntities::hatch_area(const Hatch& h, const RawStroke& stroke, bool paper) {
  RawStroke fill_stroke = stroke;
  if (h.fill_rgb >= 0) fill_stroke.color24 = h.fill_rgb;
  if (h.fill_rgb < 0 && h.fill_aci > 0) fill_stroke.color = h.fill_aci;
  if (h.solid) {
    fill(h.rings, ElementKind::Fill, fill_stroke, paper);
    return;
  }
  PatternStrokes strokes = pattern_strokes(h.rings, h.pattern, kPatternLimit);
  if (strokes.too_dense) {
    fill(h.rings, ElementKind::Fill, stroke, paper);
    return;
  }
  for (const auto& [a, b] : strokes.dashes) {
    Element e;
    e.kind = ElementKind::Line;
    e.points = {a, b};
    assembly_.add(std::move(e), stroke, paper);
  }
  for (const Vec2& p : strokes.dots) {
    Element e;
    e.kind = ElementKind::Point;
    e.points = {p};
    assembly_.add(std::move(e), stroke, paper);
  }
}

namespace {

// A multileader's part in its own colour; "by block" is the multileader's.
RawStroke in_color(RawStroke s, std::optional<std::uint32_t> raw) {
  if (!raw) return s;
  const std::uint32_t value = *raw & 0xFFFFFF;
  switch (*raw >> 24) {
    case 0xC0:
      s.color = 256, s.color24 = -1;
      break;
    case 0xC2:
      s.color24 = static_cast<int>(value);
      break;
    case 0xC3:
      if (value >= 1 && value <= 255) s.color = static_cast<int>(value), s.color24 = -1;
      break;
    default:
      break;
  }
  return s;
}

}  // namespace

void KeptEntities::multileader(const RawGroups& raw, const RawStroke& entity, bool paper) {
  MLeader m = parse_multileader(raw.groups);
  const RawStroke stroke = in_color(entity, m.text_color);
  const RawStroke lines = in_color(entity, m.line_color);
  for (auto& line : m.lines) polyline(std::move(line), false, lines, paper);
  for (auto& arrow : m.arrows) fill({arrow}, ElementKind::Fill, lines, paper);
  if (m.text) {
    Element e;
    e.kind = ElementKind::Text;
    e.points = {m.text->at};
    e.text.size = m.text->height;
    e.text.angle = m.text->angle < 0 ? m.text->angle + 360 : m.text->angle;
    text(std::move(e), m.text->content, m.text->attachment, stroke, paper);
  }
  if (m.block) {
    auto it = block_records_.find(m.block->record);
    if (it == block_records_.end()) return;
    BlockRef ref;
    ref.name = it->second;
    ref.stroke = in_color(entity, m.block_color);
    ref.insertion = m.block->at;
    ref.sx = m.block->sx;
    ref.sy = m.block->sy;
    ref.angle = m.block->angle;
    assembly_.add(std::move(ref), paper);
  }
}

// A table draws its anonymous block at its insertion point along its direction; an arc
// dimension's block holds its content where it stands, like any dimension's.
void KeptEntities::table(const RawGroups& raw, const RawStroke& stroke, bool paper, bool world) {
  if (raw.name.empty()) return;
  BlockRef ref;
  ref.name = upper(raw.name);
  ref.stroke = stroke;
  if (world) {
    if (auto base = assembly_.block_base(ref.name)) ref.insertion = *base;
  } else {
    ref.insertion = {first_real(raw.groups, 10), first_real(raw.groups, 20)};
    const double dx = first_real(raw.groups, 11, 1), dy = first_real(raw.groups, 21);
    ref.angle = std::atan2(dy, dx) * 180 / std::numbers::pi;
  }
  assembly_.add(std::move(ref), paper);
}

// An attribute definition outside a block shows its tag, as CAD programs show it; inside a
// block only a constant one shows (its value), the others become the references' ATTRIBs.
void KeptEntities::attdef(const RawGroups& raw, const RawStroke& stroke, bool paper,
                          bool in_block) {
  const int flags = raw.integer(70, 0);
  if (flags & 1) return;
  if (in_block && !(flags & 2)) return;
  const std::string* value = in_block ? first_text(raw.groups, 1) : &raw.name;
  if (!value || value->empty()) return;
  Element e;
  e.kind = ElementKind::Text;
  e.text.lines = {plain_text(decoder_.to_utf8(*value))};
  e.text.size = raw.real(40, 2.5);
  e.text.angle = raw.real(50, 0);
  // the definition's own text style gives the font, and the width and slant it leaves out
  const std::string* style_name = first_text(raw.groups, 7);
  const TextStyle& style = styles_.find(style_name ? *style_name : std::string());
  if (!style.font.empty()) e.text.font = style.font;
  e.text.ratio = raw.real(41, style.ratio) > 0 ? raw.real(41, style.ratio) : 1;
  e.text.slant = raw.real(51, style.slant);
  // The text's generation flags and horizontal alignment come first; the attribute's own
  // part repeats codes 71 and 72.
  auto first_int = [&](int code) {
    const double v = first_real(raw.groups, code);
    return v >= 0 && v <= 255 ? static_cast<int>(v) : 0;
  };
  const int generation = first_int(71);
  e.text.backward = generation & 2;
  e.text.upside_down = generation & 4;
  const int halign = first_int(72), valign = raw.integer(74, 0);
  const bool aligned = (halign != 0 || valign != 0) && halign != 3 && halign != 5;
  Vec2 at{first_real(raw.groups, 10), first_real(raw.groups, 20)};
  if (aligned && raw.has(11)) at = {first_real(raw.groups, 11), first_real(raw.groups, 21)};
  e.points = {at};
  const int col = halign == 1 || halign == 4 ? 1 : halign == 2 ? 2 : 0;
  const int row = halign == 4 || valign == 2 ? 1 : valign == 3 ? 2 : 0;
  e.text.adjust = row * 3 + col + 1;
  if (valign == 1 && aligned && raw.has(11) && halign != 4) stand_on_descenders(e);
  assembly_.add(std::move(e), stroke, paper);
}

void KeptEntities::tolerance(const RawGroups& raw, const RawStroke& stroke, bool paper) {
  const std::string* name = first_text(raw.groups, 3);
  const auto it = dim_styles_.find(upper(name ? *name : std::string("STANDARD")));
  DimStyle style = it != dim_styles_.end() ? it->second : DimStyle{};
  override_dim_style(style, raw.groups);
  ToleranceFrame t = tolerance_frame(raw.groups, style.text_height * style.scale);
  auto coloured = [&](int color) {
    RawStroke s = stroke;
    if (color != 0) s.color = color, s.color24 = -1;
    return s;
  };
  for (auto& box : t.boxes) polyline(std::move(box), true, coloured(style.line_color), paper);
  const std::string& font = styles_.find_handle(style.text_style).font;
  for (const auto& [at, content] : t.texts) {
    Element e;
    e.kind = ElementKind::Text;
    e.points = {at};
    e.text.size = t.height;
    e.text.angle = t.angle < 0 ? t.angle + 360 : t.angle;
    if (!font.empty()) e.text.font = font;
    text(std::move(e), content, 5, coloured(style.text_color), paper);
  }
}

void KeptEntities::polyline(std::vector<Vec2> points, bool closed, const RawStroke& stroke,
                            bool paper, const char* mark) {
  if (points.size() < 2) return;
  Element e;
  e.sketch = mark;
  e.kind = ElementKind::Polyline;
  e.points = std::move(points);
  e.closed = closed;
  assembly_.add(std::move(e), stroke, paper);
}

void KeptEntities::fill(const std::vector<std::vector<Vec2>>& rings, ElementKind kind,
                        const RawStroke& stroke, bool paper) {
  Element e;
  e.kind = kind;
  for (const auto& ring : rings) {
    if (ring.size() < 3) continue;
    e.rings.push_back(static_cast<std::uint32_t>(ring.size()));
    e.points.insert(e.points.end(), ring.begin(), ring.end());
  }
  if (!e.rings.empty()) assembly_.add(std::move(e), stroke, paper);
}

// MTEXT content at the attachment point (1 top left .. 9 bottom right).
void KeptEntities::text(Element e, const std::string& content, int attachment,
                        const RawStroke& stroke, bool paper) {
  MText m = parse_mtext(decoder_.to_utf8(content));
  if (m.lines.empty()) return;
  e.text.lines = std::move(m.lines);
  e.text.ratio = m.ratio;
  e.text.slant = m.slant;
  const int attach = std::clamp(attachment, 1, 9);
  e.text.adjust = (2 - (attach - 1) / 3) * 3 + (attach - 1) % 3 + 1;
  assembly_.add(std::move(e), stroke, paper);
}

}  // namespace host::dxf
