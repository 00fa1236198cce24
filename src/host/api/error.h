// Host errors and their state (re-exported from host/value), and the one guard through which the
// module calls host operations that can fail.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/value/error.h"
#include "host/value/value.h"

namespace host {

// What the guard does with a caught host error after resetting the error state. Show and
// Report are problems of the run and count one each; Warn tells the person but leaves the
// run's result alone (a step that may fail without spoiling the job, such as asking a print
// system that a PDF-only server does not have).
enum class OnError {
  Show,    // show the host's error text as a problem message (the host's error display)
  Report,  // append the error text to the output box
  Warn,    // show the error text as a warning; not counted
  Silent,  // only reset the error state
};

// Runs one host operation. On a host::Error: reset the error state, then show, report or
// stay silent, and return nullopt. While actions are blocked: set the illegal-call error
// (:oli :sd-call-action-illegal-call), skip the operation and return nullopt.
std::optional<Value> guarded(const std::function<Value()>& op, OnError on_error);

// Shows an error text through the host's error display (a message box), as a problem.
void display_error(const std::string& text);

// The problems reported in this process: one per error the guard showed or reported, one per
// count_problem() the module makes for a report of its own, and what the worker processes of
// a directory run counted. The front ends turn it into the exit status.
void count_problem(int n = 1);
int reported_problems();

}  // namespace host
