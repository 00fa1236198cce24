// The two languages: which one a run speaks, and that both catalogues and both language files
// say the same things with the same placeholders, each in its own language.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host/api/language.h"
#include "support/scratch_dir.h"

namespace {

using host::Language;

const std::string kSource = TAVRIN_SOURCE_DIR;

TEST(RunLanguage, ComesFromTavrinLanguageElseTheFirstLocaleVariableSet) {
  struct Case {
    const char* tavrin_language;
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    Language expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, nullptr, Language::none},
      {nullptr, nullptr, nullptr, "C", Language::none},
      {nullptr, nullptr, nullptr, "POSIX", Language::none},
      {nullptr, nullptr, nullptr, "C.UTF-8", Language::none},
      {nullptr, nullptr, nullptr, "de_DE.UTF-8", Language::de},
      {nullptr, nullptr, nullptr, "de_AT", Language::de},
      {nullptr, nullptr, nullptr, "en_US.UTF-8", Language::en},
      {nullptr, nullptr, nullptr, "fr_FR.UTF-8", Language::en},
      {nullptr, nullptr, "en_GB.UTF-8", "de_DE.UTF-8", Language::en},
      {nullptr, "C", "en_GB.UTF-8", "de_DE.UTF-8", Language::none},
      {nullptr, "", "", "de_CH.UTF-8", Language::de},
      {"en", "de_DE.UTF-8", nullptr, nullptr, Language::en},
      {"de", nullptr, nullptr, "en_US.UTF-8", Language::de},
      {"C", nullptr, nullptr, "en_US.UTF-8", Language::none},
      {"", nullptr, nullptr, "en_US.UTF-8", Language::en},
  };
  for (const Case& c : cases) {
    tavrin_test::EnvGuard env;
    const std::pair<const char*, const char*> vars[] = {{"TAVRIN_LANGUAGE", c.tavrin_language},
                                                        {"LC_ALL", c.lc_all},
                                                        {"LC_MESSAGES", c.lc_messages},
                                                        {"LANG", c.lang}};
    for (const auto& [name, value] : vars) value ? env.set(name, value) : env.unset(name);
    EXPECT_EQ(host::language_from_environment(), c.expected)
        << (c.tavrin_language ? c.tavrin_language : "-") << " " << (c.lc_all ? c.lc_all : "-")
        << " " << (c.lc_messages ? c.lc_messages : "-") << " " << (c.lang ? c.lang : "-");
  }
}

class Catalogues : public ::testing::Test {
 protected:
  void TearDown() override { host::set_run_language(Language::none); }
  tavrin_test::EnvGuard env_;
};

TEST_F(Catalogues, TranslateEachWayAndKeepTheWrittenTextWithoutALocale) {
  env_.set("TAVRIN_LOCALEDIR", std::string(TAVRIN_BINARY_DIR) + "/share/locale");
  host::set_run_language(Language::de);
  EXPECT_STREQ(_("metres"), "Meter");
  EXPECT_EQ(host::translate_format("{}: drawing units are {}; scaled to millimetres", "a.dxf",
                                   _("inches")),
            "a.dxf: Zeichnungseinheiten sind Zoll; auf Millimeter skaliert");
  EXPECT_STREQ(G_("Verzeichnis"), "Verzeichnis");  // a German text stays German
  EXPECT_STREQ(_("a text no catalogue has"), "a text no catalogue has");
  const char* one = "{}: {} solid model (3DSOLID, REGION, BODY, SURFACE) left out: drawing them "
                    "needs a modelling kernel";
  const char* many = "{}: {} solid models (3DSOLID, REGION, BODY, SURFACE) left out: drawing "
                     "them needs a modelling kernel";
  EXPECT_THAT(host::translate_plural(one, many, 1), ::testing::HasSubstr("{} Volumenmodell ("));
  EXPECT_THAT(host::translate_plural(one, many, 3), ::testing::HasSubstr("Volumenmodelle ("));

  host::set_run_language(Language::en);
  EXPECT_STREQ(G_("Verzeichnis"), "Directory");
  EXPECT_STREQ(_("metres"), "metres");

  host::set_run_language(Language::none);
  EXPECT_STREQ(G_("Verzeichnis"), "Verzeichnis");
  EXPECT_STREQ(_("metres"), "metres");
  EXPECT_STREQ(host::translate_plural(one, many, 2), many);
}

