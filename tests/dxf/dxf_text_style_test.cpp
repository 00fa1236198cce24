// The building blocks of DXF import and export: text decoding, MTEXT codes, colours, line
// types, line weights and block placement.
#include <gmock/gmock.h>

#include <cmath>

#include "dxf_fixture.h"
#include "host/formats/dxf_geometry.h"
#include "host/formats/dxf_style.h"
#include "host/formats/dxf_text.h"

namespace tavrin_test {
namespace {

using host::ElementKind;
using Lines = std::vector<std::string>;

TEST(DxfMtext, FormatCodesAreInterpretedOrStripped) {
  const std::vector<std::pair<std::string, Lines>> cases = {
      {"a\\Pb\\P", {"a", "b", ""}},
      {"{\\fArial|b1|i0|c0|p34;Fett} normal", {"Fett normal"}},
      {"\\H2.5x;\\A1;\\C1;\\T1.2;\\pxqc;groß", {"groß"}},
      {"\\S3/4; \\S1#2; \\S+0.1^-0.2;", {"3/4 1/2 +0.1 -0.2"}},
      {"a\\\\b\\{c\\}", {"a\\b{c}"}},
      {"\\U+00C4rger\\~ist %%dgut", {"Ärger ist °gut"}},
      {"\\Lunter\\l\\Oober\\o\\Kdurch\\k", {"unteroberdurch"}},
      {"x^Jy^Iz", {"x", "y z"}},
      {"\\fArial", {""}},  // unterminated code
      {"abc\\", {"abc\\"}},
      {"\\Zunbekannt", {"\\Zunbekannt"}},
  };
  for (const auto& [raw, lines] : cases) EXPECT_EQ(host::dxf::parse_mtext(raw).lines, lines) << raw;
  const auto m = host::dxf::parse_mtext("\\W0.5;\\Q-10;a\\W2;\\Q3;b");
  EXPECT_EQ(m.lines, Lines{"ab"});
  EXPECT_EQ(m.ratio, 0.5);  // only codes before the text apply to all of it
  EXPECT_EQ(m.slant, -10);
}

TEST(DxfMtext, OurContentParsesBackToTheSameLines) {
  const Lines lines = {"Ä\\P {x}", "", "%%d bleibt", "Ω"};
  const std::string raw = host::dxf::utf8_to_cp1252(host::dxf::mtext_content(lines));
  Lines expected = lines;
  expected[2] = "° bleibt";  // %% codes are control codes in every DXF text
  EXPECT_EQ(host::dxf::parse_mtext(host::dxf::cp1252_to_utf8(raw)).lines, expected);
}

TEST(DxfEncoding, Cp1252RoundTripsAndOtherCharactersBecomeEscapes) {
  for (int b = 0x20; b < 0x100; ++b) {
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D || b == 0x7F) continue;
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = host::dxf::cp1252_to_utf8(byte);
    EXPECT_TRUE(host::dxf::is_valid_utf8(utf8));
    EXPECT_EQ(host::dxf::utf8_to_cp1252(utf8), byte) << b;
  }
  EXPECT_EQ(host::dxf::cp1252_to_utf8("\x80\x9F\xC4"), "€ŸÄ");
  EXPECT_EQ(host::dxf::utf8_to_cp1252("Ω\n\x01"), "\\U+03A9\\U+000A\\U+0001");
  EXPECT_EQ(host::dxf::decode_unicode_escapes("\\U+03A9\\U+000A \\U+zz \\U+00"),
            "Ω\n \\U+zz \\U+00");
  EXPECT_FALSE(host::dxf::is_valid_utf8("Gr\xF6\xDF"));
}

TEST(DxfEncoding, DecoderFollowsVersionAndCodePage) {
  host::dxf::TextDecoder older;
  older.set_version("AC1015");
  EXPECT_EQ(older.to_utf8("\xC4"), "Ä");
  older.set_codepage("ANSI_1251");
  EXPECT_EQ(older.to_utf8("\xC4"), "Д");
  host::dxf::TextDecoder newer;
  newer.set_version("AC1032");
  EXPECT_EQ(newer.to_utf8("\xC4"), "\xC4");  // UTF-8 files are taken as they are
}

TEST(DxfStyle, PaletteColours) {
  using host::Rgb;
  EXPECT_EQ(host::dxf::aci_to_rgb(1), (Rgb{1, 0, 0}));
  EXPECT_EQ(host::dxf::aci_to_rgb(7), (Rgb{1, 1, 1}));
  EXPECT_EQ(host::dxf::rgb_to_true_color(host::dxf::aci_to_rgb(30)), 0xFF7F00);
  EXPECT_EQ(host::dxf::rgb_to_true_color(host::dxf::aci_to_rgb(21)), 0xFF9F7F);
  EXPECT_EQ(host::dxf::rgb_to_true_color(host::dxf::aci_to_rgb(140)), 0x00BFFF);
  EXPECT_EQ(host::dxf::rgb_to_true_color(host::dxf::aci_to_rgb(250)), 0x333333);
  for (int i = 1; i < 256; ++i) {
    const Rgb c = host::dxf::aci_to_rgb(i);
    EXPECT_EQ(host::dxf::aci_to_rgb(host::dxf::nearest_aci(c)), c) << i;
  }
  EXPECT_EQ(host::dxf::nearest_aci({0.98, 0.02, 0.01}), 1);
  EXPECT_EQ(host::dxf::true_color_to_rgb(0x336699),
            (Rgb{0x33 / 255.0, 0x66 / 255.0, 0x99 / 255.0}));
}

TEST(DxfStyle, LinetypesAndLineweights) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {"Continuous", "SOLID"},      {"HIDDEN2", "DASHED"},
      {"ACAD_ISO04W100", "CENTER"}, {"dashdot", "DASH_CENTER"},
      {"DASHEDX2", "LONG_DASHED"},  {"DOT2", "DOTTED"},
      {"PHANTOMX2", "PHANTOM"},     {"ACAD_ISO03W100", "LONG_DASHED"},
      {"Zickzack", "SOLID"}};
  for (const auto& [dxf, host_name] : names)
    EXPECT_EQ(host::dxf::host_linetype(dxf), host_name) << dxf;
  for (const char* h :
       {"SOLID", "DASHED", "DASH_CENTER", "CENTER", "PHANTOM", "DOTTED", "LONG_DASHED"})
    EXPECT_EQ(host::dxf::host_linetype(host::dxf::dxf_linetype(h).name), h);
  EXPECT_EQ(host::dxf::pensize_to_lineweight(0.175), 18);
  EXPECT_EQ(host::dxf::pensize_to_lineweight(0.35), 35);
  EXPECT_EQ(host::dxf::pensize_to_lineweight(0), host::dxf::kLineweightDefault);  // default pen
  EXPECT_EQ(host::dxf::pensize_to_lineweight(host::dxf::lineweight_to_pensize(0)), 0);
  EXPECT_EQ(host::dxf::pensize_to_lineweight(7), 211);
  EXPECT_DOUBLE_EQ(host::dxf::lineweight_to_pensize(50), 0.5);
  EXPECT_LT(host::dxf::lineweight_to_pensize(-3), 0);
}

