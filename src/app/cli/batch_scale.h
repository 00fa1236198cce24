// The options of `tavrin batch` that spread a directory run: worker processes on this
// machine (--jobs), one deterministic part of the marked files for a cluster (--shard) and
// the JSON report of the run (--report).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace cli {

struct ScaleOptions {
  std::optional<int> jobs;  // unset: one worker per available core
  std::string shard;        // "K/N"
  std::string shard_list;   // the list the parts share; written by the first part
  std::string report;       // the report file; empty for none
  bool resume = false;      // continue the run the journal describes
  std::string state;        // the journal; empty for the default in the staging area
  std::string memory_limit; // "200M", "3G"; empty for the default share
  bool quiet = false;       // no progress line
};

struct Shard {
  int index = 0;  // 0 .. count-1
  int count = 1;
};

void add_scale_options(CLI::App& command, ScaleOptions& options);

// "K/N" with 0 <= K < N; throws host::Error with a text for the user otherwise.
Shard parse_shard(const std::string& text);
// The files [first, last) of `marked` files that part `shard` takes: contiguous blocks whose
// sizes differ by at most one, so that running the parts one after another in index order
// processes the files in the order of the whole run.
std::pair<int, int> shard_range(const Shard& shard, int marked);

// Before Start: the worker count, the memory limit, the run journal, the report switch, and
// the shard's marks in the file list.
void prepare_scaled_run(const ScaleOptions& options, const std::string& directory);
// "200M", "3G", "1.5GiB", "512k": bytes; throws host::Error with a text for the user.
std::uint64_t parse_memory_size(const std::string& text);
// After the run: writes the report file, when one was asked for.
void write_batch_report(const ScaleOptions& options, const std::string& directory, int exit_status);

// The number of cores this process may run on.
int available_cores();

}  // namespace cli
