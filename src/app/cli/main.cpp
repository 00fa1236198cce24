// `tavrin`: the headless front end. Starts the host, loads the module through its entry, and
// does what a person would do in the module's dialogs.
#include <malloc.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>

#include "commands.h"
#include "host/api/dwg.h"
#include "host/api/language.h"
#include "host/api/error.h"

namespace {

// A plot builds its large buffers (the drawing's elements, cairo's recorded page and path,
// the PDF bytes) by growing them again and again. glibc serves each large block with its own
// mmap and returns it on free, so every growth step faults in fresh zeroed pages: a tenth of
// the time of a 20,000-entity PDF went into those page faults. A one-shot process is better served
// from the heap, keeping what it freed for the next block.
void keep_freed_memory() {
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_TOP_PAD, 64 << 20);
}

// CLI11 writes its own headings and the help flag's text; they follow the run's language too.
void speak_the_run_language(CLI::App& app) {
  static constexpr const char* kLabels[] = {
      N_("Usage"), N_("OPTIONS"), N_("SUBCOMMAND"), N_("SUBCOMMANDS"), N_("REQUIRED"),
      N_("Positionals"), N_("Env"), N_("Needs"), N_("Excludes")};
  for (const char* label : kLabels) app.get_formatter()->label(label, _(label));
  app.option_defaults()->group(_("Options"));
  app.set_help_flag("-h,--help", _("Print this help message and exit"));
}

// Subcommands get the heading of their group in the run's language.
void name_subcommand_groups(CLI::App& app) {
  for (CLI::App* sub : app.get_subcommands({})) {
    if (sub->get_group() == "Subcommands") sub->group(_("Subcommands"));
    name_subcommand_groups(*sub);
  }
}

}  // namespace

int main(int argc, char** argv) {
  keep_freed_memory();
  CLI::App app{
      _("tavrin: plots, PDF files and exchange files from 2D drawings in one run.\n"
      "Exit status: 0 finished without a reported problem, 1 finished but reported problems\n"
      "(a file that could not be loaded, a failed save, plot or PDF), 2 bad usage or a\n"
      "configuration that stops the command (for example a missing format table).")};
  speak_the_run_language(app);
  app.footer(
      _("Language: TAVRIN_LANGUAGE (de, en, or C for the texts as written) chooses the language\n"
        "of every text; without it the locale does (LC_ALL, LC_MESSAGES, LANG): German for a\n"
        "German locale, English for any other, the texts as written without a locale."));
  app.require_subcommand(1);
  // Global options may also follow the command: `tavrin batch DIR --pdf --yes`.
  app.fallthrough();
  cli::GlobalOptions global;
  app.add_option("--path", global.path,
                 _("installation directory with TABELLEN/ and ICONS/ (default: $TAVRIN_PATH, else "
                 "the installed share/tavrin)"));
  app.add_flag("--admin", global.admin,
               _("administrator mode: the Admin commands, and the shared standard settings"));
  app.add_option("--host-version", global.host_version,
                 _("major version the host reports (18 and later: ribbon; below: classic menu)"));
  app.add_flag("--yes", global.yes, _("answer the confirmation before a run with yes"));
  int dwg_seconds = host::dwg_time_limit();
  int dwg_megabytes = host::dwg_memory_limit();
  app.add_option("--dwg-timeout", dwg_seconds,
                 _("seconds a DWG file may take to convert before its converter is stopped"))
      ->capture_default_str()
      ->check(CLI::Range(1, 86400));
  app.add_option("--dwg-memory-limit", dwg_megabytes,
                 _("megabytes of memory the DWG converter may hold before it is stopped"))
      ->capture_default_str()
      ->check(CLI::Range(64, 1 << 20));
  app.set_version_flag("--version", [] {
    return std::string("tavrin ") + TAVRIN_VERSION + "\n" + host::dwg_converter_description();
  });

  std::map<std::string, cli::Runner> runners{
      {"batch", cli::add_batch_command(app)},       {"now", cli::add_now_command(app)},
      {"printers", cli::add_printers_command(app)}, {"history", cli::add_history_command(app)},
      {"admin", cli::add_admin_command(app)},       {"report", cli::add_report_command(app)},
  };

  name_subcommand_groups(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : cli::kUsage;
  }

  host::set_dwg_limits(dwg_seconds, dwg_megabytes);
  for (CLI::App* sub : app.get_subcommands()) {
    try {
      return runners.at(sub->get_name())(global);
    } catch (const host::Error& e) {
      std::cout << "tavrin: " << e.what() << '\n';
      return cli::kUsage;
    } catch (const std::exception& e) {
      std::cerr << "tavrin: " << e.what() << '\n';
      return cli::kUsage;
    }
  }
  return cli::kUsage;
}
