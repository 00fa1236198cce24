// The groups of a DXF file that paper-space layouts need: layouts, viewports, block
// records, layers and the outlines that may clip a viewport.
#include <charconv>
#include <cmath>

#include "host/formats/dxf_layouts.h"
#include "host/value/text.h"

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
  return upper(trim_view(s));
}

}  // namespace

std::string LayoutScan::plot_style_name(const std::string& handle) const {
  const std::string key = trimmed_upper(handle);
  if (!placeholders_.count(key)) return {};
  auto it = entry_names_.find(key);
  return it == entry_names_.end() ? std::string() : it->second;
}

void LayoutScan::take(unsigned code, const std::string& value) {
  if (code == 0) {
    finish_record();
    type_ = value;
    handle_.clear();
    name_.clear();
    owner_.clear();
    flags_ = tab_ = 0;
    layout_flags_ = -1;
    paper_units_ = 1;
    numerator_ = denominator_ = 1;
    style_sheet_.clear();
    entry_name_.clear();
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
      if (value == "DICTIONARY" || value == "ACDBDICTIONARYWDFLT") kind_ = Kind::Dictionary;
      if (value == "ACDBPLACEHOLDER") kind_ = Kind::Placeholder;
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
      if (code == 72 && !layout_subclass_) paper_units_ = integer(value);
      if (code == 142) numerator_ = real(value);
      if (code == 143) denominator_ = real(value);
      if (code == 7 && !layout_subclass_) style_sheet_ = value;
      // code 70 of the plot settings before it means something else
      if (code == 70 && layout_subclass_) layout_flags_ = integer(value);
      if (code == 100 && value == "AcDbLayout") layout_subclass_ = true;
      if (code == 330 && layout_subclass_) owner_ = trimmed_upper(value);
      return;
    case Kind::Dictionary:
      if (code == 3) entry_name_ = value;
      if ((code == 350 || code == 360) && !entry_name_.empty())
        entry_names_[trimmed_upper(value)] = entry_name_;
      return;
    case Kind::Placeholder:
      if (code == 5) placeholders_.insert(trimmed_upper(value));
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
    case Kind::Dictionary:
    case Kind::Placeholder:
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
      layouts_.push_back(
          {name_, tab_, owner_, paper_units_, numerator_, denominator_, layout_flags_, style_sheet_});
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

}  // namespace host::dxf
