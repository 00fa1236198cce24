// DXF import speed: a generated drawing of 300,000 entities and the shared corpus (when it
// lies beside the repository), parsed by dxflib alone and by our reader alone (an adapter
// that keeps nothing), our reader's groups without reports, and imported by read_dxf_file.
// Peak memory is printed at the end.
#include <benchmark/benchmark.h>
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>
#include <string>

#include "host/drawing/model.h"
#include "host/formats/dxf.h"
#include "host/formats/dxf_events.h"
#include "host/formats/dxf_source.h"

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

// Our reader's groups alone: mapping, splitting into lines, the codes read.
std::size_t our_groups(const std::string& file) {
  const host::dxf::FileBytes bytes(file);
  host::dxf::GroupSource source(file, bytes.view());
  host::dxf::Group g;
  std::size_t sum = 0;
  while (source.next(g)) sum += static_cast<std::size_t>(g.code) + g.value.size();
  return sum;
}

void our_bare_parse(const std::string& file) {
  const host::dxf::FileBytes bytes(file);
  host::dxf::GroupSource source(file, bytes.view());
  DL_CreationAdapter adapter;
  host::dxf::report_groups(source, adapter);
}

void BM_OurGroups(benchmark::State& state) {
  const std::string& file = generated_file();
  for (auto _ : state) benchmark::DoNotOptimize(our_groups(file));
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_OurGroups)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_OurBareParse(benchmark::State& state) {
  const std::string& file = generated_file();
  for (auto _ : state) our_bare_parse(file);
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_OurBareParse)->Unit(benchmark::kMillisecond)->MinTime(3);

// The shared corpus's text DXF files (dxflib reads no binary ones), with their total size.
const std::vector<std::string>& corpus_files(std::int64_t* bytes = nullptr) {
  static std::int64_t total = 0;
  static const std::vector<std::string> files = [] {
    std::vector<std::string> found;
    // beside the repository, or where TAVRIN_DXF_CORPUS says (a worktree elsewhere)
    const char* named = std::getenv("TAVRIN_DXF_CORPUS");
    const std::filesystem::path dir =
        named ? std::filesystem::path(named)
              : std::filesystem::path(TAVRIN_SOURCE_DIR) / ".." / "shared" / "dxf-corpus";
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir, ec)) {
      std::string ext = e.path().extension().string();
      if (!e.is_regular_file() || (ext != ".dxf" && ext != ".DXF")) continue;
      std::ifstream in(e.path(), std::ios::binary);
      char head[22] = {};
      in.read(head, sizeof head);
      if (std::string_view(head, sizeof head) == host::dxf::kBinarySentinel) continue;
      found.push_back(e.path().string());
      total += static_cast<std::int64_t>(e.file_size());
    }
    return found;
  }();
  if (bytes) *bytes = total;
  return files;
}

template <typename Read>
void corpus_run(benchmark::State& state, Read read) {
  std::int64_t bytes = 0;
  const auto& files = corpus_files(&bytes);
  if (files.empty()) {
    state.SkipWithError("no DXF corpus beside the repository");
    return;
  }
  for (auto _ : state)
    for (const std::string& f : files) read(f);
  state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_CorpusDxflibBareParse(benchmark::State& state) {
  corpus_run(state, [](const std::string& f) {
    DL_CreationAdapter adapter;
    DL_Dxf dxf;
    benchmark::DoNotOptimize(dxf.in(f, &adapter));
  });
}
BENCHMARK(BM_CorpusDxflibBareParse)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_CorpusOurBareParse(benchmark::State& state) {
  corpus_run(state, [](const std::string& f) {
    try {
      our_bare_parse(f);
    } catch (const std::exception&) {  // the corpus's broken files
    }
  });
}
BENCHMARK(BM_CorpusOurBareParse)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_CorpusReadDxfFile(benchmark::State& state) {
  corpus_run(state, [](const std::string& f) {
    try {
      benchmark::DoNotOptimize(host::read_dxf_file(f));
    } catch (const std::exception&) {
    }
  });
}
BENCHMARK(BM_CorpusReadDxfFile)->Unit(benchmark::kMillisecond)->MinTime(3);

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
