// `tavrin now` on DXF files that other programs write: a plant layout in metres, a drawing with
// nothing drawable.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "e2e_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

void write(const fs::path& p, const std::string& entities, const std::string& header = "") {
  std::ofstream(p) << "  0\nSECTION\n  2\nHEADER\n"
                   << header << "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n"
                   << entities << "  0\nENDSEC\n  0\nEOF\n";
}

TEST(DxfNow, PlantInMetresGivesItsTrueSizePdfAndAnEmptyDrawingIsToldInWords) {
  Scratch s;
  const fs::path out = s.root() / "out";
  fs::create_directories(out);
  // 40 m x 12 m, drawn in metres
  write(s.root() / "anlage.dxf",
        "  0\nLWPOLYLINE\n  8\n0\n 90\n4\n 70\n1\n 10\n0\n 20\n0\n 10\n40\n 20\n0\n"
        " 10\n40\n 20\n12\n 10\n0\n 20\n12\n",
        "  9\n$INSUNITS\n 70\n6\n");
  Result r = s.tavrin("now " + quote((s.root() / "anlage.dxf").string()) + " --pdf --yes", out);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_THAT(r.output, HasSubstr("anlage.dxf: drawing units are metres; scaled to millimetres"));
  ASSERT_TRUE(fs::exists(out / "anlage_1.pdf")) << r.output;
  EXPECT_EQ(run("qpdf --check " + quote((out / "anlage_1.pdf").string())).status, 0);
  // readers that ignore the larger unit still see the whole sheet, in its proportions
  const PdfInfo info = pdf_info(out / "anlage_1.pdf");
  EXPECT_NEAR(info.width / info.height, 40.0 / 12, 1e-3);

  write(s.root() / "leer.dxf", "");
  r = s.tavrin("now " + quote((s.root() / "leer.dxf").string()) + " --pdf --yes", out);
  EXPECT_THAT(r.output, HasSubstr("leer: Blatt 1 enthält nichts Zeichenbares"));
  EXPECT_THAT(r.output, Not(HasSubstr("INQ_PART")));
  EXPECT_FALSE(fs::exists(out / "leer_1.pdf"));
}

}  // namespace
}  // namespace e2e
