#include "host/plot/print_sink.h"

#include <algorithm>
#include <memory>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "host/plot/paper.h"
#include "host/value/language.h"

namespace host {
namespace {

// The print system: one connection from asking for the paper to handing over the document.
class SystemPrintSink : public PrintSink {
 public:
  std::vector<std::string> printers() override { return installed_printers(); }
  PrinterMedia media(const std::string& printer, const std::string& paper) override {
    try {
      return session(printer).media(paper);
    } catch (...) {
      open_.reset();  // a refused paper ends the job: no connection waits for it
      throw;
    }
  }
  void submit(const std::string& pdf, const PrintOptions& options,
              const PrinterMedia& media) override {
    std::unique_ptr<PrintSession> open = std::move(open_);
    if (!open || printer_ != options.printer)
      open = std::make_unique<PrintSession>(options.printer);
    open->submit(pdf, options, media);
  }

 private:
  PrintSession& session(const std::string& printer) {
    if (!open_ || printer_ != printer) {
      open_.reset();
      open_ = std::make_unique<PrintSession>(printer);
      printer_ = printer;
    }
    return *open_;
  }
  std::unique_ptr<PrintSession> open_;
  std::string printer_;
};

PrintSink* installed = nullptr;

[[maybe_unused]] const bool registered = [] {
  register_reset_hook([] { installed = nullptr; });
  return true;
}();

}  // namespace

PrintSink& print_sink() {
  // Never destroyed: a connection still open at exit must not outlive the print library.
  static SystemPrintSink* const system = new SystemPrintSink;
  return installed ? *installed : *system;
}

void set_print_sink(PrintSink* sink) {
  installed = sink;
}

std::vector<std::string> RecordingPrintSink::printers() {
  std::vector<std::string> names;
  for (const auto& [name, papers] : offered) names.push_back(name);
  return names;
}

PrinterMedia RecordingPrintSink::media(const std::string& printer, const std::string& paper) {
  const auto it = offered.find(printer);
  if (it == offered.end())
    throw Error(translate_format("printing: printer \"{}\" is not installed", printer), "UNKNOWN-PRINTER");
  const std::optional<PaperSize> known = find_paper(paper);
  if (!known)
    throw Error(translate_format("printing: unknown paper \"{}\" for printer \"{}\"", paper, printer),
                "UNKNOWN-PAPER");
  const bool offers = std::any_of(it->second.begin(), it->second.end(), [&](const auto& name) {
    const std::optional<PaperSize> p = find_paper(name);
    return p && p->name == known->name;
  });
  if (!offers)
    throw Error(translate_format("printing: printer \"{}\" does not offer the paper \"{}\"", printer, paper),
                "UNSUPPORTED-PAPER");
  return {{known->width_mm, known->height_mm}, known->pwg};
}

void RecordingPrintSink::submit(const std::string& pdf, const PrintOptions& options,
                                const PrinterMedia& media) {
  if (!offered.count(options.printer))
    throw Error(translate_format("printing: printer \"{}\" is not installed", options.printer),
                "UNKNOWN-PRINTER");
  jobs.push_back({pdf, options, media});
}

}  // namespace host
