// Texts and lines of real DXF files as their authors drew them: MTEXT formatting, wrap
// width, background and frame, TEXT styles and mirroring, the file's own line types and
// scales, layers that do not plot; through the model, the PDF and the exported DXF.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "dxf_fixture.h"
#include "host/formats/dxf.h"
#include "host/plot/pdf_writer.h"

namespace tavrin_test {
namespace {

using host::ElementKind;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::string shell(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    pclose(pipe);
  }
  return out;
}

constexpr const char* kScript = R"(
import sys, ezdxf
doc = ezdxf.new("R2018")
doc.header["$INSUNITS"] = 4  # millimetres: no unit scaling
doc.header["$LTSCALE"] = 2
doc.header["$CELTSCALE"] = 3
doc.linetypes.add("ZAUN", pattern=[1.0, 0.6, -0.2, 0.0, -0.2], description="Zaun")
doc.styles.add("ARIALSTIL", font="arial.ttf")
doc.styles.add("STRICH", font="romans.shx").dxf.width = 0.8
doc.layers.add("NIE", color=1).dxf.plot = 0
doc.layers.add("ZAEUNE", color=2, linetype="ZAUN")
msp = doc.modelspace()
msp.add_line((0, 0), (50, 0), dxfattribs={"linetype": "ZAUN", "ltscale": 0.5})
msp.add_line((0, 5), (50, 5), dxfattribs={"layer": "ZAEUNE"})
msp.add_line((0, 10), (50, 10), dxfattribs={"layer": "NIE"})
msp.add_line((0, 15), (50, 15), dxfattribs={"true_color": 0x123456, "lineweight": 50})
msp.add_text("Spiegel", dxfattribs={"style": "STRICH", "height": 2,
                                    "text_generation_flag": 2}).set_placement((60, 0))
m = msp.add_mtext("{\\H2.5;Titel}\\PZeile {\\C1;rot} \\S1/2; eins zwei drei vier",
                  dxfattribs={"char_height": 1.25, "width": 20, "style": "ARIALSTIL",
                              "insert": (0, 60), "attachment_point": 1})
m.set_bg_color(3, scale=1.5, text_frame=True)
msp.add_mtext_dynamic_manual_height_columns("Spalte " * 40, 15, 2, [10, 20, 30],
                                            dxfattribs={"insert": (100, 60)})
msp.add_text("Passt", dxfattribs={"height": 2}).set_pos((0, 30), (40, 60), align="FIT")
doc.saveas(sys.argv[1])
)";

class DxfTextFidelity : public DxfTest {
 protected:
  host::Drawing load() {
    const std::string file = path("Treue.dxf");
    python(kScript, "'" + file + "'");
    return host::read_dxf_file(file);
  }
  static const host::Element& with_kind(const host::Sheet& s, ElementKind kind, int nth = 0) {
    for (const auto& e : s.elements)
      if (e.kind == kind && nth-- == 0) return e;
    throw std::runtime_error("no such element");
  }
};

TEST_F(DxfTextFidelity, StylesFormattingLineTypesAndLayersReachTheModel) {
  const host::Drawing d = load();
  const host::Sheet& s = d.sheets.at(0);
  // the line on the layer that does not plot stays out
  ASSERT_EQ(s.elements.size(), 7u);

  // pattern x $LTSCALE x the entity's scale; without a scale of its own, $CELTSCALE
  EXPECT_THAT(with_kind(s, ElementKind::Line, 0).stroke.dashes, ElementsAre(0.6, -0.2, 0, -0.2));
  EXPECT_THAT(with_kind(s, ElementKind::Line, 1).stroke.dashes,
              ElementsAre(0.6 * 6, -0.2 * 6, 0, -0.2 * 6));
  const host::Stroke& heavy = with_kind(s, ElementKind::Line, 2).stroke;
  EXPECT_EQ(heavy.pensize, 0.5);
  EXPECT_EQ(heavy.color, (host::Rgb{0x12 / 255.0, 0x34 / 255.0, 0x56 / 255.0}));
  EXPECT_TRUE(heavy.dashes.empty());

  const host::TextProps& text = with_kind(s, ElementKind::Text, 0).text;
  EXPECT_EQ(text.font, "romans.shx");
  EXPECT_DOUBLE_EQ(text.ratio, 0.8);  // the style's width factor
  EXPECT_TRUE(text.backward);
  EXPECT_FALSE(text.upside_down);

  const host::TextProps& m = with_kind(s, ElementKind::Text, 1).text;
  EXPECT_EQ(m.font, "arial.ttf");
  EXPECT_EQ(m.lines, (std::vector<std::string>{"Titel", "Zeile rot 1/2 eins zwei drei vier"}));
  // heights relative to the entity's, palette colours as true colours (red: 0x0000FF)
  EXPECT_EQ(m.formatted, "{\\H2x;Titel}\\PZeile {\\c255;rot} \\S1/2; eins zwei drei vier");
  EXPECT_EQ(m.wrap_width, 20);
  EXPECT_EQ(m.background, 1);
  EXPECT_EQ(m.background_color, (host::Rgb{0, 1, 0}));
  EXPECT_EQ(m.background_margin, 1.5);
  EXPECT_TRUE(m.frame);

  const host::TextProps& flowing = with_kind(s, ElementKind::Text, 2).text;
  EXPECT_EQ(flowing.column_count, 3);
  EXPECT_EQ(flowing.wrap_width, 15);
  EXPECT_EQ(flowing.column_gutter, 2);
  EXPECT_EQ(flowing.column_heights, (std::vector<double>{10, 20, 30}));

  const host::TextProps& fitted = with_kind(s, ElementKind::Text, 3).text;
  EXPECT_DOUBLE_EQ(fitted.fit_width, 50);
  EXPECT_FALSE(fitted.fit_scales_height);
  EXPECT_NEAR(fitted.angle, 36.8698976, 1e-6);
}

