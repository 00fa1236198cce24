// DXF import: title blocks written by python3-ezdxf, text encodings, malformed files.
#include <gmock/gmock.h>

#include "dxf_fixture.h"
#include "host/formats/dxf.h"
#include "support/expect.h"

namespace tavrin_test {
namespace {

using host::ElementKind;

const host::Element* text_with(const host::Sheet& sheet, const std::string& content) {
  for (const auto& e : sheet.elements)
    if (e.kind == ElementKind::Text && !e.text.lines.empty() && e.text.lines[0] == content)
      return &e;
  return nullptr;
}

void expect_near(host::Vec2 have, host::Vec2 want) {
  EXPECT_NEAR(have.x, want.x, 1e-9);
  EXPECT_NEAR(have.y, want.y, 1e-9);
}

constexpr const char* kTitleBlockScript = R"(
import sys, ezdxf
doc = ezdxf.new("R2000", setup=True)
doc.header["$INSUNITS"] = 4  # millimetres
doc.layers.add("RAHMEN", color=3, linetype="DASHED")
doc.layers.add("AUS", color=5).off()
blk = doc.blocks.new("SCHRIFTFELD", base_point=(10, 0))
blk.add_line((10, 0), (190, 0))
blk.add_line((10, 0), (10, 40), dxfattribs={"color": 0, "lineweight": 35})
blk.add_attdef("BENENNUNG", (15, 30), dxfattribs={"height": 5})
blk.add_attdef("ZEICHNUNGSNUMMER", (15, 20), dxfattribs={"height": 3.5})
blk.add_attdef("GEHEIM", (15, 10), dxfattribs={"height": 3.5, "flags": 1})
logo = doc.blocks.new("LOGO")
logo.add_circle((0, 0), 5, dxfattribs={"color": 0})
blk.add_blockref("LOGO", (100, 20))
msp = doc.modelspace()
ref = msp.add_blockref("SCHRIFTFELD", (230, 0), dxfattribs={
    "layer": "RAHMEN", "color": 1, "rotation": 90, "xscale": 2, "yscale": 2})
ref.add_auto_attribs({"BENENNUNG": "Welle", "ZEICHNUNGSNUMMER": "4711", "GEHEIM": "x"})
msp.add_line((0, 0), (10, 0), dxfattribs={"layer": "AUS"})
msp.add_text("Maßstab 1:1", dxfattribs={"layer": "RAHMEN", "height": 3.5}).set_placement((5, 5))
doc.saveas(sys.argv[1])
)";

class DxfImportTest : public DxfTest {};

TEST_F(DxfImportTest, TitleBlockOfEzdxfLoadsExplodedWithInfoTags) {
  const std::string file = path("Schild-7.dxf");
  python(kTitleBlockScript, "'" + file + "'");
  const host::Drawing d = host::read_dxf_file(file);
  EXPECT_EQ(d.number, "Schild-7");
  ASSERT_EQ(d.sheets.size(), 1u);
  const host::Sheet& sheet = d.sheets[0];
  // two block lines, the nested circle, two visible attributes, the text; the line on the
  // switched-off layer and the invisible attribute stay out
  ASSERT_EQ(sheet.elements.size(), 6u);

  const host::Element& frame = sheet.elements[0];
  ASSERT_EQ(frame.kind, ElementKind::Line);
  expect_near(frame.points[0], {230, 0});
  expect_near(frame.points[1], {230, 360});
  EXPECT_EQ(frame.stroke.color, (host::Rgb{0, 1, 0}));  // layer 0 in a block: the insert's layer
  EXPECT_EQ(frame.stroke.linetype, "DASHED");

  const host::Element& byblock = sheet.elements[1];
  expect_near(byblock.points[1], {150, 0});
  EXPECT_EQ(byblock.stroke.color, (host::Rgb{1, 0, 0}));  // BYBLOCK: the insert's colour
  EXPECT_DOUBLE_EQ(byblock.stroke.pensize, 0.35);

  const host::Element& logo = sheet.elements[2];
  ASSERT_EQ(logo.kind, ElementKind::Circle);
  expect_near(logo.points[0], {190, 180});
  EXPECT_NEAR(logo.radius, 10, 1e-9);
  // BYBLOCK: the nested reference's colour, which is BYLAYER on layer 0, so the layer of
  // the outer reference
  EXPECT_EQ(logo.stroke.color, (host::Rgb{0, 1, 0}));

  const host::Element* name = text_with(sheet, "Welle");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->info, std::vector<std::string>{"BENENNUNG"});
  expect_near(name->points[0], {170, 10});
  EXPECT_NEAR(name->text.size, 10, 1e-9);
  EXPECT_NEAR(name->text.angle, 90, 1e-9);
  const host::Element* number = text_with(sheet, "4711");
  ASSERT_NE(number, nullptr);
  EXPECT_EQ(number->info, std::vector<std::string>{"ZEICHNUNGSNUMMER"});
  EXPECT_EQ(text_with(sheet, "x"), nullptr);

