// A table-driven parser for the keyword list of am_plot_ex: some keywords are flags, some
// take one value of a given kind.
#include "host/plot/plot_args.h"

#include <array>
#include <cmath>
#include <string_view>

#include "host/api/error.h"
#include "host/plot/layout.h"
#include "host/value/reader.h"
#include "host/value/text.h"

namespace host {
namespace {

enum class Arg { Flag, Number, Text, Name };  // Name: a keyword (or a string) used as a name

struct KeywordSpec {
  std::string_view name;  // upper case, as keywords are stored
  Arg arg;
  void (*apply)(PlotRequest&, const Value&);
};

[[noreturn]] void bad_value(std::string_view key, const Value& v, std::string_view wanted) {
  throw Error("am_plot_ex: :" + upper(std::string(key)) + " expects " + std::string(wanted) +
              ", not " + print_literal(v));
}

void set_plotter_type(PlotRequest& r, const Value& v) {
  std::string t = upper(v.as_string());
  if (t == "PDF")
    r.plotter_type = PlotterType::Pdf;
  else if (t == "MSWINDOW_GDI_PRINTER")
    r.plotter_type = PlotterType::Printer;
  else
    bad_value("plotter_type_ra", v, ":pdf or :mswindow_gdi_printer");
}

void set_orientation(PlotRequest& r, const Value& v) {
  std::string o = upper(v.as_string());
  if (o == "PORTRAIT")
    r.orientation = Orientation::Portrait;
  else if (o == "LANDSCAPE")
    r.orientation = Orientation::Landscape;
  else
    bad_value("orientation", v, ":portrait or :landscape");
}

void check_on_off(std::string_view key, const Value& v, std::string_view yes, std::string_view no) {
  std::string s = upper(v.as_string());
  if (s != yes && s != no) bad_value(key, v, ":" + std::string(yes) + " or :" + std::string(no));
}

void set_multisheet(PlotRequest& r, const Value& v) {
  check_on_off("multisheet", v, "YES", "NO");
  r.output = upper(v.as_string()) == "YES" ? PlotOutput::Drawing : PlotOutput::Sheet;
}

void set_copies(PlotRequest& r, const Value& v) {
  double c = v.as_double();
  if (c < 1 || c > 999 || c != std::floor(c))
    bad_value("copies", v, "a whole number from 1 to 999");
  r.copies = static_cast<int>(c);
}

void set_scale(PlotRequest& r, const Value& v) {
  double s = v.as_double();
  if (!(s > 0) || !std::isfinite(s)) bad_value("scale_factor_value", v, "a positive number");
  r.scale = s;
  r.fit = false;
}

void set_size(std::optional<double>& slot, std::string_view key, const Value& v) {
  double d = v.as_double();
  // Pages beyond the 5080 mm of common readers are written in larger units. A measured
  // side of 0 (a sheet of one horizontal line) is a page of the thinnest size.
  if (!(d >= 0) || !std::isfinite(d) || d > kMaxPdfPageMm)
    bad_value(key, v, "a size in millimetres from 0 to 380000000");
  if (d == 0) d = kMinPageMm;
  slot = d;
}

void ignore(PlotRequest&, const Value&) {}

constexpr std::array<KeywordSpec, 23> kKeywords{{
    {"PLOTTER_TYPE_RA", Arg::Name, set_plotter_type},
    {"PLOTTER_NAME_RA", Arg::Text,
     [](PlotRequest& r, const Value& v) { r.plotter_name = v.as_string(); }},
    {"PLOT_WARNINGS", Arg::Name,
     [](PlotRequest&, const Value& v) { check_on_off("plot_warnings", v, "ON", "OFF"); }},
    {"CUSTOM_SIZE", Arg::Flag, [](PlotRequest& r, const Value&) { r.custom_size = true; }},
    {"WIDTH", Arg::Number, [](PlotRequest& r, const Value& v) { set_size(r.width, "width", v); }},
    {"HEIGHT", Arg::Number,
     [](PlotRequest& r, const Value& v) { set_size(r.height, "height", v); }},
    {"ACCEPT", Arg::Flag, ignore},
    {"ORIENTATION_PORTRAIT", Arg::Flag,
     [](PlotRequest& r, const Value&) { r.orientation = Orientation::Portrait; }},
    {"ORIENTATION_LANDSCAPE", Arg::Flag,
     [](PlotRequest& r, const Value&) { r.orientation = Orientation::Landscape; }},
    {"ORIENTATION", Arg::Name, set_orientation},
    {"PAPER_FORMAT_RA", Arg::Text, [](PlotRequest& r, const Value& v) { r.paper = v.as_string(); }},
    {"DESTINATION", Arg::Text,
     [](PlotRequest& r, const Value& v) { r.destination = v.as_string(); }},
    {"COPIES", Arg::Number, set_copies},
    {"POSITION_LEFT", Arg::Flag, [](PlotRequest& r, const Value&) { r.position_left = true; }},
    {"TRANSF_STYLE", Arg::Name,
     [](PlotRequest& r, const Value& v) { r.transf_style = upper(v.as_string()); }},
    {"SCALE_FACTOR", Arg::Flag, [](PlotRequest& r, const Value&) { r.fit = false; }},
    {"SCALE_FACTOR_VALUE", Arg::Number, set_scale},
    {"SCALE_FIT", Arg::Flag, [](PlotRequest& r, const Value&) { r.fit = true; }},
    {"CONTENTS_DRAWING", Arg::Flag, ignore},
    {"OUTPUT_SHEET", Arg::Flag, [](PlotRequest& r, const Value&) { r.output = PlotOutput::Sheet; }},
    {"OUTPUT_DRAWING", Arg::Flag,
     [](PlotRequest& r, const Value&) { r.output = PlotOutput::Drawing; }},
    {"MULTISHEET", Arg::Name, set_multisheet},
    {"PLOT", Arg::Flag, [](PlotRequest& r, const Value&) { r.plot = true; }},
}};

const KeywordSpec* find_spec(const std::string& name) {
  for (const auto& spec : kKeywords) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

bool fits(Arg arg, const Value& v) {
  switch (arg) {
    case Arg::Flag:
      return true;
    case Arg::Number:
      return v.is_number() && v.kind() != Kind::Complex;
    case Arg::Text:
      return v.is_string();
    case Arg::Name:
      return v.is_keyword() || v.is_string() || v.is_symbol();
  }
  return false;
}

std::string_view wanted(Arg arg) {
  switch (arg) {
    case Arg::Number:
      return "a number";
    case Arg::Text:
      return "a string";
    default:
      return "a keyword";
  }
}

}  // namespace

PlotRequest parse_plot_args(const List& args) {
  PlotRequest request;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const Value& key = args[i];
    if (!key.is_keyword()) throw Error("am_plot_ex: unexpected argument " + print_literal(key));
    const KeywordSpec* spec = find_spec(key.as_string());
    if (!spec) throw Error("am_plot_ex: unknown keyword " + print_literal(key), "UNKNOWN-KEYWORD");
    if (spec->arg == Arg::Flag) {
      spec->apply(request, Value());
      continue;
    }
    std::string name = ":" + std::string(spec->name);
    if (i + 1 >= args.size())
      throw Error("am_plot_ex: " + name + " needs " + std::string(wanted(spec->arg)));
    const Value& value = args[++i];
    if (!fits(spec->arg, value)) bad_value(spec->name, value, wanted(spec->arg));
    spec->apply(request, value);
  }
  return request;
}

}  // namespace host
