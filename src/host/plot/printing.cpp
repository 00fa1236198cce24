// Printing with libcups: one connection with a short timeout, a check of the paper against
// the printer's media (the print system would otherwise print on its default paper and
// still report success), then one job with the rendered PDF.
#include "host/plot/printing.h"

#include <cups/cups.h>
#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "host/api/error.h"
#include "host/api/files.h"
#include "host/files/shared_library.h"
#include "host/files/staging.h"
#include "host/plot/paper.h"
#include "host/plot/print_sink.h"
#include "host/value/language.h"

namespace host {
namespace {

// The functions of libcups this file calls, from the library opened on first use.
// clang-format off
#define TAVRIN_CUPS_FUNCTIONS(X)                                                           \
  X(cupsAddIntegerOption) X(cupsAddOption) X(cupsCancelDestJob) X(cupsCopyDestInfo)        \
  X(cupsCreateDestJob) X(cupsEncryption) X(cupsFinishDestDocument) X(cupsFreeDestInfo)     \
  X(cupsFreeDests) X(cupsFreeOptions) X(cupsGetDestMediaByName) X(cupsGetDests2)           \
  X(cupsGetNamedDest) X(cupsLastError) X(cupsLastErrorString) X(cupsServer)                \
  X(cupsSetServer) X(cupsStartDestDocument) X(cupsWriteRequestData) X(httpClose)           \
  X(httpConnect2) X(httpSetTimeout) X(ippPort) X(pwgMediaForLegacy) X(pwgMediaForPWG)
// clang-format on

struct CupsApi {
  TAVRIN_CUPS_FUNCTIONS(TAVRIN_LIBRARY_MEMBER)
};

const CupsApi& cups() {
  static const CupsApi loaded = [] {
    const char* soname = "libcups.so.2";
    void* lib = open_library(soname, "printing");
    CupsApi api;
    TAVRIN_CUPS_FUNCTIONS(TAVRIN_LIBRARY_LOAD)
    return api;
  }();
  return loaded;
}

constexpr int kConnectTimeoutMs = 3000;
constexpr double kReplyTimeoutS = 10;

void reread_server_setting() {
  cups().cupsSetServer(nullptr);
}

std::string server_name() {
  const char* server = cups().cupsServer();
  return server ? server : "(none)";
}

// Gives up waiting for a reply instead of asking to wait longer.
int stop_waiting(http_t*, void*) {
  return 0;
}

http_t* connect_server() {
  // CUPS_SERVER may have changed since the last job; libcups remembers the first answer.
  reread_server_setting();
  http_t* http = cups().httpConnect2(cups().cupsServer(), cups().ippPort(), nullptr, AF_UNSPEC,
                                     cups().cupsEncryption(), 1, kConnectTimeoutMs, nullptr);
  if (!http) {
    throw Error(translate_format("printing: no print server reachable at {} ({})", server_name(), cups().cupsLastErrorString()),
                "NO-PRINT-SERVER");
  }
  cups().httpSetTimeout(http, kReplyTimeoutS, stop_waiting, nullptr);
  return http;
}

bool server_unreachable(ipp_status_t status) {
  return status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL;
}

double mm_from_hundredths(int v) {
  return v / 100.0;
}

std::string fmt_mm(double mm) {
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, mm).ptr;
  return std::string(buffer, end);
}

double parse_mm(const std::string& text) {
  double mm = 0;
  std::from_chars(text.data(), text.data() + text.size(), mm);
  return mm;
}

}  // namespace

struct PrintSession::Impl {
  std::string printer;
  http_t* http = nullptr;
  cups_dest_t* dest = nullptr;
  cups_dinfo_t* info = nullptr;

  ~Impl() {
    if (info) cups().cupsFreeDestInfo(info);
    if (dest) cups().cupsFreeDests(1, dest);
    if (http) cups().httpClose(http);
  }
};

