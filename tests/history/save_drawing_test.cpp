// Saving a whole drawing in place, as the change-history commands of the command line do.
#include <gmock/gmock.h>

#include "history_fixture.h"
#include "host/formats/mi.h"
#include "support/expect.h"

namespace tavrin::testing {
namespace {

TEST_F(HistoryTest, SavedDrawingLoadsBackWithEverySheetAndAttribute) {
  const std::string source = TAVRIN_SOURCE_DIR "/examples/flansch.mi";
  host::am_load_drawing({kw("filename"), source});
  host::am_current_sheet("2");
  const std::string copy = (out_dir() / "kopie.mi").string();
  host::am_save_drawing({kw("filename"), copy});
  const host::Drawing saved = host::current_drawing();
  host::am_load_drawing({kw("filename"), copy});
  const host::Drawing& loaded = host::current_drawing();
  EXPECT_EQ(loaded.number, saved.number);
  EXPECT_EQ(loaded.current, 1u);
  ASSERT_EQ(loaded.sheets.size(), saved.sheets.size());
  for (std::size_t i = 0; i < saved.sheets.size(); ++i) {
    ASSERT_EQ(loaded.sheets[i].elements.size(), saved.sheets[i].elements.size());
    for (std::size_t j = 0; j < saved.sheets[i].elements.size(); ++j)
      EXPECT_TRUE(loaded.sheets[i].elements[j].same_content(saved.sheets[i].elements[j]));
  }
}

TEST_F(HistoryTest, SavingRefusesWhatWouldLoseOrOverwriteData) {
  host::am_load_drawing({kw("filename"), TAVRIN_SOURCE_DIR "/examples/flansch.mi"});
  const std::string existing = (out_dir() / "da.mi").string();
  write(existing, "alt");
  EXPECT_THROW_MSG(host::am_save_drawing({kw("filename"), existing}), ":overwrite");
  EXPECT_EQ(read(existing), "alt");
  // Three sheets do not fit one DXF file; other formats are not written at all.
  EXPECT_THROW_MSG(host::am_save_drawing({kw("filename"), (out_dir() / "x.dxf").string()}),
                   "3 sheets");
  EXPECT_THROW_MSG(host::am_save_drawing({kw("filename"), (out_dir() / "x.pdf").string()}),
                   "only .mi and .dxf");
  EXPECT_FALSE(fs::exists(out_dir() / "x.dxf"));
}

}  // namespace
}  // namespace tavrin::testing
