// Plotting speed: generated drawings (a small title block, 20,000 and 300,000 elements)
// rendered to PDF through am_plot_ex, as the module asks for it. Peak memory is printed at
// the end (the 300,000-element drawing should stay far under 1 GiB).
//
// Measured on a shared 2-core machine (optimised build): title block 1.7 ms CPU, about 12 ms
// wall (the durable write's fsync dominates); 20,000 elements 0.29 s CPU / 0.33 s wall;
// 300,000 elements 4.2 s CPU / 4.5 s wall, 6.8 MiB of PDF; peak RSS 184 MiB.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host/api/drawing_ops.h"
#include "host/api/testing.h"
#include "host/drawing/store.h"

namespace {

using host::Element;
using host::ElementKind;
using host::kw;
using host::Value;

Element make(ElementKind kind, std::vector<host::Vec2> points, double pen,
             host::Rgb color = {0, 0, 0}) {
  Element e;
  e.id = host::next_id();
  e.kind = kind;
  e.points = std::move(points);
  e.stroke.pensize = pen;
  e.stroke.color = color;
  return e;
}

Element text_at(double x, double y, std::string content, double size) {
  Element e = make(ElementKind::Text, {{x, y}}, 0.25);
  e.text.lines = {std::move(content)};
  e.text.size = size;
  return e;
}

// An A3 sheet with frame, title block grid and its texts: about 60 elements.
void add_title_block(std::vector<Element>& out) {
  out.push_back(make(ElementKind::Rectangle, {{0, 0}, {420, 297}}, 0.25));
  out.push_back(make(ElementKind::Rectangle, {{20, 10}, {410, 287}}, 0.7));
  for (int row = 0; row <= 6; ++row)
    out.push_back(make(ElementKind::Line, {{230, 10.0 + row * 8}, {410, 10.0 + row * 8}}, 0.35));
  for (int col = 0; col <= 4; ++col)
    out.push_back(make(ElementKind::Line, {{230.0 + col * 45, 10}, {230.0 + col * 45, 58}}, 0.35));
  const char* labels[] = {"Zeichnungsnummer", "Benennung",  "Werkstoff",
                          "Maßstab",          "Gezeichnet", "Geprüft"};
  for (int row = 0; row < 6; ++row) {
    for (int col = 0; col < 4; ++col) {
      out.push_back(text_at(232.0 + col * 45, 12.0 + row * 8,
                            std::string(labels[row]) + " " + std::to_string(col), 2.5));
    }
  }
}

// Lines, arcs, circles, bulged polylines and texts in a grid over the sheet, in a few pens
// and colours, as a detailed part drawing has them.
void add_detail(std::vector<Element>& out, std::size_t count) {
  const host::Rgb colors[] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, 0.6, 0}};
  const double pens[] = {0.25, 0.35, 0.5, 0.7};
  for (std::size_t i = 0; i < count; ++i) {
    const double x = 25 + std::fmod(static_cast<double>(i) * 0.37, 370.0);
    const double y = 65 + std::fmod(static_cast<double>(i) * 0.113, 215.0);
    const std::size_t style = (i / 500) % 4;  // elements come in runs of one layer
    Element e;
    switch (i % 10) {
      case 0:
      case 1:
      case 2:
      case 3:
      case 4:
        e = make(ElementKind::Line, {{x, y}, {x + 3, y + 1.5}}, pens[style], colors[style]);
        break;
      case 5:
        e = make(ElementKind::Circle, {{x, y}}, pens[style], colors[style]);
        e.radius = 1.2;
        break;
      case 6:
        e = make(ElementKind::Arc, {{x, y}}, pens[style], colors[style]);
        e.radius = 2;
        e.start_angle = 30;
        e.end_angle = 200;
        break;
      case 7:
        e = make(ElementKind::Polyline, {{x, y}, {x + 2, y}, {x + 2, y + 2}, {x, y + 2}},
                 pens[style], colors[style]);
        e.bulges = {0, 0.4, 0, 0};
        e.closed = true;
        break;
      case 8:
        e = make(ElementKind::Rectangle, {{x, y}, {x + 1.5, y + 1}}, pens[style], colors[style]);
        break;
      default:
        e = text_at(x, y, "Pos " + std::to_string(i), 1.8);
        break;
    }
    e.stroke.linetype = i % 50 == 0 ? "DASHED" : "SOLID";
    out.push_back(std::move(e));
  }
}

void use_drawing(std::size_t detail_elements) {
  host::reset_host();
  host::Drawing d;
  d.id = host::next_id();
  d.number = "BENCH";
  host::Sheet s;
  s.id = host::next_id();
  s.name = s.unique_name = "1";
  s.elements.reserve(detail_elements + 64);
  add_title_block(s.elements);
  add_detail(s.elements, detail_elements);
  d.sheets.push_back(std::move(s));
  host::replace_current_drawing(std::move(d));
}

void plot_to_pdf(benchmark::State& state) {
  use_drawing(static_cast<std::size_t>(state.range(0)));
  const std::string dest =
      (std::filesystem::temp_directory_path() / "tavrin_plot_bench.pdf").string();
  host::List args{kw("plotter_type_ra"),
                  kw("pdf"),
                  kw("plotter_name_ra"),
                  Value("PDF_GENERIC"),
                  kw("plot_warnings"),
                  kw("off"),
                  kw("custom_size"),
                  kw("width"),
                  Value(420),
                  kw("height"),
                  Value(297),
                  kw("accept"),
                  kw("orientation_landscape"),
                  kw("orientation"),
                  kw("landscape"),
                  kw("destination"),
                  Value(dest),
                  kw("copies"),
                  Value(1),
                  kw("transf_style"),
                  kw("standard"),
                  kw("scale_factor"),
                  kw("scale_factor_value"),
                  Value(1),
                  kw("contents_drawing"),
                  kw("output_sheet"),
                  kw("plot")};
  for (auto _ : state) host::am_plot_ex(args);
  state.counters["elements"] =
      static_cast<double>(host::current_drawing().current_sheet().elements.size());
  state.counters["pdf_kib"] = static_cast<double>(std::filesystem::file_size(dest)) / 1024;
  std::filesystem::remove(dest);
}

}  // namespace

BENCHMARK(plot_to_pdf)->Arg(0)->Name("plot_pdf/title_block")->Unit(benchmark::kMillisecond);
BENCHMARK(plot_to_pdf)->Arg(20000)->Name("plot_pdf/20000")->Unit(benchmark::kMillisecond);
BENCHMARK(plot_to_pdf)
    ->Arg(300000)
    ->Name("plot_pdf/300000")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak RSS: %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024);
  return 0;
}
