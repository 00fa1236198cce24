// Paper-space layouts of a DXF file as sheets: what the author plots. dxflib reports neither
// layouts nor viewports, so their groups are taken from the raw group stream.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/drawing/model.h"
#include "host/formats/dxf_assembly.h"

namespace host::dxf {

// The blocks of paper-space layouts: "*Paper_Space" (the active one), "*Paper_Space0", ...
inline bool is_paper_block(const std::string& upper_name) {
  return upper_name.rfind("*PAPER_SPACE", 0) == 0;
}

struct ViewportRecord {
  std::string handle;
  std::string owner;  // group 330: the block record of its layout
  std::string block;  // the block it is defined in (upper case); "" in ENTITIES
  RawStroke stroke;
  Vec2 centre;
  double width = 0, height = 0;
  int status = 0, id = 0;
  Vec2 view_centre, target;
  double direction[3] = {0, 0, 1};
  double view_height = 0, twist = 0;  // twist in degrees
  std::uint32_t flags = 0;
  std::vector<std::string> frozen_handles;  // layers by handle (group 331)
  std::vector<std::string> frozen_names;    // layers by name (R12 extended data)
  std::string clip_handle;                  // group 340: the entity that clips it
};

struct LayoutRecord {
  std::string name;
  int tab = 0;
  std::string block_record;
  int paper_units = 1;                    // plot settings: 0 inches, 1 millimetres
  double numerator = 1, denominator = 1;  // plot scale: paper units per drawing unit
  int flags = -1;                         // the layout's own flags (1: line types on paper)
  std::string style_sheet;                // plot settings: the plot style table it names
};

// A paper-space outline that may clip a viewport, in paper coordinates.
struct OutlineRecord {
  std::vector<Vec2> points;
  std::vector<double> bulges;
  bool closed = false;
  double radius = 0;  // a circle: centre in points[0]
};

// Watches every group of the file and keeps what the layouts need: layouts, viewports,
// block records, layers (handle, name, frozen) and paper-space outlines.
class LayoutScan {
 public:
  void take(unsigned code, const std::string& value);
  // $PSLTSCALE: whether the active layout scales line types to paper, for files whose
  // layouts carry no flags of their own (R12).
  void set_paper_linetypes(bool on) { paper_linetypes_ = on; }
  // The plot style table the model space's layout names; "" for none.
  std::string model_style_sheet() const;
  // The name of the named plot style of that handle (any case); "" when the handle is none.
  std::string plot_style_name(const std::string& handle) const;

 private:
  friend class LayoutBuilder;
  enum class Kind {
    Other,
    Block,
    Layer,
    BlockRecord,
    Layout,
    Viewport,
    Outline,
    Vertex,
    Dictionary,
    Placeholder
  };
  void finish_record();
  void viewport_group(unsigned code, const std::string& value);
  void outline_group(unsigned code, const std::string& value);

  std::string section_;
  bool want_section_name_ = false;
  std::string block_;  // upper case name of the block being defined
  Kind kind_ = Kind::Other;
  // the record being read
  std::string type_, handle_, name_, owner_;
  int flags_ = 0, tab_ = 0, paper_units_ = 1, layout_flags_ = -1;
  bool paper_linetypes_ = true;
  double numerator_ = 1, denominator_ = 1;
  std::string style_sheet_;
  bool plotted_ = true;
  bool layout_subclass_ = false, paper_ = false, skip_ = false;
  ViewportRecord vp_;
  OutlineRecord outline_;
  std::string outline_handle_;  // the POLYLINE whose VERTEX records follow
  Vec2 vertex_;
  double vertex_bulge_ = 0;
  bool vertex_spline_frame_ = false;
  int xdata_ = 0;  // R12 viewport data: 0 none, 1 ACAD, 2 MVIEW; then counts
  int xdata_reals_ = 0, xdata_points_ = 0;

  std::vector<ViewportRecord> viewports_;
  std::vector<LayoutRecord> layouts_;
  std::map<std::string, std::string> block_records_;  // handle -> name (upper case)
  std::map<std::string, std::string> block_owners_;   // block record handle -> block name
  std::map<std::string, std::string> layer_names_;    // handle -> name (upper case)
  std::map<std::string, bool> layer_frozen_;          // name (upper case) -> frozen
  std::set<std::string> layer_unplotted_;             // names (upper case) of no-plot layers
  std::map<std::string, OutlineRecord> outlines_;     // handle -> outline
  // Named plot styles: the dictionary entries that name a placeholder object.
  std::string entry_name_;
  std::map<std::string, std::string> entry_names_;  // handle -> the last entry naming it
  std::set<std::string> placeholders_;              // handles (upper case)
};

struct LayoutSheet {
  std::string name;  // as the file has it, UTF-8
  std::vector<Element> elements;
  // Millimetres of paper per unit of the layout, and the unit's name.
  double mm_per_unit = 1;
  std::string units = "millimetres";
  std::string plot_style_table{};  // as its layout names it
};

// One sheet per layout that holds more than its own overall viewport, in tab order; empty
// when there is none. The assembly must be complete; its model and paper space are taken
// when sheets are returned. `to_utf8` converts names from the file's code page;
// `complete_model` completes each copy of the model space that views show, as the reader
// completes a sheet (pictures and underlays looked up, point symbols drawn).
using ModelCompletion = std::function<void(std::vector<Element>&)>;
std::vector<LayoutSheet> layout_sheets(
    const LayoutScan& scan, Assembly& assembly,
    const std::function<std::string(const std::string&)>& to_utf8,
    const ModelCompletion& complete_model = {});

}  // namespace host::dxf
