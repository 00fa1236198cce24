// DXF import: our reader reports the file's content through dxflib's creation interface,
// and this adapter turns it into host elements.
#include <dxflib/dl_creationadapter.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <numbers>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

#include "host/api/error.h"
#include "host/formats/dxf.h"
#include "host/formats/dxf_assembly.h"
#include "host/formats/dxf_bands.h"
#include "host/formats/dxf_entities.h"
#include "host/formats/dxf_events.h"
#include "host/formats/dxf_geometry.h"
#include "host/formats/dxf_import.h"
#include "host/formats/dxf_kept.h"
#include "host/formats/dxf_layouts.h"
#include "host/formats/dxf_names.h"
#include "host/formats/dxf_raw.h"
#include "host/formats/dxf_source.h"
#include "host/formats/dxf_style.h"
#include "host/formats/dxf_text.h"
#include "host/formats/pdf_page_size.h"
#include "host/value/language.h"
#include "host/value/text.h"

namespace host {
namespace {

using dxf::Affine;

using dxf::BlockRef;
using dxf::RawStroke;

class Importer : public DL_CreationAdapter {
 public:
  Importer(const std::string& path, std::uintmax_t file_size) : path_(path) {
    // about 150 bytes of DXF per entity: one allocation instead of a growing array
    assembly_.reserve(
        static_cast<std::size_t>(std::min<std::uintmax_t>(file_size / 150, 1'000'000)));
  }

  // -- raw groups, in file order, before dxflib handles them
  void processCodeValuePair(unsigned int code, const std::string& value) override {
    raw_.take(code, value);
    layouts_.take(code, value);
    // an entity whose groups were kept is complete when the next one begins, before dxflib
    // reports anything about that one
    if (code == 0) take_clip_object(raw_.flushed());
    if (code == 0 && !raw_.flushed().groups.empty()) {
      finish_polyline();
      kept_.add(raw_.flushed(), in_block_);
    }
    if (code == 0 && is_solid_model(value)) ++solid_models_;
    // dxflib does not report the face records of polyface meshes
    if (code == 0 && mesh_ && mesh_->polyface && raw_.flushed().entity == "VERTEX") {
      const dxf::RawGroups& r = raw_.flushed();
      const int flags = r.integer(70, 0);
      if ((flags & 128) && !(flags & 64))
        mesh_->faces.push_back(
            {r.integer(71, 0), r.integer(72, 0), r.integer(73, 0), r.integer(74, 0)});
    }
  }

  // Solid models need a modelling kernel to be drawn; the file's user hears they are left out.
  static bool is_solid_model(const std::string& entity) {
    return entity == "3DSOLID" || entity == "REGION" || entity == "BODY" ||
           entity.ends_with("SURFACE");
  }

  // -- header and tables
  // The size of leader arrowheads (the drawing's dimension arrow size times its scale) and
  // the scales of line types.
  void setVariableDouble(const std::string& key, double value, int) override {
    if (key == "$LTSCALE") assembly_.set_linetype_scale(value);
    if (key == "$CELTSCALE" && value > 0 && std::isfinite(value)) celtscale_ = value;
    if (key == "$DIMASZ" && value > 0) arrow_size_ = value;
    if (key == "$DIMSCALE" && value > 0) arrow_scale_ = value;
    if (key == "$PDSIZE") point_size_ = value;
  }

  void setVariableString(const std::string& key, const std::string& value, int) override {
    if (key == "$ACADVER") decoder_.set_version(value);
    if (key == "$DWGCODEPAGE") decoder_.set_codepage(value);
  }
  void setVariableInt(const std::string& key, int value, int) override {
    if (key == "$INSUNITS") insunits_ = value;
    if (key == "$PDMODE") point_mode_ = value;
    if (key == "$PSLTSCALE") layouts_.set_paper_linetypes(value != 0);
  }
  void addLinetype(const DL_LinetypeData& d) override {
    assembly_.add_linetype(d.name);
    const std::string name = upper(d.name);
    if (name != "BYLAYER" && name != "BYBLOCK") kept_.proxy_tables().linetypes.push_back(d.name);
  }
  void addLinetypeDash(double length) override { assembly_.add_linetype_dash(length); }
  void addTextStyle(const DL_StyleData& d) override {
    // TrueType styles name their family in the ACAD XDATA, beside (or instead of) the file
    const dxf::RawGroups& r = raw_.flushed();
    const std::string& family = r.acad_text;
    styles_.add(d.name, decoder_.to_utf8(family.empty() ? d.primaryFontFile : family),
                d.widthFactor, d.obliqueAngle, r.handle);
    if (upper(d.name) == "STANDARD") kept_.proxy_tables().font = styles_.find(d.name).font;
  }

  void addLayer(const DL_LayerData& data) override {
    const DL_Attributes& a = attributes;
    dxf::LayerProps p;
    int color = std::abs(a.getColor());
    p.stroke.color = a.getColor24() >= 0 ? dxf::true_color_to_rgb(a.getColor24())
                                         : dxf::aci_to_rgb(color == 0 || color == 256 ? 7 : color);
    std::string lt = upper(a.getLinetype());
    p.stroke.linetype = lt == "BYLAYER" || lt == "BYBLOCK" ? "SOLID" : dxf::host_linetype(lt);
    p.linetype = lt;
    int lw = raw_.flushed().integer(370, -3);
    p.stroke.pensize = lw >= 0 ? dxf::lineweight_to_pensize(lw) : 0;
    // off, frozen, or set not to plot; dimensions put their definition points on DEFPOINTS,
    // a layer CAD programs never plot
    p.hidden = data.off || a.getColor() < 0 || (data.flags & 1) ||
               raw_.flushed().integer(290, 1) == 0 || upper(data.name) == "DEFPOINTS";
    assembly_.add_layer(data.name, p);
    kept_.proxy_tables().layers.push_back(data.name);
  }

  // -- blocks
  void addBlock(const DL_BlockData& data) override {
    finish_polyline();
    assembly_.begin_block(data.name, {data.bpx, data.bpy});
    in_block_ = true;
  }
  void endBlock() override {
    finish_polyline();
    assembly_.end_block();
    in_block_ = false;
  }

