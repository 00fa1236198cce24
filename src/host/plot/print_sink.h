// Where print jobs go. By default the print system; a test (or anything that must not print)
// puts a sink of its own in its place, so that everything above this seam runs without a
// print server. The host's reset puts the print system back.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/plot/printing.h"

namespace host {

class PrintSink {
 public:
  virtual ~PrintSink() = default;
  // The names of the printers, in the print system's order.
  virtual std::vector<std::string> printers() = 0;
  // The paper as the printer offers it. Throws host::Error with the keyword UNKNOWN-PRINTER,
  // UNKNOWN-PAPER or UNSUPPORTED-PAPER (or NO-PRINT-SERVER) as the print system does.
  virtual PrinterMedia media(const std::string& printer, const std::string& paper) = 0;
  virtual void submit(const std::string& pdf, const PrintOptions& options,
                      const PrinterMedia& media) = 0;
};

// The sink put in place, else the print system.
PrintSink& print_sink();
// Puts `sink` in place of the print system (nullptr: the print system again). The caller
// keeps it alive while it is in place.
void set_print_sink(PrintSink* sink);

// Keeps every job instead of printing it; the printers and the papers each offers are given.
class RecordingPrintSink : public PrintSink {
 public:
  struct Job {
    std::string pdf;
    PrintOptions options;
    PrinterMedia media;
  };

  // Printer name -> the host paper names it offers ("A4", "A3").
  std::map<std::string, std::vector<std::string>> offered;
  std::vector<Job> jobs;

  std::vector<std::string> printers() override;
  PrinterMedia media(const std::string& printer, const std::string& paper) override;
  void submit(const std::string& pdf, const PrintOptions& options,
              const PrinterMedia& media) override;
};

}  // namespace host
