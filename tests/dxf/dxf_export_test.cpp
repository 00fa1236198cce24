// DXF export, read back by python3-ezdxf and by our own import.
#include <cairo.h>
#include <gmock/gmock.h>

#include "dxf_fixture.h"
#include "host/formats/dxf.h"
#include "support/expect.h"

namespace tavrin_test {
namespace {

using host::ElementKind;
using ::testing::HasSubstr;

host::Sheet sample_sheet() {
  host::Sheet sheet;
  sheet.name = "1";
  auto line = make_element(ElementKind::Line, {{0, 0}, {100, 50}});
  line.stroke = {{1, 0, 0}, "DASHED", 0.5};
  line.info = {"KANTE"};
  auto poly = make_element(ElementKind::Polyline, {{10, 10}, {50, 10}, {50, 40}});
  poly.bulges = {0, 0.5, 0};
  poly.stroke = {{0.2, 0.4, 0.6}, "CENTER", 0.25};
  auto rect = make_element(ElementKind::Rectangle, {{0, 0}, {420, 297}});
  rect.stroke.linetype = "PHANTOM";
  auto circle = make_element(ElementKind::Circle, {{200, 150}});
  circle.radius = 25;
  circle.stroke.linetype = "DOTTED";
  auto arc = make_element(ElementKind::Arc, {{300, 100}});
  arc.radius = 10;
  arc.start_angle = 30;
  arc.end_angle = 120;
  arc.stroke.linetype = "LONG_DASHED";
  auto text = make_element(ElementKind::Text, {{20, 280}});
  text.text.lines = {"Maße Ä Ö Ü ä ö ü ß €"};
  text.text.size = 5;
  text.text.angle = 90;
  text.text.adjust = 5;
  text.text.ratio = 0.8;
  text.text.slant = 15;
  text.info = {"BENENNUNG"};
  auto mtext = make_element(ElementKind::Text, {{100, 200}});
  mtext.text.lines = {"Zeile 1", "Ärger {x} \\y", "Ω"};
  mtext.text.adjust = 7;
  mtext.text.angle = 30;
  mtext.text.ratio = 0.9;
  mtext.text.slant = 10;
  mtext.text.linespace = 2;
  mtext.stroke.linetype = "DASH_CENTER";
  mtext.info = {"ÄNDERUNG_2", std::string(300, 'x') + "Ende"};
  auto fill =
      make_element(ElementKind::Fill, {{0, 0}, {40, 0}, {40, 40}, {10, 10}, {20, 10}, {10, 20}});
  fill.rings = {3, 3};
  fill.stroke.color = {0, 0, 1};
  auto point = make_element(ElementKind::Point, {{5, 5}});
  sheet.elements = {line, poly, rect, circle, arc, text, mtext, fill, point};
  return sheet;
}

constexpr const char* kDumpScript = R"(
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
def p(v): return f"{v.x:g},{v.y:g}"
for e in doc.modelspace():
    t = e.dxftype()
    if t == "LINE": g = p(e.dxf.start) + " " + p(e.dxf.end)
    elif t == "LWPOLYLINE":
        g = " ".join(f"{x:g},{y:g},{b:g}" for x, y, s, w, b in e.get_points()) + (" closed" if e.closed else "")
    elif t == "CIRCLE": g = p(e.dxf.center) + f" r{e.dxf.radius:g}"
    elif t == "ARC": g = p(e.dxf.center) + f" r{e.dxf.radius:g} {e.dxf.start_angle:g}-{e.dxf.end_angle:g}"
    elif t == "TEXT": g = p(e.dxf.align_point) + f" h{e.dxf.height:g} a{e.dxf.rotation:g} " + e.dxf.text
    elif t == "MTEXT": g = p(e.dxf.insert) + f" a{e.get_rotation():g} " + "|".join(e.plain_text().split("\n"))
    elif t == "HATCH": g = f"solid={e.dxf.solid_fill} paths={len(e.paths)}"
    elif t == "POINT": g = p(e.dxf.location)
    info = len(e.get_xdata("TAVRIN_INFO")) if e.has_xdata("TAVRIN_INFO") else 0
    print(t, g, f"aci={e.dxf.color} lt={e.dxf.linetype} lw={e.dxf.lineweight} xdata={info}")
print("LTYPES", sorted(lt.dxf.name for lt in doc.linetypes))
print("NUMBER", [v for c, v in doc.rootdict["TAVRIN"]["ZEICHNUNGSNUMMER"].tags if c == 1000])
)";

class DxfExportTest : public DxfTest {};

TEST_F(DxfExportTest, EzdxfReadsTheSameGeometryTextsAndStyles) {
  const std::string file = path("sheet.dxf");
  host::write_dxf_sheet(sample_sheet(), std::string("4711-Ä"), file);
  const std::string out = python(kDumpScript, "'" + file + "'");
  EXPECT_THAT(out, HasSubstr("LINE 0,0 100,50 aci=1 lt=DASHED lw=50 xdata=3\n"));
  EXPECT_THAT(out, HasSubstr("LWPOLYLINE 10,10,0 50,10,0.5 50,40,0 aci="));
  EXPECT_THAT(out, HasSubstr("lt=CENTER lw=25"));
  EXPECT_THAT(out, HasSubstr("LWPOLYLINE 0,0,0 420,0,0 420,297,0 0,297,0 closed aci=7 lt=PHANTOM"));
  // the default pen is the default line weight, so that a CAD program draws it as it does its own
  EXPECT_THAT(out, HasSubstr("CIRCLE 200,150 r25 aci=7 lt=DOT lw=-3"));
  EXPECT_THAT(out, HasSubstr("ARC 300,100 r10 30-120 aci=7 lt=DASHEDX2"));
  EXPECT_THAT(out, HasSubstr("TEXT 20,280 h5 a90 Maße Ä Ö Ü ä ö ü ß € aci=7"));
  // outside cp1252 the R2000 escape, which ezdxf leaves as it is in the file
  EXPECT_THAT(out, HasSubstr("MTEXT 100,200 a30 Zeile 1|Ärger {x} \\y|\\U+03A9 aci=7 lt=DASHDOT"));
  EXPECT_THAT(out, HasSubstr("LTYPES ['BYBLOCK', 'BYLAYER', 'CENTER', 'CONTINUOUS', 'DASHDOT', "
                             "'DASHED', 'DASHEDX2', 'DOT', 'PHANTOM']"));
  EXPECT_THAT(out, HasSubstr("NUMBER ['4711-Ä']"));
  EXPECT_THAT(out, HasSubstr("HATCH solid=1 paths=2 aci=5"));
  EXPECT_THAT(out, HasSubstr("POINT 5,5 aci=7"));
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 11) << out;  // 9 entities, 2 summaries
}

