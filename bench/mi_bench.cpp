// Speed of the .mi format on a generated drawing of 300,000 entities: writing, and reading
// from memory and from a file. Throughput is reported in bytes per second of .mi text.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "host/api/files.h"
#include "host/formats/mi.h"

namespace {

constexpr int kEntities = 300'000;

// A drawing like a large real one: mostly lines and polylines, some circles and arcs, one
// text in ten with an INFO attribute now and then, spread over four sheets.
host::Drawing generated_drawing() {
  host::Drawing d;
  d.number = "BENCH 1";
  for (int s = 0; s < 4; ++s) {
    host::Sheet sheet;
    sheet.name = sheet.unique_name = std::to_string(s + 1);
    d.sheets.push_back(std::move(sheet));
  }
  for (int i = 0; i < kEntities; ++i) {
    host::Element e;
    const double x = (i % 997) * 0.37, y = (i % 1009) * 0.29;
    switch (i % 10) {
      case 0:
        e.kind = host::ElementKind::Text;
        e.points = {{x, y}};
        e.text.lines = {"Bohrung Ø " + std::to_string(i % 50 + 3) + " H7"};
        if (i % 100 == 0) e.info = {"BENENNUNG"};
        break;
      case 1:
        e.kind = host::ElementKind::Circle;
        e.points = {{x, y}};
        e.radius = 2.5 + (i % 7);
        break;
      case 2:
        e.kind = host::ElementKind::Arc;
        e.points = {{x, y}};
        e.radius = 4.25;
        e.start_angle = i % 360;
        e.end_angle = (i + 90) % 360;
        break;
      case 3:
        e.kind = host::ElementKind::Polyline;
        e.points = {{x, y}, {x + 10.5, y}, {x + 10.5, y + 4.75}, {x, y + 4.75}};
        e.bulges = {0, 0.41421356237309503, 0, 0};
        e.closed = true;
        break;
      default:
        e.kind = host::ElementKind::Line;
        e.points = {{x, y}, {x + 12.125, y + (i % 13) * 0.1}};
        e.stroke.linetype = i % 3 ? "SOLID" : "DASH_CENTER";
        e.stroke.pensize = 0.35;
    }
    d.sheets[i % 4].elements.push_back(std::move(e));
  }
  return d;
}

const host::Drawing& drawing() {
  static const host::Drawing d = generated_drawing();
  return d;
}

const std::string& text() {
  static const std::string t = host::write_mi_text(drawing());
  return t;
}

void BM_MiWrite(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(host::write_mi_text(drawing()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text().size()));
}

void BM_MiReadText(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(host::read_mi_text(text(), "bench.mi"));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text().size()));
  state.counters["entities"] = kEntities;
}

void BM_MiReadFile(benchmark::State& state) {
  const std::string path = host::sd_inq_temp_dir() + "bench.mi";
  host::write_file_atomically(path, text());
  for (auto _ : state) benchmark::DoNotOptimize(host::read_mi_file(path));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text().size()));
  std::remove(path.c_str());
}

BENCHMARK(BM_MiWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MiReadText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MiReadFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
