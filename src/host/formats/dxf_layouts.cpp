// Paper-space layouts of a DXF file as sheets: one per layout that holds content, in tab
// order, its viewports showing the model space as groups.
#include "host/formats/dxf_layouts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <memory>
#include <numbers>
#include <set>

#include "host/formats/dxf_clip.h"

namespace host::dxf {
namespace {

double real(const std::string& s) {
  const char* p = s.data();
  const char* end = p + s.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  if (p < end && *p == '+') ++p;
  double v = 0;
  auto [ptr, ec] = std::from_chars(p, end, v);
  return ec == std::errc() && std::isfinite(v) ? v : 0;
}

int integer(const std::string& s) {
  const double v = real(s);
  return v > -2e9 && v < 2e9 ? static_cast<int>(v) : 0;
}

std::string trimmed_upper(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : upper(s.substr(b, e - b + 1));
}

bool is_paper_block(const std::string& upper_name) {
  return upper_name.rfind("*PAPER_SPACE", 0) == 0;
}

}  // namespace

void LayoutScan::take(unsigned code, const std::string& value) {
  if (code == 0) {
    finish_record();
    type_ = value;
    handle_.clear();
    name_.clear();
    owner_.clear();
    flags_ = tab_ = 0;
    plotted_ = true;
    layout_subclass_ = paper_ = skip_ = false;
    xdata_ = xdata_reals_ = xdata_points_ = 0;
    kind_ = Kind::Other;
    if (value == "SECTION") {
      want_section_name_ = true;
    } else if (value == "ENDSEC") {
      section_.clear();
    } else if (value == "ENDBLK") {
      block_.clear();
    } else if (section_ == "TABLES") {
      kind_ = value == "LAYER" ? Kind::Layer : value == "BLOCK_RECORD" ? Kind::BlockRecord : kind_;
    } else if (section_ == "OBJECTS") {
      if (value == "LAYOUT") kind_ = Kind::Layout;
    } else if (section_ == "BLOCKS" || section_ == "ENTITIES") {
      if (value == "BLOCK") {
        kind_ = Kind::Block;
      } else if (value == "VIEWPORT") {
        kind_ = Kind::Viewport;
        vp_ = ViewportRecord{};
        vp_.block = block_;
      } else if (value == "LWPOLYLINE" || value == "CIRCLE" || value == "POLYLINE") {
        kind_ = Kind::Outline;
        outline_ = OutlineRecord{};
        outline_handle_.clear();
      } else if (value == "VERTEX" && !outline_handle_.empty()) {
        kind_ = Kind::Vertex;
        vertex_ = {};
        vertex_bulge_ = 0;
        vertex_spline_frame_ = false;
      } else if (value == "SEQEND" && !outline_handle_.empty()) {
        if (outline_.points.size() >= 2) outlines_[outline_handle_] = std::move(outline_);
        outline_handle_.clear();
      }
    }
    return;
  }
  if (want_section_name_ && code == 2) {
    section_ = value;
    want_section_name_ = false;
    return;
  }
  switch (kind_) {
    case Kind::Other:
      return;
    case Kind::Block:
    case Kind::Layer:
    case Kind::BlockRecord:
      if (code == 5) handle_ = trimmed_upper(value);
      if (code == 2) name_ = value;
      if (code == 70) flags_ = integer(value);
      if (code == 290) plotted_ = integer(value) != 0;
      if (code == 330 && owner_.empty()) owner_ = trimmed_upper(value);
      return;
    case Kind::Layout:
      if (code == 1) name_ = value;
      if (code == 71) tab_ = integer(value);
      if (code == 100 && value == "AcDbLayout") layout_subclass_ = true;
      if (code == 330 && layout_subclass_) owner_ = trimmed_upper(value);
      return;
    case Kind::Viewport:
      viewport_group(code, value);
      return;
    case Kind::Outline:
    case Kind::Vertex:
      outline_group(code, value);
      return;
  }
}

void LayoutScan::viewport_group(unsigned code, const std::string& value) {
  ViewportRecord& v = vp_;
  if (code >= 1000) {
    // R12 keeps the view in extended data: ACAD, "MVIEW", then target, direction, twist,
    // view height, view centre, ... and the frozen layers by name
    if (code == 1001) xdata_ = value == "ACAD" ? 1 : 0;
    if (xdata_ == 1 && code == 1000 && value == "MVIEW") xdata_ = 2;
    if (xdata_ != 2) return;
    if (code == 1010 || code == 1020 || code == 1030) {
      const int axis = static_cast<int>(code - 1010) / 10;
      if (code == 1010) ++xdata_points_;
      if (xdata_points_ == 1 && axis < 2) (axis == 0 ? v.target.x : v.target.y) = real(value);
      if (xdata_points_ == 2) v.direction[axis] = real(value);
    } else if (code == 1040) {
      const double r = real(value);
      switch (xdata_reals_++) {
        case 0:
          v.twist = r;
          break;
        case 1:
          v.view_height = r;
          break;
        case 2:
          v.view_centre.x = r;
          break;
        case 3:
          v.view_centre.y = r;
          break;
        default:
          break;
      }
    } else if (code == 1003) {
      v.frozen_names.push_back(trimmed_upper(value));
    }
    return;
  }
  switch (code) {
    case 5:
      v.handle = trimmed_upper(value);
      break;
    case 330:
      if (v.owner.empty()) v.owner = trimmed_upper(value);
      break;
    case 8:
      v.stroke.layer = value;
      break;
    case 6:
      v.stroke.linetype = value;
      break;
    case 62:
      v.stroke.color = integer(value);
      break;
    case 420:
      v.stroke.color24 = integer(value);
      break;
    case 370:
      v.stroke.lineweight = integer(value);
      break;
    case 10:
      v.centre.x = real(value);
      break;
    case 20:
      v.centre.y = real(value);
      break;
    case 40:
      v.width = real(value);
      break;
    case 41:
      v.height = real(value);
      break;
    case 68:
      v.status = integer(value);
      break;
    case 69:
      v.id = integer(value);
      break;
    case 12:
      v.view_centre.x = real(value);
      break;
    case 22:
      v.view_centre.y = real(value);
      break;
    case 16:
    case 26:
    case 36:
      v.direction[(code - 16) / 10] = real(value);
      break;
    case 17:
      v.target.x = real(value);
      break;
    case 27:
      v.target.y = real(value);
      break;
    case 45:
      v.view_height = real(value);
      break;
    case 51:
      v.twist = real(value);
      break;
    case 90:
      v.flags = static_cast<std::uint32_t>(real(value));
      break;
    case 331:
      v.frozen_handles.push_back(trimmed_upper(value));
      break;
    case 340:
      v.clip_handle = trimmed_upper(value);
      break;
    default:
      break;
  }
}

// Outlines are kept only in paper space; the paper-space flag comes before any geometry.
void LayoutScan::outline_group(unsigned code, const std::string& value) {
  if (skip_) return;
  if (code == 5) handle_ = trimmed_upper(value);
  if (code == 67) paper_ = integer(value) == 1;
  if (code == 10 || code == 40 || code == 70) {
    if (kind_ == Kind::Outline && !paper_ && !is_paper_block(block_)) {
      skip_ = true;
      return;
    }
  }
  if (kind_ == Kind::Vertex) {
    if (code == 10) vertex_.x = real(value);
    if (code == 20) vertex_.y = real(value);
    if (code == 42) vertex_bulge_ = real(value);
    if (code == 70) vertex_spline_frame_ = (integer(value) & 16) != 0;
    return;
  }
  OutlineRecord& o = outline_;
  switch (code) {
    case 10:
      o.points.push_back({real(value), 0});
      o.bulges.push_back(0);
      break;
    case 20:
      if (!o.points.empty()) o.points.back().y = real(value);
      break;
    case 42:
      if (!o.bulges.empty()) o.bulges.back() = real(value);
      break;
    case 40:
      if (type_ == "CIRCLE") o.radius = real(value);
      break;
    case 70:
      o.closed = (integer(value) & 1) != 0;
      break;
    default:
      break;
  }
}

void LayoutScan::finish_record() {
  switch (kind_) {
    case Kind::Other:
      return;
    case Kind::Block:
      block_ = upper(name_);
      if (!owner_.empty()) block_owners_[owner_] = block_;
      return;
    case Kind::Layer:
      if (!handle_.empty()) layer_names_[handle_] = upper(name_);
      layer_frozen_[upper(name_)] = (flags_ & 1) != 0;
      if (!plotted_) layer_unplotted_.insert(upper(name_));
      return;
    case Kind::BlockRecord:
      if (!handle_.empty()) block_records_[handle_] = upper(name_);
      return;
    case Kind::Layout:
      layouts_.push_back({name_, tab_, owner_});
      return;
    case Kind::Viewport:
      viewports_.push_back(std::move(vp_));
      return;
    case Kind::Outline:
      if (skip_ || handle_.empty()) return;
      if (type_ == "POLYLINE") {
        // its vertices follow as records of their own
        outline_handle_ = handle_;
        outline_.points.clear();
        outline_.bulges.clear();
      } else if (type_ == "CIRCLE" ? outline_.radius > 0 : outline_.points.size() >= 2) {
        if (type_ == "CIRCLE" && outline_.points.empty()) outline_.points.push_back({});
        outlines_[handle_] = std::move(outline_);
      }
      return;
    case Kind::Vertex:
      if (!vertex_spline_frame_) {
        outline_.points.push_back(vertex_);
        outline_.bulges.push_back(vertex_bulge_);
      }
      return;
  }
}

class LayoutBuilder {
 public:
  LayoutBuilder(const LayoutScan& scan, Assembly& assembly) : scan_(scan), assembly_(assembly) {}

