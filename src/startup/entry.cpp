// The module entry: the load sequence, in its fixed order.
#include "startup/entry.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/globals.h"
#include "base/set_ini.h"
#include "config/language.h"
#include "dialogs/start_commands.h"
#include "history/admin.h"
#include "history/info_record.h"
#include "history/revision_pdf.h"
#include "host/api/host.h"
#include "startup/menu.h"

namespace tavrin {

namespace {

bool switch_on(const char* text) {
  if (text == nullptr) return false;
  const std::string s = text;
  return s == "1" || s == "t" || s == "T" || s == "true" || s == "yes";
}

}  // namespace

std::string default_tavrin_path() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "share/tavrin";
  return (exe.parent_path().parent_path() / "share" / "tavrin").lexically_normal().string();
}

void take_environment() {
  const char* path = std::getenv("TAVRIN_PATH");
  std::string p = (path != nullptr && *path != '\0') ? path : default_tavrin_path();
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  g().tavrin_path = p;
  g().tavrin_admin = switch_on(std::getenv("TAVRIN_ADMIN"));
}

void register_commands() {
  register_start_dialogs();
  register_history_dialogs();
  register_admin_dialogs();
}

void load_avail_cmds_files() {
  host::sd_load_additional_available_commands_file(
      host::format("~A/Tavrin_avail_cmds.cmd", g().tavrin_path));
  if (!g().tavrin_admin) return;
  host::sd_load_additional_available_commands_file(
      host::format("~A/Tavrin_Admin_avail_cmds.cmd", g().tavrin_path));
}

void tavrin_ini() {
  set_ini(true);
  language_file_to_ltab();
  tavrin_menu();
  get_info_string_from_file();
  create_info_plot_style();
}

}  // namespace tavrin

extern "C" void tavrin_demo_initialize(void* /*data*/, int /*size*/, void* /*host_object*/) {
  // The module's constants need no take-over in this host: it shares one process and one
  // symbol space with the module, so the load data carry nothing the module must copy.
  tavrin::take_environment();
  tavrin::register_commands();
  tavrin::load_avail_cmds_files();
  tavrin::tavrin_ini();
}
