// Language texts: "TavrinLanguage.dat" as the host table "TavrinLanguage".
#include "config/language.h"

#include "config/tables.h"
#include "host/api/host.h"

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

}  // namespace

void language_file_to_ltab() {
  host::List rows;
  for (const NumberedLine& line : read_numbered_lines(tabellen_path("TavrinLanguage.dat"))) {
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