TEST_F(DxfTextFidelity, PdfWrapsTheMTextAndUsesTheStyleFonts) {
  host::Drawing d = load();
  const std::string pdf = path("treue.pdf");
  std::ofstream(pdf, std::ios::binary)
      << host::render_pdf({{&d.sheets.at(0), {200, 150}, {.fit = true}}}, nullptr, "Treue");
  const std::string words = shell("pdftotext -bbox '" + pdf + "' -");
  auto top_of = [&](const std::string& word) {
    const auto at = words.find(">" + word + "<");
    EXPECT_NE(at, std::string::npos) << word << "\n" << words;
    const auto y = words.rfind("yMin=\"", at);
    return std::stod(words.substr(y + 6, 12));
  };
  // 20 units wide at 1.25 high: the words after "Zeile" go on to further lines
  EXPECT_LT(top_of("Titel"), top_of("Zeile"));
  EXPECT_LT(top_of("Zeile"), top_of("vier"));
  const std::string fonts = shell("pdffonts '" + pdf + "'");
  // Arial as fontconfig resolves it, the stroke font in the one sans face
  std::string arial = shell("fc-match -f '%{family[0]}' Arial");
  arial.erase(std::remove(arial.begin(), arial.end(), ' '), arial.end());
  EXPECT_THAT(fonts, HasSubstr(arial));
  EXPECT_THAT(fonts, Not(HasSubstr("DejaVu")));
}

TEST_F(DxfTextFidelity, ExportKeepsFormattingBoxAndOwnLineTypes) {
  const host::Drawing d = load();
  const std::string out = path("zurueck.dxf");
  host::write_dxf_sheet(d.sheets.at(0), d.number, out);
  const std::string seen = python(R"(
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
msp = doc.modelspace()
m = msp.query("MTEXT")[0]
print(m.text, m.dxf.width, m.dxf.bg_fill, m.dxf.bg_fill_true_color)
for l in msp.query("LINE"):
    lt = l.dxf.linetype
    print(lt, doc.linetypes.get(lt).pattern_tags.tags if lt in doc.linetypes else "")
t = msp.query("TEXT")[0]
print("flags", t.dxf.text_generation_flag)
)",
                                  "'" + out + "'");
  EXPECT_THAT(
      seen,
      HasSubstr("{\\H2x;Titel}\\PZeile {\\c255;rot} \\S1/2; eins zwei drei vier 20.0 17 65280"));
  EXPECT_THAT(seen, HasSubstr("flags 2"));
  // the scaled pattern under a name of its own
  EXPECT_THAT(seen, HasSubstr("PATTERN_2 [DXFTag(72, 65), DXFTag(73, 4), DXFTag(40, 6.0)"));
  // and back: the same model
  const host::Drawing back = host::read_dxf_file(out);
  EXPECT_EQ(back.sheets.at(0).elements.at(4).text.formatted,
            d.sheets.at(0).elements.at(4).text.formatted);
  EXPECT_EQ(back.sheets.at(0).elements.at(1).stroke.dashes,
            d.sheets.at(0).elements.at(1).stroke.dashes);
  EXPECT_EQ(back.sheets.at(0).elements.at(5).text, d.sheets.at(0).elements.at(5).text);
  EXPECT_NEAR(back.sheets.at(0).elements.at(6).text.fit_width, 50, 1e-9);
}

TEST_F(DxfTextFidelity, AttributesOfAnArrayReferenceShowInEveryCopy) {
  python(R"(
import sys, ezdxf
doc = ezdxf.new("R2000")
doc.header["$INSUNITS"] = 4
doc.blocks.new("FAHNE").add_line((0, 0), (0, 5))
ref = doc.modelspace().add_blockref("FAHNE", (100, 0), dxfattribs={"rotation": 90})
ref.add_attrib("NAME", "Fahne", (101, 0))
ref.dxf.column_count, ref.dxf.row_count = 3, 2
ref.dxf.column_spacing, ref.dxf.row_spacing = 10, 20
doc.saveas(sys.argv[1])
)",
         "'" + path("feld.dxf") + "'");
  std::vector<host::Vec2> at;
  const host::Drawing d = host::read_dxf_file(path("feld.dxf"));
  for (const auto& e : d.sheets.at(0).elements) {
    if (e.kind != ElementKind::Text) continue;
    EXPECT_THAT(e.info, ElementsAre("NAME"));
    at.push_back({std::round(e.points[0].x * 1e6) / 1e6, std::round(e.points[0].y * 1e6) / 1e6});
  }
  // columns run along the turned x axis (up), rows along the turned y axis (left)
  std::sort(at.begin(), at.end(),
            [](auto a, auto b) { return std::tie(a.x, a.y) < std::tie(b.x, b.y); });
  EXPECT_EQ(at,
            (std::vector<host::Vec2>{{81, 0}, {81, 10}, {81, 20}, {101, 0}, {101, 10}, {101, 20}}));
}

