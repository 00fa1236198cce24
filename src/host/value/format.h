// The directive templates of the host language: "~A" text, "~S" literal, "~%" line break, "~~".
#pragma once

#include <string>
#include <string_view>

#include "host/value/value.h"

namespace host {

// Fills a template. Throws host::Error when the template names more values than given
// or uses a directive the host does not know.
std::string format_list(std::string_view tmpl, const List& args);

template <class... Args>
std::string format(std::string_view tmpl, const Args&... args) {
  return format_list(tmpl, List{Value(args)...});
}

}  // namespace host
