// The remembered font lookups: a run with a filled cache plots what a run without one plots,
// and a stored answer counts only while the configuration and the chosen font file are the ones
// it was made for.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "e2e_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string slurp(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The PDF without what differs from run to run (creation date, file identifier).
std::string comparable(const fs::path& pdf) {
  static const std::regex varying(R"(/CreationDate \([^)]*\)|/ID \[<[0-9a-f]+><[0-9a-f]+>\])");
  return std::regex_replace(slurp(pdf), varying, "");
}

std::string stamp(const std::string& file) {
  struct stat st;
  if (::stat(file.c_str(), &st) != 0) return "-";
  return std::to_string(st.st_ino) + ' ' + std::to_string(st.st_size) + ' ' +
         std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec);
}

constexpr const char* kSans = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
constexpr const char* kMono = "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf";

TEST(FontCache, AnswersAreUsedOnlyWhileConfigurationAndFontFileAreUnchanged) {
  Scratch s;
  const fs::path cache = s.root() / "cache";
  const fs::path file = cache / "tavrin" / "font-matches";
  const std::string env = "XDG_CACHE_HOME=" + quote(cache.string());
  const std::string args = "now " + quote((s.examples() / "schild.dxf").string()) + " --pdf --yes";
  const auto plot = [&](const std::string& dir, const std::string& extra_env = {}) {
    fs::create_directories(s.root() / dir);
    const Result r = tavrin_with_env(s, extra_env.empty() ? env : extra_env, args, s.root() / dir);
    EXPECT_EQ(r.status, 0) << r.output;
    return s.root() / dir / "schild_1.pdf";
  };
  const auto fonts = [](const fs::path& pdf) {
    return run("pdffonts " + quote(pdf.string())).output;
  };

  const fs::path cold = plot("cold");
  ASSERT_TRUE(fs::exists(file));
  const std::string stored = slurp(file);
  ASSERT_THAT(stored, HasSubstr(std::string("\nLiberation Sans\t0\t0\t") + stamp(kSans) + '\t'));
  ASSERT_THAT(fonts(cold), HasSubstr("LiberationSans"));
  EXPECT_EQ(comparable(plot("warm")), comparable(cold));

  // The stored answer for the text's family, pointed at another file of the same family.
  const std::string fingerprint = stored.substr(0, stored.find('\n') + 1);
  std::string redirected = std::regex_replace(
      stored, std::regex(std::string("\nLiberation Sans\t0\t0\t") + stamp(kSans)),
      std::string("\nLiberation Sans\t0\t0\t") + stamp(kMono));
  redirected = std::regex_replace(redirected, std::regex("LiberationSans-Regular\\.ttf"),
                                  "LiberationMono-Regular.ttf");
  ASSERT_NE(redirected, stored);
  const std::string stale_file = std::regex_replace(
      redirected, std::regex(std::string("\t") + stamp(kMono) + '\t'), "\t1 2 3.4\t");

  struct Case {
    const char* name;
    std::string content;
    bool answer_used;
  } cases[] = {
      {"stored answer used", redirected, true},
      {"font file changed since", stale_file, false},
      {"configuration changed since", "x" + redirected, false},
      {"cut short", fingerprint + "Liberation Sans\t0", false},
      {"not a cache at all", std::string("\0\xff garbage", 10), false},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << c.content;
    const fs::path pdf = plot("case" + std::to_string(++n));
    if (c.answer_used) {
      EXPECT_THAT(fonts(pdf), HasSubstr("LiberationMono")) << c.name;
    } else {
      EXPECT_EQ(comparable(pdf), comparable(cold)) << c.name;
      // asked again, and the fresh answer stored under the present configuration
      EXPECT_THAT(slurp(file), HasSubstr(std::string("\t") + stamp(kSans) + '\t')) << c.name;
    }
  }

  // No place for a cache: the plot is the same, only slower.
  const fs::path nowhere =
      plot("nowhere", "XDG_CACHE_HOME=/proc/no-such-dir HOME=/proc/no-such-dir");
  EXPECT_EQ(comparable(nowhere), comparable(cold));
  EXPECT_THAT(fonts(nowhere), Not(HasSubstr("LiberationMono")));
}

}  // namespace
}  // namespace e2e
