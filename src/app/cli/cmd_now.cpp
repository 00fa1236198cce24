// `tavrin now`: the current-drawing run on one loaded file; outputs go to the current directory.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <string>

#include "commands.h"
#include "host/api/language.h"
#include "host/api/drawing_ops.h"
#include "host/api/error.h"

namespace cli {

namespace {

struct NowOptions {
  std::string file;
  JobOptions job;
};

int run_now(const GlobalOptions& global, const NowOptions& o) {
  if (!std::filesystem::is_regular_file(o.file)) {
    throw host::Error(host::translate_format("now: {} is not a file", o.file));
  }
  Session session(global);
  session.load_module();
  host::am_load_drawing({host::kw("filename"), o.file});
  start_command("TAVRIN-NOW-START-DIALOG");
  apply_job_options(o.job);
  return press_start(session);
}

}  // namespace

Runner add_now_command(CLI::App& app) {
  auto options = std::make_shared<NowOptions>();
  CLI::App* cmd = app.add_subcommand(
      "now",
      host::translate_format("Current-drawing run (\"{}\"): load FILE into the host, then plot, print and save "
      "its selected sheets. Outputs go to the current directory.", G_("Zeichnung")));
  cmd->add_option("FILE", options->file, _("the drawing (.mi, .dxf, .dwg or .bdl)"))->required();
  add_job_options(*cmd, options->job);
  return [options](const GlobalOptions& global) { return run_now(global, *options); };
}

}  // namespace cli
