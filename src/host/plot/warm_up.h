// One-time start-up work of plotting, done before a directory run forks its workers.
#pragma once

namespace host {

// Loads the font configuration and the fonts plotting uses and lets cairo set up its PDF
// machinery once, so that forked workers inherit it instead of each doing it again (about
// 10 ms of CPU per file otherwise).
void warm_up_plotting();

}  // namespace host