  std::vector<LayoutSheet> build(const std::function<std::string(const std::string&)>& to_utf8) {
    std::vector<Layout> layouts = paper_layouts();
    bool any = false;
    for (auto& layout : layouts) {
      gather(layout);
      any = any || layout.content;
    }
    std::vector<LayoutSheet> sheets;
    if (!any) return sheets;
    take_model();
    std::set<std::string> names;
    for (auto& layout : layouts) {
      if (!layout.content) continue;
      LayoutSheet sheet;
      sheet.name = to_utf8(layout.name);
      // names are unique in a valid file; a broken one must not give two sheets one name
      for (int n = 2; !names.insert(sheet.name).second; ++n)
        sheet.name = to_utf8(layout.name) + " (" + std::to_string(n) + ")";
      for (const ViewportRecord* vp : layout.viewports)
        if (vp != layout.main) view(*vp, layout.active, sheet.elements);
      if (layout.active) {
        auto paper = assembly_.take_paper();
        std::move(paper.begin(), paper.end(), std::back_inserter(sheet.elements));
      }
      std::move(layout.own.begin(), layout.own.end(), std::back_inserter(sheet.elements));
      sheets.push_back(std::move(sheet));
    }
    return sheets;
  }

 private:
  struct Layout {
    std::string name;
    int tab = 0;
    std::string block;  // upper case
    bool active = false;
    std::vector<const ViewportRecord*> viewports;
    const ViewportRecord* main = nullptr;
    std::vector<Element> own;  // the content of the layout's block
    bool content = false;
  };

