// Loading the module: the load sequence, the command files, the ribbon or classic menu.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/globals.h"
#include "base/set_ini.h"
#include "config/language.h"
#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/settings/pens.h"
#include "host/ui/menus.h"
#include "host/ui/model.h"
#include "host/ui/user_actions.h"
#include "startup/entry.h"
#include "support/scratch_dir.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    reset_globals();
    root_ = scratch_.path();
    fs::create_directories(root_ / "profile");
    fs::copy(fs::path(TAVRIN_SOURCE_DIR) / "share" / "tavrin", root_ / "tavrin",
             fs::copy_options::recursive);
    env_.set("TAVRIN_PATH", (root_ / "tavrin").string());
    env_.set("TAVRIN_PROFILE_DIR", (root_ / "profile").string());
    env_.unset("TAVRIN_ADMIN");
  }
  void TearDown() override { host::reset_host(); }

  void load(bool admin, int major) {
    if (admin) env_.set("TAVRIN_ADMIN", "1");
    host::set_host_major_version(major);
    tavrin_demo_initialize(nullptr, 0, nullptr);
  }

  static std::vector<size_t> group_sizes(const host::ui::RibbonTab& tab) {
    std::vector<size_t> sizes;
    for (const auto& group : tab.groups) sizes.push_back(group.buttons.size());
    return sizes;
  }

  tavrin_test::ScratchDir scratch_;
  tavrin_test::EnvGuard env_;
  fs::path root_;
};

TEST_F(StartupTest, LoadingLeavesTheVersionTheModeAndEmptyTables) {
  load(false, 18);
  EXPECT_EQ(g().tavrin_path, (root_ / "tavrin").string());
  EXPECT_FALSE(g().tavrin_admin);
  EXPECT_EQ(g().tavrin_version, "Ostra Version: V21 2015-08-26");
  EXPECT_TRUE(g().tavrin_modus);
  EXPECT_TRUE(g().plot_format_data.empty());
  EXPECT_TRUE(g().plotter_names.empty());
  EXPECT_TRUE(g().plot_fit_formats.empty());
  EXPECT_TRUE(g().plotter_auto_format.empty());
  EXPECT_TRUE(g().plotstyle_list.empty());
  // The later start-up steps ran: language table, INFO marker, revision plot style.
  EXPECT_FALSE(lang_text(24).empty());
  EXPECT_EQ(g().header_info, "AENDERUNGEN");
  EXPECT_NE(host::find_pen_style("INFO_DOCU"), nullptr);
}

TEST_F(StartupTest, EverySixteenCommandIsRegisteredUnderItsUpperCaseName) {
  load(false, 18);
  for (const char* name :
       {"TAVRIN-BATCH-START-DIALOG", "TAVRIN-NOW-START-DIALOG", "SET-PLOT-DIR", "TV-DUMMY-DIALOG",
        "TV-BATCH-DIALOG", "TV-NOW-DIALOG", "TV_INFO_DROP", "TV_INFO_EDIT", "TV-ADMIN-DIALOG",
        "TV-ADMIN-FORMAT-DIALOG", "TV-ADMIN-PLOTTER-FORMAT-NAME-DIALOG",
        "TV-ADMIN-TRANSFORM-DIALOG", "TV-ADMIN-PLOTTER-DIALOG", "TV-ADMIN-INFO-DIALOG",
        "TV-ADMIN-INFO-FINISH-DIALOG", "TV-ADMIN-INFO-CANCEL-DIALOG"}) {
    EXPECT_TRUE(host::command_registered(name)) << name;
  }
  // Registration only defines: nothing is shown.
  EXPECT_FALSE(host::sd_control_visible_p("TAVRIN-DIALOG"));
}

TEST_F(StartupTest, CommandFilesFollowTheAdministratorSwitch) {
  load(false, 18);
  for (const auto& d : host::ui::command_declarations()) {
    EXPECT_THAT(d.file, HasSubstr("Tavrin_avail_cmds.cmd"));
  }
  host::reset_host();
  reset_globals();
  load(true, 18);
  const auto decls = host::ui::command_declarations();
  ASSERT_FALSE(decls.empty());
  EXPECT_THAT(decls.front().file, HasSubstr("/Tavrin_avail_cmds.cmd"));
  EXPECT_THAT(decls.back().file, HasSubstr("/Tavrin_Admin_avail_cmds.cmd"));
}

