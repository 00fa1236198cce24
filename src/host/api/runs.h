// Directory runs that survive anything: the run journal behind --resume, the memory ceiling
// of a file, lock files beside drawings, and the pace shown by progress displays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {

// The run journal: a directory run records in the file at `path` (created with its
// directory) each file it commits: its name, size and modification time, and its outputs,
// synced as it goes. With `resume` the run first finishes the commit a killed run began,
// then skips the files the journal holds committed from an unchanged input whose outputs
// are in place, and counts them (problems, report entries) as done. An empty path keeps no
// journal.
void set_run_journal(const std::string& path, bool resume);
// The files of the run that the journal at `path` describes, in list order: a resumed run
// takes these, not what the directory holds now (the run's outputs among them). Empty when
// there is no such journal.
std::vector<std::string> run_journal_files(const std::string& path);
// The journal's place in the staging area of `plot_dir`, one per part of a sharded run.
std::string default_run_journal(const std::string& plot_dir, int shard_index, int shard_count);

// The memory one file may take: in a worker process, or in a run in one process beyond what
// the process holds when the file begins. A file that needs more is reported ("X: needs
// more than 3 GiB of memory; not plotted"), none of its outputs are kept, the run goes on.
// 0 (the default) takes three quarters of the machine's memory shared by the workers.
void set_memory_limit(std::uint64_t bytes);
std::uint64_t memory_limit();
// A size in words: "3 GiB", "200 MiB", "1.5 GiB".
std::string memory_size_text(std::uint64_t bytes);

// The name of the lock file that a drafting program keeps beside a drawing it has open
// (X.dwl or X.dwl2 beside X.dwg, ".~lock.X.dxf#" beside X.dxf); empty when there is none.
std::string sd_lock_file_beside(const std::string& path);

// The pace of a run for a progress display: "23.4 files/min, 2:05 left" after `done` files
// in `seconds` with `remaining` files to go; empty while nothing is done to estimate from.
std::string progress_pace_text(int done, int remaining, double seconds);

}  // namespace host
