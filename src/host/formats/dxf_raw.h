// The group values dxflib does not pass on (or passes converted), captured per entity.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/drawing/model.h"

namespace host::dxf {

// How an MTEXT flows into columns: from the XDATA of R2000 to R2013 files or the embedded
// object of R2018 files.
struct MTextColumns {
  int type = 0;  // 1 static (each column an entity of its own), 2 dynamic (text flows on)
  int count = 0;
  bool auto_height = false;
  double width = 0, gutter = 0, defined_height = 0;
  std::vector<double> heights;  // manual heights, one per column
  // Before R2018: the handles of the MTEXT entities that hold the further columns.
  std::vector<std::string> linked;
};

struct RawGroups {
  std::string entity;             // the entity type ("TEXT", "VERTEX", ...)
  std::string name;               // group 2: the block a DIMENSION draws
  std::string handle;             // group 5
  std::string xdict;              // handle of the entity's extension dictionary
  std::string owner;              // group 330
  std::vector<std::string> info;  // INFO attributes from our XDATA, as in the file
  // A record beside an inverted clipping: the boundary as drawn, whose outside it keeps.
  bool inverted_clip = false;
  std::vector<Vec2> inverted_boundary;
  std::string mtext_chunks;  // MTEXT text before its last piece
  // Every group, in file order, of the entity kinds that dxflib does not hand over (or
  // hands over without what drawing them needs): hatches, multileaders, tables, ...
  std::vector<std::pair<int, std::string>> groups;
  // LWPOLYLINE: the start and end width of each vertex.
  std::vector<std::pair<double, double>> widths;
  MTextColumns columns;
  std::string acad_text;  // the first ACAD XDATA string (a text style's font family)

  bool has(int code) const;
  double real(int code, double fallback) const;
  int integer(int code, int fallback) const;

 private:
  friend class RawCapture;
  std::uint32_t present_ = 0;
  std::array<double, 25> values_{};
};

// dxflib reports an entity only when the next one begins, while XDATA and MTEXT pieces
// arrive as they are read. The capture keeps the groups of the entity being read and, once
// the next one begins, hands them over as `flushed()` for the callbacks of the finished one.
class RawCapture {
 public:
  // The entity kinds whose groups are kept whole.
  static bool keeps_groups(const std::string& entity);

  void take(unsigned code, const std::string& value);
  void add_mtext_chunk(const std::string& chunk) { current_.mtext_chunks += chunk; }
  const RawGroups& flushed() const { return flushed_; }

 private:
  void take_info(unsigned code, const std::string& value);
  void take_width(unsigned code, const std::string& value);
  void take_column_info(unsigned code, const std::string& value);
  void take_embedded(unsigned code, const std::string& value);

  RawGroups current_;
  RawGroups flushed_;
  bool our_app_ = false;
  bool embedded_ = false;
  bool in_xdict_ = false;
  bool in_inverted_ = false;
  bool acad_app_ = false;
  bool column_info_ = false;
  bool column_list_ = false;  // ACAD XDATA: inside the list of linked columns
  int pending_code_ = 0;      // ACAD XDATA: the code whose value comes next
  int heights_left_ = 0;
  int depth_ = 0;
  std::string group_;
  bool keep_all_ = false;
  bool drawing_section_ = false;  // in the ENTITIES or BLOCKS section
  bool lwpolyline_ = false;
};

}  // namespace host::dxf
