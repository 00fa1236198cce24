// DXF import speed: a generated drawing of 300,000 entities, parsed by dxflib alone (an
// adapter that keeps nothing) and imported by read_dxf_file. The import should add no more
// than half of the bare parse. Peak memory is printed at the end.
#include <benchmark/benchmark.h>
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/drawing/model.h"
#include "host/formats/dxf.h"

namespace {

using host::Element;
using host::ElementKind;

constexpr int kEntities = 300'000;

Element make(ElementKind kind, std::vector<host::Vec2> points) {
  Element e;
  e.kind = kind;
  e.points = std::move(points);
  return e;
}

// Lines, polylines with bulges, circles, arcs and texts, a fifth of them with INFO.
host::Sheet generated_sheet() {
  host::Sheet sheet;
  sheet.elements.reserve(kEntities);
  for (int i = 0; i < kEntities; ++i) {
    double x = (i % 600) * 0.7, y = (i / 600) * 0.6;
    Element e;
    switch (i % 10) {
      case 0:
      case 1:
      case 2:
      case 3:
        e = make(ElementKind::Line, {{x, y}, {x + 0.5, y + 0.25}});
        break;
      case 4:
      case 5:
        e = make(ElementKind::Polyline, {{x, y}, {x + 0.3, y}, {x + 0.3, y + 0.3}, {x, y + 0.4}});
        e.bulges = {0, 0.4, 0, 0};
        break;
      case 6:
        e = make(ElementKind::Circle, {{x, y}});
        e.radius = 0.2;
        break;
      case 7:
        e = make(ElementKind::Arc, {{x, y}});
        e.radius = 0.25;
        e.start_angle = 15;
        e.end_angle = 160;
        break;
      default:
        e = make(ElementKind::Text, {{x, y}});
        e.text.lines = {"Pos. " + std::to_string(i) + " Maß"};
        e.text.size = 0.2;
    }
    e.stroke.linetype = i % 3 ? "SOLID" : "DASHED";
    e.stroke.pensize = i % 2 ? 0.25 : 0.5;
    if (i % 5 == 0) e.info = {"POSITION"};
    sheet.elements.push_back(std::move(e));
  }
  return sheet;
}

// The scratch directory; a plain array, so it outlives the static strings at exit.
char scratch_dir[4096];

void remove_scratch() {
  std::error_code ignored;
  std::filesystem::remove_all(scratch_dir, ignored);
}

// Written once per process, with our own export.
const std::string& generated_file() {
  static const std::string path = [] {
    std::string dir = (std::filesystem::temp_directory_path() / "tv-dxf-bench-XXXXXX").string();
    if (dir.size() >= sizeof scratch_dir || !mkdtemp(dir.data())) std::abort();
    dir.copy(scratch_dir, dir.size());
    std::atexit(remove_scratch);
    std::string file = dir + "/gross.dxf";
    host::write_dxf_sheet(generated_sheet(), std::string("BENCH-1"), file);
    return file;
  }();
  return path;
}

void BM_DxflibBareParse(benchmark::State& state) {
  const std::string& file = generated_file();
  for (auto _ : state) {
    DL_CreationAdapter adapter;
    DL_Dxf dxf;
    benchmark::DoNotOptimize(dxf.in(file, &adapter));
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_DxflibBareParse)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_ReadDxfFile(benchmark::State& state) {
  const std::string& file = generated_file();
  std::size_t elements = 0;
  for (auto _ : state) {
    host::Drawing d = host::read_dxf_file(file);
    elements = d.sheets[0].elements.size();
    benchmark::DoNotOptimize(d);
  }
  state.counters["elements"] = static_cast<double>(elements);
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_ReadDxfFile)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_WriteDxfSheet(benchmark::State& state) {
  const host::Sheet sheet = generated_sheet();
  const std::string file = generated_file() + ".out.dxf";
  for (auto _ : state) host::write_dxf_sheet(sheet, std::string("BENCH-1"), file);
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_WriteDxfSheet)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::printf("DXF file: %.1f MB, %d entities\n",
              std::filesystem::file_size(generated_file()) / 1e6, kEntities);
  benchmark::RunSpecifiedBenchmarks();
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak memory: %.0f MB\n", usage.ru_maxrss / 1024.0);
  benchmark::Shutdown();
  return 0;
}
