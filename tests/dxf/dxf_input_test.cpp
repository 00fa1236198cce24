// What the reader and the conversion make of real-world input: binary DXF, long values, a
// missing EOF, drawing units and entities in other planes.
#include <gmock/gmock.h>

#include <cmath>

#include "dxf_fixture.h"
#include "host/formats/dxf.h"
#include "support/expect.h"

namespace tavrin_test {
namespace {

using host::ElementKind;
using ::testing::HasSubstr;

std::string entities_dxf(const std::string& header, const std::string& entities,
                         const std::string& end = "  0\nENDSEC\n  0\nEOF\n") {
  return "  0\nSECTION\n  2\nHEADER\n" + header + "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" +
         entities + end;
}

std::string circle(double x, double y, double r, const std::string& extra = "") {
  return "  0\nCIRCLE\n  8\n0\n 10\n" + std::to_string(x) + "\n 20\n" + std::to_string(y) +
         "\n 40\n" + std::to_string(r) + "\n" + extra;
}

class DxfInputTest : public DxfTest {};

TEST_F(DxfInputTest, BinaryDxfOfR12AndR2018ReadsLikeItsTextForm) {
  python(R"(
import sys, ezdxf
for ver in ("R12", "R2018"):
    doc = ezdxf.new(ver)
    doc.header["$INSUNITS"] = 4
    msp = doc.modelspace()
    msp.add_line((0, 0), (100.125, 50))
    msp.add_circle((10, 20), 5, dxfattribs={"color": 3})
    msp.add_arc((30, 30), 8, 10, 200)
    msp.add_text("Größe 1/3", dxfattribs={"height": 3.5, "insert": (5, 5), "rotation": 15})
    if ver == "R12":
        msp.add_polyline2d([(0, 0), (10, 0), (10, 10)])
    else:
        msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (10, 0), (10, 10)])
        msp.add_mtext("M" * 600, dxfattribs={"insert": (0, -20), "char_height": 2})
    doc.saveas(f"{sys.argv[1]}/{ver}.dxf")
    doc.saveas(f"{sys.argv[1]}/{ver}b.dxf", fmt="bin")
)",
         "'" + dir_.string() + "'");
  for (const std::string ver : {"R12", "R2018"}) {
    const host::Drawing text = host::read_dxf_file(path(ver + ".dxf"));
    const host::Drawing binary = host::read_dxf_file(path(ver + "b.dxf"));
    const auto& want = text.sheets.at(0).elements;
    const auto& have = binary.sheets.at(0).elements;
    ASSERT_EQ(have.size(), want.size()) << ver;
    ASSERT_GE(have.size(), 5u) << ver;
    for (std::size_t i = 0; i < have.size(); ++i) {
      EXPECT_EQ(have[i].kind, want[i].kind) << ver << " " << i;
      EXPECT_EQ(have[i].points, want[i].points) << ver << " " << i;
      EXPECT_EQ(have[i].bulges, want[i].bulges) << ver << " " << i;
      EXPECT_EQ(have[i].text.lines, want[i].text.lines) << ver << " " << i;
      EXPECT_EQ(have[i].stroke.color, want[i].stroke.color) << ver << " " << i;
    }
    EXPECT_TRUE(binary.notes.empty()) << binary.notes.at(0);
  }
}

TEST_F(DxfInputTest, LongValuesMissingEofAndTruncation) {
  // MTEXT may carry any length
  const std::string words = [] {
    std::string s;
    for (int i = 0; s.size() < 3000; ++i) s += "Wört " + std::to_string(i) + " ";
    return s + "Ende";
  }();
  const std::string mtext = "  0\nMTEXT\n  8\n0\n 10\n0\n 20\n0\n 40\n2.5\n  1\n" + words + "\n";
  host::Drawing d = host::read_dxf_file(write("mtext.dxf", entities_dxf("", mtext)));
  ASSERT_EQ(d.sheets[0].elements.size(), 1u);
  EXPECT_EQ(d.sheets[0].elements[0].text.lines, std::vector<std::string>{words});
  EXPECT_TRUE(d.notes.empty());

  // any other value is read whole too; the groups after it stay intact
  const std::string text =
      "  0\nTEXT\n  8\n0\n 10\n1\n 20\n2\n 40\n2.5\n  1\n" + std::string(2000, 'y') + "\r\n";
  d = host::read_dxf_file(write("lang.dxf", entities_dxf("", text + circle(5, 5, 1))));
  ASSERT_EQ(d.sheets[0].elements.size(), 2u);
  EXPECT_EQ(d.sheets[0].elements[0].text.lines.at(0), std::string(2000, 'y'));
  EXPECT_EQ(d.sheets[0].elements[1].kind, ElementKind::Circle);
  EXPECT_TRUE(d.notes.empty());

  // complete up to the end of a section: loads, with one note; CRLF and no final line break
  const std::string no_eof = entities_dxf("", circle(0, 0, 2), "  0\r\nENDSEC");
  d = host::read_dxf_file(write("ohne-eof.dxf", no_eof));
  EXPECT_EQ(d.sheets[0].elements.size(), 1u);
  EXPECT_THAT(d.notes,
              ::testing::ElementsAre(HasSubstr("ohne-eof.dxf:22: the file ends without EOF")));

  // cut inside the entities: an error naming the file and the line where it ends
  const std::string cut = entities_dxf("", circle(0, 0, 2) + circle(1, 1, 1), "");
  EXPECT_THROW_MSG(host::read_dxf_file(write("kurz.dxf", cut)),
                   "kurz.dxf:30: not a readable DXF file: the file ends without EOF");
  const std::string binary_cut = std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION", 31);
  EXPECT_THROW_MSG(host::read_dxf_file(write("bin.dxf", binary_cut)),
                   "bin.dxf: byte 22: not a readable DXF file");
  // a count larger than the file could hold: the error shows the line it stands in
  const std::string counted = entities_dxf("", "  0\nLWPOLYLINE\n  8\n0\n 90\n 99999999\n");
  EXPECT_THROW_MSG(host::read_dxf_file(write("zahl.dxf", counted)),
                   "zahl.dxf:16: not a readable DXF file: count 99999999 does not fit the file\n"
                   " 99999999\n ^");
}

