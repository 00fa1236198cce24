// The start commands, the job commands that "Start" runs, and the directory dialog.
#include "dialogs/start_commands.h"

#include "base/set_ini.h"
#include "config/language.h"
#include "config/tables.h"
#include "dialogs/dialog_ids.h"
#include "dialogs/file_list.h"
#include "dialogs/job_settings.h"
#include "dialogs/job_start.h"
#include "dialogs/main_dialog.h"
#include "host/api/host.h"

namespace tavrin {

namespace {

using host::kw;
using host::List;
using host::Value;

// Where the file area puts the directory button; renewing it keeps it there.
constexpr int kDirButtonRow = 29;

host::Function run(std::function<void()> f) {
  return [f = std::move(f)](const List&) {
    f();
    return Value();
  };
}

void define(const std::string& name, const std::string& title, std::function<void()> action) {
  host::DialogSpec spec;
  spec.name = name;
  spec.title = title;
  if (action) spec.ok_action = run(std::move(action));
  host::define_dialog(std::move(spec));
}

// The folder browser is the input tool: opened at what was entered so far, its choice is fed
// as the input; a cancelled browser feeds nothing.
Value browse_plot_dir(const List& args) {
  const Value so_far = args.empty() ? Value() : args.front();
  const Value chosen = host::sd_browse_for_folder(lang_text(15), so_far);
  if (chosen.is_string())
    host::feed_dialog_input(host::convert_filename_from_platform(chosen.as_string()));
  return Value();
}

// The host has checked the input as a directory.
Value take_plot_dir(const List& args) {
  const std::string dir = host::print_text(args.at(0));
  const auto changed = host::guarded(
      [&] {
        host::sd_set_current_working_directory(dir);
        return Value::t();
      },
      host::OnError::Show);
  if (!changed) return Value();
  create_dir_button(kDirButtonRow);
  // Starting another command ends the directory dialog and returns to the main dialog.
  host::sd_call_dialog("TV-DUMMY-DIALOG");
  tv_read_directory("");
  return Value();
}

void define_set_plot_dir() {
  host::DialogVariable var;
  var.name = "VERZEICHNIS";
  var.type = "directory";
  var.title = "Verzeichnis";
  var.input_tool = browse_plot_dir;
  var.after_input = take_plot_dir;
  host::DialogSpec spec;
  spec.name = "SET-PLOT-DIR";
  spec.variables.push_back(std::move(var));
  host::define_dialog(std::move(spec));
}

}  // namespace

void register_start_dialogs() {
  define("TAVRIN-BATCH-START-DIALOG", "Tavrin-Batch-Start-Dialog", [] { tavrin_start(true); });
  define("TAVRIN-NOW-START-DIALOG", "Tavrin-Now-Start-Dialog", [] { tavrin_start(false); });
  define_set_plot_dir();
  define("TV-DUMMY-DIALOG", "Tv-Dummy-Dialog", {});
  define("TV-BATCH-DIALOG", "TV-DIALOG", [] { tavrin_batch_exe(); });
  define("TV-NOW-DIALOG", "TV-DIALOG", [] { tavrin_now_exe(); });
}

void tavrin_start(bool modus) {
  set_ini(modus);
  create_konfig_files_if_not_exist();
  read_format_data();
  read_plotter_data();
  read_plotter_format_names();
  plot_transformation_ini();
  tavrin_dialog();
  tv_load_standard();
}

void create_dir_button(int row) {
  host::sd_create_pushbutton_control(
      dialog_control("VERZEICHNIS-PB"),
      {kw("parent"), kMainGrid, kw("title"),
       host::format("  ~A", host::sd_get_current_working_directory()), kw("alignment"), kw("left"),
       kw("x"), 0, kw("y"), row, kw("width"), 80, kw("height"), 5, kw("pushaction"),
       action_of([] { host::sd_call_dialog("SET-PLOT-DIR"); })});
}

}  // namespace tavrin
