// `tavrin admin info`: "INFO" opens the INFO template and its window; the marker is typed
// into the window's one line and "Speichern" stores template and marker file.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "commands.h"
#include "host/api/language.h"
#include "host/api/front_end.h"
#include "host/api/ui_ops.h"

namespace cli {

namespace {

constexpr const char* kFirstLine = "TAVRIN-INFO-DIALOG-INFOTEXT-TX";

int run_info(const GlobalOptions& global, const std::string& marker) {
  Session session(global);
  session.load_module();
  const std::size_t before = session.front_end().messages().size();
  run_available_command("INFOFELD");
  if (!host::sd_control_visible_p(kFirstLine)) return kProblems;
  host::ui::type_text(kFirstLine, marker);
  host::ui::press_button("TAVRIN-INFO-DIALOG-STORE-PB");
  session.finish_command();
  return failed_since(session, before) ? kProblems : kOk;
}

}  // namespace

Runner add_admin_info(CLI::App& admin) {
  auto marker = std::make_shared<std::string>();
  CLI::App* cmd = admin.add_subcommand(
      "info",
      _("Store TEXT as the marker line of the INFO template (INFO.mi) and as the marker that "
      "finds INFO fields (TavrinInfo.dat)."));
  cmd->add_option("--marker", *marker, _("the template's first line"))->required();
  return [marker](const GlobalOptions& global) { return run_info(global, *marker); };
}

}  // namespace cli
