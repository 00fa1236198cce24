// Command files loaded with load_dia.
#include <gmock/gmock.h>

#include "fixture.h"
#include "host/settings/pens.h"
#include "host/value/format.h"
#include "support/expect.h"

namespace tavrin_test {
namespace {

class CommandFileTest : public HostTest {
 protected:
  host::Value load(const std::string& file) {
    return host::load_dia({host::kw("type"), host::kw("source"), host::kw("file"), file});
  }
  std::vector<double> pen_sizes(const std::string& key) {
    std::vector<double> sizes;
    for (const host::PenRule& r : host::find_pen_style(key)->rules)
      sizes.push_back(r.new_pensize.value_or(-1));
    return sizes;
  }
};

TEST_F(CommandFileTest, PenTransformationFileRedefinesTheTemporaryStyle) {
  const std::string style_path = "Annotation/Plot/PensTrafoStyle";
  host::am_define_pen_transformation({host::kw("path"), "Annotation/Plot/PensTrafoStyle/Pens",
                                      host::kw("parent_style"), host::kw("schwarzweiss")});
  host::create_default_setting_user_style({host::kw("path"), style_path, host::kw("name"),
                                           "TAVRINTMPTRANS", host::kw("copy_values"),
                                           host::kw("on"), host::kw("all_styles")});
  // SCHWARZWEISS: a kept size, then 0.25 for the thinnest pen.
  const std::string file = path("tmp_tavrin.lsp");
  host::write_file_atomically(
      file,
      "(AM_DEFINE_PEN_TRANSFORMATION :path \"Annotation/Plot/PensTrafoStyle/Pens\" :parent_style "
      ":TAVRINTMPTRANS :next :new_pensize 0.125 :next :insert :delete)\n");
  load(file);
  EXPECT_EQ(pen_sizes("TAVRINTMPTRANS"), (std::vector<double>{-1, 0.125}));
  EXPECT_EQ(pen_sizes("SCHWARZWEISS"), (std::vector<double>{-1, 0.25}));
  EXPECT_EQ(host::active_pen_style()->key, "TAVRINTMPTRANS");
}

TEST_F(CommandFileTest, FilesMayHoldCommandLinesFormsOverSeveralLinesAndComments) {
  use_drawing({sheet("1", {text("alt", {"A"})})});
  host::write_file_atomically(path("f.lsp"),
                              "; restyle\n\nCHANGE_TEXT 'neu' GLOBAL INFOS 'A' END\r\n"
                              "(SD_PUT_BUFFER\n  \"CHANGE_TEXT_SIZE 5 GLOBAL ALL END\")\n");
  load(path("f.lsp"));
  EXPECT_EQ(sheet_at(0).elements[0].text.lines.front(), "neu");
  EXPECT_EQ(host::queued_commands().size(), 1u);
}

TEST_F(CommandFileTest, BadFilesNameFileAndLineAndRunNothing) {
  use_drawing({sheet("1", {text("alt", {"A"})})});
  EXPECT_THROW_MSG(load(path("fehlt.lsp")), "fehlt.lsp");
  host::write_file_atomically(path("bad.lsp"),
                              "CHANGE_TEXT 'neu' GLOBAL INFOS 'A' END\n\n(AM_DEFINE :path \"x\"\n");
  EXPECT_THROW_MSG(load(path("bad.lsp")), path("bad.lsp") + ":3:");
  host::write_file_atomically(path("bad2.lsp"),
                              "CHANGE_TEXT 'neu' GLOBAL INFOS 'A' END\nCHANGE_TXT 1\n");
  EXPECT_THROW_MSG(load(path("bad2.lsp")), path("bad2.lsp") + ":2: Unknown command: CHANGE_TXT");
  EXPECT_EQ(sheet_at(0).elements[0].text.lines.front(), "alt");
  // A failure while running names the line too.
  host::write_file_atomically(
      path("run.lsp"),
      "\n(MODIFY_DEFAULT_SETTING :path \"Annotation/Plot/PenTrafo\" :a_range :NIX)\n");
  EXPECT_THROW_MSG(load(path("run.lsp")), path("run.lsp") + ":2:");
}

}  // namespace
}  // namespace tavrin_test