  // -- entities
  void addLine(const DL_LineData& d) override {
    Element e = start(ElementKind::Line);
    e.points = {{d.x1, d.y1}, {d.x2, d.y2}};
    add(std::move(e), Affine{});  // lines are in world coordinates
  }

  void addCircle(const DL_CircleData& d) override {
    Element e = start(ElementKind::Circle);
    e.points = {{d.cx, d.cy}};
    e.radius = d.radius;
    add(std::move(e), ocs(d.cz));
  }

  void addArc(const DL_ArcData& d) override {
    Element e = start(ElementKind::Arc);
    e.points = {{d.cx, d.cy}};
    e.radius = d.radius;
    e.start_angle = d.angle1;
    e.end_angle = d.angle2;
    add(std::move(e), ocs(d.cz));
  }

  void addPolyline(const DL_PolylineData& d) override {
    finish_polyline();
    const dxf::RawGroups& r = raw_.flushed();
    polyline_ = start(ElementKind::Polyline);
    polyline_->closed = d.flags & 1;
    polyline_stroke_ = raw_stroke();
    // a 3D polyline (flag 8) is in world coordinates: seen from above as it is
    polyline_ocs_ = d.flags & 8 ? Affine{} : ocs(d.elevation);
    polyline_paper_ = in_paper_space();
    polyline_widths_.clear();
    leader_arrow_ = false;
    lw_widths_ = r.entity == "LWPOLYLINE" ? r.widths : decltype(r.widths){};
    const double constant = r.real(43, 0);
    default_width_ = r.entity == "LWPOLYLINE" ? std::pair{constant, constant}
                                              : std::pair{r.real(40, 0), r.real(41, 0)};
    // polygon meshes and polyface meshes: their edges in top view
    mesh_.reset();
    if (d.flags & (16 | 64)) {
      mesh_ = Mesh{(d.flags & 64) != 0, d.flags, r.integer(71, 0), r.integer(72, 0), {}, {}};
      polyline_ocs_ = Affine{};
    }
  }

  void addVertex(const DL_VertexData& d) override {
    if (!polyline_) return;
    const dxf::RawGroups& r = raw_.flushed();
    const int flags = r.entity == "VERTEX" ? r.integer(70, 0) : 0;
    if (mesh_) {
      mesh_->vertices.push_back({d.x, d.y});
      return;
    }
    if (flags & 16) return;  // spline frame point
    const std::size_t i = polyline_->points.size();
    polyline_->points.push_back({d.x, d.y});
    polyline_->bulges.push_back(d.bulge);
    std::pair<double, double> w = default_width_;
    if (r.entity == "VERTEX") {
      w = {r.real(40, w.first), r.real(41, w.second)};
    } else if (i < lw_widths_.size() && (lw_widths_[i].first > 0 || lw_widths_[i].second > 0)) {
      w = lw_widths_[i];
    }
    polyline_widths_.push_back(w);
  }

  void endEntity() override {
    finish_polyline();
    finish_spline();
  }

  // Splines as polylines: the curve where the knots fit, else through the fit points, else
  // along the control points.
  void addSpline(const DL_SplineData& d) override {
    Element e = start(ElementKind::Polyline);
    spline_ = Spline{std::move(e), static_cast<int>(d.degree), (d.flags & 1) != 0, {}, {}, {}, {}};
  }
  void addControlPoint(const DL_ControlPointData& d) override {
    if (!spline_) return;
    spline_->control.push_back({d.x, d.y});
    spline_->weights.push_back(d.w);
  }
  void addFitPoint(const DL_FitPointData& d) override {
    if (spline_) spline_->fit.push_back({d.x, d.y});
  }
  void addKnot(const DL_KnotData& d) override {
    if (spline_) spline_->knots.push_back(d.k);
  }

  // Ellipses as polylines, parameter angles in radians.
  void addEllipse(const DL_EllipseData& d) override {
    Element e = start(ElementKind::Polyline);
    // parameters however far apart (a counted loop would never end) make at most one turn
    double from = d.angle1, sweep = std::fmod(d.angle2 - d.angle1, 2 * std::numbers::pi);
    if (!std::isfinite(sweep) || !std::isfinite(from)) return;
    if (sweep <= 1e-12) sweep += 2 * std::numbers::pi;
    bool full = sweep >= 2 * std::numbers::pi - 1e-9;
    int n = std::max(8, static_cast<int>(std::ceil(sweep / (std::numbers::pi / 36))));
    const double* dir = getExtrusion()->getDirection();
    const Vec2 minor = dxf::ellipse_minor_axis(d.mx, d.my, d.mz, d.ratio, dir[0], dir[1], dir[2]);
    for (int i = 0; i < (full ? n : n + 1); ++i) {
      double t = from + sweep * i / n;
      e.points.push_back({d.cx + std::cos(t) * d.mx + std::sin(t) * minor.x,
                          d.cy + std::cos(t) * d.my + std::sin(t) * minor.y});
    }
    e.closed = full;
    add(std::move(e), Affine{});
  }

  // Filled triangles and quadrilaterals (corners 1, 2, 4, 3).
  void addSolid(const DL_SolidData& d) override { outline(d); }
  void addTrace(const DL_TraceData& d) override { outline(d); }

  // 3D faces in top view: their edges, corners in order; an edge flagged invisible (bit i of
  // group 70 for the edge from corner i) is left out.
  void add3dFace(const DL_3dFaceData& d) override {
    const std::vector<Vec2> corners{
        {d.x[0], d.y[0]}, {d.x[1], d.y[1]}, {d.x[2], d.y[2]}, {d.x[3], d.y[3]}};
    const int hidden = raw_.flushed().integer(70, 0) & 15;
    if (hidden == 0) {
      Element e = start(ElementKind::Polyline);
      e.points = corners;
      if (e.points[2] == e.points[3]) e.points.pop_back();
      e.closed = true;
      add(std::move(e), Affine{});
      return;
    }
    for (int i = 0; i < 4; ++i) {
      const Vec2 a = corners[i], b = corners[(i + 1) % 4];
      if ((hidden & (1 << i)) || a == b) continue;
      Element e = start(ElementKind::Line);
      e.points = {a, b};
      add(std::move(e), Affine{});
    }
  }

