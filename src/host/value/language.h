// The run's language and its message catalogue: one language for everything a person reads.
//
// Host, command-line and desktop texts are written in English and wrapped in _(); the module's
// texts are written in German and wrapped in G_(). A German run reads the German catalogue
// (English text to German), an English run the English one (German text to English). A run
// without any locale (C, POSIX) reads no catalogue, so every text keeps its written form.
#pragma once

#include <fmt/format.h>

#include <string>
#include <string_view>
#include <utility>

namespace host {

enum class Language { none, de, en };

// TAVRIN_LANGUAGE (de, en, or C for the texts as written) first, else the first set of LC_ALL, LC_MESSAGES, LANG: a German
// locale gives de, C, POSIX or nothing gives none, any other locale en. Reads only the
// variables, so it works whether or not the named locale is generated on the machine.
Language language_from_environment();
// The language of this run: chosen from the environment on first use, or set explicitly.
Language run_language();
// Chooses the language and loads its catalogue (front ends after reading their options; tests).
void set_run_language(Language language);
// "de", "en", or "" for none.
std::string_view language_code(Language language);

// The text in the run's language: the catalogue's translation, else the text as written.
const char* translate(const char* msgid);
// The singular or the plural form for n, in the run's language (German and English share
// the rule "one, else many").
const char* translate_plural(const char* singular, const char* plural, unsigned long n);

// The translated text with its {} placeholders filled by fmt.
template <class... Args>
std::string translate_format(const char* msgid, Args&&... args) {
  return fmt::format(fmt::runtime(translate(msgid)), std::forward<Args>(args)...);
}

}  // namespace host

// A host, command-line or desktop text written in English.
#define _(english) ::host::translate(english)
// A module text written in German.
#define G_(german) ::host::translate(german)
// Marks a text for the catalogue where it is defined; it is translated where it is shown.
#define N_(english) english
#define GN_(german) german
