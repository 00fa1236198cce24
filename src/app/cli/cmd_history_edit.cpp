// `tavrin history edit`: runs "Edit-Doku" on the drawing with a new history text from a file,
// standard input or the user's editor, and saves the drawing back in place.
#include <CLI/CLI.hpp>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "commands.h"
#include "host/api/language.h"
#include "host/api/commands.h"
#include "host/api/error.h"
#include "host/api/files.h"

namespace cli {

namespace {

struct EditOptions {
  std::string file;
  std::string text_file;
};

// The stored history as "Edit-Doku" shows it; nullopt when there is no INFO field.
std::optional<std::string> current_history(Session& session) {
  session.front_end().queue_text(std::nullopt);
  host::run_command_line("TV_INFO_EDIT");
  const auto& requests = session.front_end().text_requests();
  if (requests.empty()) return std::nullopt;
  return requests.back().initial.value_or("");
}

// The new text from the user's editor, started on the stored history.
std::optional<std::string> text_from_editor(Session& session) {
  const std::string editor = host::ui::editor_from_environment();
  if (editor.empty()) throw host::Error(_("history edit: give --text-file, or set VISUAL or EDITOR"));
  const auto history = current_history(session);
  if (!history) return std::nullopt;
  const std::string path = host::sd_inq_temp_dir() + "Aenderungstext.txt";
  host::write_file_atomically(path, *history + "\n");
  if (!host::ui::run_editor(editor, path)) {
    session.front_end().message(G_("Der Editor wurde nicht normal beendet; nichts wurde eingetragen"),
                                host::Severity::Problem);
    return std::nullopt;
  }
  return host::read_file(path);
}

std::string text_from_file(const std::string& name) {
  if (name != "-") return host::read_file(name);
  return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
}

int run_edit(const GlobalOptions& global, const EditOptions& o) {
  Session session(global);
  session.load_module();
  load_drawing_file(o.file);
  const auto text = o.text_file.empty() ? text_from_editor(session) : text_from_file(o.text_file);
  if (!text) return kProblems;
  const std::size_t before = session.front_end().messages().size();
  session.front_end().queue_text(*text);
  host::run_command_line("TV_INFO_EDIT");
  session.finish_command();
  if (failed_since(session, before)) return kProblems;
  return save_in_place(session, o.file);
}

}  // namespace

Runner add_history_edit(CLI::App& history) {
  auto options = std::make_shared<EditOptions>();
  CLI::App* cmd = history.add_subcommand(
      "edit",
      host::translate_format("Edit the change history of FILE (\"{}\") and save FILE in place; the previous "
      "file is kept as FILE.org.", G_("Edit-Doku")));
  cmd->add_option("FILE", options->file, _("the drawing (.mi or .dxf)"))->required();
  cmd->add_option("--text-file", options->text_file,
                  _("the whole new history text (\"-\" for standard input); without it $VISUAL or "
                  "$EDITOR opens the stored history"));
  return [options](const GlobalOptions& global) { return run_edit(global, *options); };
}

}  // namespace cli
