// Printing with libcups: one connection with a short timeout, a check of the paper against
// the printer's media (the print system would otherwise print on its default paper and
// still report success), then one job with the rendered PDF.
#include "host/plot/printing.h"

#include <cups/cups.h>

#include <cmath>

#include "host/api/error.h"
#include "host/plot/paper.h"

namespace host {
namespace {

constexpr int kConnectTimeoutMs = 3000;
constexpr double kReplyTimeoutS = 10;

void reread_server_setting() {
  cupsSetServer(nullptr);
}

std::string server_name() {
  const char* server = cupsServer();
  return server ? server : "(none)";
}

// Gives up waiting for a reply instead of asking to wait longer.
int stop_waiting(http_t*, void*) {
  return 0;
}

http_t* connect_server() {
  // CUPS_SERVER may have changed since the last job; libcups remembers the first answer.
  reread_server_setting();
  http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              kConnectTimeoutMs, nullptr);
  if (!http) {
    throw Error("printing: no print server reachable at " + server_name() + " (" +
                    cupsLastErrorString() + ")",
                "NO-PRINT-SERVER");
  }
  httpSetTimeout(http, kReplyTimeoutS, stop_waiting, nullptr);
  return http;
}

bool server_unreachable(ipp_status_t status) {
  return status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL;
}

double mm_from_hundredths(int v) {
  return v / 100.0;
}

}  // namespace

struct PrintSession::Impl {
  std::string printer;
  http_t* http = nullptr;
  cups_dest_t* dest = nullptr;
  cups_dinfo_t* info = nullptr;

  ~Impl() {
    if (info) cupsFreeDestInfo(info);
    if (dest) cupsFreeDests(1, dest);
    if (http) httpClose(http);
  }
};

PrintSession::PrintSession(const std::string& printer) : impl_(new Impl) {
  try {
    impl_->printer = printer;
    if (printer.empty()) throw Error("printing: no printer named", "UNKNOWN-PRINTER");
    impl_->http = connect_server();
    impl_->dest = cupsGetNamedDest(impl_->http, printer.c_str(), nullptr);
    if (!impl_->dest) {
      if (server_unreachable(cupsLastError())) {
        throw Error("printing: the print server at " + server_name() + " does not answer (" +
                        cupsLastErrorString() + ")",
                    "NO-PRINT-SERVER");
      }
      throw Error("printing: printer \"" + printer + "\" is not installed", "UNKNOWN-PRINTER");
    }
    impl_->info = cupsCopyDestInfo(impl_->http, impl_->dest);
    if (!impl_->info) {
      throw Error(
          "printing: printer \"" + printer + "\" does not answer (" + cupsLastErrorString() + ")",
          "UNKNOWN-PRINTER");
    }
  } catch (...) {
    delete impl_;
    throw;
  }
}

PrintSession::~PrintSession() {
  delete impl_;
}

PrinterMedia PrintSession::media(const std::string& paper) {
  std::optional<PaperSize> known = find_paper(paper);
  const std::string lookup = known ? known->pwg : paper;
  cups_size_t size{};
  if (!cupsGetDestMediaByName(impl_->http, impl_->dest, impl_->info, lookup.c_str(),
                              CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
    if (!known && !pwgMediaForPWG(paper.c_str()) && !pwgMediaForLegacy(paper.c_str())) {
      throw Error(
          "printing: unknown paper \"" + paper + "\" for printer \"" + impl_->printer + "\"",
          "UNKNOWN-PAPER");
    }
    throw Error(
        "printing: printer \"" + impl_->printer + "\" does not offer the paper \"" + paper + "\"",
        "UNSUPPORTED-PAPER");
  }
  PrinterMedia result{{mm_from_hundredths(size.width), mm_from_hundredths(size.length)},
                      size.media};
  // The print system answers the nearest paper it has; a different size is not this paper.
  if (known && (std::abs(result.size.width_mm - known->width_mm) > 1 ||
                std::abs(result.size.height_mm - known->height_mm) > 1)) {
    throw Error(
        "printing: printer \"" + impl_->printer + "\" does not offer the paper \"" + paper + "\"",
        "UNSUPPORTED-PAPER");
  }
  return result;
}

int PrintSession::submit(const std::string& pdf, const PrintOptions& options,
                         const PrinterMedia& media) {
  cups_option_t* opts = nullptr;
  int n = 0;
  n = cupsAddOption(CUPS_MEDIA, media.media.c_str(), n, &opts);
  n = cupsAddIntegerOption(CUPS_COPIES, options.copies, n, &opts);
  if (options.orientation != Orientation::Unspecified) {
    n = cupsAddOption(CUPS_ORIENTATION,
                      options.orientation == Orientation::Landscape ? CUPS_ORIENTATION_LANDSCAPE
                                                                    : CUPS_ORIENTATION_PORTRAIT,
                      n, &opts);
  }
  if (options.fit) n = cupsAddOption("fit-to-page", "true", n, &opts);
  int job = 0;
  const char* title = options.title.empty() ? "tavrin" : options.title.c_str();
  ipp_status_t status =
      cupsCreateDestJob(impl_->http, impl_->dest, impl_->info, &job, title, n, opts);
  bool ok = status == IPP_STATUS_OK && job > 0;
  if (ok) {
    ok = cupsStartDestDocument(impl_->http, impl_->dest, impl_->info, job, title, CUPS_FORMAT_PDF,
                               n, opts, 1) == HTTP_STATUS_CONTINUE &&
         cupsWriteRequestData(impl_->http, pdf.data(), pdf.size()) == HTTP_STATUS_CONTINUE &&
         cupsFinishDestDocument(impl_->http, impl_->dest, impl_->info) == IPP_STATUS_OK;
    if (!ok) {
      std::string reason = cupsLastErrorString();
      cupsCancelDestJob(impl_->http, impl_->dest, job);
      cupsFreeOptions(n, opts);
      throw Error("printing: the job for printer \"" + impl_->printer + "\" failed (" + reason +
                  ")");
    }
  }
  cupsFreeOptions(n, opts);
  if (!ok) {
    throw Error("printing: printer \"" + impl_->printer + "\" refused the job (" +
                cupsLastErrorString() + ")");
  }
  return job;
}

std::vector<std::string> installed_printers() {
  std::vector<std::string> names;
  http_t* http = nullptr;
  try {
    http = connect_server();
  } catch (const Error&) {
    return names;
  }
  cups_dest_t* dests = nullptr;
  int count = cupsGetDests2(http, &dests);
  for (int i = 0; i < count; ++i) {
    if (!dests[i].instance) names.emplace_back(dests[i].name);  // instances repeat their queue
  }
  cupsFreeDests(count, dests);
  httpClose(http);
  return names;
}

}  // namespace host
