// The change history as a person meets it: a copy of the installation tree, the module's
// history and administrator commands registered, drawings built through the host, and the
// headless front end recording messages, editors and points.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "config/language.h"
#include "history/admin.h"
#include "history/info_record.h"
#include "history/revision_pdf.h"
#include "host/api/host.h"
#include "host/api/testing.h"
#include "host/drawing/store.h"
#include "host/ui/headless.h"
#include "support/install_test.h"

namespace tavrin::testing {

namespace fs = std::filesystem;
using host::kw;
using host::List;
using host::Value;

class HistoryTest : public tavrin_test::InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    register_history_dialogs();
    register_admin_dialogs();
    create_info_plot_style();
    get_info_string_from_file();
  }

  // A new drawing with a number (or none) and one sheet.
  static void new_drawing(const Value& number = Value("4711 A")) {
    List args{kw("yes")};
    if (!number.is_nil()) args.insert(args.end(), {kw("dwg_number"), number});
    host::am_create_drawing(args);
  }
  // A docu text on the current sheet carrying the lines as INFO attributes, in text order.
  static Value info_text(const std::vector<std::string>& lines, double x = 10) {
    const Value text = host::am_create_text(
        {kw("owner"), kw("current_sheet"), kw("docu-text"), "Änderungen", Value::point(x, 10)});
    host::sd_am_add_info_attributes(List(lines.begin(), lines.end()), text);
    return text;
  }
  // The INFO attributes of an element in text order.
  static std::vector<std::string> lines_of(const Value& element) {
    std::vector<std::string> lines;
    for (const Value& v : host::sd_am_inq_info_attributes(element))
      lines.insert(lines.begin(), v.as_string());
    return lines;
  }
  // "Edit-Doku" with the text a person types into the editor (nullopt: cancels the editor).
  static void edit_history(std::optional<std::string> text) {
    front().queue_text(std::move(text));
    host::sd_call_dialog("TV_INFO_EDIT");
  }
};

}  // namespace tavrin::testing