// Four texts around a cross, as a CAD program leaves them after mirroring: the direction
// in world coordinates (none: the world's x axis), the plane seen from below mirrors across
// the base line. Mirrored texts stay readable, anchored on their other side.
TEST_F(DxfTextFidelity, MTextDirectionAndPlaneSetTheQuadrant) {
  python(R"(
import sys, ezdxf
doc = ezdxf.new("R2000")
doc.header["$INSUNITS"] = 4
msp = doc.modelspace()
for ext, direction in [(None, None), ((0, 0, -1), (-1, 0, 0)), ((0, 0, -1), None),
                       (None, (-1, 0, 0))]:
    m = msp.add_mtext("Text", dxfattribs={"insert": (5, 5), "char_height": 1})
    if ext: m.dxf.extrusion = ext
    if direction: m.dxf.text_direction = direction
doc.saveas(sys.argv[1])
)",
         "'" + path("kreuz.dxf") + "'");
  const host::Drawing d = host::read_dxf_file(path("kreuz.dxf"));
  const auto& e = d.sheets.at(0).elements;
  ASSERT_EQ(e.size(), 4u);
  const struct {
    double angle;
    int adjust;
  } expected[] = {{0, 7}, {0, 9}, {180, 9}, {180, 7}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(std::fmod(e[i].text.angle + 360, 360), expected[i].angle, 1e-9) << i;
    EXPECT_EQ(e[i].text.adjust, expected[i].adjust) << i;
    EXPECT_NEAR(e[i].points[0].x, 5, 1e-9) << i;
    EXPECT_NEAR(e[i].points[0].y, 5, 1e-9) << i;
  }
}

// TEXT by its alignment: on the baseline, hanging its descenders down to the point (a third
// of the height in a single-stroke font, turned with the text), or centred on it.
TEST_F(DxfTextFidelity, BottomAlignedTextsStandOnTheirDescenders) {
  python(R"(
import sys, ezdxf
from ezdxf.enums import TextEntityAlignment as A
doc = ezdxf.new("R2000")
doc.header["$INSUNITS"] = 4
doc.styles.get("Standard").dxf.font = "simplex.shx"
msp = doc.modelspace()
for align, rotation in [(A.LEFT, 0), (A.BOTTOM_LEFT, 0), (A.BOTTOM_RIGHT, 90), (A.MIDDLE_CENTER, 0)]:
    msp.add_text("gj", dxfattribs={"height": 3, "rotation": rotation}).set_placement((10, 10), align=align)
doc.saveas(sys.argv[1])
)",
         "'" + path("unten.dxf") + "'");
  const host::Drawing d = host::read_dxf_file(path("unten.dxf"));
  const auto& e = d.sheets.at(0).elements;
  ASSERT_EQ(e.size(), 4u);
  const host::Vec2 expected[] = {{10, 10}, {10, 11}, {9, 10}, {10, 10}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(e[i].points[0].x, expected[i].x, 1e-9) << i;
    EXPECT_NEAR(e[i].points[0].y, expected[i].y, 1e-9) << i;
  }
}

// Before R2018 further columns are MTEXT entities of their own, linked from the first. A CAD
// program gives them the width of all columns; they wrap at the width of one. The linked
// entities of flowing columns are empty: the first holds the whole text.
TEST_F(DxfTextFidelity, LinkedColumnsWrapAtTheColumnWidth) {
  python(R"(
import sys, ezdxf
doc = ezdxf.new("R2013")
doc.header["$INSUNITS"] = 4
msp = doc.modelspace()
m = msp.add_mtext_static_columns(["eins " * 30, "zwei " * 30, "drei"], 20, 2, 50)
for column in m._columns.linked_columns:
    column.dxf.width = 64
msp.add_mtext_dynamic_manual_height_columns("Spalte " * 60, 15, 2, [10, 20, 30],
                                            dxfattribs={"insert": (100, 0)})
doc.saveas(sys.argv[1])
)",
         "'" + path("spalten.dxf") + "'");
  const host::Drawing d = host::read_dxf_file(path("spalten.dxf"));
  std::vector<std::pair<double, double>> at_and_wrap;
  for (const auto& e : d.sheets.at(0).elements)
    at_and_wrap.emplace_back(e.points.at(0).x, e.text.wrap_width);
  EXPECT_EQ(at_and_wrap,
            (std::vector<std::pair<double, double>>{{0, 20}, {22, 20}, {44, 20}, {100, 15}}));
}

}  // namespace
}  // namespace tavrin_test