  std::string block_of_record(const std::string& handle) const {
    if (auto it = scan_.block_records_.find(handle); it != scan_.block_records_.end())
      return it->second;
    if (auto it = scan_.block_owners_.find(handle); it != scan_.block_owners_.end())
      return it->second;
    return {};
  }

  std::vector<Layout> paper_layouts() const {
    std::vector<Layout> layouts;
    for (const auto& record : scan_.layouts_) {
      Layout layout;
      layout.name = record.name;
      layout.tab = record.tab;
      layout.block = block_of_record(record.block_record);
      if (layout.block.empty() || !is_paper_block(layout.block)) continue;
      layout.active = layout.block == "*PAPER_SPACE";
      layouts.push_back(std::move(layout));
    }
    // files without layout objects (R12) have one paper space
    if (scan_.layouts_.empty()) {
      Layout only;
      only.name = "Layout1";
      only.tab = 1;
      only.block = "*PAPER_SPACE";
      only.active = true;
      layouts.push_back(std::move(only));
    }
    std::stable_sort(layouts.begin(), layouts.end(),
                     [](const Layout& a, const Layout& b) { return a.tab < b.tab; });
    return layouts;
  }

  // The layout's viewports, its overall viewport, its own content; whether it holds any.
  void gather(Layout& layout) {
    for (const auto& vp : scan_.viewports_) {
      const std::string owner = block_of_record(vp.owner);
      const bool mine = !vp.block.empty() ? vp.block == layout.block
                        : !owner.empty()  ? owner == layout.block
                                          : layout.active;
      if (mine) layout.viewports.push_back(&vp);
    }
    for (const ViewportRecord* vp : layout.viewports)
      if (vp->id == 1 && !layout.main) layout.main = vp;
    if (!layout.main && !layout.viewports.empty()) layout.main = layout.viewports.front();
    if (assembly_.has_block(layout.block)) layout.own = assembly_.expand(layout.block);
    layout.content = !layout.own.empty() || (layout.active && !assembly_.paper_empty()) ||
                     layout.viewports.size() > (layout.main ? 1u : 0u);
  }

  void take_model() {
    model_ = std::make_shared<const std::vector<Element>>(assembly_.take_model());
  }

  // The model space without the layers frozen in a viewport; views with the same frozen
  // layers share one copy.
  std::shared_ptr<const std::vector<Element>> model_without(const std::set<std::string>& frozen) {
    if (frozen.empty()) return model_;
    auto& cached = filtered_[frozen];
    if (cached) return cached;
    const std::vector<bool> on = assembly_.model_on_layers(frozen);
    auto content = std::make_shared<std::vector<Element>>();
    for (std::size_t i = 0; i < model_->size(); ++i)
      if (i >= on.size() || !on[i]) content->push_back((*model_)[i]);
    cached = std::move(content);
    return cached;
  }

