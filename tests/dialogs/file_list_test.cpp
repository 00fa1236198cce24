// The file area of a directory run: rows, sizes, headers, filters and marks.
#include "dialogs/file_list.h"

#include <algorithm>
#include <map>

#include "dialog_fixture.h"

namespace tavrin::testing {
namespace {

using host::ui::click_table_row;
using host::ui::click_toggle;
using host::ui::press_button;

class FileListTest : public DialogTest {
 protected:
  void file(const std::string& name, std::size_t bytes) const {
    write(plot_dir() / name, std::string(bytes, 'x'));
  }

  // Row of the file table by name: (mark, type, size).
  static std::map<std::string, std::vector<std::string>> rows() {
    std::map<std::string, std::vector<std::string>> out;
    const auto marks = column("x"), names = column("name"), types = column("format"),
               sizes = column("size");
    for (std::size_t i = 0; i < names.size(); ++i) out[names[i]] = {marks[i], types[i], sizes[i]};
    return out;
  }
  static int row_of(const std::string& name) {
    const auto names = column("name");
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  }
  static std::string name_header() {
    return host::ui::find_logical_table("TAVRIN-ltb")->column_names.at(1);
  }
};

TEST_F(FileListTest, RowsCarryTypeAndSizeInThousandsRoundedHalfToEven) {
  file("a.mi", 1500);
  file("b.bdl", 2500);
  file("c.dxf", 499);
  file("d.dwg", 700);
  file("PLAN.DWG", 1200);
  file("leer.txt", 0);
  file("GROSS.MI", 3500);
  fs::create_directory(plot_dir() / "unter.mi");
  start(true);

  using R = std::vector<std::string>;
  const std::map<std::string, R> expected = {{"a.mi", R{"", lang_text(17), "2"}},
                                             {"b.bdl", R{"", lang_text(18), "2"}},
                                             {"c.dxf", R{"", lang_text(19), "0"}},
                                             {"d.dwg", R{"", "DWG", "1"}},
                                             {"PLAN.DWG", R{"", "DWG", "1"}},
                                             {"leer.txt", R{"", "", "0"}},
                                             {"GROSS.MI", R{"", lang_text(17), "4"}}};
  EXPECT_EQ(rows(), expected);
  EXPECT_EQ(size_in_kbyte(host::Value()), "?");
  EXPECT_EQ(size_in_kbyte(host::Value(2501)), "3");

  const auto table = host::ui::find_logical_table("TAVRIN-ltb");
  EXPECT_EQ(table->column_names, (std::vector<std::string>{"X", std::string(63, ' ') + "Filename",
                                                           "     Typ", "    KByte"}));
  const auto display = host::ui::find_control("TAVRIN-DIALOG-DT");
  EXPECT_EQ((std::vector<int>{display->x, display->y, display->width, display->height}),
            (std::vector<int>{0, 39, 79, 97}));
  EXPECT_EQ(display->table->alignment,
            (std::vector<std::string>{"left", "right", "right", "right"}));
  EXPECT_TRUE(display->table->row_colors);
}

TEST_F(FileListTest, TheNameHeaderMakesRoomForAScrollBarAboveThirtyThreeRows) {
  for (int i = 0; i < 33; ++i) file(host::format("z~A.mi", i), 10);
  start(true);
  EXPECT_EQ(name_header(), std::string(63, ' ') + "Filename");
  file("z33.mi", 10);
  tv_read_directory("");
  EXPECT_EQ(name_header(), std::string(58, ' ') + "Filename");
}

TEST_F(FileListTest, ClicksMarkRowsAndTheXButtonUnmarksAllThenMarksAll) {
  file("a.mi", 10);
  file("b.bdl", 10);
  file("notiz.txt", 10);
  start(true);

  click_table_row("TAVRIN-DIALOG-DT", row_of("notiz.txt"));
  EXPECT_EQ(create_filelist(), (std::vector<std::string>{"notiz.txt"}));
  click_table_row("TAVRIN-DIALOG-DT", row_of("notiz.txt"));
  EXPECT_TRUE(create_filelist().empty());

  // A mark with blanks around it is still a mark.
  host::sd_write_logical_table_cell("TAVRIN-ltb", row_of("a.mi"), host::kw("x"), " X ");
  EXPECT_EQ(create_filelist(), (std::vector<std::string>{"a.mi"}));
  click_table_row("TAVRIN-DIALOG-DT", row_of("a.mi"));
  EXPECT_TRUE(create_filelist().empty());

  click_table_row("TAVRIN-DIALOG-DT", row_of("b.bdl"));
  press_button(id("ALLE-AN-AUS-PB"));
  EXPECT_EQ(column("x"), (std::vector<std::string>{"", "", ""}));
  file("neu.mi", 10);  // the rebuild reads the directory again
  press_button(id("ALLE-AN-AUS-PB"));
  EXPECT_EQ(column("x"), (std::vector<std::string>{"X", "X", "X", "X"}));
  EXPECT_EQ(create_filelist(), column("name"));
}

TEST_F(FileListTest, AFilterChangeListsOnlyItsFilesWithNothingMarked) {
  file("a.mi", 10);
  file("b.bdl", 10);
  file("C.MI", 10);
  start(true);
  press_button(id("ALLE-AN-AUS-PB"));

  click_toggle(id("MI-TB"));
  EXPECT_EQ(read_filter(), "*.mi");
  EXPECT_EQ(column("name"), (std::vector<std::string>{"a.mi"}));
  EXPECT_EQ(column("x"), (std::vector<std::string>{""}));
  EXPECT_FALSE(on("ALLE-TB"));

  click_toggle(id("BDL-TB"));
  EXPECT_EQ(column("name"), (std::vector<std::string>{"b.bdl"}));
  press_button(id("ALLE-AN-AUS-PB"));
  click_toggle(id("BDL-TB"));  // clicking the chosen filter keeps it, and its marks
  EXPECT_TRUE(on("BDL-TB"));
  EXPECT_EQ(create_filelist(), (std::vector<std::string>{"b.bdl"}));
  EXPECT_EQ(read_filter(), "*.bdl");

  click_toggle(id("ALLE-TB"));
  EXPECT_EQ(column("name").size(), 3u);
  EXPECT_TRUE(create_filelist().empty());
}

}  // namespace
}  // namespace tavrin::testing
