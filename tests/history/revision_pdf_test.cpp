// The revision PDF: pages of 33 history lines under a four-line header, the frames, the
// restyling, the replaced file, and the "Infodoku" style it is printed with.
#include <gmock/gmock.h>

#include "history_fixture.h"
#include "host/settings/pens.h"

namespace tavrin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const std::string kRule(62, '+');
const char* kPdf = "4711_A_Änderungen.pdf";

std::vector<std::string> history(int count) {
  std::vector<std::string> lines{"AENDERUNGEN: Index | Datum"};
  for (int i = 1; i <= count; ++i) lines.push_back("Änderung " + std::to_string(i));
  return lines;
}

// The one text of each page, as its lines.
std::vector<std::vector<std::string>> page_texts() {
  std::vector<std::vector<std::string>> pages;
  for (const host::Sheet& sheet : host::current_drawing().sheets) {
    std::vector<std::string> text;
    for (const host::Element& e : sheet.elements)
      if (e.kind == host::ElementKind::Text) text = e.text.lines;
    pages.push_back(text);
  }
  return pages;
}

class RevisionPdfTest : public HistoryTest {
 protected:
  Value make(int lines) {
    new_drawing();
    info_text(history(lines));
    return create_aenderungs_pdf(Value("egal.mi"));
  }
};

TEST_F(RevisionPdfTest, ThirtyThreeLinesFillOnePageUnderTheHeader) {
  EXPECT_TRUE(make(33).truthy());
  const auto pages = page_texts();
  ASSERT_EQ(pages.size(), 1u);
  ASSERT_EQ(pages[0].size(), 37u);
  EXPECT_THAT(std::vector<std::string>(pages[0].begin(), pages[0].begin() + 5),
              ElementsAre("AENDERUNGEN: Index | Datum 1 von 1", "Änderungsmitteilung",
                          "Zeichnungsnummer: 4711 A", kRule, "Änderung 1"));
  EXPECT_EQ(pages[0].back(), "Änderung 33");
  EXPECT_TRUE(fs::exists(out_dir() / kPdf));
  EXPECT_THAT(messages(), IsEmpty());
}

TEST_F(RevisionPdfTest, ThirtyFourLinesMakeTwoPagesBothCountingTwo) {
  make(34);
  const auto pages = page_texts();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0][0], "AENDERUNGEN: Index | Datum 1 von 2");
  EXPECT_EQ(pages[1][0], "AENDERUNGEN: Index | Datum 2 von 2");
  EXPECT_THAT(std::vector<std::string>(pages[1].begin() + 4, pages[1].end()),
              ElementsAre("Änderung 34"));
}

TEST_F(RevisionPdfTest, SixtySixLinesMakeTwoFullPagesAndNoEmptyThird) {
  make(66);
  const auto pages = page_texts();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1].size(), 37u);
  EXPECT_EQ(pages[1][4], "Änderung 34");
  EXPECT_EQ(pages[1].back(), "Änderung 66");
  // The first line heads every page and is never a history line.
  int first_line = 0;
  for (const auto& page : pages)
    for (const auto& line : page) first_line += line.rfind("AENDERUNGEN", 0) == 0;
  EXPECT_EQ(first_line, 2);
}

TEST_F(RevisionPdfTest, EveryPageIsFramedAndRestyledForTheInfodokuStyle) {
  make(40);
  for (const host::Sheet& sheet : host::current_drawing().sheets) {
    int frames = 0;
    for (const host::Element& e : sheet.elements) {
      if (e.kind == host::ElementKind::Rectangle) {
        ++frames;
        EXPECT_THAT(e.points, ElementsAre(host::Vec2{0, 0}, host::Vec2{205, -292}));
        EXPECT_EQ(e.stroke.color, (host::Rgb{0, 1, 1}));
        EXPECT_EQ(e.stroke.linetype, "PHANTOM");
      } else {
        ASSERT_EQ(e.kind, host::ElementKind::Text);
        EXPECT_EQ(e.points, std::vector<host::Vec2>{(host::Vec2{5, -5})});
        EXPECT_EQ(e.stroke.color, (host::Rgb{1, 1, 1}));
        EXPECT_EQ(e.text.adjust, 7);
        EXPECT_EQ(e.text.size, 3.5);
        EXPECT_EQ(e.text.linespace, 2.2);
      }
    }
    EXPECT_EQ(frames, 1) << sheet.name;
  }
  const host::PenStyle* style = host::find_pen_style("info_docu");
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->title, "Infodoku");
  EXPECT_EQ(style->rules.size(), 3u);
}

TEST_F(RevisionPdfTest, AnEarlierPdfIsReplacedAndNoFieldMeansNoFile) {
  write(out_dir() / kPdf, "alt");
  make(2);
  EXPECT_THAT(read(out_dir() / kPdf), StartsWith("%PDF"));

  fs::remove(out_dir() / kPdf);
  new_drawing();
  info_text({"BENENNUNG"});
  EXPECT_TRUE(create_aenderungs_pdf(Value()).is_nil());
  EXPECT_FALSE(fs::exists(out_dir() / kPdf));
  EXPECT_THAT(messages(), IsEmpty());
  EXPECT_EQ(host::reported_problems(), 0);
}

TEST_F(RevisionPdfTest, AHistoryOfOnlyItsFirstLineGetsOneHeaderPage) {
  EXPECT_TRUE(make(0).truthy());
  const auto pages = page_texts();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_THAT(pages[0], ElementsAre("AENDERUNGEN: Index | Datum 1 von 1", "Änderungsmitteilung",
                                    "Zeichnungsnummer: 4711 A", kRule));
  EXPECT_TRUE(fs::exists(out_dir() / kPdf));
}

TEST_F(RevisionPdfTest, ADrawingWithoutNumberIsNamedChangesAloneAndShowsNoNumber) {
  new_drawing(Value());
  info_text(history(1));
  create_aenderungs_pdf(Value());
  EXPECT_TRUE(fs::exists(out_dir() / "Änderungen.pdf"));
  EXPECT_EQ(page_texts()[0][2], "Zeichnungsnummer: ");
}

}  // namespace
}  // namespace tavrin::testing
