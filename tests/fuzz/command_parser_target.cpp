// Fuzz target of the command language: command lines, inquiry macros and command files are
// parsed only; nothing runs, so no input can touch a file or the drawing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/api/error.h"
#include "host/commands/command_file.h"
#include "host/commands/macro.h"
#include "host/commands/parser.h"

int fuzz_command_parser(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto attempt = [](auto&& parse) {
    try {
      parse();
    } catch (const host::Error&) {
      // Refusing bad input with a host error is the expected outcome.
    }
  };
  attempt([&] { host::commands::parse_command(text); });
  attempt([&] { host::commands::parse_macro(text); });
  attempt([&] { host::commands::parse_command_file(text, "fuzz.lsp"); });
  return 0;
}
