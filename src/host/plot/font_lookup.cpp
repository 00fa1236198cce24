// Font lookup through fontconfig with a cache of its answers across processes.
//
// fontconfig offers no way to keep its parsed configuration between processes: every
// process that asks it anything first parses some sixty XML files (about 4 ms of CPU, as
// much as the parse and plot of a small drawing). The answer for a family, slant and weight
// depends only on that configuration and on the installed fonts, so it is stored as
// fontconfig's own text form of the matched pattern together with a fingerprint of
// everything fontconfig reads. A face made from the stored pattern is the face cairo would
// make from fontconfig's answer: the same file, face index and rendering properties.
#include "host/plot/font_lookup.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <sstream>
#include <string_view>
#include <vector>

#include "host/api/files.h"

namespace fs = std::filesystem;

namespace host {

namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

std::string home_dir(const char* xdg, const char* fallback) {
  if (std::string v = env(xdg); !v.empty()) return v;
  if (std::string h = env("HOME"); !h.empty()) return h + "/" + fallback;
  return {};
}

// What identifies a file or directory's content for this purpose.
void stamp(std::ostringstream& out, const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    out << path << " -\n";
    return;
  }
  out << path << ' ' << st.st_ino << ' ' << st.st_size << ' ' << st.st_mtim.tv_sec << '.'
      << st.st_mtim.tv_nsec << '\n';
}

// A configuration directory: the directory (files added or removed) and every file in it.
void stamp_tree(std::ostringstream& out, const std::string& dir, bool files) {
  stamp(out, dir);
  std::error_code ec;
  std::vector<std::string> entries;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kind;
    if (it->is_directory(kind))
      entries.push_back(it->path().string() + "/");
    else if (files)
      entries.push_back(it->path().string());
  }
  std::sort(entries.begin(), entries.end());
  for (const std::string& e : entries) {
    if (e.back() == '/')
      stamp_tree(out, e.substr(0, e.size() - 1), files);
    else
      stamp(out, e);
  }
}

// Everything fontconfig's answer depends on, as far as a stat can tell: the environment that
// points it elsewhere, its configuration files, its caches, and the font directories (a font
// added without running fc-cache changes its directory).
std::string configuration_fingerprint() {
  std::ostringstream out;
  for (const char* name : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT", "HOME",
                           "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
    out << name << '=' << env(name) << '\n';
  out << "fontconfig " << FcGetVersion() << '\n';
  const std::string config_home = home_dir("XDG_CONFIG_HOME", ".config");
  const std::string data_home = home_dir("XDG_DATA_HOME", ".local/share");
  const std::string cache_home = home_dir("XDG_CACHE_HOME", ".cache");
  const std::string home = env("HOME");
  if (!env("FONTCONFIG_FILE").empty()) stamp(out, env("FONTCONFIG_FILE"));
  if (!env("FONTCONFIG_PATH").empty()) stamp_tree(out, env("FONTCONFIG_PATH"), true);
  // The files in use are fonts.conf, local.conf and what conf.d names (a stat follows its
  // links into conf.avail); unused files in conf.avail do not count.
  for (const char* file : {"/etc/fonts", "/etc/fonts/fonts.conf", "/etc/fonts/local.conf"})
    stamp(out, file);
  stamp_tree(out, "/etc/fonts/conf.d", true);
  stamp_tree(out, config_home + "/fontconfig", true);
  stamp(out, home + "/.fonts.conf");
  stamp_tree(out, home + "/.fonts.conf.d", true);
  stamp(out, "/var/cache/fontconfig");
  stamp(out, cache_home + "/fontconfig");
  for (const std::string& dir :
       {std::string("/usr/share/fonts"), std::string("/usr/local/share/fonts"),
        data_home + "/fonts", home + "/.fonts"})
    stamp_tree(out, dir, false);
  return out.str();
}

std::string key_of(const std::string& family, cairo_font_slant_t slant,
                   cairo_font_weight_t weight) {
  return family + '\t' + std::to_string(static_cast<int>(slant)) + '\t' +
         std::to_string(static_cast<int>(weight));
}

// Families with control characters (they come from drawings) are looked up, never stored:
// the file is one answer per line, its fields separated by tabs.
bool storable(const std::string& family) {
  return std::none_of(family.begin(), family.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// The lookup cairo makes for a family on a PDF page: the family, slant and weight as its
// font selection sets them, the configuration's substitutions, the PDF surface's font
// options (no hinting, grey antialiasing) and fontconfig's defaults.
FcPattern* match(const std::string& family, cairo_font_slant_t slant, cairo_font_weight_t weight) {
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return nullptr;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_SLANT,
                      slant == CAIRO_FONT_SLANT_ITALIC    ? FC_SLANT_ITALIC
                      : slant == CAIRO_FONT_SLANT_OBLIQUE ? FC_SLANT_OBLIQUE
                                                          : FC_SLANT_ROMAN);
  FcPatternAddInteger(pattern, FC_WEIGHT,
                      weight == CAIRO_FONT_WEIGHT_BOLD ? FC_WEIGHT_BOLD : FC_WEIGHT_MEDIUM);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_ft_font_options_substitute(options, pattern);
  cairo_font_options_destroy(options);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* resolved = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  FcChar8* file = nullptr;
  if (resolved != nullptr && FcPatternGetString(resolved, FC_FILE, 0, &file) != FcResultMatch) {
    FcPatternDestroy(resolved);
    return nullptr;
  }
  return resolved;
}

std::string file_of(FcPattern* pattern) {
  FcChar8* file = nullptr;
  if (FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch) return {};
  return reinterpret_cast<const char*>(file);
}

// The stored answers: the fingerprint on the first line, then one answer per line as key,
// a stamp of the chosen font file, and the pattern's text form.
struct Store {
  std::mutex lock;
  bool loaded = false;
  std::string fingerprint;
  std::map<std::string, std::pair<std::string, std::string>> answers;  // key -> stamp, pattern
  std::map<std::string, cairo_font_face_t*> faces;                     // this process's faces
};

// A font file's identity without its name (the pattern holds that): inode, size, mtime.
std::string stamp_of(const std::string& path) {
  std::ostringstream out;
  stamp(out, path);
  std::string s = out.str();
  s.pop_back();
  return s.substr(std::min(path.size() + 1, s.size()));
}

std::string escape_lines(const std::string& fp) {
  std::string out;
  for (char c : fp) out += c == '\n' ? '\x1f' : c;
  return out;
}

void load(Store& s) {
  s.loaded = true;
  s.fingerprint = escape_lines(configuration_fingerprint());
  const std::string file = font_match_cache_file();
  if (file.empty()) return;
  std::string text;
  try {
    text = read_file(file);
  } catch (const std::exception&) {
    return;
  }
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != s.fingerprint) return;  // configuration changed
  while (std::getline(in, line)) {
    // family \t slant \t weight \t stamp \t pattern; the pattern may hold tabs itself
    std::size_t tabs[4];
    std::size_t from = 0;
    for (std::size_t& t : tabs) {
      t = line.find('\t', from);
      if (t == std::string::npos) return;
      from = t + 1;
    }
    s.answers[line.substr(0, tabs[2])] = {line.substr(tabs[2] + 1, tabs[3] - tabs[2] - 1),
                                          line.substr(tabs[3] + 1)};
  }
}

void save(const Store& s) {
  const std::string file = font_match_cache_file();
  if (file.empty()) return;
  std::string text = s.fingerprint + '\n';
  for (const auto& [key, answer] : s.answers)
    text += key + '\t' + answer.first + '\t' + answer.second + '\n';
  std::error_code ec;
  fs::create_directories(fs::path(file).parent_path(), ec);
  std::string temp = file + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (::close(fd) != 0 || !written || ::rename(temp.c_str(), file.c_str()) != 0)
    ::unlink(temp.c_str());
}

cairo_font_face_t* face_from(FcPattern* pattern) {
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(pattern);
  if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    return nullptr;
  }
  return face;
}