  void addPoint(const DL_PointData& d) override {
    Element e = start(ElementKind::Point);
    e.points = {{d.x, d.y}};
    e.sketch = kPointMark;
    add(std::move(e), Affine{});
  }

  // Construction lines: a line through two points, marked until the extent is known.
  void addXLine(const DL_XLineData& d) override { construction(d.bx, d.by, d.dx, d.dy, false); }
  void addRay(const DL_RayData& d) override { construction(d.bx, d.by, d.dx, d.dy, true); }

  void addLeader(const DL_LeaderData& d) override {
    finish_polyline();
    polyline_ = start(ElementKind::Polyline);
    polyline_stroke_ = raw_stroke();
    polyline_ocs_ = Affine{};
    polyline_paper_ = in_paper_space();
    polyline_widths_.clear();
    mesh_.reset();
    leader_arrow_ = d.arrowHeadFlag == 1;
  }
  void addLeaderVertex(const DL_LeaderVertexData& d) override {
    if (!polyline_) return;
    polyline_->points.push_back({d.x, d.y});
    polyline_->bulges.push_back(0);
  }

  // A dimension draws the anonymous block named in its group 2, in world coordinates.
  void addDimAlign(const DL_DimensionData&, const DL_DimAlignedData&) override { dimension(); }
  void addDimLinear(const DL_DimensionData&, const DL_DimLinearData&) override { dimension(); }
  void addDimRadial(const DL_DimensionData&, const DL_DimRadialData&) override { dimension(); }
  void addDimDiametric(const DL_DimensionData&, const DL_DimDiametricData&) override {
    dimension();
  }
  void addDimAngular(const DL_DimensionData&, const DL_DimAngular2LData&) override { dimension(); }
  void addDimAngular3P(const DL_DimensionData&, const DL_DimAngular3PData&) override {
    dimension();
  }
  void addDimOrdinate(const DL_DimensionData&, const DL_DimOrdinateData&) override { dimension(); }

  void addText(const DL_TextData& d) override {
    const dxf::RawGroups& r = raw_.flushed();
    Element e = start(ElementKind::Text);
    e.text.lines = {dxf::plain_text(decoder_.to_utf8(d.text))};
    set_text_common(e, d, r.integer(72, 0), r.integer(73, 0));
    add(std::move(e), ocs(d.ipz));
  }

  void addAttribute(const DL_AttributeData& d) override {
    const dxf::RawGroups& r = raw_.flushed();
    if (r.integer(70, 0) & 1) {  // invisible attribute: data, not drawing
      finish_polyline();
      return;
    }
    Element e = start(ElementKind::Text);
    e.text.lines = {dxf::plain_text(decoder_.to_utf8(d.text))};
    set_text_common(e, d, r.integer(72, 0), r.integer(74, 0));
    std::string tag = decoder_.to_utf8(d.tag);
    if (!tag.empty() && std::find(e.info.begin(), e.info.end(), tag) == e.info.end())
      e.info.insert(e.info.begin(), tag);
    dxf::transform_element(e, ocs(d.ipz));
    std::vector<Element> copies;
    for (std::size_t i = 1; i < attribute_copies_.size(); ++i) {
      const Vec2 v = attribute_copies_[i];
      dxf::transform_element(copies.emplace_back(e), Affine::translation(v.x, v.y));
    }
    assembly_.add(std::move(e), raw_stroke(), in_paper_space());
    for (Element& copy : copies) assembly_.add(std::move(copy), raw_stroke(), in_paper_space());
  }

  void addMTextChunk(const std::string& chunk) override { raw_.add_mtext_chunk(chunk); }

  void addMText(const DL_MTextData& d) override {
    const dxf::RawGroups& r = raw_.flushed();
    // A further column of an MTEXT before R2018 is an entity of its own, linked from the
    // first: it wraps at the column's width. Those of flowing columns stay empty, as their
    // first holds the whole text.
    std::optional<double> column_width;
    if (auto link = linked_columns_.find(r.handle); link != linked_columns_.end()) {
      if (link->second.flowing && r.mtext_chunks.empty() && d.text.empty()) {
        finish_polyline();
        return;
      }
      if (link->second.width > 0) column_width = link->second.width;
    }
    for (const std::string& handle : r.columns.linked)
      if (handle != r.handle) linked_columns_[handle] = {r.columns.type == 2, r.columns.width};
    Element e = start(ElementKind::Text);
    // dxflib takes the last value of a code, which may be one of the embedded object
    const double height = r.real(40, d.height);
    dxf::MTextContent m =
        dxf::mtext_to_formatted(decoder_.to_utf8(r.mtext_chunks + d.text), height);
    e.points = {{r.real(10, d.ipx), r.real(20, d.ipy)}};
    e.text.lines = std::move(m.lines);
    e.text.formatted = std::move(m.formatted);
    e.text.ratio = m.ratio;
    e.text.slant = m.slant;
    e.text.size = height;
    set_style_font(e, d.style);
    dxf::mtext_box(e.text, r, column_width.value_or(r.real(41, d.width)));
    int attach = std::clamp(r.integer(71, d.attachmentPoint), 1, 9);
    e.text.adjust = (2 - (attach - 1) / 3) * 3 + (attach - 1) % 3 + 1;
    if (r.has(11) || r.has(21)) {
      e.text.angle = std::atan2(r.real(21, 0), r.real(11, 0)) * 180 / std::numbers::pi;
      if (e.text.angle < 0) e.text.angle += 360;
    } else {
      e.text.angle = r.real(50, 0);
    }
    const double spacing = r.real(44, d.lineSpacingFactor);
    if (spacing > 0) e.text.linespace = std::round(spacing / 0.6 * 1e9) / 1e9;
    // The insertion point and a direction vector are in world coordinates; an angle alone is
    // measured in the entity's plane, turned about the insertion point.
    // The direction runs in world coordinates (without one, the rotation is measured from
    // the world's x axis), and the text's up is the plane's normal across it: a text in a
    // plane seen from below (normal -z) shows mirrored across its base line.
    Affine plane;
    const double* n = getExtrusion()->getDirection();
    const bool direction = r.has(11) || r.has(21);
    const double turn = e.text.angle * std::numbers::pi / 180;
    const double dx = direction ? r.real(11, 0) : std::cos(turn);
    const double dy = direction ? r.real(21, 0) : std::sin(turn);
    const double dz = direction ? r.real(31, 0) : 0;
    const double ux = n[1] * dz - n[2] * dy, uy = n[2] * dx - n[0] * dz;
    const double l2 = dx * dx + dy * dy;
    if (!direction && ux * ux + uy * uy < 1e-18) {
      // a vertical plane along the x axis: the angle belongs to the plane's own axes
      const Affine o = ocs();
      plane = Affine{o.a, o.b, o.c, o.d, 0, 0};
    } else if (!(ux == -dy && uy == dx) && l2 > 1e-24 && std::isfinite(ux) && std::isfinite(uy)) {
      // maps the base line onto itself and the upright (-dy, dx) onto the up direction
      plane = Affine{(dx * dx - ux * dy) / l2,
                     (dx * dy + ux * dx) / l2,
                     (dy * dx - uy * dy) / l2,
                     (dy * dy + uy * dx) / l2,
                     0,
                     0};
    }
    const Vec2 at = e.points[0];
    plane = Affine::translation(at.x, at.y).after(plane).after(Affine::translation(-at.x, -at.y));
    add(std::move(e), plane);
  }

