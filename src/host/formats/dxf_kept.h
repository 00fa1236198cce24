// Drawing the entities whose groups the capture kept whole (hatches, multileaders, tables,
// wipeouts, images, multilines, helices, tolerances, arc dimensions, attribute definitions),
// and the custom entities drawn from their proxy graphic.
#pragma once

#include <map>
#include <string>

#include "host/formats/dxf_assembly.h"
#include "host/formats/dxf_groups.h"
#include "host/formats/dxf_hatch.h"
#include "host/formats/dxf_proxy.h"
#include "host/formats/dxf_raw.h"
#include "host/formats/dxf_style.h"
#include "host/formats/dxf_text.h"

namespace host::dxf {

// Marks the construction lines (XLINE, RAY) until the sheet's extent is known: they are
// drawn to the edge of the other content and do not widen it.
inline constexpr const char* kXLineMark = "\x01xline";
inline constexpr const char* kRayMark = "\x01ray";
// Marks the frames of images until the drawing's image frame setting is known.
inline constexpr const char* kImageFrameMark = "\x01imageframe";

class KeptEntities {
 public:
  // `styles` is the file's text style table, read before the entities.
  KeptEntities(Assembly& assembly, const TextDecoder& decoder, const TextStyles& styles)
      : assembly_(assembly), decoder_(decoder), styles_(styles) {}

  // Draws the entity into the assembly; `in_block` inside a block definition.
  void add(const RawGroups& raw, bool in_block);

  // Images name their file through an IMAGEDEF object that follows the entities: until
  // then an Image element's source is kImageMark and the handle of that object.
  static constexpr char kImageMark = '\x01';
  const std::string* image_file(const std::string& handle) const {
    auto it = image_files_.find(handle);
    return it == image_files_.end() ? nullptr : &it->second;
  }

  // Underlays name their file through a definition object that follows the entities: until
  // then the frame of an underlay without a clipping boundary is a closed Polyline whose
  // points are its insertion point and the ends of one inch along its x and y axes, and
  // whose source is kImageMark and the handle of that object.
  struct UnderlayFile {
    std::string file;
    bool pdf = false;
    int page = 1;  // of a PDF, counted from 1
  };
  // Whether wipeouts show (and plot) their frames, as an object after the entities says.
  bool wipeout_frames() const { return wipeout_frames_; }
  // Whether image frames are plotted, as the drawing's image settings say (0 frames off,
  // 1 shown and plotted, 2 shown on screen only); shown when the drawing says nothing.
  bool image_frames() const { return image_frames_ == 1; }

  // The layer and line type names and the default font that proxy graphics refer to, filled
  // by the reader as the tables come.
  ProxyTables& proxy_tables() { return proxy_tables_; }
  // Whether a proxy graphic drew infinite lines (marked kXLineMark or kRayMark).
  bool has_construction() const { return has_construction_; }

  const UnderlayFile* underlay_file(const std::string& handle) const {
    auto it = underlay_files_.find(handle);
    return it == underlay_files_.end() ? nullptr : &it->second;
  }

 private:
  void underlay_frame(const RawGroups& raw, const RawStroke& stroke, bool paper);
  void hatch(const RawGroups& raw, const RawStroke& stroke, bool paper);
  void hatch_area(const Hatch& h, const RawStroke& stroke, bool paper);
  void picture(const RawGroups& raw, const RawStroke& stroke, bool paper);
  void multileader(const RawGroups& raw, const RawStroke& stroke, bool paper);
  void table(const RawGroups& raw, const RawStroke& stroke, bool paper, bool world);
  void attdef(const RawGroups& raw, const RawStroke& stroke, bool paper, bool in_block);
  void tolerance(const RawGroups& raw, const RawStroke& stroke, bool paper);
  void proxy(const RawGroups& raw, const RawStroke& stroke, bool paper);
  struct DimStyle;
  static void set_dim_variable(DimStyle& style, int code, const std::string& value);
  static void set_dim_style(DimStyle& style, const Groups& groups);
  static void override_dim_style(DimStyle& style, const Groups& groups);
  void polyline(std::vector<Vec2> points, bool closed, const RawStroke& stroke, bool paper,
                const char* mark = "");
  void fill(const std::vector<std::vector<Vec2>>& rings, ElementKind kind, const RawStroke& stroke,
            bool paper);
  void text(Element e, const std::string& content, int attachment, const RawStroke& stroke,
            bool paper);

  Assembly& assembly_;
  const TextDecoder& decoder_;
  const TextStyles& styles_;
  std::map<std::string, std::string> block_records_;  // handle to block name
  std::map<std::string, std::string> image_files_;    // IMAGEDEF handle to file name
  bool wipeout_frames_ = false;
  int image_frames_ = 1;
  std::map<std::string, UnderlayFile> underlay_files_;  // definition handle to its file
  ProxyTables proxy_tables_;
  bool has_construction_ = false;
  // What a tolerance frame takes from its dimension style: the text height and overall
  // scale, the colours of frame and text (0: the entity's own) and the text style's handle.
  struct DimStyle {
    double text_height = 2.5;
    double scale = 1;
    int line_color = 0;
    int text_color = 0;
    std::string text_style;
  };
  std::map<std::string, DimStyle> dim_styles_;  // by upper-case name
};

// An entity's layer, colour, line type and weight from its groups.
RawStroke stroke_of(const Groups& groups);

}  // namespace host::dxf