  const host::Element* scale = text_with(sheet, "Maßstab 1:1");
  ASSERT_NE(scale, nullptr);
  expect_near(scale->points[0], {5, 5});
  EXPECT_TRUE(scale->info.empty());
}

TEST_F(DxfImportTest, MtextFormatCodesAndChunksBecomePlainLines) {
  const std::string file = path("mtext.dxf");
  python(R"(
import sys, ezdxf
doc = ezdxf.new("R2000")
doc.header["$INSUNITS"] = 4  # millimetres
msp = doc.modelspace()
long = "A" * 300 + "\\P" + "B" * 300
msp.add_mtext(long, dxfattribs={"insert": (1, 2), "char_height": 2.5, "attachment_point": 5})
msp.add_mtext("\\W0.8;\\Q12;{\\fArial|b1|i0;Fett} \\H5;groß\\PZweite \\S1/2; \\U+00D6l\\~%%d\\\\x\\{y\\}",
              dxfattribs={"insert": (0, 0), "rotation": 30})
doc.saveas(sys.argv[1])
)",
         "'" + file + "'");
  const auto elements = host::read_dxf_file(file).sheets[0].elements;
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].text.lines,
            (std::vector<std::string>{std::string(300, 'A'), std::string(300, 'B')}));
  EXPECT_EQ(elements[0].text.adjust, 5);
  EXPECT_EQ(elements[1].text.lines,
            (std::vector<std::string>{"Fett groß", "Zweite 1/2 Öl °\\x{y}"}));
  // width and oblique codes ahead of formatted runs stay codes of the runs
  EXPECT_EQ(elements[1].text.formatted.rfind("\\W0.8;\\Q12;{\\fArial|b1|i0;Fett} \\H2x;", 0), 0u)
      << elements[1].text.formatted;
  EXPECT_NEAR(elements[1].text.angle, 30, 1e-9);
}

std::string minimal_dxf(const std::string& version, const std::string& codepage,
                        const std::string& entities) {
  return "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\n" + version +
         "\n  9\n$DWGCODEPAGE\n  3\n" + codepage + "\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" +
         entities + "  0\nENDSEC\n  0\nEOF\n";
}

std::string text_entity(const std::string& content) {
  return "  0\nTEXT\n  8\n0\n 10\n1\n 20\n2\n 40\n2.5\n  1\n" + content + "\n";
}

TEST_F(DxfImportTest, TextEncodingFollowsVersionAndCodePage) {
  const std::string cp1252 = write(
      "alt.dxf",
      minimal_dxf("AC1015", "ANSI_1252", text_entity("Gr\xF6\xDF\x65 \x80 \\U+03A9 %%c20 %%p0,1")));
  EXPECT_EQ(host::read_dxf_file(cp1252).sheets[0].elements.at(0).text.lines[0],
            "Größe € Ω ⌀20 ±0,1");
  const std::string utf8 =
      write("neu.dxf", minimal_dxf("AC1027", "ANSI_1252", text_entity("Größe")));
  EXPECT_EQ(host::read_dxf_file(utf8).sheets[0].elements.at(0).text.lines[0], "Größe");
  // an older file whose writer put UTF-8 in anyway stays readable
  const std::string mislabelled =
      write("falsch.dxf", minimal_dxf("AC1015", "ANSI_1252", text_entity("Größe")));
  EXPECT_EQ(host::read_dxf_file(mislabelled).sheets[0].elements.at(0).text.lines[0], "Größe");
}