  static Element outline_element(const OutlineRecord& o) {
    Element e;
    if (o.radius > 0) {
      e.kind = ElementKind::Circle;
      e.points = {o.points.front()};
      e.radius = o.radius;
    } else {
      e.kind = ElementKind::Polyline;
      e.points = o.points;
      e.bulges = o.bulges;
      e.closed = true;
    }
    return e;
  }

  // A viewport: the model space through its window, then its frame.
  void view(const ViewportRecord& vp, bool active, std::vector<Element>& out) {
    Element frame;
    const OutlineRecord* outline = nullptr;
    if ((vp.flags & 0x10000) && !vp.clip_handle.empty()) {
      auto it = scan_.outlines_.find(vp.clip_handle);
      if (it != scan_.outlines_.end()) outline = &it->second;
    }
    // a clipping boundary is an entity of the layout and draws itself: no frame then
    bool framed = !outline;
    if (outline) {
      frame = outline_element(*outline);
    } else {
      frame.kind = ElementKind::Rectangle;
      frame.points = {{vp.centre.x - vp.width / 2, vp.centre.y - vp.height / 2},
                      {vp.centre.x + vp.width / 2, vp.centre.y + vp.height / 2}};
    }
    if (shows_model(vp, active)) {
      Element group;
      group.kind = ElementKind::Group;
      group.id = next_id();
      group.points = frame.kind == ElementKind::Rectangle
                         ? std::vector<Vec2>{frame.points[0],
                                             {frame.points[1].x, frame.points[0].y},
                                             frame.points[1],
                                             {frame.points[0].x, frame.points[1].y}}
                         : flattened(frame);
      if (group.points.size() >= 3) {
        auto g = std::make_shared<Group>();
        g->placement = placement(vp);
        g->elements = model_without(frozen_layers(vp));
        group.group = std::move(g);
        out.push_back(std::move(group));
      }
    }
    // the frame, unless its layer is off, frozen or not plotted
    if (!framed || scan_.layer_unplotted_.count(upper(vp.stroke.layer))) return;
    if (auto stroke = assembly_.paper_stroke(vp.stroke)) {
      frame.stroke = *stroke;
      frame.id = next_id();
      out.push_back(std::move(frame));
    }
  }

  bool shows_model(const ViewportRecord& vp, bool active) const {
    // in the active layout status 0 is a viewport switched off; other layouts store all
    // their viewports with status 0
    if (active && vp.status == 0) return false;
    if (auto it = scan_.layer_frozen_.find(upper(vp.stroke.layer));
        it != scan_.layer_frozen_.end() && it->second)
      return false;
    if (!(vp.width > 0 && vp.height > 0 && vp.view_height > 0)) return false;
    // a view from another direction than the top is a 3D view, not a sheet of this drawing
    const double* d = vp.direction;
    const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    return len == 0 || (std::abs(d[0]) / len < 1e-6 && std::abs(d[1]) / len < 1e-6 && d[2] > 0);
  }

  // paper = centre + s * (R(twist) * (model - target) - view centre)
  static Transform placement(const ViewportRecord& vp) {
    const double s = vp.height / vp.view_height;
    const double t = vp.twist * std::numbers::pi / 180;
    double cs = std::cos(t), sn = std::sin(t);
    if (std::abs(cs) < 1e-15) cs = 0;
    if (std::abs(sn) < 1e-15) sn = 0;
    const Transform rotate{s * cs, -s * sn, s * sn, s * cs, 0, 0};
    const Transform to_target{1, 0, 0, 1, -vp.target.x, -vp.target.y};
    const Transform to_centre{
        1, 0, 0, 1, vp.centre.x - s * vp.view_centre.x, vp.centre.y - s * vp.view_centre.y};
    return to_centre.after(rotate.after(to_target));
  }

  std::set<std::string> frozen_layers(const ViewportRecord& vp) const {
    std::set<std::string> names(vp.frozen_names.begin(), vp.frozen_names.end());
    for (const auto& handle : vp.frozen_handles)
      if (auto it = scan_.layer_names_.find(handle); it != scan_.layer_names_.end())
        names.insert(it->second);
    return names;
  }

  const LayoutScan& scan_;
  Assembly& assembly_;
  std::shared_ptr<const std::vector<Element>> model_;
  std::map<std::set<std::string>, std::shared_ptr<const std::vector<Element>>> filtered_;
};

std::vector<LayoutSheet> layout_sheets(
    const LayoutScan& scan, Assembly& assembly,
    const std::function<std::string(const std::string&)>& to_utf8) {
  return LayoutBuilder(scan, assembly).build(to_utf8);
}

}  // namespace host::dxf
