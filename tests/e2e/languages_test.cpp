// One language per run: the directory run of the examples in English, in German and without a
// locale writes the same files, and its output box speaks only the run's language.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "e2e_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;

// The locale variables of a run; every other one is emptied, so the session's own do not count.
std::string locale_env(const std::string& assignments) {
  return "TAVRIN_LANGUAGE= LC_ALL= LC_MESSAGES= LANG= " + assignments;
}

struct LanguageRun {
  Result result;
  std::vector<std::string> files;
};

LanguageRun directory_run(const std::string& assignments) {
  Scratch s;
  LanguageRun run{tavrin_with_env(s, locale_env(assignments),
                          "batch " + quote(s.examples().string()) + " --pdf --dxf --mi --yes"),
          files_in(s.examples())};
  return run;
}

// The words of the output box that belong to `words`; the drawings' own names (the examples'
// file names) are taken out first.
std::vector<std::string> words_of(const std::string& output, const std::vector<std::string>& words) {
  const std::string text = std::regex_replace(output, std::regex(R"([\w.-]+\.(mi|dxf|bdl|dat))"), " ");
  std::vector<std::string> found;
  for (const std::string& w : words) {
    if (std::regex_search(text, std::regex("(^|[^[:alpha:]])" + w + "($|[^[:alpha:]])")))
      found.push_back(w);
  }
  return found;
}

const std::vector<std::string> kGerman = {"Die", "die", "der", "und", "nicht", "werden", "jetzt",
                                          "Ausgabe", "Zeichnungen", "Ja", "Bitte", "konnte"};
const std::vector<std::string> kEnglish = {"The", "the", "and", "not", "now", "could", "Yes",
                                           "Please", "output", "drawings", "loaded"};

TEST(Languages, TheDemoRunWritesTheSameFilesAndSpeaksOneLanguage) {
  const LanguageRun plain = directory_run("");
  const LanguageRun english = directory_run("LANG=en_US.UTF-8");
  const LanguageRun german = directory_run("LC_MESSAGES=de_DE.UTF-8 LANG=en_US.UTF-8");

  // Without a locale the output box is exactly the German one of the module's texts.
  EXPECT_EQ(plain.result.status, 1);
  EXPECT_EQ(plain.result.output,
            "Die Drucker- und Plotstiltabellen werden aus dem System neu erzeugt:\n"
            " Bitte die Formatzuordnungen der Drucker in TavrinPlotter.dat eintragen.\n"
            "Alle markierten Zeichnungen des Verzeichnisses jetzt ausgeben?\n"
            "-> Ja\n"
            "leer.mi konnte nicht geladen werden\n"
            "Die Ausgabe ist abgeschlossen.\n");
  EXPECT_EQ(german.result.output, plain.result.output);

  EXPECT_EQ(english.result.status, 1);
  EXPECT_THAT(english.result.output, HasSubstr("-> Yes\nleer.mi could not be loaded\n"));
  EXPECT_THAT(words_of(english.result.output, kGerman), ::testing::IsEmpty())
      << english.result.output;
  EXPECT_THAT(words_of(german.result.output, kEnglish), ::testing::IsEmpty())
      << german.result.output;

  EXPECT_EQ(english.files, plain.files);
  EXPECT_EQ(german.files, plain.files);
}

TEST(Languages, HelpAndUsageErrorsFollowTheLocaleAndOptionNamesStay) {
  Scratch s;
  const Result english = tavrin_with_env(s, locale_env("LANG=en_GB.UTF-8"), "batch --help");
  const Result german = tavrin_with_env(s, locale_env("LANG=de_DE.UTF-8"), "batch --help");
  EXPECT_THAT(english.output, HasSubstr("switch saving each selected sheet as a DXF file on"));
  EXPECT_THAT(german.output, HasSubstr("Speichern jedes gewählten Blatts als DXF-Datei einschalten"));
  for (const Result* r : {&english, &german}) EXPECT_THAT(r->output, HasSubstr("--dxf"));
  EXPECT_THAT(german.output, HasSubstr("OPTIONEN"));

  const Result missing = tavrin_with_env(s, locale_env("TAVRIN_LANGUAGE=de LANG=en_US.UTF-8"),
                                         "now " + quote((s.root() / "nowhere.mi").string()));
  EXPECT_EQ(missing.status, 2);
  EXPECT_THAT(missing.output, HasSubstr("nowhere.mi ist keine Datei"));
}

}  // namespace
}  // namespace e2e
