// `tavrin history pdf`: the revision PDF of one drawing, made by a directory run that writes
// nothing but the change history, in a private directory; the PDF then lands in the current
// directory.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "commands.h"
#include "host/api/language.h"
#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/front_end.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

int run_pdf(const GlobalOptions& global, const std::string& file) {
  if (!fs::is_regular_file(file)) throw host::Error(host::translate_format("history pdf: {} is not a file", file));
  const fs::path source = fs::absolute(file);
  const fs::path target_dir = fs::current_path();
  Session session(global);
  session.load_module();
  const fs::path work = fs::path(host::sd_inq_temp_dir()) / "history-pdf";
  fs::create_directories(work);
  fs::copy_file(source, work / source.filename(), fs::copy_options::overwrite_existing);

  start_command("TAVRIN-BATCH-START-DIALOG");
  session.front_end().queue_folder(work.string());
  host::ui::press_button("TAVRIN-DIALOG-VERZEICHNIS-PB");
  JobOptions job;
  for (tavrin::Job off :
       {tavrin::Job::StoreMi, tavrin::Job::StoreDxf, tavrin::Job::StorePdf, tavrin::Job::Drucken}) {
    job.check(off) = false;
  }
  job.check(tavrin::Job::StoreAenderung) = true;
  job.sheets = "all";  // the revision PDF is one per drawing, whatever the sheets
  apply_job_options(job);
  host::ui::ensure_toggle(tavrin::job_control(tavrin::Job::FilterAlle), true);
  host::ui::press_button("TAVRIN-DIALOG-ALLE-AN-AUS-PB");
  session.front_end().queue_answer(true);  // asking for this one PDF is the confirmation
  int status = press_start(session);

  int written = 0;
  for (const auto& entry : fs::directory_iterator(work)) {
    if (entry.path().extension() != ".pdf") continue;
    const fs::path target = target_dir / entry.path().filename();
    host::write_file_atomically(target.string(), host::read_file(entry.path().string()));
    std::cout << target.string() << '\n';
    ++written;
  }
  if (written == 0) {
    session.front_end().message(host::format(G_("~A: INFO-Feld nicht gefunden"), file),
                                host::Severity::Problem);
    status = kProblems;
  }
  return status;
}

}  // namespace

Runner add_history_pdf(CLI::App& history) {
  auto file = std::make_shared<std::string>();
  CLI::App* cmd = history.add_subcommand(
      "pdf",
      host::translate_format("Write the revision PDF (\"{}\") of FILE into the current directory as "
      "<drawing number>_Änderungen.pdf.", G_("Änderungsmitteilung")));
  cmd->add_option("FILE", *file, _("the drawing (.mi, .dxf, .dwg or .bdl)"))->required();
  return [file](const GlobalOptions& global) { return run_pdf(global, *file); };
}

}  // namespace cli
