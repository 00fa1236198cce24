// Worker processes of a directory run and the run's report. A run over many files hands each
// file to a worker process; the parent carries out each file's outputs, print jobs and
// output-box lines in list order, so the result is that of the run in one process.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace host {

// How many worker processes a directory run may use at once; 1 (the default) runs every
// file in this process. Front ends that hold threads (a GUI) keep 1: a process with threads
// cannot safely fork.
void set_worker_count(int count);
int worker_count();

// Runs body(i) for every item, each in its own worker process when more than one worker is
// allowed. `labels` name the items (the files) in list order; messages about an item that
// could not finish name its label. A worker's outputs inside the current working directory
// reach it only when the worker finished, and only in list order. The problems a worker
// counted join this process's count (reported_problems) when its item is carried out, and a
// worker that died counts one for its item.
void sd_run_in_workers(const std::vector<std::string>& labels,
                       const std::function<void(std::size_t)>& body);

// The run report: while on, every item run through sd_run_in_workers leaves one JSON object
// (file, drawing number, load status, problems, sheets with their outputs).
void set_run_report(bool on);
// The JSON texts of the items since the last call, in list order.
std::vector<std::string> take_run_report();

}  // namespace host
