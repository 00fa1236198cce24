// Paper sizes the host knows by name: ISO A and B series, and the ANSI/US sizes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host {

struct PaperSize {
  std::string name;      // the host's name, e.g. "A3"
  double width_mm = 0;   // portrait: the shorter side
  double height_mm = 0;  // portrait: the longer side
  std::string pwg;       // the print system's media name, e.g. "iso_a3_297x420mm"
};

// Finds a paper by name, ignoring case, blanks and a leading "ISO"/"ANSI" word
// ("a4", "ISO A4", "ISO_A4", "Letter", "ANSI B"); also accepts print-system media names
// ("iso_a4_210x297mm"). nullopt when the name is not known.
std::optional<PaperSize> find_paper(std::string_view name);
// The paper of that size in either orientation (to half a millimetre), if the host knows one.
std::optional<PaperSize> find_paper_by_size(double width_mm, double height_mm);

}  // namespace host