  void addInsert(const DL_InsertData& d) override {
    BlockRef ref;
    ref.name = upper(d.name);
    ref.stroke = raw_stroke();
    ref.insertion = {d.ipx, d.ipy};
    ref.sx = d.sx;
    ref.sy = d.sy;
    ref.angle = d.angle;
    ref.cols = std::max(1, d.cols);
    ref.rows = std::max(1, d.rows);
    ref.col_spacing = d.colSp;
    ref.row_spacing = d.rowSp;
    ref.ocs = ocs(d.ipz);
    // the attributes that follow an array reference show in every copy, as its block does
    attribute_copies_.clear();
    if (ref.cols > 1 || ref.rows > 1)
      for (const Vec2 offset : ref.array_offsets())
        attribute_copies_.push_back(ref.ocs.apply_vector(offset));
    // a clipping (XCLIP) hangs on the extension dictionary; the objects follow later
    ref.xdict = raw_.flushed().xdict;
    place(std::move(ref));
  }

  // The objects that clip references: dictionaries (dxflib reports only their entries by
  // soft pointers, these are hard ones) and spatial filters.
  void take_clip_object(const dxf::RawGroups& raw) {
    const std::string* handle = raw.entity == "DICTIONARY" || raw.entity == "SPATIAL_FILTER"
                                    ? dxf::first_text(raw.groups, 5)
                                    : nullptr;
    if (raw.inverted_clip) inverted_boundaries_[raw.owner] = raw.inverted_boundary;
    if (!handle) return;
    if (raw.entity == "SPATIAL_FILTER") {
      SpatialFilter& f = clip_outlines_[*handle];
      f.boundary = dxf::spatial_filter_outline(raw.groups, &f.to_block);
      f.xdict = raw.xdict;
      return;
    }
    const auto& g = raw.groups;
    for (std::size_t i = 0; i + 1 < g.size(); ++i)
      if (g[i].first == 3 && (g[i].second == "ACAD_FILTER" || g[i].second == "SPATIAL") &&
          (g[i + 1].first == 350 || g[i + 1].first == 360))
        dictionary_entries_[*handle + '/' + g[i].second] = g[i + 1].second;
  }

  // The clipping (XCLIP) on a reference's extension dictionary: through its ACAD_FILTER
  // dictionary and that one's SPATIAL entry to the spatial filter. An inverted clipping
  // (keeping what lies outside) keeps its boundary as drawn in a record on the filter's own
  // dictionary; the filter's boundary is then a frame with a slit into it, which some
  // programs leave short of the boundary, so the record's boundary is the one cut out.
  std::optional<dxf::BlockClip> block_clip(const std::string& xdict) const {
    auto entry = [this](const std::string& dictionary, const char* name) -> const std::string* {
      auto it = dictionary_entries_.find(dictionary + '/' + name);
      return it == dictionary_entries_.end() ? nullptr : &it->second;
    };
    const std::string* filters = entry(xdict, "ACAD_FILTER");
    const std::string* spatial = filters ? entry(*filters, "SPATIAL") : nullptr;
    auto filter = spatial ? clip_outlines_.find(*spatial) : clip_outlines_.end();
    if (filter == clip_outlines_.end()) return std::nullopt;
    const SpatialFilter& f = filter->second;
    dxf::BlockClip clip{f.boundary, {}};
    auto hole = f.xdict.empty() ? inverted_boundaries_.end() : inverted_boundaries_.find(f.xdict);
    if (hole != inverted_boundaries_.end() && !f.boundary.empty()) {
      clip.hole = hole->second;
      if (clip.hole.size() == 2)
        clip.hole = {clip.hole[0],
                     {clip.hole[1].x, clip.hole[0].y},
                     clip.hole[1],
                     {clip.hole[0].x, clip.hole[1].y}};
      for (Vec2& p : clip.hole) p = f.to_block.apply(p);
    }
    return clip;
  }

  void place(BlockRef ref) {
    finish_polyline();
    assembly_.add(std::move(ref), in_paper_space());
  }