TEST_F(StartupTest, HostVersion18GetsTheRibbonWithTwoGroupsWithoutAdministration) {
  load(false, 18);
  const auto tab = host::ui::find_ribbon_tab("Tavrin");
  ASSERT_TRUE(tab.has_value());
  EXPECT_EQ(tab->title, "Ostra");
  EXPECT_EQ(tab->application, "Annotation");
  EXPECT_THAT(group_sizes(*tab), ElementsAre(2, 2));
  EXPECT_EQ(tab->groups[1].title, "Änderungen");
  EXPECT_TRUE(tab->groups[0].buttons[0].large);
  EXPECT_EQ(tab->groups[0].buttons[0].avail.command, "TAVRIN-BATCH-START-DIALOG");
  EXPECT_EQ(tab->groups[0].buttons[0].image,
            (root_ / "tavrin" / "ICONS" / "TavrinDir24.bmp").string());
  EXPECT_FALSE(host::ui::find_menu("Tavrin").has_value());
  EXPECT_EQ(host::ui::ribbon_layout_recalculations(), 1);
  ASSERT_EQ(host::ui::menu_entries().size(), 1u);
  EXPECT_EQ(host::ui::menu_entries()[0].mapmenu, "Tavrin");
}

TEST_F(StartupTest, AdministratorsGetTheAdminGroupOfSixNormalButtons) {
  load(true, 19);
  const auto tab = host::ui::find_ribbon_tab("Tavrin");
  ASSERT_TRUE(tab.has_value());
  EXPECT_THAT(group_sizes(*tab), ElementsAre(2, 2, 6));
  EXPECT_EQ(tab->groups[2].title, "Admin");
  EXPECT_FALSE(tab->groups[2].buttons[0].large);
  EXPECT_EQ(tab->groups[2].buttons[5].avail.command, "INFOFELD");
}

TEST_F(StartupTest, HostVersion17GetsTheClassicMenu) {
  load(false, 17);
  EXPECT_FALSE(host::ui::find_ribbon_tab("Tavrin").has_value());
  auto menu = host::ui::find_menu("Tavrin");
  ASSERT_TRUE(menu.has_value());
  ASSERT_EQ(menu->boxes.size(), 1u);
  ASSERT_EQ(menu->boxes[0].buttons.size(), 2u);
  EXPECT_EQ(menu->boxes[0].buttons[0].label, "Verzeichnis");
  EXPECT_EQ(menu->boxes[0].buttons[1].label, "Zeichnung");
  EXPECT_EQ(host::ui::menu_entries().size(), 1u);

  host::reset_host();
  reset_globals();
  load(true, 17);
  menu = host::ui::find_menu("Tavrin");
  ASSERT_TRUE(menu.has_value());
  ASSERT_EQ(menu->boxes.size(), 3u);
  EXPECT_EQ(menu->boxes[1].buttons.size(), 2u);
  EXPECT_EQ(menu->boxes[2].buttons.size(), 6u);
  EXPECT_EQ(menu->boxes[1].title, "Änderungen");
}

TEST_F(StartupTest, RibbonAndMenuButtonsRunTheirCommands) {
  load(true, 18);
  host::ui::click_ribbon_button("Tavrin", "TavrinStart", 0);
  EXPECT_TRUE(host::sd_control_visible_p("TAVRIN-DIALOG"));
  EXPECT_TRUE(g().tavrin_modus);
  EXPECT_FALSE(g().plot_format_data.empty());

  host::reset_host();
  reset_globals();
  load(true, 17);
  host::ui::click_menu_button("Tavrin", "Start", 1);
  EXPECT_TRUE(host::sd_control_visible_p("TAVRIN-DIALOG"));
  EXPECT_FALSE(g().tavrin_modus);
}

TEST_F(StartupTest, MissingLanguageFileStopsTheLoadBeforeTheMenus) {
  fs::remove(root_ / "tavrin" / "TABELLEN" / "TavrinLanguage.dat");
  EXPECT_THROW(load(false, 18), host::Error);
  EXPECT_FALSE(host::ui::find_ribbon_tab("Tavrin").has_value());
}

TEST_F(StartupTest, SetIniStoresTheModeAndReturnsIt) {
  g().plot_format_data.push_back({"A4", 297, 210});
  g().plotter_format_names.push_back({"P"});
  EXPECT_FALSE(set_ini(false));
  EXPECT_FALSE(g().tavrin_modus);
  EXPECT_TRUE(g().plot_format_data.empty());
  // The format-name table is not reset by set-ini.
  EXPECT_EQ(g().plotter_format_names.size(), 1u);
  EXPECT_TRUE(set_ini(true));
  EXPECT_TRUE(g().tavrin_modus);
}

TEST_F(StartupTest, WithoutTavrinPathTheTreeBesideTheProgramIsUsed) {
  env_.unset("TAVRIN_PATH");
  take_environment();
  EXPECT_EQ(g().tavrin_path, default_tavrin_path());
  EXPECT_THAT(g().tavrin_path, HasSubstr("share/tavrin"));
  env_.set("TAVRIN_PATH", "/opt/x/share/tavrin/");
  env_.set("TAVRIN_ADMIN", "yes");
  take_environment();
  EXPECT_EQ(g().tavrin_path, "/opt/x/share/tavrin");
  EXPECT_TRUE(g().tavrin_admin);
}

}  // namespace
}  // namespace tavrin