TEST_F(DxfExportTest, OurRoundTripKeepsElementsInfoAndNumber) {
  const host::Sheet sheet = sample_sheet();
  const std::string file = path("rund.dxf");
  host::write_dxf_sheet(sheet, std::string("ZN 0815/Ä"), file);
  const host::Drawing d = host::read_dxf_file(file);
  EXPECT_EQ(d.number, "ZN 0815/Ä");
  ASSERT_EQ(d.sheets.size(), 1u);
  EXPECT_EQ(d.sheets[0].name, "1");
  const auto& got = d.sheets[0].elements;
  ASSERT_EQ(got.size(), sheet.elements.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    host::Element want = sheet.elements[i];
    host::Element have = got[i];
    // pen sizes travel as standard line weights; the sample uses such sizes exactly
    EXPECT_EQ(have.kind, want.kind) << i;
    EXPECT_EQ(have.points, want.points) << i;
    EXPECT_EQ(have.info, want.info) << i;
    EXPECT_EQ(have.stroke.linetype, want.stroke.linetype) << i;
    EXPECT_DOUBLE_EQ(have.stroke.pensize, want.stroke.pensize) << i;
    EXPECT_NEAR(have.stroke.color.g, want.stroke.color.g, 0.5 / 255) << i;
    EXPECT_EQ(have.radius, want.radius) << i;
    EXPECT_EQ(have.start_angle, want.start_angle) << i;
    EXPECT_EQ(have.end_angle, want.end_angle) << i;
    EXPECT_EQ(have.closed, want.closed) << i;
    if (want.kind == ElementKind::Polyline) {
      EXPECT_EQ(have.bulges, want.bulges);
    }
    EXPECT_EQ(have.rings, want.rings) << i;
    if (want.kind == ElementKind::Text) {
      EXPECT_EQ(have.text.lines, want.text.lines);
      EXPECT_EQ(have.text.adjust, want.text.adjust);
      EXPECT_NEAR(have.text.angle, want.text.angle, 1e-9);
      EXPECT_EQ(have.text.size, want.text.size);
      EXPECT_EQ(have.text.ratio, want.text.ratio);
      EXPECT_EQ(have.text.slant, want.text.slant);
    }
  }
  EXPECT_EQ(got[6].text.linespace, 2);
}

