// Plot style tables of CAD programs: colour-dependent tables (.ctb, one style per colour
// index 1..255) and named tables (.stb, styles by name). A table says per style how an
// element prints: its colour (or the element's own), screening, line weight (or the
// element's own), line ends and corners, and how areas fill.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/drawing/model.h"

namespace host {

enum class LineEnd { Object, Butt, Square, Round, Diamond };
enum class LineCorner { Object, Miter, Bevel, Round, Diamond };
enum class AreaFill {
  Object,
  Solid,
  Checkerboard,
  Crosshatch,
  Diamonds,
  HorizontalBars,
  SlantLeft,
  SlantRight,
  SquareDots,
  VerticalBars
};

struct PlotStyleEntry {
  std::string name;
  std::optional<Rgb> color;  // nullopt: the element's own colour
  bool grayscale = false;    // the colour printed as its grey
  int screen = 100;          // percent of the colour's ink: 100 as it is, 0 paper white
  std::optional<double> lineweight_mm;  // nullopt: the element's own pen size
  LineEnd end = LineEnd::Object;
  LineCorner corner = LineCorner::Object;
  AreaFill fill = AreaFill::Object;
};

struct PlotStyleTable {
  bool named = false;  // .stb; otherwise .ctb
  std::string description;
  // With `apply_factor`, dash patterns and fill patterns print this many times as long.
  double scale_factor = 1;
  bool apply_factor = false;
  // .ctb: entry i is colour index i + 1; .stb: in the file's order.
  std::vector<PlotStyleEntry> styles;

  // The style of a colour index (1..255) of a colour-dependent table; nullptr otherwise.
  const PlotStyleEntry* by_index(int index) const;
  // The style of that name (any case) of a named table; nullptr when it has none.
  const PlotStyleEntry* by_name(std::string_view name) const;
};

// Reads a table from the bytes of its file: a header line naming the kind and the codec,
// three 32-bit numbers, then zlib-compressed text. `file` names the file in errors. Throws
// host::Error for anything that is not a readable table.
PlotStyleTable read_plot_style_table(std::span<const std::uint8_t> bytes, const std::string& file);
PlotStyleTable load_plot_style_table(const std::filesystem::path& file);

// The folders a table named by a drawing is looked for in: $TAVRIN_PLOT_STYLES (an office's
// own, first), then TABELLEN/PLOTSTYLES of the installation tree.
std::vector<std::filesystem::path> plot_style_folders(const std::filesystem::path& install);
// The file of a table name such as "monochrome.ctb" (any case) in those folders; nullopt
// when none holds it. A name with folders is taken as its last part.
std::optional<std::filesystem::path> find_plot_style_table(
    const std::string& name, const std::vector<std::filesystem::path>& folders);

}  // namespace host
