// Paper-space layouts of a DXF file as sheets: one per layout that holds content, in tab
// order, its viewports showing the model space as groups.
#include "host/formats/dxf_layouts.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <numbers>
#include <set>

#include "host/value/language.h"
#include "host/formats/dxf_clip.h"

namespace host::dxf {

class LayoutBuilder {
 public:
  LayoutBuilder(const LayoutScan& scan, Assembly& assembly, const ModelCompletion& complete)
      : scan_(scan), assembly_(assembly), complete_(complete) {}

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
      if (layout.paper_units == 0) {
        sheet.mm_per_unit = 25.4;
        sheet.units = _("inches");
      }
      // a plot scale other than 1:1 enlarges or shrinks the paper
      if (layout.numerator > 0 && layout.denominator > 0 &&
          layout.numerator / layout.denominator > 1e-3 &&
          layout.numerator / layout.denominator < 1e3 && layout.numerator != layout.denominator) {
        sheet.mm_per_unit *= layout.numerator / layout.denominator;
        sheet.units += host::translate_format(" plotted at {:g}:{:g}", layout.numerator,
                                               layout.denominator);
      }
      // names are unique in a valid file; a broken one must not give two sheets one name
      for (int n = 2; !names.insert(sheet.name).second; ++n)
        sheet.name = to_utf8(layout.name) + " (" + std::to_string(n) + ")";
      for (const ViewportRecord* vp : layout.viewports)
        if (vp != layout.main) view(*vp, layout, sheet.elements);
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
    int paper_units = 1;
    double numerator = 1, denominator = 1;
    // the drawing's own line types in views: as long on paper in every view ($PSLTSCALE
    // 1), or scaled with the model space like everything else in the view (0)
    bool paper_linetypes = true;
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
      layout.paper_units = record.paper_units;
      layout.numerator = record.numerator;
      layout.denominator = record.denominator;
      layout.paper_linetypes = record.flags >= 0 ? (record.flags & 1) != 0 : scan_.paper_linetypes_;
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
      only.paper_linetypes = scan_.paper_linetypes_;
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

  // The model space as assembled (the frozen layers of views are told by its order), and
  // as shown: completed by the reader.
  void take_model() {
    raw_model_ = assembly_.take_model();
    auto shown = std::make_shared<std::vector<Element>>(raw_model_);
    if (complete_) complete_(*shown);
    model_ = std::move(shown);
  }

  // The model space without the layers frozen in a viewport; views with the same frozen
  // layers share one copy.
  std::shared_ptr<const std::vector<Element>> model_without(const std::set<std::string>& frozen) {
    if (frozen.empty()) return model_;
    auto& cached = filtered_[frozen];
    if (cached) return cached;
    const std::vector<bool> on = assembly_.model_on_layers(frozen);
    auto content = std::make_shared<std::vector<Element>>();
    for (std::size_t i = 0; i < raw_model_.size(); ++i)
      if (i >= on.size() || !on[i]) content->push_back(raw_model_[i]);
    if (complete_) complete_(*content);
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
  void view(const ViewportRecord& vp, const Layout& layout, std::vector<Element>& out) {
    const bool active = layout.active;
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
        g->paper_dashes = layout.paper_linetypes;
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
    // a scale no drawing uses would only carry numbers beyond what a sheet can hold
    const double scale = vp.height / vp.view_height;
    if (!(scale > 1e-9 && scale < 1e9)) return false;
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
  const ModelCompletion& complete_;
  std::vector<Element> raw_model_;
  std::shared_ptr<const std::vector<Element>> model_;
  std::map<std::set<std::string>, std::shared_ptr<const std::vector<Element>>> filtered_;
};

std::vector<LayoutSheet> layout_sheets(
    const LayoutScan& scan, Assembly& assembly,
    const std::function<std::string(const std::string&)>& to_utf8,
    const ModelCompletion& complete_model) {
  return LayoutBuilder(scan, assembly, complete_model).build(to_utf8);
}

}  // namespace host::dxf