  // -- our drawing number: an XRECORD in our dictionary
  void addDictionary(const DL_DictionaryData& d) override { dictionary_ = d.handle; }
  void addDictionaryEntry(const DL_DictionaryEntryData& d) override {
    if (d.name == dxf::kDictionary) our_dictionary_ = d.handle;
    if (dictionary_ == our_dictionary_ && d.name == dxf::kNumberEntry) number_record_ = d.handle;
  }
  void addXRecord(const std::string& handle) override { xrecord_ = handle; }
  void addXRecordString(int, const std::string& value) override {
    if (!number_record_.empty() && xrecord_ == number_record_ && !number_)
      number_ = dxf::decode_unicode_escapes(decoder_.to_utf8(value));
  }

  Drawing finish() {
    finish_polyline();
    finish_spline();
    assembly_.clip_references([this](const std::string& xdict) { return block_clip(xdict); });
    assembly_.complete(path_);
    // what the kept entities leave to the end: construction lines reach the other content,
    // pictures are looked up, points get the drawing's point symbol
    auto complete = [this](std::vector<Element>& elements) {
      if (has_construction_ || kept_.has_construction()) place_construction_lines(elements);
      find_pictures(elements);
      show_image_frames(elements);
      find_underlays(elements);
      if (kept_.wipeout_frames()) frame_wipeouts(elements);
      draw_point_symbols(elements);
    };
    Drawing drawing;
    drawing.id = next_id();
    drawing.number =
        number_ && !number_->empty() ? *number_ : std::filesystem::path(path_).stem().string();
    // the paper-space layouts that hold content are the sheets, their views completed as
    // sheets are; else the model space is
    auto layouts = dxf::layout_sheets(
        layouts_, assembly_,
        [this](const std::string& name) {
          return dxf::decode_unicode_escapes(decoder_.to_utf8(name));
        },
        complete);
    std::string unit;
    if (layouts.empty()) {
      std::vector<Element> elements = assembly_.finish(path_);
      complete(elements);
      // Model space in its drawing units becomes millimetres, so that scale 1 is true size.
      if (auto mm = dxf::insunits_to_mm(insunits_, &unit);
          mm && *mm != 1 && !assembly_.from_paper()) {
        for (Element& e : elements) dxf::scale_element(e, *mm);
        drawing.notes.push_back(host::translate_format("{}: drawing units are {}; scaled to millimetres", path_, _(unit.c_str())));
      }
      layouts.push_back({"1", std::move(elements)});
    } else {
      for (auto& layout : layouts) complete(layout.elements);
    }
    // a layout's paper in inches (or plotted at another scale) becomes millimetres too
    bool scaled = false;
    for (auto& layout : layouts) {
      if (layout.mm_per_unit == 1) continue;
      for (Element& e : layout.elements) dxf::scale_element(e, layout.mm_per_unit);
      if (!scaled)
        drawing.notes.push_back(host::translate_format("{}: paper units are {}; scaled to millimetres", path_, layout.units));
      scaled = true;
    }
    for (auto& layout : layouts) {
      Sheet sheet;
      sheet.id = next_id();
      sheet.name = std::move(layout.name);
      sheet.unique_name = std::to_string(drawing.sheets.size() + 1);
      sheet.elements = std::move(layout.elements);
      drawing.sheets.push_back(std::move(sheet));
    }
    if (!frameless_underlays_.empty()) {
      std::string files;
      for (const std::string& f : frameless_underlays_) files += (files.empty() ? "" : ", ") + f;
      drawing.notes.push_back(host::translate_format("{}: underlay frame not drawn (file missing or not a PDF): {}", path_, files));
    }
    if (solid_models_ > 0)
      drawing.notes.push_back(fmt::format(
          fmt::runtime(host::translate_plural(
              "{}: {} solid model (3DSOLID, REGION, BODY, SURFACE) left out: drawing them needs a "
              "modelling kernel",
              "{}: {} solid models (3DSOLID, REGION, BODY, SURFACE) left out: drawing them "
              "needs a modelling kernel",
              static_cast<unsigned long>(solid_models_))),
          path_, solid_models_));
    return drawing;
  }

 private:
  struct Spline {
    Element element;
    int degree;
    bool closed;
    std::vector<Vec2> control;
    std::vector<double> weights;
    std::vector<double> knots;
    std::vector<Vec2> fit;
  };

  void finish_spline() {
    if (!spline_) return;
    Spline s = std::move(*spline_);
    spline_.reset();
    std::vector<Vec2> pts = dxf::spline_points(s.degree, s.control, s.weights, s.knots);
    if (pts.empty()) pts = s.fit.size() >= 2 ? s.fit : s.control;
    if (pts.size() < 2) return;
    s.element.points = std::move(pts);
    s.element.closed = s.closed && !(s.element.points.front() == s.element.points.back());
    add(std::move(s.element), Affine{});
  }

  void dimension() {
    if (raw_.flushed().name.empty()) return;
    BlockRef ref;
    ref.name = upper(raw_.flushed().name);
    ref.stroke = raw_stroke();
    // the content stays where it is
    if (auto base = assembly_.block_base(ref.name)) ref.insertion = *base;
    place(std::move(ref));
  }

  void outline(const DL_TraceData& d) {
    Element e = start(ElementKind::Fill);
    e.points = {{d.x[0], d.y[0]}, {d.x[1], d.y[1]}, {d.x[3], d.y[3]}, {d.x[2], d.y[2]}};
    if (e.points[2] == e.points[3]) e.points.pop_back();
    e.rings = {static_cast<std::uint32_t>(e.points.size())};
    add(std::move(e), ocs(d.z[0]));
  }

  void construction(double bx, double by, double dx, double dy, bool ray) {
    if (!(std::hypot(dx, dy) > 0)) return;
    Element e = start(ElementKind::Line);
    e.points = {{bx, by}, {bx + dx, by + dy}};
    e.sketch = ray ? dxf::kRayMark : dxf::kXLineMark;
    has_construction_ = true;
    add(std::move(e), Affine{});
  }