TEST(DxfGeometry, PlacementKeepsCirclesUnlessScaledUnevenly) {
  using host::dxf::Affine;
  const Affine mirrored = Affine::scaling(-2, 2);
  auto arc = make_element(ElementKind::Arc, {{1, 0}});
  arc.radius = 1;
  arc.start_angle = 0;
  arc.end_angle = 90;
  host::dxf::transform_element(arc, mirrored);
  EXPECT_EQ(arc.kind, ElementKind::Arc);
  EXPECT_EQ(arc.points[0], (host::Vec2{-2, 0}));
  EXPECT_EQ(arc.radius, 2);
  EXPECT_NEAR(arc.start_angle, 90, 1e-9);  // mirrored, it runs from the top to the left
  EXPECT_NEAR(arc.end_angle, 180, 1e-9);

  auto circle = make_element(ElementKind::Circle, {{0, 0}});
  circle.radius = 1;
  host::dxf::transform_element(circle, Affine::scaling(3, 1));
  ASSERT_EQ(circle.kind, ElementKind::Polyline);
  EXPECT_TRUE(circle.closed);
  for (const auto& p : circle.points) EXPECT_NEAR(p.x * p.x / 9 + p.y * p.y, 1, 1e-9);

  auto poly = make_element(ElementKind::Polyline, {{0, 0}, {2, 0}});
  poly.bulges = {1, 0};  // a half circle below the chord
  host::dxf::transform_element(poly, Affine::scaling(1, 2));
  ASSERT_GT(poly.points.size(), 3u);
  EXPECT_TRUE(poly.bulges.empty());
  for (const auto& p : poly.points) {
    EXPECT_NEAR((p.x - 1) * (p.x - 1) + p.y * p.y / 4, 1, 1e-9);
    EXPECT_LE(p.y, 1e-9);
  }

  auto rect = make_element(ElementKind::Rectangle, {{0, 0}, {2, 1}});
  host::dxf::transform_element(rect, Affine::rotation_deg(90));
  EXPECT_EQ(rect.kind, ElementKind::Rectangle);
  EXPECT_EQ(rect.points, (std::vector<host::Vec2>{{0, 0}, {-1, 2}}));
  host::dxf::transform_element(rect, Affine::rotation_deg(30));
  EXPECT_EQ(rect.kind, ElementKind::Polyline);
  EXPECT_EQ(rect.points.size(), 4u);

  auto text = make_element(ElementKind::Text, {{1, 1}});
  text.text.size = 2;
  host::dxf::transform_element(text, Affine::rotation_deg(90).after(Affine::scaling(2, 1)));
  EXPECT_NEAR(text.text.angle, 90, 1e-9);
  EXPECT_NEAR(text.text.size, 2, 1e-9);
  EXPECT_NEAR(text.text.ratio, 2, 1e-9);

  auto mirrored_text = make_element(ElementKind::Text, {{1, 1}});
  mirrored_text.text.adjust = 4;  // middle left
  mirrored_text.text.angle = 30;
  host::dxf::transform_element(mirrored_text, Affine::scaling(-1, 1));
  EXPECT_EQ(mirrored_text.points[0], (host::Vec2{-1, 1}));
  EXPECT_EQ(mirrored_text.text.adjust, 6);  // middle right
  EXPECT_NEAR(mirrored_text.text.angle, 330, 1e-9);
}

}  // namespace
}  // namespace tavrin_test
