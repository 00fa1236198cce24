// Replays the committed fuzz corpus through every fuzz target on each test run, so an input
// that once broke a reader stays fixed.
//
// Adding a target: write tests/fuzz/<name>_target.cpp defining
//   int fuzz_<name>(const std::uint8_t* data, std::size_t size);
// (host::Error is an expected answer to bad input and must be caught there; any other
// exception or crash is a bug), put 10-20 small seed files, nasty ones included, into
// tests/fuzz/corpus/<name>/, and add one line X(<name>) to TAVRIN_FUZZ_TARGETS below.
// With clang and -DTAVRIN_FUZZ=ON the same file also builds the libFuzzer executable
// fuzz_<name>; run it as  fuzz_<name> -max_total_time=60 tests/fuzz/corpus/<name>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/api/testing.h"

// clang-format off
#define TAVRIN_FUZZ_TARGETS(X) \
  X(literal_reader) \
  X(command_parser) \
  X(mi_reader) \
  X(dxf_import) \
  X(dxf_reader) \
  X(bundle_reader) \
  X(load_render) \
  X(proxy_graphic) \
  /* one X(<name>) line per target above */
// clang-format on

#define TAVRIN_DECLARE_FUZZ_TARGET(name) \
  int fuzz_##name(const std::uint8_t* data, std::size_t size);
TAVRIN_FUZZ_TARGETS(TAVRIN_DECLARE_FUZZ_TARGET)

namespace {

struct FuzzTarget {
  const char* name;
  int (*run)(const std::uint8_t*, std::size_t);
};

#define TAVRIN_FUZZ_TABLE_ENTRY(name) FuzzTarget{#name, fuzz_##name},
const FuzzTarget kTargets[] = {TAVRIN_FUZZ_TARGETS(TAVRIN_FUZZ_TABLE_ENTRY)};

std::vector<char> read_bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FuzzReplay : public ::testing::TestWithParam<FuzzTarget> {
 protected:
  void SetUp() override { host::reset_host(); }
};

TEST_P(FuzzReplay, EveryCorpusFileRunsCleanly) {
  const FuzzTarget target = GetParam();
  const std::filesystem::path dir =
      std::filesystem::path(TAVRIN_SOURCE_DIR) / "tests/fuzz/corpus" / target.name;
  ASSERT_TRUE(std::filesystem::is_directory(dir))
      << "no corpus for fuzz target " << target.name << " in " << dir;
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    host::reset_host();
    const std::vector<char> bytes = read_bytes(entry.path());
    SCOPED_TRACE(entry.path().string());
    EXPECT_NO_THROW(target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  }
  EXPECT_GT(files, 0u) << "empty corpus for fuzz target " << target.name;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