  // Points are drawn in the drawing's point style ($PDMODE): a dot, nothing, a plus, a cross
  // or a tick, with a circle and/or a square around it, as large as $PDSIZE says (negative:
  // a share of the drawing's height in per cent, 0: 5 %).
  void draw_point_symbols(std::vector<Element>& elements) const {
    // most drawings have no points: spare them a pass that moves every element
    if (std::none_of(elements.begin(), elements.end(), [](const Element& e) {
          return e.kind == ElementKind::Point && e.sketch == kPointMark;
        }))
      return;
    const int shape = point_mode_ & 7;
    const bool plain = shape == 0 && !(point_mode_ & 96);
    const auto box = plain ? std::nullopt : Sheet{0, "", "", "", "", elements}.extent();
    const double height = box ? box->second.y - box->first.y : 0;
    const double size = point_size_ > 0   ? point_size_
                        : point_size_ < 0 ? -point_size_ / 100 * height
                                          : 0.05 * height;
    std::vector<Element> out;
    out.reserve(elements.size());
    for (Element& e : elements) {
      if (e.kind != ElementKind::Point || e.sketch != kPointMark) {
        out.push_back(std::move(e));
        continue;
      }
      e.sketch.clear();
      if (plain || !(size > 0)) {
        if (shape != 1 || plain) out.push_back(std::move(e));
        continue;
      }
      const Vec2 p = e.points[0];
      const double h = size / 2;
      auto line = [&](Vec2 a, Vec2 b) {
        Element l = e;
        l.kind = ElementKind::Line;
        l.points = {a, b};
        out.push_back(std::move(l));
      };
      if (shape == 0) out.push_back(e);
      if (shape == 2) line({p.x - h, p.y}, {p.x + h, p.y}), line({p.x, p.y - h}, {p.x, p.y + h});
      if (shape == 3)
        line({p.x - h, p.y - h}, {p.x + h, p.y + h}), line({p.x - h, p.y + h}, {p.x + h, p.y - h});
      if (shape == 4) line(p, {p.x, p.y + h});
      if (point_mode_ & 32) {
        Element c = e;
        c.kind = ElementKind::Circle;
        c.radius = h;
        out.push_back(std::move(c));
      }
      if (point_mode_ & 64) {
        Element r = e;
        r.kind = ElementKind::Rectangle;
        r.points = {{p.x - h, p.y - h}, {p.x + h, p.y + h}};
        out.push_back(std::move(r));
      }
    }
    elements = std::move(out);
  }

  // A file the drawing names, where it names it or, as drawings travel without their
  // folders, beside the drawing under its base name; nullopt when neither is there.
  std::optional<std::string> find_beside(const std::string& file) const {
    namespace fs = std::filesystem;
    std::string name = file;
    std::replace(name.begin(), name.end(), '\\', '/');
    const fs::path here = fs::path(path_).parent_path();
    std::error_code ec;
    const fs::path named(name);
    for (const fs::path& p : {named.is_absolute() ? named : here / named, here / named.filename()})
      if (fs::is_regular_file(p, ec)) return fs::absolute(p, ec).lexically_normal().string();
    return std::nullopt;
  }

  // Pictures are shown from the PNG and JPEG files found for them.
  void find_pictures(std::vector<Element>& elements) const {
    std::erase_if(elements, [&](Element& e) {
      if (e.kind != ElementKind::Image) return false;
      if (e.source.empty() || e.source[0] != dxf::KeptEntities::kImageMark) return false;
      const std::string* file = kept_.image_file(e.source.substr(1));
      if (!file) return true;
      const auto found = find_beside(*file);
      if (found) e.source = *found;
      return !found;
    });
  }

  // The frame of an underlay without a clipping boundary is its page: a PDF page's size in
  // points (1/72 inch) is as many underlay units of one inch, which the underlay's scale and
  // rotation placed. Without the page (the file is missing, or a DWF or DGN file, whose
  // extent is not read) no frame is drawn, and the file is named in a note.
  void find_underlays(std::vector<Element>& elements) {
    std::erase_if(elements, [&](Element& e) {
      if (e.kind != ElementKind::Polyline || e.points.size() != 3) return false;
      if (e.source.empty() || e.source[0] != dxf::KeptEntities::kImageMark) return false;
      const auto* def = kept_.underlay_file(e.source.substr(1));
      if (!def) return true;
      const auto found = def->pdf ? find_beside(def->file) : std::nullopt;
      const auto size = found ? pdf_page_size(*found, def->page) : std::nullopt;
      if (!size) {
        frameless_underlays_.insert(def->file);
        return true;
      }
      const Vec2 o = e.points[0];
      const Vec2 u{e.points[1].x - o.x, e.points[1].y - o.y};
      const Vec2 v{e.points[2].x - o.x, e.points[2].y - o.y};
      const double w = size->first / 72, h = size->second / 72;
      e.points = {o,
                  {o.x + u.x * w, o.y + u.y * w},
                  {o.x + u.x * w + v.x * h, o.y + u.y * w + v.y * h},
                  {o.x + v.x * h, o.y + v.y * h}};
      e.source.clear();
      return false;
    });
  }

  // Image frames stay only when the drawing plots them.
  void show_image_frames(std::vector<Element>& elements) const {
    const bool shown = kept_.image_frames();
    std::erase_if(elements, [&](Element& e) {
      if (e.sketch != dxf::kImageFrameMark) return false;
      e.sketch.clear();
      return !shown;
    });
  }

  // Wipeouts whose frames the drawing shows get their outline drawn over their mask.
  static void frame_wipeouts(std::vector<Element>& elements) {
    std::vector<Element> out;
    out.reserve(elements.size());
    for (Element& e : elements) {
      const bool mask = e.kind == ElementKind::Mask;
      out.push_back(std::move(e));
      if (!mask) continue;
      const Element& m = out.back();
      std::size_t from = 0;
      std::vector<Element> frames;
      for (std::uint32_t n : m.rings) {
        Element f;
        f.id = next_id();
        f.kind = ElementKind::Polyline;
        f.stroke = m.stroke;
        f.info = m.info;
        f.sketch = m.sketch;
        f.closed = true;
        f.points.assign(m.points.begin() + static_cast<std::ptrdiff_t>(from),
                        m.points.begin() + static_cast<std::ptrdiff_t>(from + n));
        from += n;
        frames.push_back(std::move(f));
      }
      for (Element& f : frames) out.push_back(std::move(f));
    }
    elements = std::move(out);
  }

