// Output files of a plot job: the shared file-name rule, PDF of a sheet, MI and DXF saves
// with ".org" backups, and the fallback loader.
#include "engine/output.h"

#include <algorithm>

#include "base/globals.h"
#include "config/language.h"
#include "config/tables.h"
#include "engine/driver.h"
#include "engine/plot_style.h"
#include "engine/sheet_format.h"
#include "host/api/host.h"
#include "host/api/text.h"

namespace tavrin {

namespace {

using host::kw;
using host::OnError;

// A drawing file "ends in" an extension only when it is a text at least that long; a missing
// file (a current-drawing run without drawing number) ends in nothing.
bool ends_with_ignoring_case(const host::Value& file, std::string_view extension) {
  return file.is_string() && host::iends_with(file.as_string(), extension);
}

// A host step that failed was shown (and counted) by the guard; the run goes on.
std::optional<host::Value> counted(const std::function<host::Value()>& op) {
  return host::guarded(op, OnError::Show);
}

// A path inside the quotes of a command line: a quote in it is doubled, so it can never end
// the string early.
std::string quoted_for_command(const std::string& path) {
  std::string out;
  for (char c : path) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

// Keeps an earlier output as "<name>.org" while it also stays at its name until the new
// output replaces it in one step: a failed or interrupted save loses neither. False (shown
// and counted) when the backup cannot be made; the old output is then not overwritten.
bool keep_backup(const std::string& name) {
  return counted([&] {
           host::keep_backup_copy(name, host::format("~A.org", name));
           return host::Value::t();
         })
      .has_value();
}

}  // namespace

host::List pdf_plot_args(const SheetFormat& sheet, const std::string& base) {
  const bool portrait = sheet.orientation == "PORTRAIT";
  // clang-format off
  return {kw("plotter_type_ra"), kw("pdf"), kw("plotter_name_ra"), "PDF_GENERIC",
          kw("plot_warnings"), kw("off"),
          kw("custom_size"), kw("width"), sheet.width, kw("height"), sheet.height, kw("accept"),
          kw(portrait ? "orientation_portrait" : "orientation_landscape"),
          kw("orientation"), kw(portrait ? "portrait" : "landscape"),
          kw("destination"), host::format("~A.pdf", base), kw("copies"), 1,
          kw("transf_style"), sheet.plot_style, kw("scale_factor"), kw("scale_factor_value"), 1,
          kw("contents_drawing"), kw("output_sheet"), kw("plot")};
  // clang-format on
}

host::Value create_pdf(const std::string& firma, const std::string& sheet_name) {
  const std::string base = create_speichername(sheet_name);
  // Measuring and styling are inside the guard too: a sheet that cannot be measured is
  // reported and the run goes on.
  const auto result = host::guarded(
      [&] {
        return host::am_plot_ex(
            pdf_plot_args(set_plot_syle_parameter(firma, calculate_sheet_format()), base));
      },
      OnError::Silent);
  if (result) return *result;
  host::count_problem();
  const std::string empty = leeres_blatt_text(sheet_name);
  host::display_error(empty.empty() ? host::print_text(host::sd_inq_error_obj(kw("message")))
                                    : empty);
  return {};
}

std::string leeres_blatt_text(const std::string& sheet_name) {
  const host::Value keyword = host::sd_inq_error_obj(kw("keyword"));
  if (!keyword.is_keyword("empty-part") || lang_text(38).empty()) return "";
  const host::Value number = host::sd_am_inq_drawing_no();
  const std::string text = host::format("~A ~A ~A", lang_text(7), sheet_name, lang_text(38));
  return number.truthy() ? host::format("~A: ~A", number, text) : text;
}

host::Value speichern_alle_blaetter(const host::Value& file, const Selection& selection, bool mi,
                                    bool dxf) {
  for (const host::Value& sheet : host::sd_am_inq_all_sheets()) {
    const std::string name = host::print_text(host::sd_am_inq_sheet(sheet).at(0));
    const std::string dxf_name = host::format("~A.dxf", create_speichername(name));
    if (ist_blatt_in_auswahl(name, selection)) speichern(sheet, mi, dxf, file, dxf_name, name);
  }
  return {};
}

host::Value speichern(const host::Value& sheet, bool mi, bool dxf, const host::Value& file,
                      const std::string& dxf_name, const std::string& sheet_name) {
  if (dxf && !ends_with_ignoring_case(file, ".dxf")) {
    if (keep_backup(dxf_name))
      counted([&] {
        return host::am_save_sheet_dxf(
            {kw("sheet"), sheet, kw("overwrite"), kw("filename"), dxf_name});
      });
  }
  if (!mi || ends_with_ignoring_case(file, ".mi")) return {};
  const std::string mi_name = host::format("~A.mi", create_speichername(sheet_name));
  if (!keep_backup(mi_name)) return {};
  return counted([&] {
           return host::am_save_sheet_mi(
               {kw("sheet"), sheet, kw("overwrite"), kw("filename"), mi_name});
         })
      .value_or(host::Value());
}

void load_subpart_drawing(const std::string& path) {
  const auto created = counted([&] {
    return host::am_create_drawing({kw("drawing_type"), kw("no_process"), kw("dwg_number"),
                                    substract_extension(path), kw("frame_type"), lang_text(27),
                                    kw("view_scale"), "1:1"});
  });
  if (!created) return;
  const auto loaded = host::guarded(
      [&] {
        return host::sd_execute_annotator_command(
            {kw("cmd"), host::format("LOAD SUBPART'~A' 0,0", quoted_for_command(path))});
      },
      OnError::Silent);
  if (loaded) return;
  host::count_problem();
  // A run over all files of a directory meets logs and notes beside the drawings: each gets
  // one short line in the user's language instead of the host's error text.
  const std::string not_a_drawing = lang_text(39);
  if (host::sd_inq_error_obj(kw("keyword")).is_keyword("unknown-file-type") &&
      !not_a_drawing.empty()) {
    host::display(host::format("~A ~A", path, not_a_drawing));
    return;
  }
  host::display_error(host::print_text(host::sd_inq_error_obj(kw("message"))));
}

}  // namespace tavrin
