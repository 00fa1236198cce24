// The working directory, the per-user profile directory, directory listings and wildcards.
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "host/api/runs.h"
#include "host/api/files.h"
#include "host/value/error.h"

namespace fs = std::filesystem;

namespace host {

namespace {

std::string home_directory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  throw Error("Cannot find the home directory for the user profile (HOME is not set)");
}

// Length of the UTF-8 character that begins with `lead` (1 for stray bytes), so that "?"
// stands for a whole character, not for one byte of an umlaut.
std::size_t char_length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::string sd_inq_user_profiledir_pathname() {
  const char* configured = std::getenv("TAVRIN_PROFILE_DIR");
  const std::string dir =
      (configured && *configured) ? std::string(configured) : home_directory() + "/.config/tavrin";
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir))
    throw Error("Cannot create the user profile directory " + dir + ": " + ec.message());
  return dir;
}

std::string sd_get_current_working_directory() {
  std::error_code ec;
  auto cwd = fs::current_path(ec);
  if (ec) throw Error("Cannot read the current working directory: " + ec.message());
  return cwd.string();
}

void sd_set_current_working_directory(const std::string& dir) {
  std::error_code ec;
  if (dir.empty() || !fs::is_directory(dir, ec))
    throw Error("Directory " + dir + " does not exist");
  fs::current_path(dir, ec);
  if (ec) throw Error("Cannot change to directory " + dir + ": " + ec.message());
}

List sd_directory_list(const std::string& dir, const std::string& pattern) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) throw Error("Cannot list directory " + dir + ": " + ec.message());
  const std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  List result;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (is_unfinished_write(name)) continue;
    // As the shell's glob: a name beginning with "." is listed only by a pattern that begins
    // with "." (archives carry .DS_Store, ".~lock.X#" files and version-control folders).
    if (name.starts_with('.') && !pattern.starts_with('.')) continue;
    if (sd_string_match_pattern_p(pattern, name)) result.push_back(Value::string(prefix + name));
  }
  if (ec) throw Error("Cannot list directory " + dir + ": " + ec.message());
  // In name order, not the file system's: a run over the same directory then takes its files
  // in the same order on every machine, which the parts of a sharded run rely on.
  std::sort(result.begin(), result.end(),
            [](const Value& a, const Value& b) { return a.as_string() < b.as_string(); });
  return result;
}

std::string sd_lock_file_beside(const std::string& path) {
  const fs::path p(path);
  const fs::path dir = p.parent_path();
  std::vector<fs::path> candidates{p.parent_path() / (p.stem().string() + ".dwl"),
                                   p.parent_path() / (p.stem().string() + ".dwl2"),
                                   dir / (".~lock." + p.filename().string() + "#")};
  for (const fs::path& c : candidates) {
    std::error_code ec;
    if (fs::is_regular_file(c, ec)) return c.filename().string();
  }
  return {};
}

bool sd_string_match_pattern_p(const std::string& pattern, const std::string& text) {
  // Greedy match that remembers the last "*" and retries from there: linear in practice,
  // never exponential.
  std::size_t p = 0, t = 0, star = std::string::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      t += char_length(static_cast<unsigned char>(text[t]));
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p, ++t;
    } else if (star != std::string::npos) {
      p = star + 1;
      resume += char_length(static_cast<unsigned char>(text[resume]));
      t = resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size() && t == text.size();
}

}  // namespace host