PrintSession::PrintSession(const std::string& printer) : impl_(new Impl) {
  try {
    impl_->printer = printer;
    if (printer.empty()) throw Error(_("printing: no printer named"), "UNKNOWN-PRINTER");
    impl_->http = connect_server();
    impl_->dest = cups().cupsGetNamedDest(impl_->http, printer.c_str(), nullptr);
    if (!impl_->dest) {
      if (server_unreachable(cups().cupsLastError())) {
        throw Error(translate_format("printing: the print server at {} does not answer ({})", server_name(), cups().cupsLastErrorString()),
                    "NO-PRINT-SERVER");
      }
      throw Error(translate_format("printing: printer \"{}\" is not installed", printer), "UNKNOWN-PRINTER");
    }
    impl_->info = cups().cupsCopyDestInfo(impl_->http, impl_->dest);
    if (!impl_->info) {
      throw Error(translate_format("printing: printer \"{}\" does not answer ({})", printer, cups().cupsLastErrorString()),
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
  if (!cups().cupsGetDestMediaByName(impl_->http, impl_->dest, impl_->info, lookup.c_str(),
                                     CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
    if (!known && !cups().pwgMediaForPWG(paper.c_str()) &&
        !cups().pwgMediaForLegacy(paper.c_str())) {
      throw Error(translate_format("printing: unknown paper \"{}\" for printer \"{}\"", paper, impl_->printer),
          "UNKNOWN-PAPER");
    }
    throw Error(translate_format("printing: printer \"{}\" does not offer the paper \"{}\"", impl_->printer, paper),
        "UNSUPPORTED-PAPER");
  }
  PrinterMedia result{{mm_from_hundredths(size.width), mm_from_hundredths(size.length)},
                      size.media};
  // The print system answers the nearest paper it has; a different size is not this paper.
  if (known && (std::abs(result.size.width_mm - known->width_mm) > 1 ||
                std::abs(result.size.height_mm - known->height_mm) > 1)) {
    throw Error(translate_format("printing: printer \"{}\" does not offer the paper \"{}\"", impl_->printer, paper),
        "UNSUPPORTED-PAPER");
  }
  return result;
}

int PrintSession::submit(const std::string& pdf, const PrintOptions& options,
                         const PrinterMedia& media) {
  // A worker of a directory run has checked printer and paper; the parent submits the job
  // in list order, so the queue sees the jobs in the order of the run in one process.
  if (workers::staging_active()) {
    workers::record({workers::Event::Print,
                     {workers::stage_blob(pdf), options.printer, options.paper,
                      std::to_string(static_cast<int>(options.orientation)),
                      std::to_string(options.copies), options.fit ? "1" : "0", options.title,
                      fmt_mm(media.size.width_mm), fmt_mm(media.size.height_mm), media.media}});
    return 0;
  }
  cups_option_t* opts = nullptr;
  int n = 0;
  n = cups().cupsAddOption(CUPS_MEDIA, media.media.c_str(), n, &opts);
  n = cups().cupsAddIntegerOption(CUPS_COPIES, options.copies, n, &opts);
  if (options.orientation != Orientation::Unspecified) {
    n = cups().cupsAddOption(CUPS_ORIENTATION,
                             options.orientation == Orientation::Landscape
                                 ? CUPS_ORIENTATION_LANDSCAPE
                                 : CUPS_ORIENTATION_PORTRAIT,
                             n, &opts);
  }
  if (options.fit) n = cups().cupsAddOption("fit-to-page", "true", n, &opts);
  int job = 0;
  const char* title = options.title.empty() ? "tavrin" : options.title.c_str();
  ipp_status_t status =
      cups().cupsCreateDestJob(impl_->http, impl_->dest, impl_->info, &job, title, n, opts);
  bool ok = status == IPP_STATUS_OK && job > 0;
  if (ok) {
    ok = cups().cupsStartDestDocument(impl_->http, impl_->dest, impl_->info, job, title,
                                      CUPS_FORMAT_PDF, n, opts, 1) == HTTP_STATUS_CONTINUE &&
         cups().cupsWriteRequestData(impl_->http, pdf.data(), pdf.size()) == HTTP_STATUS_CONTINUE &&
         cups().cupsFinishDestDocument(impl_->http, impl_->dest, impl_->info) == IPP_STATUS_OK;
    if (!ok) {
      std::string reason = cups().cupsLastErrorString();
      cups().cupsCancelDestJob(impl_->http, impl_->dest, job);
      cups().cupsFreeOptions(n, opts);
      throw Error(translate_format("printing: the job for printer \"{}\" failed ({})", impl_->printer, reason));
    }
  }
  cups().cupsFreeOptions(n, opts);
  if (!ok) {
    throw Error(translate_format("printing: printer \"{}\" refused the job ({})", impl_->printer, cups().cupsLastErrorString()));
  }
  return job;
}

void submit_staged_print(const std::vector<std::string>& f) {
  if (f.size() != 10) throw Error(_("printing: a staged print job is incomplete"));
  PrintOptions options{
      f[1], f[2], static_cast<Orientation>(std::stoi(f[3])), std::stoi(f[4]), f[5] == "1", f[6]};
  const PrinterMedia media{{parse_mm(f[7]), parse_mm(f[8])}, f[9]};
  print_sink().submit(read_file(f[0]), options, media);
}

namespace {

// A print server named by a local socket that does not exist cannot answer. Every start of
// a machine that only writes PDF files asks for the printers; this spares it loading libcups
// with its dependencies, an eighth of the time of a process that plots one small drawing.
bool server_socket_missing() {
  const char* server = std::getenv("CUPS_SERVER");
  struct stat st;
  return server && server[0] == '/' && ::stat(server, &st) != 0;
}

}  // namespace

std::vector<std::string> installed_printers() {
  std::vector<std::string> names;
  if (server_socket_missing()) return names;
  http_t* http = nullptr;
  try {
    http = connect_server();
  } catch (const Error&) {
    return names;
  }
  cups_dest_t* dests = nullptr;
  int count = cups().cupsGetDests2(http, &dests);
  for (int i = 0; i < count; ++i) {
    if (!dests[i].instance) names.emplace_back(dests[i].name);  // instances repeat their queue
  }
  cups().cupsFreeDests(count, dests);
  cups().httpClose(http);
  return names;
}

}  // namespace host