TEST_F(Catalogues, ADamagedOrMissingCatalogueTranslatesNothing) {
  tavrin_test::ScratchDir dir;
  env_.set("TAVRIN_LOCALEDIR", dir.path());
  std::filesystem::create_directories(dir.path() + "/de/LC_MESSAGES");
  std::ifstream good(std::string(TAVRIN_BINARY_DIR) + "/share/locale/de/LC_MESSAGES/tavrin.mo",
                     std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(good), {}};
  ASSERT_GT(bytes.size(), 100u);
  // cut inside the tables, cut inside the strings, a wrong magic number, nothing at all
  for (const std::string& damaged : {bytes.substr(0, 30), bytes.substr(0, bytes.size() - 40),
                                     "XXXX" + bytes.substr(4), std::string()}) {
    std::ofstream(dir.path() + "/de/LC_MESSAGES/tavrin.mo", std::ios::binary) << damaged;
    host::set_run_language(Language::de);
    const std::string metres = _("metres");
    EXPECT_TRUE(metres == "metres" || metres == "Meter") << metres;
  }
  std::filesystem::remove(dir.path() + "/de/LC_MESSAGES/tavrin.mo");
  host::set_run_language(Language::de);
  EXPECT_STREQ(_("metres"), "metres");
}

// --- the catalogues and language files themselves ---------------------------------------------

struct Entry {
  std::string source, translation;
};

std::string unquote(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
  }
  return out;
}

// msgid and msgstr (or msgstr[0] and msgstr[1] each as an entry of its own) of a .po file.
std::vector<Entry> read_po(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << path;
  std::vector<Entry> entries;
  std::string key, line, msgid, plural;
  std::map<std::string, std::string> fields;
  auto flush = [&] {
    if (!fields["msgid"].empty()) {
      if (fields.count("msgid_plural")) {
        entries.push_back({fields["msgid"], fields["msgstr[0]"]});
        entries.push_back({fields["msgid_plural"], fields["msgstr[1]"]});
      } else {
        entries.push_back({fields["msgid"], fields["msgstr"]});
      }
    }
    fields.clear();
  };
  const std::regex field(R"re(^(msgid|msgid_plural|msgstr(\[\d\])?) "(.*)"$)re");
  const std::regex more(R"re(^"(.*)"$)re");
  std::smatch m;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') {
      flush();
    } else if (std::regex_match(line, m, field)) {
      key = m[1];
      fields[key] = unquote(m[3]);
    } else if (std::regex_match(line, m, more)) {
      fields[key] += unquote(m[1]);
    }
  }
  flush();
  return entries;
}

// The placeholders of a text, sorted: ~A ~S ~% (host templates), {} {:g} (fmt), %1 %s (Qt, C),
// and the line breaks.
std::vector<std::string> placeholders(const std::string& text) {
  static const std::regex pattern(R"(~[AaSs%]|\{[^}]*\}|%[0-9]|%[sd]|\n)");
  std::vector<std::string> found;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
    found.push_back(it->str());
  std::sort(found.begin(), found.end());
  return found;
}

// Whole words of the other language that must not appear in a text (proper names, file names
// and option names aside, which the catalogues keep as they are).
bool has_word(const std::string& text, const std::vector<std::string>& words) {
  std::string lowered;
  for (char c : text) lowered += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const std::string& w : words) {
    if (static_cast<unsigned char>(w[0]) >= 0x80) {  // an umlaut: anywhere in a word
      if (text.find(w) != std::string::npos) return true;
      continue;
    }
    const std::regex word("(^|[^a-z])" + w + "($|[^a-z])");
    if (std::regex_search(lowered, word)) return true;
  }
  return false;
}

const std::vector<std::string> kGermanWords = {
    "der", "die", "das", "und", "nicht", "ist", "wird", "wurde", "kein", "keine", "ein", "eine",
    "mit", "von", "bitte", "zeichnung", "blatt", "datei", "fehler", "ä", "ö", "ü", "ß", "Ä", "Ö", "Ü"};
