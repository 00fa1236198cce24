// The pen transformation style of a print or PDF, and the temporary style of a fitted sheet
// whose pen sizes are divided by the fitting factor.
#include "engine/plot_style.h"

#include "config/tables.h"
#include "host/api/host.h"

namespace tavrin {

namespace {

using host::kw;
using host::OnError;

constexpr const char* kPensPath = "Annotation/Plot/PensTrafoStyle/Pens";
constexpr const char* kStylePath = "Annotation/Plot/PensTrafoStyle";

// Builds the temporary style from the current pen list and makes it the active one.
void make_tmp_style(const host::Value& factor) {
  host::guarded(
      [] {
        return host::delete_default_setting_user_style(
            {kStylePath, kw("tavrintmptrans"), kw("yes")});
      },
      OnError::Silent);
  host::guarded(
      [] {
        return host::create_default_setting_user_style({kw("path"), kStylePath, kw("name"),
                                                        "TAVRINTMPTRANS", kw("copy_values"),
                                                        kw("on"), kw("all_styles")});
      },
      OnError::Warn);
  const auto pens =
      host::guarded([] { return host::sd_get_setting_value(kPensPath); }, OnError::Warn);
  if (pens) modify_tmp_plot_sytle(*pens, factor);
  host::guarded(
      [] {
        return host::modify_default_setting(
            {kw("path"), "Annotation/Plot/PenTrafo", kw("a_range"), kw("tavrintmptrans")});
      },
      OnError::Warn);
}

}  // namespace

SheetFormat set_plot_syle_parameter(const std::string& firma, const SheetFormat& sheet) {
  SheetFormat result = sheet;
  result.plot_style =
      host::guarded([&] { return string_to_symbol(firma); }, OnError::Warn).value_or(host::Value());
  host::guarded(
      [&] {
        return host::am_define_pen_transformation(
            {kw("path"), kPensPath, kw("parent_style"), result.plot_style});
      },
      OnError::Warn);
  if (!host::numeric_equal(sheet.factor, host::Value(1))) {
    make_tmp_style(sheet.factor);
    result.plot_style = kw("tavrintmptrans");
  }
  return result;
}

std::string tmp_plot_style_command(const host::Value& pens, const host::Value& factor) {
  std::string text =
      "(AM_DEFINE_PEN_TRANSFORMATION :path \"Annotation/Plot/PensTrafoStyle/Pens\" :parent_style "
      ":TAVRINTMPTRANS";
  const host::List& outer = pens.is_list() ? pens.as_list() : host::List{};
  const host::List& entries =
      !outer.empty() && outer.back().is_list() ? outer.back().as_list() : host::List{};
  for (const host::Value& entry : entries) {
    if (!entry.is_list()) continue;
    bool size_follows = false;
    for (const host::Value& item : entry.as_list()) {
      if (size_follows && item.is_number()) {
        text = host::format("~A :new_pensize", text);
        text = host::format("~A ~A", text, host::numeric_divide(item, factor));
        text = host::format("~A :next", text);
      } else if (size_follows) {
        text = host::format("~A :next", text);
      }
      size_follows = item.is_keyword("new_pensize");
    }
  }
  return host::format("~A :insert :delete)", text);
}

void modify_tmp_plot_sytle(const host::Value& pens, const host::Value& factor) {
  const std::string path = host::format("~A~A", host::sd_inq_temp_dir(), "tmp_tavrin.lsp");
  const std::string line = tmp_plot_style_command(pens, factor) + "\n";
  // A command file that could not be written is not loaded: an older file must not run.
  const auto written = host::guarded(
      [&] {
        host::write_file_atomically(path, line);
        return host::Value::t();
      },
      OnError::Warn);
  if (!written) return;
  host::guarded(
      [&] {
        return host::load_dia({kw("type"), kw("source"), kw("file"), path});
      },
      OnError::Warn);
  host::guarded([&] { return host::sd_delete_file(path); }, OnError::Warn);
}

}  // namespace tavrin