TEST_F(DxfImportTest, OldPolylinesBulgesAndMirroredObjectCoordinates) {
  const std::string entities =
      "  0\nPOLYLINE\n  8\n0\n 66\n1\n 70\n1\n"
      "  0\nVERTEX\n  8\n0\n 10\n0\n 20\n0\n 42\n1\n"
      "  0\nVERTEX\n  8\n0\n 10\n10\n 20\n0\n"
      "  0\nVERTEX\n  8\n0\n 10\n10\n 20\n10\n"
      "  0\nSEQEND\n"
      "  0\nARC\n  8\n0\n 10\n5\n 20\n0\n 40\n2\n 50\n0\n 51\n90\n 230\n-1\n";
  const auto elements =
      host::read_dxf_file(write("alt.dxf", minimal_dxf("AC1009", "ANSI_1252", entities)))
          .sheets[0]
          .elements;
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].kind, ElementKind::Polyline);
  EXPECT_TRUE(elements[0].closed);
  EXPECT_EQ(elements[0].points.size(), 3u);
  EXPECT_EQ(elements[0].bulges, (std::vector<double>{1, 0, 0}));
  // extrusion (0,0,-1): x runs the other way, so the arc spans 90..180 around (-5,0)
  ASSERT_EQ(elements[1].kind, ElementKind::Arc);
  expect_near(elements[1].points[0], {-5, 0});
  EXPECT_NEAR(elements[1].start_angle, 90, 1e-9);
  EXPECT_NEAR(elements[1].end_angle, 180, 1e-9);
}

TEST_F(DxfImportTest, MalformedFilesGiveOneErrorNamingTheFile) {
  const std::string good = minimal_dxf("AC1015", "ANSI_1252", text_entity("x"));
  std::string random(4000, '\0');
  unsigned seed = 12345;
  for (char& c : random) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
  const std::vector<std::pair<std::string, std::string>> files = {
      {"leer.dxf", ""},
      {"zufall.dxf", random},
      {"text.dxf", "Dies ist keine Zeichnung.\nZweite Zeile\n"},
      {"halb.dxf", good.substr(0, good.size() / 2)},
      {"binaer.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "xyz"},
      {"zahl.dxf", minimal_dxf("AC1015", "ANSI_1252",
                               "  0\nLWPOLYLINE\n  8\n0\n 90\n999999999\n 10\n1\n 20\n2\n")},
  };
  for (const auto& [name, content] : files) {
    const std::string file = write(name, content);
    EXPECT_THROW_MSG(host::read_dxf_file(file), file) << name;
  }
  EXPECT_THROW_MSG(host::read_dxf_file(path("fehlt.dxf")), "fehlt.dxf");
  EXPECT_EQ(error_of([&] { host::read_dxf_file(write("gut.dxf", good)); }), "no error");
}

TEST_F(DxfImportTest, EllipsesDimensionsAndSolidsBecomeHostElements) {
  const std::string file = path("mehr.dxf");
  python(R"(
import sys, ezdxf
doc = ezdxf.new("R2000", setup=True)
doc.header["$INSUNITS"] = 4  # millimetres
msp = doc.modelspace()
msp.add_ellipse((10, 20), major_axis=(6, 0), ratio=0.5)
dim = msp.add_linear_dim(base=(0, -10), p1=(0, 0), p2=(100, 0))
dim.render()
msp.add_open_spline([(0, 0), (1, 2), (2, 0)], degree=2)
msp.add_spline(fit_points=[(0, 5), (1, 6), (2, 5)])
msp.add_solid([(0, 0), (4, 0), (0, 3)])
doc.saveas(sys.argv[1])
)",
         "'" + file + "'");
  const host::Sheet sheet = host::read_dxf_file(file).sheets[0];
  const auto& elements = sheet.elements;
  ASSERT_FALSE(elements.empty());
  const host::Element& ellipse = elements[0];
  ASSERT_EQ(ellipse.kind, ElementKind::Polyline);
  EXPECT_TRUE(ellipse.closed);
  for (const auto& p : ellipse.points)
    EXPECT_NEAR((p.x - 10) * (p.x - 10) / 36 + (p.y - 20) * (p.y - 20) / 9, 1, 1e-9);
  // the measurement text of the dimension's block (ezdxf's style writes it in its own units)
  EXPECT_TRUE(std::any_of(elements.begin(), elements.end(), [](const host::Element& e) {
    return e.kind == ElementKind::Text && e.text.lines.at(0).rfind("100", 0) == 0;
  }));
  // the open spline is the parabola of its control points; the other runs through its fit points
  const host::Element& spline = elements[elements.size() - 3];
  ASSERT_EQ(spline.kind, ElementKind::Polyline);
  ASSERT_GT(spline.points.size(), 10u);
  EXPECT_EQ(spline.points.front(), (host::Vec2{0, 0}));
  EXPECT_EQ(spline.points.back(), (host::Vec2{2, 0}));
  for (const auto& p : spline.points) EXPECT_NEAR(p.y, 2 * p.x - p.x * p.x, 1e-9);
  EXPECT_EQ(elements[elements.size() - 2].points.front(), (host::Vec2{0, 5}));
  const host::Element& solid = elements.back();
  ASSERT_EQ(solid.kind, ElementKind::Fill);
  EXPECT_EQ(solid.points, (std::vector<host::Vec2>{{0, 0}, {4, 0}, {0, 3}}));
  EXPECT_EQ(solid.rings, (std::vector<std::uint32_t>{3}));
}