const std::vector<std::string> kEnglishWords = {
    "the", "and", "not", "is", "are", "was", "with", "of", "for", "file", "drawing", "sheet",
    "please", "error", "cannot", "missing", "found", "this", "each", "every"};

std::string strip_names(std::string text) {
  // file names, option names, host operation names and keywords stay as written in both
  // languages
  static const std::regex names(
      R"([A-Za-z_ÄÖÜäöü]+\.(dat|mi|pdf|md|org)|--[a-z-]+|\$[A-Z]+|`[^`]*`|\w*_\w*|:[a-z-]+|"[a-z]+")");
  return std::regex_replace(text, names, " ");
}

TEST(CatalogueFiles, EveryEntryIsTranslatedWithTheSamePlaceholdersIntoTheOtherLanguage) {
  struct Catalogue {
    const char* file;
    const std::vector<std::string>* foreign;  // words the translations must not contain
  };
  for (const Catalogue& c : {Catalogue{"/po/de.po", &kEnglishWords},
                             Catalogue{"/po/en.po", &kGermanWords}}) {
    const std::vector<Entry> entries = read_po(kSource + c.file);
    EXPECT_GT(entries.size(), 20u) << c.file;
    for (const Entry& e : entries) {
      EXPECT_FALSE(e.translation.empty()) << c.file << ": " << e.source;
      EXPECT_EQ(placeholders(e.source), placeholders(e.translation)) << c.file << ": " << e.source;
      EXPECT_FALSE(has_word(strip_names(e.translation), *c.foreign))
          << c.file << ": " << e.translation;
    }
  }
}

std::map<int, std::string> read_language_file(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << path;
  std::map<int, std::string> texts;
  std::string line;
  while (std::getline(in, line)) {
    const auto bar = line.find('|');
    if (bar == std::string::npos) continue;
    texts[std::stoi(line.substr(0, bar))] = line.substr(bar + 1);
  }
  return texts;
}

TEST(CatalogueFiles, TheEnglishLanguageFileHasEveryNumberOfTheGermanOne) {
  const std::string dir = kSource + "/share/tavrin/TABELLEN/";
  const auto german = read_language_file(dir + "TavrinLanguage.dat");
  const auto english = read_language_file(dir + "TavrinLanguage_en.dat");
  ASSERT_FALSE(german.empty());
  for (const auto& [nr, text] : german) {
    ASSERT_TRUE(english.count(nr)) << nr << "|" << text;
    EXPECT_EQ(placeholders(text), placeholders(english.at(nr))) << nr;
    EXPECT_FALSE(has_word(strip_names(english.at(nr)), kGermanWords)) << nr << "|" << english.at(nr);
    EXPECT_FALSE(has_word(strip_names(text), kEnglishWords)) << nr << "|" << text;
  }
  EXPECT_EQ(german.size(), english.size());
}

}  // namespace

namespace {

std::vector<std::vector<std::string>> read_autotext(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << path;
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string f; std::getline(split, f, '|');) fields.push_back(f);
    rows.push_back(fields);
  }
  return rows;
}

TEST(CatalogueFiles, TheEnglishAutotextFileOffersTheSameFieldsWithEnglishLabels) {
  const std::string dir = kSource + "/share/tavrin/TABELLEN/";
  const auto german = read_autotext(dir + "TavrinAutotext.dat");
  const auto english = read_autotext(dir + "TavrinAutotext_en.dat");
  ASSERT_EQ(german.size(), english.size());
  for (std::size_t i = 1; i < german.size(); ++i) {
    ASSERT_GE(english[i].size(), 3u) << i;
    // the editable flag and the INFO name, which the drawings carry, stay; the label is English
    EXPECT_EQ(english[i][1], german[i][1]) << i;
    EXPECT_EQ(english[i][2], german[i][2]) << i;
    EXPECT_EQ(english[i].size(), german[i].size()) << i;
    for (std::size_t f = 0; f < english[i].size(); ++f) {
      if (f == 2) continue;
      EXPECT_FALSE(has_word(english[i][f], kGermanWords)) << english[i][f];
    }
  }
}

}  // namespace
