// Printing through the print system (CUPS): printers, their papers, and print jobs.
#pragma once

#include <string>
#include <vector>

#include "host/plot/layout.h"

namespace host {

// A paper as a printer offers it: its size and the print system's media name.
struct PrinterMedia {
  PageSize size;  // portrait
  std::string media;
};

struct PrintOptions {
  std::string printer;
  std::string paper;  // host paper name or the printer's own media name
  Orientation orientation = Orientation::Unspecified;
  int copies = 1;
  bool fit = false;
  std::string title;
};

// Everything that goes to one printer: the connection is made once, with a short timeout,
// so a missing print server fails within seconds. Throws host::Error with a clear text when
// the print server cannot be reached, the printer is not installed or the paper unknown or
// not offered by the printer.
class PrintSession {
 public:
  explicit PrintSession(const std::string& printer);
  ~PrintSession();
  PrintSession(const PrintSession&) = delete;
  PrintSession& operator=(const PrintSession&) = delete;

  PrinterMedia media(const std::string& paper);
  // Submits one PDF document; returns the job id.
  int submit(const std::string& pdf, const PrintOptions& options, const PrinterMedia& media);

 private:
  struct Impl;
  Impl* impl_;
};

// Submits a print job that a worker process staged (the fields of its journal event).
void submit_staged_print(const std::vector<std::string>& fields);

// The names of the print system's queues, in its order; empty when no print server answers.
std::vector<std::string> installed_printers();

}  // namespace host
