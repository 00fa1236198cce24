// The paper table of the host.
#include "host/plot/paper.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "host/value/text.h"

namespace host {
namespace {

struct PaperEntry {
  const char* name;
  double w, h;
  const char* pwg;
};

constexpr std::array<PaperEntry, 20> kPapers{{
    {"A0", 841, 1189, "iso_a0_841x1189mm"},
    {"A1", 594, 841, "iso_a1_594x841mm"},
    {"A2", 420, 594, "iso_a2_420x594mm"},
    {"A3", 297, 420, "iso_a3_297x420mm"},
    {"A4", 210, 297, "iso_a4_210x297mm"},
    {"A5", 148, 210, "iso_a5_148x210mm"},
    {"A6", 105, 148, "iso_a6_105x148mm"},
    {"B4", 250, 353, "iso_b4_250x353mm"},
    {"B5", 176, 250, "iso_b5_176x250mm"},
    {"LETTER", 215.9, 279.4, "na_letter_8.5x11in"},
    {"LEGAL", 215.9, 355.6, "na_legal_8.5x14in"},
    {"TABLOID", 279.4, 431.8, "na_ledger_11x17in"},
    {"LEDGER", 279.4, 431.8, "na_ledger_11x17in"},
    {"EXECUTIVE", 184.15, 266.7, "na_executive_7.25x10.5in"},
    {"A", 215.9, 279.4, "na_letter_8.5x11in"},  // ANSI A..E
    {"B", 279.4, 431.8, "na_ledger_11x17in"},
    {"C", 431.8, 558.8, "na_c_17x22in"},
    {"D", 558.8, 863.6, "na_d_22x34in"},
    {"E", 863.6, 1117.6, "na_e_34x44in"},
    {"11X17", 279.4, 431.8, "na_ledger_11x17in"},
}};

// Upper case without blanks, underscores and hyphens.
std::string squeeze(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' || c == '_' || c == '-') continue;
    out += upper_ascii(c);
  }
  return out;
}

std::optional<PaperSize> by_key(std::string_view key, bool ansi_letters) {
  for (const auto& p : kPapers) {
    std::string_view n = p.name;
    bool ansi_letter = n.size() == 1;
    if (ansi_letter && !ansi_letters) continue;
    if (key == n) return PaperSize{p.name, p.w, p.h, p.pwg};
  }
  return std::nullopt;
}

}  // namespace

std::optional<PaperSize> find_paper_by_size(double width_mm, double height_mm) {
  const double shorter = std::min(width_mm, height_mm), longer = std::max(width_mm, height_mm);
  for (const auto& p : kPapers) {
    if (std::abs(p.w - shorter) < 0.5 && std::abs(p.h - longer) < 0.5)
      return PaperSize{p.name, p.w, p.h, p.pwg};
  }
  return std::nullopt;
}

std::optional<PaperSize> find_paper(std::string_view name) {
  for (const auto& p : kPapers) {
    if (name == p.pwg) return PaperSize{p.name, p.w, p.h, p.pwg};
  }
  std::string key = squeeze(name);
  if (key.starts_with("ISO")) return by_key(key.substr(3), false);
  // A lone "A" to "E" only names an ANSI size when the word says so: "A" alone is no paper.
  if (key.starts_with("ANSI")) return by_key(key.substr(4), true);
  return by_key(key, false);
}

}  // namespace host
