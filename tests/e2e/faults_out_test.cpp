// Faults on the way out: a full disk, names that cannot be written, odd names, and a
// directory run killed at random moments. Whatever happens, every file at an output name is
// complete and a failure is reported for its file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <random>

#include "fault_support.h"
#include "host/api/files.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const std::string kAllOutputs = " --pdf --dxf --mi --yes";

std::map<std::string, std::string> contents(const fs::path& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) out[e.path().filename().string()] = host::read_file(e.path().string());
  return out;
}

std::vector<std::string> temporaries(const fs::path& dir) {
  std::vector<std::string> left;
  for (const auto& name : files_in(dir))
    if (name.find(".tmp-") != std::string::npos) left.push_back(name);
  return left;
}

TEST(FaultsOut, AFullDiskKeepsEveryOldOutputAndReportsEachFile) {
  if (!is_root()) GTEST_SKIP() << "SKIPPED: the disk-full test mounts a small tmpfs and needs root";
  Scratch s;
  const fs::path disk = s.root() / "disk";
  std::string why;
  if (!mount_tmpfs(disk, "8m", why)) GTEST_SKIP() << "SKIPPED: cannot mount a tmpfs here: " << why;
  struct Unmount {
    fs::path dir;
    ~Unmount() { unmount(dir); }
  } unmount_later{disk};
  make_drawings(disk, 3, 2);
  const auto inputs = files_in(disk);
  const std::string batch = "batch " + quote(disk.string()) + kAllOutputs;
  ASSERT_EQ(s.tavrin(batch + " --jobs 1").status, 0);
  const auto before = contents(disk);

  // Nothing is left free: every new output fails, the old ones stay as they were, and the
  // disk's own reason reaches the output box, from one process as from the workers.
  run("dd if=/dev/zero of=" + quote((disk / ".fill").string()) + " bs=64k");
  for (const char* jobs : {" --jobs 1", " --jobs 2"}) {
    SCOPED_TRACE(jobs);
    const Result r = s.tavrin(batch + jobs);
    EXPECT_EQ(r.status, 1) << r.output;
    for (const auto& [name, content] : before) {
      if (std::find(inputs.begin(), inputs.end(), name) != inputs.end()) continue;
      EXPECT_EQ(host::read_file((disk / name).string()), content) << name;
      if (name.find(".org") == std::string::npos) {
        EXPECT_THAT(r.output, HasSubstr(name)) << "no failure reported for " << name;
      }
    }
    EXPECT_THAT(r.output, HasSubstr("No space left on device"));
    EXPECT_THAT(r.output, Not(HasSubstr("worker process"))) << r.output;
    EXPECT_THAT(temporaries(disk), IsEmpty()) << r.output;
  }
  EXPECT_THAT(temporaries(disk), IsEmpty());
  EXPECT_THAT(incomplete_outputs(disk), IsEmpty());
}

TEST(FaultsOut, NamesTakenByDirectoriesOrLinksAndOddNames) {
  Scratch s;
  const fs::path dir = s.root() / "odd";
  fs::create_directories(dir);
  make_drawings(dir, 2, 0);
  const fs::path skizze = fs::path(TAVRIN_SOURCE_DIR) / "examples/skizze.dxf";
  const std::vector<std::string> odd = {"mit Blank", "Ärger",  "O'Neil \"x\"",
                                        "stern*",    "-minus", "neue\nZeile"};
  for (const auto& name : odd) fs::copy_file(skizze, dir / (name + ".dxf"));
  fs::create_directory(dir / "P01_Blatt_1.pdf");
  std::ofstream(s.root() / "victim.pdf") << "not to be touched";
  fs::create_symlink(s.root() / "victim.pdf", dir / "P02_Blatt_1.pdf");

  const Result r = s.tavrin("batch " + quote(dir.string()) + " --pdf --yes");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_THAT(r.output, HasSubstr("P01_Blatt_1.pdf"));
  EXPECT_TRUE(fs::is_directory(dir / "P01_Blatt_1.pdf"));
  EXPECT_FALSE(fs::is_symlink(dir / "P02_Blatt_1.pdf"));
  EXPECT_EQ(host::read_file((s.root() / "victim.pdf").string()), "not to be touched");
  const auto names = files_in(dir);
  for (std::string name : odd) {
    std::replace(name.begin(), name.end(), ' ', '_');
    EXPECT_TRUE(std::any_of(
        names.begin(), names.end(),
        [&](const std::string& n) { return n.starts_with(name + "_") && n.ends_with(".pdf"); }))
        << "no PDF of " << name << "\n"
        << r.output;
  }
  EXPECT_THAT(incomplete_outputs(dir), IsEmpty());
  EXPECT_THAT(temporaries(dir), IsEmpty());
}

TEST(FaultsOut, AnUnwritableDirectoryFailsEveryOutputAndNothingElse) {
  Scratch s;
  const fs::path dir = s.root() / "ro";
  fs::create_directories(dir);
  make_drawings(dir, 2, 1);
  const auto before = files_in(dir);
  // root writes anywhere a mode allows nothing: it gets a read-only mount instead
  bool mounted = false;
  if (is_root()) {
    mounted =
        ::mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
        ::mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    if (!mounted) {
      unmount(dir);
      GTEST_SKIP() << "SKIPPED: cannot make a read-only bind mount here";
    }
  } else {
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  }
  const Result r = s.tavrin("batch " + quote(dir.string()) + kAllOutputs);
  if (mounted) unmount(dir);
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_EQ(r.status, 1) << r.output;
  for (const char* name : {"P01_Blatt_1.pdf", "P02_Blatt_1.dxf", "S01_"})
    EXPECT_THAT(r.output, HasSubstr(name));
  EXPECT_EQ(files_in(dir), before);
}

// A directory run over 30 drawings is killed at random moments (after a random number of
// finished outputs): whatever is at an output name is complete, and the same command then
// completes the job.
TEST(FaultsOut, KilledRunsLeaveOnlyCompleteFilesAndARerunCompletes) {
  Scratch s;
  const fs::path dir = s.root() / "kill";
  fs::create_directories(dir);
  make_drawings(dir, 15, 15);
  // the drawings only (P01.mi, S01.dxf), not the outputs of earlier trials
  const std::string command = tavrin_command(
      s, "batch " + quote(dir.string()) + " --select '???.*'" + kAllOutputs, s.root());
  std::mt19937 random(20261208);
  const int outputs = 15 * 2 + 15 * 2;  // PDF and DXF of each .mi, PDF and .mi of each DXF
  int killed = 0;
  for (int trial = 0; trial < 20; ++trial) {
    DirWatch watch(dir);
    Background job(command, s.root() / "kill.log");
    const int at = std::uniform_int_distribution<int>(0, outputs)(random);
    watch.wait_for(at, std::chrono::seconds(120), job.pid());
    job.signal(SIGKILL);
    if (job.wait(std::chrono::seconds(30)) == 128 + SIGKILL) ++killed;
    EXPECT_THAT(incomplete_outputs(dir), IsEmpty()) << "after trial " << trial;
  }
  EXPECT_GE(killed, 15) << "most trials must really kill the run";

  const Result r = run(command);
  EXPECT_EQ(r.status, 0) << r.output;
  int pdfs = 0;
  for (const auto& name : files_in(dir)) pdfs += name.ends_with(".pdf");
  EXPECT_EQ(pdfs, 30);
  EXPECT_THAT(incomplete_outputs(dir), IsEmpty());
}

}  // namespace
}  // namespace e2e
