// Declarations of available commands, read from the files described in docs/commands-file.md.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/api/ui_ops.h"
#include "host/ui/args.h"
#include "host/ui/menus.h"
#include "host/ui/model.h"
#include "host/value/format.h"
#include "host/value/language.h"
#include "host/value/location.h"

namespace host::ui {

namespace {

std::vector<CommandDeclaration>& declarations() {
  static std::vector<CommandDeclaration> list;
  return list;
}

[[maybe_unused]] const bool registered = [] {
  register_reset_hook([] { declarations().clear(); });
  return true;
}();

bool same(const AvailCmd& a, const AvailCmd& b) {
  return iequals(a.application, b.application) && iequals(a.group, b.group) &&
         iequals(a.command, b.command);
}

std::vector<std::string> split_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t bar = line.find('|', start);
    fields.push_back(trim_blanks(line.substr(start, bar - start)));
    if (bar == std::string::npos) return fields;
    start = bar + 1;
  }
}

CommandDeclaration parse_line(const std::string& path, int number, const std::string& line) {
  std::vector<std::string> f = split_fields(line);
  if (f.size() < 4 || f.size() > 5) {
    throw Error(located(
        path, number,
        format(_("expected application|group|command|registered command|description, got \"~A\""),
               line),
        line));
  }
  static const char* const kNames[] = {"application", "group", "command", "registered command"};
  for (int i = 0; i < 4; ++i) {
    if (f[i].empty())
      throw Error(located(path, number, format(_("the ~A is empty"), kNames[i]), line));
  }
  // The description is shown to people, so it is shown in the run's language.
  return {{f[0], f[1], f[2]}, upper(f[3]), f.size() == 5 ? translate(f[4].c_str()) : "", path, number};
}

}  // namespace

std::vector<CommandDeclaration> command_declarations() {
  return declarations();
}

std::optional<CommandDeclaration> find_declaration(const AvailCmd& avail) {
  auto& list = declarations();
  auto it = std::find_if(list.begin(), list.end(),
                         [&](const CommandDeclaration& d) { return same(d.avail, avail); });
  return it == list.end() ? std::nullopt : std::optional<CommandDeclaration>(*it);
}

}  // namespace host::ui

namespace host {

void sd_load_additional_available_commands_file(const std::string& path) {
  std::error_code ec;
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path, ec)) {
    throw Error(translate_format("sd_load_additional_available_commands_file: cannot read {}", path));
  }
  // The whole file is read before anything is declared: a bad line leaves nothing half-loaded.
  std::vector<ui::CommandDeclaration> read;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    std::string text = host::trim_blanks(line);
    if (text.empty() || text[0] == '#') continue;
    read.push_back(ui::parse_line(path, number, text));
  }
  if (in.bad()) throw Error(translate_format("sd_load_additional_available_commands_file: cannot read {}", path));
  auto& list = ui::declarations();
  for (ui::CommandDeclaration& d : read) {
    auto it = std::find_if(list.begin(), list.end(), [&](const ui::CommandDeclaration& old) {
      return ui::same(old.avail, d.avail);
    });
    if (it != list.end()) {
      *it = std::move(d);  // a later file overrides an earlier declaration
    } else {
      list.push_back(std::move(d));
    }
  }
  ui::notify({ui::ModelChange::What::Ribbon, ""});
}

}  // namespace host
