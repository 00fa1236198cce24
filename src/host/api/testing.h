// Resetting the whole host between tests: every subsystem registers how to forget its state.
#pragma once

#include <functional>

namespace host {

void register_reset_hook(std::function<void()> hook);
// Runs every registered hook: no drawing loaded (an empty drawing), no dialogs, no tables,
// no queued commands, default settings, no error state.
void reset_host();

}  // namespace host
