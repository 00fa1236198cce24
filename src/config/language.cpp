// Language texts: "TavrinLanguage.dat" as the host table "TavrinLanguage".
#include "config/language.h"

#include "config/tables.h"
#include "host/api/host.h"
#include "host/api/language.h"

namespace tavrin {

namespace {

constexpr const char* kLanguageTable = "TavrinLanguage";

// (number text); a first field that is not a number gives nil, which no lookup matches.
host::Value language_row(const std::string& line) {
  const std::vector<std::string> fields = split_fields(line);
  const host::Value nr = parse_table_number(fields[0]).value_or(host::Value());
  const std::string text = fields.size() > 1 ? fields[1] : std::string();
  return host::Value(host::List{nr, host::Value(text)});
}

// The language file of the run's language: "TavrinLanguage_en.dat" in an English run when the
// installation has it, else "TavrinLanguage.dat".
std::string language_file_path() {
  const std::string german = tabellen_path("TavrinLanguage.dat");
  if (host::run_language() != host::Language::en) return german;
  // An installation tree from before the English file keeps working, in German.
  const std::string english = tabellen_path("TavrinLanguage_en.dat");
  return host::sd_inq_file_status(english, host::kw("existence")).truthy() ? english : german;
}

}  // namespace

void language_file_to_ltab() {
  host::List rows;
  for (const NumberedLine& line : read_numbered_lines(language_file_path())) {
    rows.push_back(language_row(line.text));
  }
  using host::kw;
  using host::List;
  using host::Value;
  host::sd_create_logical_table(
      kLanguageTable, {kw("columns"), Value(List{kw("nr"), kw("text")}), kw("columnnames"),
                       Value(List{Value("Nr"), Value("Text")}), kw("types"),
                       Value(List{kw("number"), kw("string")}), kw("units"),
                       Value(List{Value(), Value()}), kw("contents"), Value(std::move(rows))});
}

// A plain scan of a few dozen rows on every call: the table may be replaced at any time.
std::string lang_text(int nr_soll) {
  const host::Value wanted = host::Value::integer(nr_soll);
  std::string result;
  const int rows = host::sd_get_logical_table_number_of_rows(kLanguageTable);
  for (int row = 0; row < rows; ++row) {
    const host::Value nr = host::sd_read_logical_table_cell(kLanguageTable, row, host::kw("nr"));
    if (!nr.is_number() || !host::numeric_equal(nr, wanted)) continue;
    const host::Value text =
        host::sd_read_logical_table_cell(kLanguageTable, row, host::kw("text"));
    result = text.is_string() ? text.as_string() : std::string();
  }
  return result;
}

}  // namespace tavrin
