// Fuzz target: the plot style table reader must answer any bytes with a table or a host
// error naming the file, and a table it reads must give every stroke a printable pen. An
// input whose first byte is even stands for the table's text: it is compressed into a valid
// file first, so that the fuzzer reaches the text parser instead of stopping at zlib.
#include <zlib.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/api/error.h"
#include "host/plot/print_colors.h"
#include "host/settings/plot_style_table.h"

namespace {

std::vector<std::uint8_t> as_table_file(const std::uint8_t* text, std::size_t size) {
  const std::string_view head = "PIAFILEVERSION_2.0,CTBVER1,compress\r\npmzlibcodec";
  std::vector<std::uint8_t> out(head.begin(), head.end());
  if (size > 0 && text[0] == 'N') out[19] = 'S';  // a named table now and then
  out.resize(out.size() + 12, 0);
  uLongf packed = compressBound(static_cast<uLong>(size));
  const std::size_t at = out.size();
  out.resize(at + packed);
  if (compress(out.data() + at, &packed, text, static_cast<uLong>(size)) != Z_OK) return {};
  out.resize(at + packed);
  return out;
}

void check(const host::Stroke& s) {
  const host::Rgb& c = s.color;
  for (double v : {c.r, c.g, c.b})
    if (!(v >= 0 && v <= 1)) throw std::logic_error("a colour channel outside 0..1");
  if (!std::isfinite(s.pensize) || s.pensize < 0) throw std::logic_error("a bad pen size");
}

}  // namespace

int fuzz_plot_style_table(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  if (size > 0 && data[0] % 2 == 0) bytes = as_table_file(data + 1, size - 1);
  host::PlotStyleTable table;
  try {
    table = host::read_plot_style_table(bytes, "fuzz.ctb");
  } catch (const host::Error& e) {
    if (std::string_view(e.what()).substr(0, 9) != "fuzz.ctb:")
      throw std::logic_error(std::string("error does not name the file: ") + e.what());
    return 0;
  }
  host::Stroke drawn;
  drawn.color = {0.2, 0.6, 1};
  drawn.pensize = 0.35;
  drawn.dashes = {2, -1};
  for (int index = 0; index <= 256; ++index) {
    drawn.color_index = static_cast<std::uint8_t>(index);
    check(host::apply_plot_style_table(table, drawn));
  }
  for (const auto& style : table.styles) {
    drawn.plot_style = style.name;
    check(host::apply_plot_style_table(table, drawn));
  }
  return 0;
}
