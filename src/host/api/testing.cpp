// Registry of reset hooks.
#include "host/api/testing.h"

#include <vector>

namespace host {

namespace {
std::vector<std::function<void()>>& hooks() {
  static std::vector<std::function<void()>> list;
  return list;
}
}  // namespace

void register_reset_hook(std::function<void()> hook) { hooks().push_back(std::move(hook)); }

void reset_host() {
  for (auto& hook : hooks()) hook();
}

}  // namespace host