TEST_F(DxfInputTest, DrawingUnitsScaleToMillimetres) {
  struct Case {
    int insunits;
    double mm;
  };
  // a line type of the file: a dash of 2 units and a gap of 1, kept in proportion
  const std::string tables =
      "  0\nENDSEC\n  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLTYPE\n 70\n1\n"
      "  0\nLTYPE\n  2\nZAUN\n 70\n0\n  3\n\n 72\n65\n 73\n2\n 40\n3\n 49\n2\n 74\n0\n"
      " 49\n-1\n 74\n0\n  0\nENDTAB\n";
  const std::string line = "  0\nLINE\n  8\n0\n  6\nZAUN\n 10\n0\n 20\n0\n 11\n9\n 21\n0\n";
  for (const Case c : {Case{0, 1}, Case{1, 25.4}, Case{4, 1}, Case{5, 10}, Case{6, 1000}}) {
    const std::string header = "  9\n$INSUNITS\n 70\n" + std::to_string(c.insunits) + "\n" + tables;
    const std::string text = "  0\nTEXT\n  8\n0\n 10\n1\n 20\n2\n 40\n0.25\n  1\nx\n";
    const host::Drawing d =
        host::read_dxf_file(write("u.dxf", entities_dxf(header, circle(2, 3, 0.5) + text + line)));
    const auto& e = d.sheets[0].elements;
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[2].stroke.dashes, (std::vector<double>{2 * c.mm, -1 * c.mm})) << c.insunits;
    EXPECT_NEAR(e[0].points[0].x, 2 * c.mm, 1e-9) << c.insunits;
    EXPECT_NEAR(e[0].points[0].y, 3 * c.mm, 1e-9) << c.insunits;
    EXPECT_NEAR(e[0].radius, 0.5 * c.mm, 1e-9) << c.insunits;
    EXPECT_NEAR(e[1].text.size, 0.25 * c.mm, 1e-9) << c.insunits;
    EXPECT_EQ(d.notes.size(), c.mm == 1 ? 0u : 1u) << c.insunits;
  }
  const host::Drawing inches = host::read_dxf_file(
      write("zoll.dxf", entities_dxf("  9\n$INSUNITS\n 70\n1\n", circle(0, 0, 1))));
  EXPECT_THAT(inches.notes, ::testing::ElementsAre("" + path("zoll.dxf") +
                                                   ": drawing units are inches; scaled to "
                                                   "millimetres"));
}

TEST_F(DxfInputTest, ExtrusionMirrorsOrProjectsToTheTopView) {
  python(R"(
import sys, ezdxf
doc = ezdxf.new("R2000")
doc.header["$INSUNITS"] = 4
msp = doc.modelspace()
msp.add_circle((5, 0, 2), 1, dxfattribs={"extrusion": (0, 0, -1)})
msp.add_circle((0, 0, 7), 3, dxfattribs={"extrusion": (1, 0, 0)})
msp.add_lwpolyline([(0, 0), (4, 0), (4, 2)], dxfattribs={"extrusion": (0, 0, -1)})
msp.add_text("T", dxfattribs={"insert": (10, 0), "height": 2, "extrusion": (0, 0, -1)})
msp.add_ellipse((0, 0), major_axis=(4, 0), ratio=0.5, start_param=0, end_param=1.5707963267948966,
                dxfattribs={"extrusion": (0, 0, -1)})
doc.saveas(sys.argv[1])
)",
         "'" + path("ebenen.dxf") + "'");
  const auto e = host::read_dxf_file(path("ebenen.dxf")).sheets[0].elements;
  ASSERT_EQ(e.size(), 5u);
  // seen from above, the circle facing down lies at x = -5
  ASSERT_EQ(e[0].kind, ElementKind::Circle);
  EXPECT_NEAR(e[0].points[0].x, -5, 1e-9);
  EXPECT_NEAR(e[0].radius, 1, 1e-9);
  // a circle in the plane x = 7 is the line from (7,-3) to (7,3) from above
  ASSERT_EQ(e[1].kind, ElementKind::Polyline);
  double low = 1e9, high = -1e9;
  for (const auto& p : e[1].points) {
    EXPECT_NEAR(p.x, 7, 1e-9);
    low = std::min(low, p.y), high = std::max(high, p.y);
  }
  EXPECT_NEAR(low, -3, 1e-9);
  EXPECT_NEAR(high, 3, 1e-9);
  EXPECT_EQ(e[2].points, (std::vector<host::Vec2>{{0, 0}, {-4, 0}, {-4, 2}}));
  EXPECT_NEAR(e[3].points[0].x, -10, 1e-9);
  // the quarter ellipse facing down runs from (4,0) to (0,-2): its minor axis turns right
  EXPECT_NEAR(e[4].points.front().x, 4, 1e-9);
  EXPECT_NEAR(e[4].points.back().x, 0, 1e-9);
  EXPECT_NEAR(e[4].points.back().y, -2, 1e-9);
}

}  // namespace
}  // namespace tavrin_test
