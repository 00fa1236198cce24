// The group values dxflib does not pass on (or passes converted), captured per entity.
#include "host/formats/dxf_raw.h"

#include <algorithm>
#include <charconv>

#include "host/formats/dxf_names.h"
#include "host/formats/dxf_proxy.h"

namespace host::dxf {
namespace {

// Text: alignment point, width factor, angle, oblique; flags; alignment; line weight;
// polyline widths; mesh sizes and face corners; paper space; MTEXT background (flags,
// colour, true colour, margin); line type scale; layer plot flag.
int slot(int code) {
  switch (code) {
    case 11:
      return 0;
    case 21:
      return 1;
    case 50:
      return 2;
    case 51:
      return 3;
    case 70:
      return 4;
    case 72:
      return 5;
    case 73:
      return 6;
    case 74:
      return 7;
    case 370:
      return 8;
    case 40:
      return 9;
    case 41:
      return 10;
    case 43:
      return 11;
    case 71:
      return 12;
    case 67:
      return 13;
    case 45:
      return 14;
    case 63:
      return 15;
    case 90:
      return 16;
    case 421:
      return 17;
    case 48:
      return 18;
    case 290:
      return 19;
    case 10:
      return 20;
    case 20:
      return 21;
    case 44:
      return 22;
    case 60:
      return 23;
    case 46:
      return 24;
    default:
      return -1;
  }
}

bool parse_number(const std::string& s, double& out) {
  const char* p = s.data();
  const char* end = p + s.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  if (p < end && *p == '+') ++p;
  auto [ptr, ec] = std::from_chars(p, end, out);
  return ec == std::errc();
}

}  // namespace

bool RawGroups::has(int code) const {
  int s = slot(code);
  return s >= 0 && (present_ >> s) & 1;
}

double RawGroups::real(int code, double fallback) const {
  return has(code) ? values_[slot(code)] : fallback;
}

int RawGroups::integer(int code, int fallback) const {
  if (!has(code)) return fallback;
  double v = values_[slot(code)];
  return v > -2e9 && v < 2e9 ? static_cast<int>(v) : fallback;
}

bool RawCapture::keeps_groups(const std::string& entity) {
  static const std::string kinds[] = {
      "HATCH",          "MPOLYGON",      "MULTILEADER",   "MLEADER",       "ACAD_TABLE",
      "ARC_DIMENSION",  "WIPEOUT",       "HELIX",         "MLINE",         "TOLERANCE",
      "ATTDEF",         "PDFUNDERLAY",   "DWFUNDERLAY",   "DGNUNDERLAY",   "IMAGE",
      "BLOCK_RECORD",   "IMAGEDEF",      "MESH",          "DIMSTYLE",      "SPATIAL_FILTER",
      "DICTIONARY",     "PDFDEFINITION", "DWFDEFINITION", "DGNDEFINITION", "WIPEOUTVARIABLES",
      "RASTERVARIABLES"};
  for (const auto& kind : kinds)
    if (entity == kind) return true;
  return false;
}

void RawCapture::take(unsigned code, const std::string& value) {
  if (code == 0 || code == 9) {
    std::swap(current_, flushed_);
    current_.entity = code == 0 ? value : std::string();
    current_.name.clear();
    current_.handle.clear();
    current_.xdict.clear();
    current_.owner.clear();
    current_.inverted_clip = in_inverted_ = false;
    current_.inverted_boundary.clear();
    current_.info.clear();
    current_.mtext_chunks.clear();
    current_.groups.clear();
    current_.widths.clear();
    current_.acad_text.clear();
    current_.present_ = 0;
    if (current_.columns.type != 0 || !current_.columns.heights.empty() ||
        !current_.columns.linked.empty())
      current_.columns = {};
    embedded_ = false;
    acad_app_ = column_info_ = column_list_ = false;
    pending_code_ = heights_left_ = 0;
    our_app_ = false;
    in_xdict_ = false;
    depth_ = 0;
    // custom entities are kept for their proxy graphic; objects of unknown kinds are not
    keep_all_ = code == 0 && (keeps_groups(value) ||
                              (drawing_section_ && draws_proxy_graphic(value)));
    lwpolyline_ = code == 0 && value == "LWPOLYLINE";
    return;
  }
  if (keep_all_) current_.groups.emplace_back(static_cast<int>(code), value);
  if (lwpolyline_) take_width(code, value);
  if (code == 2) {
    if (current_.entity == "SECTION") drawing_section_ = value == "ENTITIES" || value == "BLOCKS";
    current_.name = value;
    return;
  }
  if (code == 5 && !embedded_) current_.handle = value;
  if (code == 102) in_xdict_ = value == "{ACAD_XDICTIONARY";
  if (code == 360 && in_xdict_) current_.xdict = value;
  if (code == 330) current_.owner = value;
  if (code == 102) {
    in_inverted_ = value == "ACAD_INVERTEDCLIP_ROUNDTRIP";
    current_.inverted_clip = current_.inverted_clip || in_inverted_;
  }
  if (in_inverted_ && code == 10) parse_number(value, current_.inverted_boundary.emplace_back().x);
  if (in_inverted_ && code == 20 && !current_.inverted_boundary.empty())
    parse_number(value, current_.inverted_boundary.back().y);
  if (code >= 1000) {
    take_info(code, value);
    return;
  }
  // An MTEXT's embedded object (R2018 columns) repeats codes 10, 40, 44, 71 ... with other
  // meanings; the entity's own values are those before it.
  if (code == 101) embedded_ = true;
  if (embedded_) {
    take_embedded(code, value);
    return;
  }
  int s = slot(static_cast<int>(code));
  if (s >= 0 && parse_number(value, current_.values_[s])) current_.present_ |= 1u << s;
}

void RawCapture::take_width(unsigned code, const std::string& value) {
  double v = 0;
  if (code == 10) current_.widths.emplace_back(0.0, 0.0);
  if ((code == 40 || code == 41) && !current_.widths.empty() && parse_number(value, v))
    (code == 40 ? current_.widths.back().first : current_.widths.back().second) = v;
}

void RawCapture::take_info(unsigned code, const std::string& value) {
  if (code == 1001) {
    our_app_ = value == kInfoApp;
    acad_app_ = value == "ACAD";
    column_info_ = column_list_ = false;
    depth_ = 0;
    return;
  }
  if (acad_app_ && code == 1000) {
    // other ACAD sections (text borders, ...) use the same codes for other things
    if (value == "ACAD_MTEXT_COLUMN_INFO_BEGIN" || value == "ACAD_MTEXT_DEFINED_HEIGHT_BEGIN")
      column_info_ = true;
    else if (value.ends_with("_END"))
      column_info_ = column_list_ = false;
    if (value == "ACAD_MTEXT_COLUMNS_BEGIN") column_list_ = true;
  }
  if (column_list_ && code == 1005 && current_.entity == "MTEXT" &&
      current_.columns.linked.size() < 1000)
    current_.columns.linked.push_back(value);
  if (column_info_ && current_.entity == "MTEXT") take_column_info(code, value);
  if (acad_app_ && code == 1000 && current_.acad_text.empty()) current_.acad_text = value;
  if (!our_app_) return;
  if (code == 1002) {
    if (value == "{" && depth_++ == 0) group_.clear();
    if (value == "}" && depth_ > 0 && --depth_ == 0) current_.info.push_back(group_);
  } else if (code == 1000) {
    if (depth_ > 0) {
      group_ += value;
    } else {
      current_.info.push_back(value);
    }
  }
}

// Pairs of 1070 (the code) and 1070 or 1040 (its value); code 50 is followed by a count
// and that many heights.
void RawCapture::take_column_info(unsigned code, const std::string& value) {
  double v = 0;
  if ((code != 1070 && code != 1040) || !parse_number(value, v)) return;
  MTextColumns& c = current_.columns;
  if (pending_code_ == 0) {
    if (code == 1040 && heights_left_ > 0) {
      c.heights.push_back(v);
      --heights_left_;
    } else if (code == 1070) {
      pending_code_ = static_cast<int>(v);
    }
    return;
  }
  switch (pending_code_) {
    case 75:
      c.type = static_cast<int>(v);
      break;
    case 76:
      c.count = static_cast<int>(v);
      break;
    case 79:
      c.auto_height = v != 0;
      break;
    case 48:
      c.width = v;
      break;
    case 49:
      c.gutter = v;
      break;
    case 46:
      c.defined_height = v;
      break;
    case 50:
      heights_left_ = std::clamp(static_cast<int>(v), 0, 1000);
      break;
    default:
      break;
  }
  pending_code_ = 0;
}

// The embedded object: 71 column type, 72 count, 44 width, 45 gutter, 73 auto height,
// 46 the height of each column (one for all of them with auto height).
void RawCapture::take_embedded(unsigned code, const std::string& value) {
  double v = 0;
  if (!parse_number(value, v)) return;
  MTextColumns& c = current_.columns;
  switch (code) {
    case 71:
      c.type = static_cast<int>(v);
      break;
    case 72:
      c.count = static_cast<int>(v);
      break;
    case 44:
      c.width = v;
      break;
    case 45:
      c.gutter = v;
      break;
    case 73:
      c.auto_height = v != 0;
      break;
    case 46:
      if (c.heights.size() < 1000) c.heights.push_back(v);
      break;
    default:
      break;
  }
}

}  // namespace host::dxf