  // Construction lines run to the edge of the other content.
  static void place_construction_lines(std::vector<Element>& elements) {
    auto marked = [](const Element& e) {
      return e.kind == ElementKind::Line && !e.sketch.empty() && e.sketch[0] == '\x01';
    };
    Sheet others;
    std::copy_if(elements.begin(), elements.end(), std::back_inserter(others.elements),
                 [&](const Element& e) { return !marked(e); });
    const auto box = others.extent();
    others.elements.clear();
    std::erase_if(elements, [&](Element& e) {
      if (!marked(e)) return false;
      if (!box || e.points.size() != 2) return true;
      const Vec2 d{e.points[1].x - e.points[0].x, e.points[1].y - e.points[0].y};
      auto seg =
          dxf::clip_to_box(e.points[0], d, e.sketch == dxf::kRayMark, box->first, box->second);
      if (!seg) return true;
      e.points = {seg->first, seg->second};
      e.sketch.clear();
      return false;
    });
  }

  Element start(ElementKind kind) {
    finish_polyline();
    Element e;
    e.kind = kind;
    e.info = take_info();
    return e;
  }

  std::vector<std::string> take_info() {
    std::vector<std::string> info;
    for (const auto& raw : raw_.flushed().info)
      info.push_back(dxf::decode_unicode_escapes(decoder_.to_utf8(raw)));
    return info;
  }

  // `attributes` is what dxflib set for the entity being reported.
  RawStroke raw_stroke() {
    // an entity without a scale of its own was drawn with the default for new entities
    const double ltscale = raw_.flushed().has(48) ? attributes.getLinetypeScale() : celtscale_;
    return {attributes.getLayer(),
            attributes.getColor(),
            attributes.getColor24(),
            raw_.flushed().integer(370, -1),
            attributes.getLinetype(),
            ltscale,
            raw_.flushed().integer(60, 0) == 1};
  }

  // `elevation`: the entity's OCS z, which moves it along the extrusion direction.
  Affine ocs(double elevation = 0) {
    const double* dir = getExtrusion()->getDirection();
    return dxf::ocs_transform(dir[0], dir[1], dir[2], elevation);
  }

  bool in_paper_space() { return attributes.isInPaperSpace(); }

  const dxf::TextStyle& set_style_font(Element& e, const std::string& style_name) {
    const dxf::TextStyle& style = styles_.find(style_name);
    if (!style.font.empty()) e.text.font = style.font;
    return style;
  }

  void set_text_common(Element& e, const DL_TextData& d, int halign, int valign) {
    const dxf::RawGroups& r = raw_.flushed();
    bool aligned = (halign != 0 || valign != 0) && halign != 3 && halign != 5;
    e.points = {aligned && r.has(11) ? Vec2{d.apx, d.apy} : Vec2{d.ipx, d.ipy}};
    e.text.size = d.height;
    e.text.angle = r.real(50, 0);
    const dxf::TextStyle& style = set_style_font(e, d.style);
    e.text.ratio = r.has(41) && d.xScaleFactor > 0 ? d.xScaleFactor : style.ratio;
    e.text.slant = r.real(51, style.slant);
    e.text.backward = d.textGenerationFlags & 2;
    e.text.upside_down = d.textGenerationFlags & 4;
    // aligned and fitted texts run from the first point to the second
    if ((halign == 3 || halign == 5) && r.has(11) && r.has(21)) {
      const double dx = d.apx - d.ipx, dy = d.apy - d.ipy;
      if (std::hypot(dx, dy) > 0) {
        e.text.fit_width = std::hypot(dx, dy);
        e.text.fit_scales_height = halign == 3;
        e.text.angle = std::atan2(dy, dx) * 180 / std::numbers::pi;
      }
    }
    int col = halign == 1 || halign == 4 ? 1 : halign == 2 ? 2 : 0;
    int row = halign == 4 || valign == 2 ? 1 : valign == 3 ? 2 : 0;
    e.text.adjust = row * 3 + col + 1;
    if (valign == 1 && aligned && r.has(11) && halign != 4) dxf::stand_on_descenders(e);
  }

  void add(Element e, const Affine& ocs) {
    dxf::transform_element(e, ocs);
    assembly_.add(std::move(e), raw_stroke(), in_paper_space());
  }

  struct Mesh {
    bool polyface;
    int flags, m, n;
    std::vector<Vec2> vertices;
    std::vector<std::array<int, 4>> faces;  // 1-based vertex numbers, negative: edge hidden
  };

  // A polygon mesh as its m rows and n columns of lines; a polyface mesh as the visible
  // edges of its faces, each edge once.
  void finish_mesh(Mesh mesh) {
    auto line = [&](std::vector<Vec2> pts, bool closed) {
      if (pts.size() < 2) return;
      Element e;
      e.kind = ElementKind::Polyline;
      e.info = polyline_->info;
      e.points = std::move(pts);
      e.closed = closed && e.points.size() > 2;
      assembly_.add(std::move(e), polyline_stroke_, polyline_paper_);
    };
    const auto& v = mesh.vertices;
    if (!mesh.polyface) {
      const std::size_t m = static_cast<std::size_t>(std::max(mesh.m, 0));
      const std::size_t n = static_cast<std::size_t>(std::max(mesh.n, 0));
      if (m == 0 || n == 0 || m * n > v.size()) return;
      for (std::size_t i = 0; i < m; ++i)
        line({v.begin() + i * n, v.begin() + (i + 1) * n}, mesh.flags & 32);
      for (std::size_t j = 0; j < n; ++j) {
        std::vector<Vec2> col;
        for (std::size_t i = 0; i < m; ++i) col.push_back(v[i * n + j]);
        line(std::move(col), mesh.flags & 1);
      }
      return;
    }
    std::set<std::pair<int, int>> drawn;
    for (const auto& face : mesh.faces) {
      int corners = 0;
      while (corners < 4 && face[corners] != 0) ++corners;
      for (int k = 0; k < corners; ++k) {
        const int a = face[k], b = face[(k + 1) % corners];
        const int ia = std::abs(a), ib = std::abs(b);
        if (a < 0 || ia == ib || ia > static_cast<int>(v.size()) || ib > static_cast<int>(v.size()))
          continue;
        if (!drawn.insert({std::min(ia, ib), std::max(ia, ib)}).second) continue;
        line({v[ia - 1], v[ib - 1]}, false);
      }
    }
  }

