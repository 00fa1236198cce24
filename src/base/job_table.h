// The job's settings in one table: every setting of the main dialog with its control, title,
// command-line option, place in the standard file and when it is shown. The main dialog, the
// standard file, the driver's reading and the command line all walk it, so that a new setting
// is one row here plus its use in the engine. Data only: the front ends include it too.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "host/api/language.h"

namespace tavrin {

enum class Control { Check, Radio, Choice, SheetField };

// When a control is shown; the command line refuses an option for a control a person could
// not reach, with the reason below.
enum class Shown { Always, Batch, Printing, PrintingOrPdf, Fitting, ManualPrinter };

// The settings, in the order of the table below.
enum class Job {
  StoreMi,
  StoreDxf,
  StorePdf,
  StoreAenderung,
  AutoPlotter,
  Drucker,
  Drucken,
  Einpassen,
  Format,
  Firma,
  BlattAlle,
  BlattGroesser,
  BlattGroesserTx,
  BlattKleiner,
  BlattKleinerTx,
  BlattX,
  BlattXTx,
  FilterMi,
  FilterBdl,
  FilterAlle,
  AutotextAn,
  AutotextAus,
};

struct JobRow {
  Job job;
  const char* key;  // the control is "TAVRIN-DIALOG-" + key
  Control control;
  int lang_text;  // number of its title in the language file; 0: `title` is the title
  const char* title;
  int stored;  // its line in "TavrinStandard.dat" (1..19); 0: never stored nor loaded
  Shown shown;
  const char* option;  // command-line option without "--"; nullptr: none of its own
  const char* help;
  // A choice that only counts with a check: choosing sets the check to `with_on`.
  const char* with_key;
  bool with_on;
};

// clang-format off
inline constexpr std::array kJobTable = {
  JobRow{Job::StoreMi, "STORE-MI-TB", Control::Check, 0, "MI", 1, Shown::Always,
         "mi", N_("saving each selected sheet as an MI file"), nullptr, false},
  JobRow{Job::StoreDxf, "STORE-DXF-TB", Control::Check, 0, "DXF", 2, Shown::Always,
         "dxf", N_("saving each selected sheet as a DXF file"), nullptr, false},
  JobRow{Job::StorePdf, "STORE-PDF-TB", Control::Check, 0, "PDF", 3, Shown::Always,
         "pdf", N_("writing a PDF file per selected sheet"), nullptr, false},
  JobRow{Job::StoreAenderung, "STORE-AENDERUNG-TB", Control::Check, 0,
         GN_("Änderungshistorie als PDF speichern"), 0, Shown::Always,
         "history-pdf", N_("writing the change history of each drawing as a revision PDF"),
         nullptr, false},
  JobRow{Job::AutoPlotter, "AUTO-PLOTTER-SELECT-TB", Control::Check, 29, "", 4, Shown::Printing,
         "auto-plotter", N_("choosing the printer per sheet from the printer table by its format"),
         nullptr, false},
  JobRow{Job::Drucker, "DRUCKER-TX", Control::Choice, 0, "", 14, Shown::ManualPrinter,
         "plotter", N_("print on this printer (switches automatic printer selection off)"),
         "AUTO-PLOTTER-SELECT-TB", false},
  JobRow{Job::Drucken, "DRUCKEN-TB", Control::Check, 0, "", 10, Shown::Always,
         "print", N_("printing each selected sheet"), nullptr, false},
  JobRow{Job::Einpassen, "EINPASSEN-TB", Control::Check, 6, "", 5, Shown::Printing,
         "fitting", N_("fitting each printed sheet into the fit format (--fit, or the standard's)"),
         nullptr, false},
  JobRow{Job::Format, "FORMAT-TX", Control::Choice, 0, "", 15, Shown::Fitting,
         "fit", N_("fit every printed sheet into this paper format"), "EINPASSEN-TB", true},
  JobRow{Job::Firma, "FIRMA-TX", Control::Choice, 0, "", 16, Shown::PrintingOrPdf,
         "style", N_("pen style (plot style) for printing and PDF"), nullptr, false},
  JobRow{Job::BlattAlle, "BLATT-ALLE-TB", Control::Radio, 8, "", 6, Shown::Always,
         nullptr, nullptr, nullptr, false},
  JobRow{Job::BlattGroesser, "BLATT-GROESSER-TB", Control::Radio, 9, "", 7, Shown::Always,
         nullptr, nullptr, nullptr, false},
  JobRow{Job::BlattGroesserTx, "BLATT-GROESSER-TX", Control::SheetField, 0, "", 17,
         Shown::Always, nullptr, nullptr, nullptr, false},
  JobRow{Job::BlattKleiner, "BLATT-KLEINER-TB", Control::Radio, 10, "", 8, Shown::Always,
         nullptr, nullptr, nullptr, false},
  JobRow{Job::BlattKleinerTx, "BLATT-KLEINER-TX", Control::SheetField, 0, "", 18,
         Shown::Always, nullptr, nullptr, nullptr, false},
  JobRow{Job::BlattX, "BLATT-X-TB", Control::Radio, 11, "", 9, Shown::Always,
         nullptr, nullptr, nullptr, false},
  JobRow{Job::BlattXTx, "BLATT-X-TX", Control::SheetField, 0, "", 19, Shown::Always,
         nullptr, nullptr, nullptr, false},
  JobRow{Job::FilterMi, "MI-TB", Control::Radio, 12, "", 11, Shown::Batch,
         nullptr, nullptr, nullptr, false},
  JobRow{Job::FilterBdl, "BDL-TB", Control::Radio, 13, "", 12, Shown::Batch,
         nullptr, nullptr, nullptr, false},
  JobRow{Job::FilterAlle, "ALLE-TB", Control::Radio, 14, "", 13, Shown::Batch,
         nullptr, nullptr, nullptr, false},
  JobRow{Job::AutotextAn, "AUTOTEXT-AN-TB", Control::Radio, 36, "", 0, Shown::Always,
         nullptr, nullptr, nullptr, false},
  JobRow{Job::AutotextAus, "AUTOTEXT-AUS-TB", Control::Radio, 37, "", 0, Shown::Always,
         nullptr, nullptr, nullptr, false},
};
// clang-format on

constexpr bool rows_in_enum_order() {
  for (std::size_t i = 0; i < kJobTable.size(); ++i)
    if (static_cast<std::size_t>(kJobTable[i].job) != i) return false;
  return true;
}
static_assert(rows_in_enum_order(), "kJobTable rows follow the order of enum Job");

constexpr const JobRow& job_row(Job job) {
  return kJobTable[static_cast<std::size_t>(job)];
}
// The key of a setting ("STORE-MI-TB") and its control ("TAVRIN-DIALOG-STORE-MI-TB").
constexpr const char* job_key(Job job) {
  return job_row(job).key;
}
inline std::string job_control(Job job) {
  return std::string("TAVRIN-DIALOG-") + job_key(job);
}

// Why a control is hidden, for a command-line option that needs it.
constexpr const char* shown_reason(Shown shown) {
  switch (shown) {
    case Shown::Always:
      return "";
    case Shown::Batch:
      return N_("only a directory run has the file filter");
    case Shown::Printing:
      return N_("it applies to printing only (--print)");
    case Shown::PrintingOrPdf:
      return N_("it is used only for printing or PDF (--print or --pdf)");
    case Shown::Fitting:
      return N_("fitting applies to printing only (--print)");
    case Shown::ManualPrinter:
      return N_("the printer is chosen only while printing is on (--print)");
  }
  return "";
}

// The push button that stores the settings as the standard (not a setting itself).
inline constexpr const char* kStoreStandardButton = "STORE-KONFIG-PB";

// The autotext dialog: one row of controls every kAutotextRowStep grid cells, each row's
// controls named "TAVRIN-AUTOTEXT-DIALOG-<y>-" + LB, TB, TX or INFO-LB.
inline constexpr int kAutotextRowStep = 5;
inline std::string autotext_control(int y, std::string_view part) {
  return "TAVRIN-AUTOTEXT-DIALOG-" + std::to_string(y) + "-" + std::string(part);
}

}  // namespace tavrin
