// Reading plot style tables, and what their styles make of a drawn stroke.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "host/api/error.h"
#include "host/plot/print_colors.h"
#include "host/settings/plot_style_table.h"

namespace host {
namespace {

// A table file around `text`; `wide` puts the three numbers in 64-bit fields as some writers
// do.
std::vector<std::uint8_t> table_file(const std::string& text, const char* kind = "CTBVER1",
                                     bool wide = false) {
  const std::string head =
      std::string("PIAFILEVERSION_2.0,") + kind + ",compress\r\npmzlibcodec";
  std::vector<std::uint8_t> out(head.begin(), head.end());
  out.resize(out.size() + (wide ? 24 : 12), 0);
  uLongf size = compressBound(static_cast<uLong>(text.size() + 1));
  const std::size_t at = out.size();
  out.resize(at + size);
  compress(out.data() + at, &size, reinterpret_cast<const Bytef*>(text.c_str()),
           static_cast<uLong>(text.size() + 1));
  out.resize(at + size);
  return out;
}

std::string style(int index, const std::string& fields) {
  return " " + std::to_string(index) + "{\n  name=\"Color_" + std::to_string(index + 1) + "\n" +
         fields + " }\n";
}

TEST(PlotStyleTable, BadFilesAreErrorsNamingTheFile) {
  std::vector<std::uint8_t> truncated = table_file("plot_style{\n}\n");
  truncated.resize(truncated.size() - 4);
  const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases = {
      {"empty", {}},
      {"other file", table_file("x=1", "PC3VER1")},
      {"truncated", truncated},
      {"not a line", table_file("plot_style{\n 0{\n  just words\n }\n}\n")},
      {"unclosed", table_file("plot_style{\n 0{\n  name=\"a\n")},
      {"stray brace", table_file("}\n")},
      {"too deep", table_file("a{\nb{\nc{\nd{\ne{\nf{\ng{\nh{\ni{\nj{\n")},
  };
  for (const auto& [what, bytes] : cases) {
    try {
      read_plot_style_table(bytes, "t.ctb");
      ADD_FAILURE() << what << ": read";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("t.ctb: not a plot style table", 0), 0u)
          << what << ": " << e.what();
    }
  }
  EXPECT_THROW(load_plot_style_table("/nonexistent/t.ctb"), Error);
}

TEST(PlotStyleTable, StylesPrintAsTheirFieldsSay) {
  const std::string text =
      "description=\"Buero\nscale_factor=2.0\napply_factor=TRUE\nplot_style{\n" +
      style(0, "  color=-1\n  lineweight=0\n") +                                 // as drawn
      style(1, "  color=-1023410176\n  mode_color=-1040187137\n  screen=50\n"  // blue, half
               "  lineweight=3\n  end_style=0\n  join_style=1\n") +
      style(2, "  color=-1006632961\n  color_policy=3\n  lineweight=255\n") +  // own, grey
      "}\ncustom_lineweight_table{\n 0=0.00\n 3=0.70\n}\n";
  for (bool wide : {false, true}) {
    const PlotStyleTable t = read_plot_style_table(table_file(text, "CTBVER1", wide), "t.ctb");
    ASSERT_EQ(t.styles.size(), 255u);
    EXPECT_EQ(t.description, "Buero");
    Stroke drawn;
    drawn.color = {1, 0, 0};
    drawn.color_index = 1;
    drawn.pensize = 0.25;
    drawn.dashes = {2, -1};
    // the pen as drawn, but its dashes at the table's scale
    Stroke own = drawn;
    own.dashes = {4, -2};
    EXPECT_EQ(apply_plot_style_table(t, drawn), own);

    drawn.color_index = 2;
    const Stroke blue = apply_plot_style_table(t, drawn);
    EXPECT_NEAR(blue.color.r, 0.5, 1e-9);
    EXPECT_NEAR(blue.color.b, 1.0, 1e-9);
    EXPECT_EQ(blue.pensize, 0.7);
    EXPECT_EQ(blue.cap, LineCap::Butt);
    EXPECT_EQ(blue.join, LineCap::Square);
    EXPECT_EQ(blue.dashes, (std::vector<double>{4, -2}));

    // a true colour plots by the nearest index: pure green is index 3
    drawn.color_index = 0;
    drawn.color = {0, 1, 0};
    const Stroke grey = apply_plot_style_table(t, drawn);
    EXPECT_NEAR(grey.color.r, 0.7152, 1e-9);
    EXPECT_EQ(grey.pensize, 0.25);
  }
}

TEST(PlotStyleTable, NamedTablesFindStylesByNameAndOfficeFolders) {
  const std::string text = "plot_style{\n 0{\n  name=\"Normal\n  color=-1\n }\n"
                           " 1{\n  name=\"Rot\n  color=-1023475712\n  mode_color=-1023475712\n }\n}\n";
  const PlotStyleTable t = read_plot_style_table(table_file(text, "STBVER1"), "t.stb");
  ASSERT_TRUE(t.named);
  Stroke drawn;
  drawn.plot_style = "ROT";
  EXPECT_EQ(apply_plot_style_table(t, drawn).color, (Rgb{1, 0, 0}));
  drawn.plot_style = "";  // "Normal"
  EXPECT_EQ(apply_plot_style_table(t, drawn), drawn);
  EXPECT_EQ(t.by_index(1), nullptr);

  const auto shipped = std::filesystem::path(TAVRIN_SOURCE_DIR) / "share/tavrin";
  const auto folders = plot_style_folders(shipped);
  ASSERT_FALSE(folders.empty());
  for (const char* name : {"MONOCHROME.CTB", "C:\\Plot Styles\\acad.stb", "x/grayscale.ctb"})
    EXPECT_TRUE(find_plot_style_table(name, folders)) << name;
  EXPECT_FALSE(find_plot_style_table("nirgends.ctb", folders));
  const PlotStyleTable mono = load_plot_style_table(*find_plot_style_table("monochrome.ctb", folders));
  for (const PlotStyleEntry& e : mono.styles) EXPECT_EQ(e.color, (Rgb{0, 0, 0}));
}

}  // namespace
}  // namespace host