TEST_F(DxfImportTest, SelfReferencingAndExplodingBlocksAreBounded) {
  const std::string blocks =
      "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  2\nA\n 70\n0\n 10\n0\n 20\n0\n"
      "  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n0\n"
      "  0\nINSERT\n  8\n0\n  2\nA\n 10\n5\n 20\n0\n  0\nENDBLK\n  8\n0\n  0\nENDSEC\n";
  const std::string file = write(
      "zyklus.dxf",
      blocks + minimal_dxf("AC1015", "ANSI_1252", "  0\nINSERT\n  8\n0\n  2\nA\n 10\n0\n 20\n0\n"));
  EXPECT_EQ(host::read_dxf_file(file).sheets[0].elements.size(), 1u);

  // seven levels of ten references each: refused quickly instead of expanding 10^7 times
  std::string nested = "  0\nSECTION\n  2\nBLOCKS\n";
  for (int level = 0; level < 7; ++level) {
    nested += "  0\nBLOCK\n  8\n0\n  2\nL" + std::to_string(level) + "\n 70\n0\n 10\n0\n 20\n0\n";
    for (int i = 0; i < 10; ++i)
      nested += "  0\nINSERT\n  8\n0\n  2\nL" + std::to_string(level + 1) + "\n 10\n0\n 20\n0\n";
    nested += "  0\nENDBLK\n  8\n0\n";
  }
  nested += "  0\nBLOCK\n  8\n0\n  2\nL7\n 70\n0\n 10\n0\n 20\n0\n  0\nENDBLK\n  8\n0\n";
  nested += "  0\nENDSEC\n";
  const std::string bomb =
      write("bombe.dxf", nested + minimal_dxf("AC1015", "ANSI_1252",
                                              "  0\nINSERT\n  8\n0\n  2\nL0\n 10\n0\n 20\n0\n"));
  EXPECT_THROW_MSG(host::read_dxf_file(bomb), bomb);

  // a chain of single references deeper than any real drawing is refused, not cut short
  std::string chain = "  0\nSECTION\n  2\nBLOCKS\n";
  for (int level = 0; level < 40; ++level)
    chain += "  0\nBLOCK\n  8\n0\n  2\nK" + std::to_string(level) +
             "\n 70\n0\n 10\n0\n 20\n0\n  0\nINSERT\n  8\n0\n  2\nK" + std::to_string(level + 1) +
             "\n 10\n1\n 20\n0\n  0\nENDBLK\n  8\n0\n";
  chain +=
      "  0\nBLOCK\n  8\n0\n  2\nK40\n 70\n0\n 10\n0\n 20\n0\n"
      "  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n0\n  0\nENDBLK\n  8\n0\n  0\nENDSEC\n";
  const std::string deep = write(
      "tief.dxf",
      chain + minimal_dxf("AC1015", "ANSI_1252", "  0\nINSERT\n  8\n0\n  2\nK0\n 10\n0\n 20\n0\n"));
  EXPECT_THROW_MSG(host::read_dxf_file(deep), "deep");
}

}  // namespace
}  // namespace tavrin_test
