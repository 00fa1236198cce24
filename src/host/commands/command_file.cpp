// Loading command files: the whole file is read and checked before its first entry runs,
// so a file with a syntax error in its last line has no effect at all.
#include "host/commands/command_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/api/commands.h"
#include "host/api/error.h"
#include "host/commands/annotator.h"
#include "host/commands/forms.h"
#include "host/commands/tokens.h"
#include "host/value/format.h"
#include "host/value/location.h"
#include "host/value/reader.h"

namespace host::commands {

namespace {

[[noreturn]] void fail_at(const std::string& path, std::string_view text, int line,
                          const std::string& what) {
  throw Error(located(path, line, what, line_of(text, line)));
}

int count_lines(std::string_view text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

void check_command_line(const std::string& line) {
  const std::string name = upper(line.substr(0, line.find_first_of(" \t")));
  if (!command_registered(name)) parse_command(line);
}

std::string read_whole_file(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    throw Error(format("load_dia: command file not found: ~A", path));
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  if (!in && !in.eof()) throw Error(format("load_dia: cannot read the command file ~A", path));
  return content.str();
}

}  // namespace

std::vector<FileEntry> parse_command_file(std::string_view text, const std::string& path) {
  std::vector<FileEntry> entries;
  std::size_t pos = 0;
  int line = 1;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '\n') {
      ++line;
      ++pos;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f') {
      ++pos;
    } else if (c == ';') {
      pos = std::min(text.find('\n', pos), text.size());
    } else if (c == '(') {
      FileEntry entry{line, true, {}, {}};
      std::size_t used = 0;
      try {
        const Value form = read_literal(text.substr(pos), &used);
        if (!form.is_list() || form.as_list().empty()) fail_at(path, text, line, "an empty form");
        entry.form = form.as_list();
      } catch (const Error& e) {
        if (std::string_view(e.what()).starts_with(path + ":")) throw;
        fail_at(path, text, line, e.what());
      }
      used = std::max<std::size_t>(used, 1);
      line += count_lines(text.substr(pos, used));
      pos += used;
      entries.push_back(std::move(entry));
    } else {
      const std::size_t end = std::min(text.find('\n', pos), text.size());
      FileEntry entry{line, false, {}, std::string(text.substr(pos, end - pos))};
      while (!entry.command_line.empty() &&
             (entry.command_line.back() == '\r' || entry.command_line.back() == ' '))
        entry.command_line.pop_back();
      try {
        check_command_line(entry.command_line);
      } catch (const Error& e) {
        fail_at(path, text, line, e.what());
      }
      entries.push_back(std::move(entry));
      pos = end;
    }
  }
  return entries;
}

}  // namespace host::commands

namespace host {

Value load_dia(const List& args) {
  const auto file = KeywordArgs(args).value("file");
  if (!file || !file->is_string()) throw Error("load_dia: expects :file and a file name");
  const std::string path = file->as_string();
  const std::string text = commands::read_whole_file(path);
  const auto entries = commands::parse_command_file(text, path);
  Value result = Value::t();
  for (const auto& entry : entries) {
    try {
      result =
          entry.is_form ? commands::call_form(entry.form) : run_command_line(entry.command_line);
    } catch (const Error& e) {
      throw Error(located(path, entry.line, e.what(), line_of(text, entry.line)), e.keyword());
    }
  }
  return result;
}

}  // namespace host
