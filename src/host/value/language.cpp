// The run's language from the environment, and the compiled catalogue (.mo) that goes with it.
//
// The catalogues are made by msgfmt at build time and read here rather than through the C
// library's gettext: gettext picks the catalogue from the process's LC_MESSAGES locale, which
// on a bare Debian (only C.UTF-8 generated) can never be German or English, so it would
// translate nothing; and changing the process locale would also change how numbers are read
// and written. The .mo layout is a small fixed table of offsets (a header and two arrays).
#include "host/value/language.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace host {

namespace {

using Catalogue = std::unordered_map<std::string, std::string>;

std::string_view environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string_view(value) : std::string_view();
}

Language language_of_locale(std::string_view locale) {
  if (locale.empty() || locale == "C" || locale == "POSIX" || locale.starts_with("C.")) {
    return Language::none;
  }
  return locale.starts_with("de") ? Language::de : Language::en;
}

std::uint32_t word_at(const std::string& data, std::size_t at, bool swapped) {
  if (at + 4 > data.size()) return 0xffffffffu;
  std::uint32_t w = 0;
  for (int i = 0; i < 4; ++i) {
    const auto byte = static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + i]));
    w |= byte << (swapped ? 8 * (3 - i) : 8 * i);
  }
  return w;
}

// The string that entry `index` of the table at `table` points to; nullopt when it lies
// outside the file (a damaged catalogue translates nothing rather than reading past its end).
std::optional<std::string> mo_string(const std::string& data, std::uint32_t table,
                                     std::uint32_t index, bool swapped) {
  const std::size_t entry = static_cast<std::size_t>(table) + 8u * index;
  const std::uint32_t length = word_at(data, entry, swapped);
  const std::uint32_t offset = word_at(data, entry + 4, swapped);
  if (length == 0xffffffffu || offset == 0xffffffffu) return std::nullopt;
  if (static_cast<std::size_t>(offset) + length > data.size()) return std::nullopt;
  return data.substr(offset, length);
}

Catalogue parse_mo(const std::string& data) {
  Catalogue catalogue;
  constexpr std::uint32_t kMagic = 0x950412deu;
  bool swapped = false;
  if (word_at(data, 0, false) != kMagic) {
    if (word_at(data, 0, true) != kMagic) return catalogue;
    swapped = true;
  }
  const std::uint32_t count = word_at(data, 8, swapped);
  const std::uint32_t originals = word_at(data, 12, swapped);
  const std::uint32_t translations = word_at(data, 16, swapped);
  if (count > data.size() / 16) return catalogue;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::optional<std::string> msgid = mo_string(data, originals, i, swapped);
    std::optional<std::string> msgstr = mo_string(data, translations, i, swapped);
    if (!msgid || !msgstr || msgid->empty() || msgstr->empty()) continue;  // "" is the header
    // A plural entry is keyed by its singular; its forms stay separated by NUL.
    const std::size_t nul = msgid->find('\0');
    if (nul != std::string::npos) msgid->resize(nul);
    catalogue.emplace(std::move(*msgid), std::move(*msgstr));
  }
  return catalogue;
}

std::filesystem::path locale_directory() {
  const std::string_view configured = environment("TAVRIN_LOCALEDIR");
  if (!configured.empty()) return std::filesystem::path(configured);
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "share/locale";
  return (exe.parent_path().parent_path() / "share" / "locale").lexically_normal();
}

Catalogue load_catalogue(Language language) {
  if (language == Language::none) return {};
  const std::filesystem::path file =
      locale_directory() / std::string(language_code(language)) / "LC_MESSAGES" / "tavrin.mo";
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  return parse_mo(std::string(std::istreambuf_iterator<char>(in), {}));
}

struct State {
  Language language = Language::none;
  Catalogue catalogue;
};

std::mutex state_mutex;

State& state() {
  static State s = [] {
    State first;
    first.language = language_from_environment();
    first.catalogue = load_catalogue(first.language);
    return first;
  }();
  return s;
}

}  // namespace

Language language_from_environment() {
  const std::string_view chosen = environment("TAVRIN_LANGUAGE");
  if (chosen.starts_with("de")) return Language::de;
  if (chosen.starts_with("en")) return Language::en;
  if (chosen == "C") return Language::none;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::string_view locale = environment(name);
    if (!locale.empty()) return language_of_locale(locale);
  }
  return Language::none;
}

Language run_language() { return state().language; }

void set_run_language(Language language) {
  Catalogue catalogue = load_catalogue(language);
  const std::lock_guard lock(state_mutex);
  State& s = state();
  s.language = language;
  s.catalogue = std::move(catalogue);
}

std::string_view language_code(Language language) {
  switch (language) {
    case Language::de: return "de";
    case Language::en: return "en";
    case Language::none: break;
  }
  return "";
}

const char* translate(const char* msgid) {
  const Catalogue& catalogue = state().catalogue;
  const auto it = catalogue.find(msgid);
  return it != catalogue.end() ? it->second.c_str() : msgid;
}

const char* translate_plural(const char* singular, const char* plural, unsigned long n) {
  const Catalogue& catalogue = state().catalogue;
  const auto it = catalogue.find(singular);
  if (it == catalogue.end()) return n == 1 ? singular : plural;
  const std::string& forms = it->second;
  const std::size_t nul = forms.find('\0');
  if (n == 1 || nul == std::string::npos) return forms.c_str();
  return forms.c_str() + nul + 1;
}

}  // namespace host