TEST_F(DxfExportTest, WithoutNumberTheFileNameIsTheNumber) {
  host::Sheet sheet;
  sheet.elements = {make_element(ElementKind::Line, {{0, 0}, {1, 1}})};
  host::write_dxf_sheet(sheet, std::nullopt, path("Welle-12.dxf"));
  EXPECT_EQ(host::read_dxf_file(path("Welle-12.dxf")).number, "Welle-12");
}

TEST_F(DxfExportTest, WritesAtomicallyAndReportsTheTarget) {
  host::Sheet sheet;
  sheet.elements = {make_element(ElementKind::Circle, {{0, 0}})};
  const std::string file = write("alt.dxf", "old content");
  host::write_dxf_sheet(sheet, std::string("1"), file);
  EXPECT_EQ(host::read_dxf_file(file).sheets[0].elements.size(), 1u);
  for (const auto& entry : std::filesystem::directory_iterator(dir_))
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
  const std::string missing = path("no/such/dir/x.dxf");
  EXPECT_THROW_MSG(host::write_dxf_sheet(sheet, std::nullopt, missing), missing);
}

// A picture travels as an IMAGE naming its file, with the file's pixel size where it can be
// read; our import places the one it finds at the same corners.
TEST_F(DxfExportTest, PicturesTravelAsImagesNamingTheirFile) {
  cairo_surface_t* png = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 6, 4);
  ASSERT_EQ(cairo_surface_write_to_png(png, path("foto.png").c_str()), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(png);
  host::Sheet sheet;
  for (const char* name : {"foto.png", "fehlt.png"}) {
    auto image = make_element(ElementKind::Image, {{100, 0}, {160, 0}, {100, 40}});
    image.source = path(name);
    sheet.elements.push_back(image);
  }
  const std::string file = path("bilder.dxf");
  host::write_dxf_sheet(sheet, std::nullopt, file);
  const std::string out = python(R"(
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
for e in doc.modelspace().query("IMAGE"):
    print(e.dxf.insert.x, e.dxf.u_pixel.x, e.dxf.v_pixel.y, e.dxf.image_size.x, e.dxf.image_size.y,
          e.image_def.dxf.filename.rsplit("/", 1)[-1])
)",
                                 "'" + file + "'");
  EXPECT_EQ(out, "100.0 10.0 10.0 6.0 4.0 foto.png\n100.0 60.0 40.0 1.0 1.0 fehlt.png\n");
  const host::Drawing d = host::read_dxf_file(file);
  std::vector<host::Vec2> corners;
  for (const auto& e : d.sheets.at(0).elements)
    if (e.kind == ElementKind::Image)
      corners.insert(corners.end(), e.points.begin(), e.points.end());
  EXPECT_EQ(corners, (std::vector<host::Vec2>{{100, 0}, {160, 0}, {100, 40}}));
}

}  // namespace
}  // namespace tavrin_test