// Never destroyed: the faces live as long as the process, as cairo's own font caches do.
Store& the_store() {
  static Store& store = *new Store;
  return store;
}

}  // namespace

void release_font_faces() {
  Store& store = the_store();
  const std::lock_guard<std::mutex> hold(store.lock);
  for (auto& [key, face] : store.faces) cairo_font_face_destroy(face);
  store.faces.clear();
}

std::string font_match_cache_file() {
  const std::string dir = home_dir("XDG_CACHE_HOME", ".cache");
  return dir.empty() ? std::string() : dir + "/tavrin/font-matches";
}

cairo_font_face_t* resolved_font_face(const std::string& family, cairo_font_slant_t slant,
                                      cairo_font_weight_t weight) {
  Store& store = the_store();
  const std::lock_guard<std::mutex> hold(store.lock);
  const std::string key = key_of(family, slant, weight);
  if (auto it = store.faces.find(key); it != store.faces.end())
    return cairo_font_face_reference(it->second);
  if (!store.loaded) load(store);
  cairo_font_face_t* face = nullptr;
  // A stored answer counts while its font file is the one it was.
  if (auto it = store.answers.find(key); it != store.answers.end()) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(it->second.second.c_str()));
    if (pattern != nullptr && stamp_of(file_of(pattern)) == it->second.first)
      face = face_from(pattern);
    if (pattern != nullptr) FcPatternDestroy(pattern);
  }
  if (face == nullptr) {
    FcPattern* resolved = match(family, slant, weight);
    if (resolved != nullptr) {
      // The character set and languages are most of the pattern's text and play no part in
      // drawing with the face; a fresh answer makes the same face as a stored one.
      FcPatternDel(resolved, FC_CHARSET);
      FcPatternDel(resolved, FC_LANG);
      face = face_from(resolved);
      FcChar8* text = FcNameUnparse(resolved);
      const std::string file_stamp = stamp_of(file_of(resolved));
      if (face != nullptr && text != nullptr && storable(family) && file_stamp != "-" &&
          std::string_view(reinterpret_cast<const char*>(text)).find('\n') ==
              std::string_view::npos) {
        store.answers[key] = {file_stamp, reinterpret_cast<const char*>(text)};
        save(store);
      }
      if (text != nullptr) std::free(text);
      FcPatternDestroy(resolved);
    }
  }
  // No answer at all (no fontconfig fonts): cairo's own lookup, with its built-in fallback.
  if (face == nullptr) face = cairo_toy_font_face_create(family.c_str(), slant, weight);
  store.faces[key] = cairo_font_face_reference(face);
  return face;
}

}  // namespace host
