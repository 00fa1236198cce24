// The ribbon and menu model, clicking their buttons, and the declarations file.
#include "host/ui/menus.h"

#include <filesystem>
#include <fstream>

#include "host/ui/user_actions.h"
#include "support/scratch_dir.h"
#include "ui_fixture.h"

namespace host::ui::testing {
namespace {

class MenusTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    dir = scratch_.path();
  }
  std::string write(const std::string& name, const std::string& text) {
    auto path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string load_error(const std::string& path) {
    try {
      sd_load_additional_available_commands_file(path);
    } catch (const Error& e) {
      return e.what();
    }
    return "(no error)";
  }
  void ribbon_button(const std::string& group, const std::string& command, bool large) {
    List args{kw("annotationRibbon"),
              Value::t(),
              kw("label"),
              "",
              kw("parent"),
              List{"Tavrin", group},
              kw("availCmd"),
              List{"Annotation", "Tavrin", command},
              kw("image"),
              "/i/" + command + ".bmp"};
    if (large) args.insert(args.begin() + 6, {kw("largeImage"), Value::t()});
    sd_fluentui_add_ribbon_button(args);
  }
  tavrin_test::ScratchDir scratch_;
  std::filesystem::path dir;
};

TEST_F(MenusTest, DeclarationsFileIsReadSkippingCommentsAndBlankLines) {
  auto path =
      write("avail.cmd",
            "\xEF\xBB\xBF# Tavrin commands\n"
            "\n"
            "Annotation|Tavrin|TAVRIN-BATCH-START-DIALOG|TAVRIN-BATCH-START-DIALOG|Verzeichnis\r\n"
            "  Annotation | Tavrin | ADMIN | tv-admin-dialog \n");
  sd_load_additional_available_commands_file(path);
  auto decls = command_declarations();
  ASSERT_EQ(decls.size(), 2u);
  EXPECT_EQ(decls[0].description, "Verzeichnis");
  EXPECT_EQ(decls[0].line, 3);
  EXPECT_EQ(decls[1].run, "TV-ADMIN-DIALOG");
  EXPECT_EQ(decls[1].description, "");
  EXPECT_TRUE(find_declaration({"annotation", "tavrin", "admin"}));
  // A later file overrides an earlier declaration of the same command.
  sd_load_additional_available_commands_file(write("admin.cmd", "Annotation|Tavrin|ADMIN|OTHER\n"));
  EXPECT_EQ(find_declaration({"Annotation", "Tavrin", "ADMIN"})->run, "OTHER");
  EXPECT_EQ(command_declarations().size(), 2u);
}

TEST_F(MenusTest, BadDeclarationsFilesNameFileAndLineAndDeclareNothing) {
  auto path = write("bad.cmd", "Annotation|Tavrin|A|A\nAnnotation|Tavrin|B\n");
  EXPECT_EQ(load_error(path),
            path +
                ":2: expected application|group|command|registered command|description, got "
                "\"Annotation|Tavrin|B\"\nAnnotation|Tavrin|B\n^");
  EXPECT_TRUE(command_declarations().empty()) << "nothing half-loaded";
  auto empty_field = write("empty.cmd", "# x\nAnnotation||C|C|d\n");
  EXPECT_EQ(load_error(empty_field), empty_field + ":2: the group is empty\nAnnotation||C|C|d\n^");
  EXPECT_NE(load_error(write("many.cmd", "a|b|c|d|e|f\n")).find(":1:"), std::string::npos);
  auto missing = (dir / "missing.cmd").string();
  EXPECT_NE(load_error(missing).find(missing), std::string::npos);
  EXPECT_NE(load_error(dir.string()).find(dir.string()), std::string::npos);
}

TEST_F(MenusTest, RibbonKeepsTabsGroupsAndButtonsInOrderAndRunsDeclaredCommands) {
  int batch_runs = 0;
  register_command("TAVRIN-BATCH-START-DIALOG", [&](const List&) {
    ++batch_runs;
    return Value();
  });
  sd_load_additional_available_commands_file(
      write("avail.cmd",
            "Annotation|Tavrin|TAVRIN-BATCH-START-DIALOG|TAVRIN-BATCH-START-DIALOG|Verzeichnis\n"));
  sd_fluentui_add_ribbon_tab("Tavrin", {kw("annotationRibbon"), Value::t(), kw("application"),
                                        "Annotation", kw("title"), "Ostra"});
  sd_fluentui_add_ribbon_group("TavrinStart", {kw("parent"), "Tavrin", kw("title"), "Start",
                                               kw("annotationRibbon"), Value::t()});
  ribbon_button("TavrinStart", "TAVRIN-BATCH-START-DIALOG", true);
  ribbon_button("TavrinStart", "TAVRIN-NOW-START-DIALOG", true);
  sd_fluentui_add_ribbon_group("TavrinAdmin", {kw("parent"), "Tavrin", kw("title"), "Admin"});
  ribbon_button("TavrinAdmin", "ADMIN", false);
  sd_fluentui_recalc_ribbon_layout({kw("annotationRibbon"), Value::t()});

  auto tab = find_ribbon_tab("Tavrin");
  ASSERT_TRUE(tab);
  EXPECT_EQ(tab->title, "Ostra");
  EXPECT_EQ(tab->application, "Annotation");
  ASSERT_EQ(tab->groups.size(), 2u);
  EXPECT_EQ(tab->groups[0].buttons.size(), 2u);
  EXPECT_TRUE(tab->groups[0].buttons[0].large);
  EXPECT_FALSE(tab->groups[1].buttons[0].large);
  EXPECT_EQ(tab->groups[1].buttons[0].avail.command, "ADMIN");
  EXPECT_EQ(ribbon_layout_recalculations(), 1);

  click_ribbon_button("Tavrin", "TavrinStart", 0);
  EXPECT_EQ(batch_runs, 1);
  try {
    click_ribbon_button("Tavrin", "TavrinStart", 1);
    FAIL() << "an undeclared command cannot run";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("TAVRIN-NOW-START-DIALOG"), std::string::npos);
  }
  EXPECT_THROW(click_ribbon_button("Tavrin", "TavrinStart", 2), Error);
  EXPECT_THROW(sd_fluentui_add_ribbon_group("G", {kw("parent"), "NoTab"}), Error);
  EXPECT_THROW(sd_fluentui_add_ribbon_button(
                   {kw("parent"), List{"Tavrin", "NoGroup"}, kw("availCmd"), List{"a", "b", "c"}}),
               Error);
  EXPECT_THROW(sd_fluentui_add_ribbon_button(
                   {kw("parent"), List{"Tavrin", "TavrinAdmin"}, kw("availCmd"), List{"a", "b"}}),
               Error);
}

