// Logical tables, the display tables bound to them, and clicking rows.
#include "host/ui/tables.h"

#include "host/ui/model.h"
#include "host/ui/user_actions.h"
#include "support/expect.h"
#include "ui_fixture.h"

namespace host::ui::testing {
namespace {

class TablesTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    make_dialog();
  }
  void make_files(const std::vector<List>& rows) {
    List contents;
    for (const List& r : rows) contents.push_back(r);
    sd_create_logical_table(
        "F-ltb",
        {kw("columns"), List{kw("x"), kw("name"), kw("format"), kw("size")}, kw("columnnames"),
         List{"X", "Filename", "     Typ", "    KByte"}, kw("types"),
         List{kw("string"), kw("string"), kw("string"), kw("string")}, kw("contents"), contents});
    sd_create_display_table_control("F-DT",
                                    {kw("parent"),
                                     "G",
                                     kw("x"),
                                     0,
                                     kw("y"),
                                     39,
                                     kw("width"),
                                     79,
                                     kw("height"),
                                     97,
                                     kw("logicaltable"),
                                     "F-ltb",
                                     kw("columns"),
                                     List{kw("x"), kw("name"), kw("format"), kw("size")},
                                     kw("alignment"),
                                     List{kw("left"), kw("right"), kw("right"), kw("right")},
                                     kw("selectionmode"),
                                     kw("single-row"),
                                     kw("selectionaction"),
                                     flip_mark()});
  }
  // Flips the mark of the first selected row, as the file list does.
  Value flip_mark() {
    return Value::function([](const List& args) {
      List sel = sd_get_display_table_selection(args.at(0).as_string());
      int row = static_cast<int>(sel.at(0).as_integer());
      Value mark = sd_read_logical_table_cell("F-ltb", row, kw("x"));
      sd_write_logical_table_cell("F-ltb", row, kw("x"), mark.as_string().empty() ? "X" : "");
      return Value();
    });
  }
};

TEST_F(TablesTest, CellsColumnsAndRowsAreZeroBased) {
  make_files({{"", "a.mi", "MI", "2"}, {"X", "b.bdl", "Bundle", "0"}});
  EXPECT_EQ(sd_get_logical_table_number_of_rows("F-ltb"), 2);
  EXPECT_EQ(sd_read_logical_table_cell("F-ltb", 1, kw("name")), Value("b.bdl"));
  EXPECT_EQ(sd_read_logical_table_cell("F-ltb", 0, Value(3)), Value("2"));
  EXPECT_EQ(sd_read_logical_table_column("F-ltb", kw("x")), (List{"", "X"}));
  auto t = find_logical_table("F-ltb");
  EXPECT_EQ(t->column_names[2], "     Typ");
  EXPECT_EQ(t->types[0], "string");
  auto dt = find_control("F-DT");
  ASSERT_TRUE(dt && dt->table);
  EXPECT_EQ(dt->kind, ControlKind::DisplayTable);
  EXPECT_EQ(dt->table->alignment, (std::vector<std::string>{"left", "right", "right", "right"}));
  EXPECT_EQ(dt->table->columns[1], "NAME");
  EXPECT_EQ(dt->height, 97);
  sd_set_display_table_colors("F-DT",
                              {kw("columnseparators"), Value::t(), kw("rowcolors"), Value::t()});
  EXPECT_TRUE(find_control("F-DT")->table->row_colors);
  EXPECT_FALSE(find_control("F-DT")->table->column_separator_color);
}

TEST_F(TablesTest, BadAddressesAreRefusedWithTheirNames) {
  make_files({{"", "a.mi", "MI", "2"}});
  EXPECT_THROW_MSG(sd_read_logical_table_cell("F-ltb", 1, kw("x")), "row 1 of F-ltb");
  EXPECT_THROW(sd_read_logical_table_cell("F-ltb", -1, kw("x")), Error);
  EXPECT_THROW_MSG(sd_write_logical_table_cell("F-ltb", 0, kw("colour"), "x"), ":COLOUR");
  EXPECT_THROW_MSG(sd_get_logical_table_number_of_rows("NO-ltb"), "NO-ltb");
  EXPECT_THROW(sd_create_logical_table(
                   "T", {kw("columns"), List{kw("a")}, kw("contents"), List{List{"1", "2"}}}),
               Error);
  EXPECT_THROW(sd_create_logical_table(
                   "T", {kw("columns"), List{kw("a"), kw("b")}, kw("columnnames"), List{"A"}}),
               Error);
  EXPECT_THROW(
      sd_create_display_table_control("DT", {kw("parent"), "G", kw("logicaltable"), "NO-ltb"}),
      Error);
  // A short row is filled with empty cells rather than read past its end.
  sd_create_logical_table("T",
                          {kw("columns"), List{kw("a"), kw("b")}, kw("contents"), List{List{"1"}}});
  EXPECT_TRUE(sd_read_logical_table_cell("T", 0, kw("b")).is_nil());
}

TEST_F(TablesTest, ClickingRowsSelectsThemAndRunsTheSelectionAction) {
  make_files({{"", "a.mi", "MI", "2"}, {"", "b.mi", "MI", "0"}, {"X", "c.mi", "MI", "1"}});
  click_table_row("F-DT", 1);
  EXPECT_EQ(sd_get_display_table_selection("F-DT"), (List{1}));
  EXPECT_EQ(sd_read_logical_table_cell("F-ltb", 1, kw("x")), Value("X"));
  click_table_row("F-DT", 2);
  click_table_row("F-DT", 1);
  EXPECT_EQ(sd_get_display_table_selection("F-DT"), (List{1})) << "single-row keeps one";
  EXPECT_EQ(sd_read_logical_table_column("F-ltb", kw("x")), (List{"", "", ""}));
  EXPECT_THROW(click_table_row("F-DT", 3), Error);
  sd_hide_control("F-DT");
  EXPECT_THROW(click_table_row("F-DT", 0), Error);
}

TEST_F(TablesTest, RebuildingTheTableDropsTheSelection) {
  make_files({{"", "a.mi", "MI", "2"}, {"", "b.mi", "MI", "0"}});
  click_table_row("F-DT", 1);
  sd_create_logical_table(
      "F-ltb", {kw("columns"), List{kw("x"), kw("name"), kw("format"), kw("size")}, kw("contents"),
                List{List{"", "z.mi", "MI", "9"}}});
  sd_logical_table_update_display_tables("F-ltb");
  EXPECT_TRUE(sd_get_display_table_selection("F-DT").empty());
  EXPECT_EQ(table_of_display("F-DT").rows.size(), 1u);
}

TEST_F(TablesTest, MultiRowSelectionTogglesRows) {
  sd_create_logical_table(
      "T", {kw("columns"), List{kw("a")}, kw("contents"), List{List{"1"}, List{"2"}, List{"3"}}});
  sd_create_display_table_control(
      "DT", {kw("parent"), "G", kw("logicaltable"), "T", kw("selectionmode"), kw("multiple-rows")});
  click_table_row("DT", 2);
  click_table_row("DT", 0);
  click_table_row("DT", 2);
  EXPECT_EQ(sd_get_display_table_selection("DT"), (List{0}));
}

}  // namespace
}  // namespace host::ui::testing