  void finish_polyline() {
    if (!polyline_) return;
    if (mesh_) {
      Mesh mesh = std::move(*mesh_);
      mesh_.reset();
      finish_mesh(std::move(mesh));
      polyline_.reset();
      return;
    }
    Element e = std::move(*polyline_);
    polyline_.reset();
    if (e.points.size() < 2) return;
    if (std::exchange(leader_arrow_, false)) {
      Element arrow;
      arrow.kind = ElementKind::Fill;
      arrow.info = e.info;
      arrow.points = dxf::arrowhead(e.points[0], e.points[1], arrow_size_ * arrow_scale_);
      arrow.rings = {static_cast<std::uint32_t>(arrow.points.size())};
      if (arrow.points.size() == 3)
        assembly_.add(std::move(arrow), polyline_stroke_, polyline_paper_);
    }
    if (std::any_of(polyline_widths_.begin(), polyline_widths_.end(),
                    [](const auto& w) { return w.first > 0 || w.second > 0; })) {
      for (Element& band : dxf::polyline_bands(e, polyline_widths_)) {
        dxf::transform_element(band, polyline_ocs_);
        assembly_.add(std::move(band), polyline_stroke_, polyline_paper_);
      }
      return;
    }
    if (std::all_of(e.bulges.begin(), e.bulges.end(), [](double b) { return b == 0; }))
      e.bulges.clear();
    dxf::transform_element(e, polyline_ocs_);
    as_rectangle(e);
    assembly_.add(std::move(e), polyline_stroke_, polyline_paper_);
  }

  // A closed four-corner polyline with axis-parallel sides, corners in the order our export
  // writes them, is the rectangle it draws.
  static void as_rectangle(Element& e) {
    if (!e.closed || e.points.size() != 4 || !e.bulges.empty()) return;
    const auto& p = e.points;
    if (p[0].y == p[1].y && p[1].x == p[2].x && p[2].y == p[3].y && p[3].x == p[0].x &&
        p[0].x != p[1].x && p[1].y != p[2].y) {
      e.kind = ElementKind::Rectangle;
      e.points = {p[0], p[2]};
      e.closed = false;
    }
  }

  const std::string& path_;
  dxf::RawCapture raw_;
  dxf::TextDecoder decoder_;
  dxf::TextStyles styles_;
  double celtscale_ = 1;
  dxf::Assembly assembly_;
  dxf::LayoutScan layouts_;
  std::optional<Element> polyline_;
  std::optional<Spline> spline_;
  RawStroke polyline_stroke_;
  Affine polyline_ocs_;
  bool polyline_paper_ = false;
  std::vector<std::pair<double, double>> polyline_widths_, lw_widths_;
  std::pair<double, double> default_width_;
  std::optional<Mesh> mesh_;
  dxf::KeptEntities kept_{assembly_, decoder_, styles_};
  std::map<std::string, std::string> dictionary_entries_;  // "dictionary/name" to handle
  struct SpatialFilter {
    std::vector<Vec2> boundary;  // in the block's coordinates
    dxf::Affine to_block;        // from the filter's coordinates
    std::string xdict;
  };
  std::map<std::string, SpatialFilter> clip_outlines_;  // by handle
  // The boundaries of inverted clippings as drawn, by the dictionary of their filter.
  std::map<std::string, std::vector<Vec2>> inverted_boundaries_;
  bool in_block_ = false;
  bool has_construction_ = false;
  bool leader_arrow_ = false;
  int point_mode_ = 0;
  double point_size_ = 0;
  // Marks the POINT entities until the drawing's size is known: hatch dots stay dots.
  static constexpr const char* kPointMark = "\x01point";
  double arrow_size_ = 2.5, arrow_scale_ = 1;
  std::size_t solid_models_ = 0;
  std::set<std::string> frameless_underlays_;  // files of underlays whose frame is unknown
  std::string dictionary_, our_dictionary_, number_record_, xrecord_;
  std::optional<std::string> number_;
  int insunits_ = 0;
  // The MTEXT entities that hold further columns of an earlier one, by their handles.
  struct LinkedColumn {
    bool flowing = false;
    double width = 0;
  };
  std::unordered_map<std::string, LinkedColumn> linked_columns_;
  // The offsets of the copies of the last block reference, when it is an array.
  std::vector<Vec2> attribute_copies_;
};

// The import as another parser can drive it (the equality check against dxflib's).
class DrivenImport : public dxf::Import {
 public:
  DrivenImport(const std::string& path, std::uintmax_t size) : importer_(path, size) {}
  DL_CreationInterface& events() override { return importer_; }
  Drawing finish() override { return importer_.finish(); }

 private:
  Importer importer_;
};

}  // namespace

namespace dxf {
std::unique_ptr<Import> start_import(const std::string& path, std::uintmax_t size) {
  return std::make_unique<DrivenImport>(path, size);
}
}  // namespace dxf

Drawing read_dxf_file(const std::string& path) {
  const dxf::FileBytes bytes(path);
  dxf::GroupSource source(path, bytes.view());
  Importer importer(path, bytes.view().size());
  try {
    dxf::report_groups(source, importer);
  } catch (const Error&) {
    throw;
  } catch (const std::exception& e) {
    throw Error(translate_format("{}: not a readable DXF file: {}", path, e.what()));
  }
  Drawing drawing = importer.finish();
  std::vector<std::string> notes = source.take_notes();
  drawing.notes.insert(drawing.notes.begin(), notes.begin(), notes.end());
  return drawing;
}

}  // namespace host