TEST_F(MenusTest, ClassicMenuAndTaskEntryAreKeptAndButtonsStartTheirDialogs) {
  define_dialog({"TAVRIN-NOW-START-DIALOG", "", {}, nullptr, [this](const List&) {
                   calls.push_back("now");
                   return Value();
                 }});
  sd_add_menu_button("Tavrin", {kw("parent"), List{"TASK", "Annotation"}, kw("label"), "Tavrin",
                                kw("image"), "/i/TavrinMenu24.bmp", kw("mapmenu"), "Tavrin"});
  List start_buttons{List{Value::symbol("tavrin-batch-start-dialog"), kw("label"), "Verzeichnis",
                          kw("image"), "/i/TavrinDir24.bmp"},
                     List{Value::symbol("tavrin-now-start-dialog"), kw("label"), "Zeichnung",
                          kw("image"), "/i/TavrinNow24.bmp"}};
  sd_create_menu(
      "Tavrin",
      {kw("title"), "Tavrin", kw("contents"),
       List{List{kw("buttonbox"), "Start", kw("title"), "Start", kw("buttons"), start_buttons}}});
  auto menu = find_menu("Tavrin");
  ASSERT_TRUE(menu);
  ASSERT_EQ(menu->boxes.size(), 1u);
  EXPECT_EQ(menu->boxes[0].buttons[1].label, "Zeichnung");
  EXPECT_EQ(menu->boxes[0].buttons[0].image, "/i/TavrinDir24.bmp");
  auto entries = menu_entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].parent, (std::vector<std::string>{"TASK", "Annotation"}));
  EXPECT_EQ(entries[0].mapmenu, "Tavrin");

  click_menu_button("Tavrin", "Start", 1);
  EXPECT_EQ(calls, std::vector<std::string>{"now"});
  EXPECT_THROW(click_menu_button("Tavrin", "Admin", 0), Error);
  EXPECT_THROW(sd_create_menu("Bad", {kw("contents"), List{List{"Start"}}}), Error);
}

}  // namespace
}  // namespace host::ui::testing
