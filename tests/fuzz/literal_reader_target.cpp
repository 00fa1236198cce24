// Fuzz target: the literal reader must answer any bytes with values or a host error, and
// every value it reads must print to text that reads back as the same value.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "host/api/error.h"
#include "host/value/format.h"
#include "host/value/reader.h"

namespace {

void check_round_trip(const host::Value& v) {
  const std::string printed = host::print_literal(v);
  std::size_t used = 0;
  const host::Value back = host::read_literal(printed, &used);
  if (!(back == v) || back.kind() != v.kind() || used != printed.size() ||
      host::print_literal(back) != printed)
    throw std::logic_error("literal does not read back unchanged: " + printed);
  host::print_text(v);
}

}  // namespace

int fuzz_literal_reader(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    for (const host::Value& v : host::read_all_literals(text)) check_round_trip(v);
  } catch (const host::Error&) {
    // Malformed input: a host error is the right answer.
  }
  try {
    host::format_list(text, {host::Value("a"), host::Value(2.5)});
  } catch (const host::Error&) {
  }
  return 0;
}
