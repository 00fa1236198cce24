// The directive templates of the host language.
#include "host/value/format.h"

#include "host/value/error.h"
#include "host/value/reader.h"

namespace host {

std::string format_list(std::string_view tmpl, const List& args) {
  std::string out;
  std::size_t next = 0;
  auto take = [&]() -> const Value& {
    if (next >= args.size())
      throw Error("Template \"" + std::string(tmpl) + "\" needs more than the " +
                  std::to_string(args.size()) + " value(s) given");
    return args[next++];
  };
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] != '~') {
      out += tmpl[i];
      continue;
    }
    const char directive = i + 1 < tmpl.size() ? tmpl[++i] : '\0';
    switch (directive) {
      case 'A':
      case 'a':
        out += print_text(take());
        break;
      case 'S':
      case 's':
        out += print_literal(take());
        break;
      case '%':
        out += '\n';
        break;
      case '~':
        out += '~';
        break;
      default:
        throw Error("Template \"" + std::string(tmpl) +
                    "\" uses an unknown directive at character " + std::to_string(i + 1));
    }
  }
  return out;
}

}  // namespace host
