// `tavrin history new`: runs "INFO neu" on the drawing, places the template at the given
// point, and saves the drawing back in place.
#include <CLI/CLI.hpp>
#include <charconv>
#include <memory>
#include <string>
#include <string_view>

#include "commands.h"
#include "host/api/language.h"
#include "host/api/commands.h"
#include "host/api/error.h"

namespace cli {

namespace {

struct NewOptions {
  std::string file;
  std::string at;
};

double coordinate(std::string_view text, const std::string& whole) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    throw host::Error(host::translate_format("history new: --at expects X,Y in drawing units, not \"{}\"", whole));
  return value;
}

host::Point2 parse_point(const std::string& at) {
  const auto comma = at.find(',');
  if (comma == std::string::npos)
    throw host::Error(host::translate_format("history new: --at expects X,Y in drawing units, not \"{}\"", at));
  return {coordinate(std::string_view(at).substr(0, comma), at),
          coordinate(std::string_view(at).substr(comma + 1), at)};
}

int run_new(const GlobalOptions& global, const NewOptions& o) {
  const host::Point2 at = parse_point(o.at);
  Session session(global);
  session.load_module();
  load_drawing_file(o.file);
  const std::size_t before = session.front_end().messages().size();
  // The template is placed by the queued command after "INFO neu" ends; it asks for the point.
  session.front_end().queue_point(at);
  host::run_command_line("TV_INFO_DROP");
  session.finish_command();
  if (failed_since(session, before) || session.front_end().point_prompts().empty())
    return kProblems;
  return save_in_place(session, o.file);
}

}  // namespace

Runner add_history_new(CLI::App& history) {
  auto options = std::make_shared<NewOptions>();
  CLI::App* cmd = history.add_subcommand(
      "new",
      host::translate_format("Place a new INFO field (\"{}\") from the template on FILE's current sheet and save "
      "FILE in place; the previous file is kept as FILE.org.", G_("INFO neu")));
  cmd->add_option("FILE", options->file, _("the drawing (.mi or .dxf)"))->required();
  cmd->add_option("--at", options->at, _("the placement point X,Y (the template's centre)"))
      ->required();
  return [options](const GlobalOptions& global) { return run_new(global, *options); };
}

}  // namespace cli
