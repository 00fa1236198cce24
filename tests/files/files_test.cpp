// File and directory services: the private temporary directory, the profile directory, the
// working directory, listings with wildcards, and writing files atomically.
#include "host/api/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host/api/error.h"
#include "host/api/testing.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_host();
    scratch_.emplace();
    dir_ = scratch_->path();
    old_cwd_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(old_cwd_);
    env_.restore();
    scratch_.reset();
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::string touch(const std::string& name, const std::string& content = "x") const {
    std::ofstream(path(name)) << content;
    return path(name);
  }
  std::optional<tavrin_test::ScratchDir> scratch_;
  tavrin_test::EnvGuard env_;
  fs::path dir_, old_cwd_;
};

TEST_F(Files, TempDirIsPrivateStableAndEndsInASlash) {
  const std::string tmp = host::sd_inq_temp_dir();
  ASSERT_FALSE(tmp.empty());
  EXPECT_EQ(tmp.back(), '/');
  EXPECT_EQ(host::sd_inq_temp_dir(), tmp);
  struct stat st;
  ASSERT_EQ(stat(tmp.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  const std::string unique = host::sd_gen_unique_filename(tmp);
  EXPECT_EQ(unique.rfind(tmp, 0), 0u);
  EXPECT_FALSE(fs::exists(unique));
  EXPECT_NE(host::sd_gen_unique_filename(tmp), unique);
}

TEST_F(Files, TempDirOutlivesAForkedChildThatExits) {
  const std::string tmp = host::sd_inq_temp_dir();
  const pid_t child = fork();
  if (child == 0) std::exit(0);  // runs the exit handlers of the copied process
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(fs::is_directory(tmp));
}

TEST_F(Files, TempDirIsRemovedWithItsFilesWhenTheProcessEnds) {
  // A fresh process (the test program run again) creates, records and leaves its directory.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string record = path("tmpdir.txt");
  setenv("TV_TEMPDIR_RECORD", record.c_str(), 0);  // the rerun keeps the first run's record
  EXPECT_EXIT(
      {
        const std::string tmp = host::sd_inq_temp_dir();
        std::ofstream(tmp + "inhalt.lsp") << "(x)";
        std::ofstream(std::getenv("TV_TEMPDIR_RECORD")) << tmp;
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  unsetenv("TV_TEMPDIR_RECORD");
  std::string recorded;
  std::ifstream(record) >> recorded;
  ASSERT_FALSE(recorded.empty());
  EXPECT_FALSE(fs::exists(recorded));
}

TEST_F(Files, ProfileDirComesFromTheEnvironmentAndIsCreated) {
  const std::string wanted = path("profil/tavrin");
  env_.set("TAVRIN_PROFILE_DIR", wanted);
  EXPECT_EQ(host::sd_inq_user_profiledir_pathname(), wanted);
  EXPECT_TRUE(fs::is_directory(wanted));
  env_.unset("TAVRIN_PROFILE_DIR");
  env_.set("HOME", dir_.string());
  EXPECT_EQ(host::sd_inq_user_profiledir_pathname(), path(".config/tavrin"));
  touch("datei");
  env_.set("TAVRIN_PROFILE_DIR", path("datei"));
  EXPECT_THROW(host::sd_inq_user_profiledir_pathname(), host::Error);
}

TEST_F(Files, WorkingDirectoryIsTheProcessOne) {
  host::sd_set_current_working_directory(dir_.string());
  EXPECT_EQ(host::sd_get_current_working_directory(), fs::canonical(dir_).string());
  touch("relativ.dat", "12345");
  EXPECT_EQ(host::sd_inq_file_size("relativ.dat"), host::Value(5));
  try {
    host::sd_set_current_working_directory(path("fehlt"));
    ADD_FAILURE() << "no error";
  } catch (const host::Error& e) {
    EXPECT_NE(std::string(e.what()).find(path("fehlt")), std::string::npos);
  }
}

TEST_F(Files, StatusSizeMoveAndDelete) {
  const std::string file = touch("a.mi", "abc");
  EXPECT_TRUE(host::sd_inq_file_status(file, host::kw("existence")).truthy());
  EXPECT_TRUE(host::sd_inq_file_status(dir_.string(), host::kw("existence")).truthy());
  EXPECT_TRUE(host::sd_inq_file_status(path("b"), host::kw("existence")).is_nil());
  EXPECT_EQ(host::sd_inq_file_size(file), host::Value(3));
  EXPECT_TRUE(host::sd_inq_file_size(path("b")).is_nil());
  EXPECT_TRUE(host::sd_inq_file_size(dir_.string()).is_nil());
  EXPECT_TRUE(host::sd_directory_p(dir_.string()));
  EXPECT_FALSE(host::sd_directory_p(file));

  touch("a.mi.org", "old");
  EXPECT_TRUE(host::sd_move_file(file, file + ".org").truthy());  // replaces the old backup
  EXPECT_EQ(host::read_file(file + ".org"), "abc");
  EXPECT_TRUE(host::sd_move_file(file, file + ".org").is_nil());
  EXPECT_TRUE(host::sd_delete_file(file + ".org").truthy());
  EXPECT_TRUE(host::sd_delete_file(file + ".org").is_nil());
  EXPECT_TRUE(host::sd_delete_file(dir_.string()).is_nil());
}

TEST_F(Files, WildcardsMatchWholeCharacters) {
  const struct {
    const char *pattern, *text;
    bool match;
  } cases[] = {
      {"*", "", true},
      {"***", "alles", true},
      {"*.mi", "a.mi", true},
      {"*.mi", "a.MI", false},
      {"*.mi", "a.mi.org", false},
      {"?.dxf", "Ä.dxf", true},
      {"??", "Ä", false},
      {"*Änderungen*", "AENDERUNGEN: Änderungen", true},
      {"a*b*c", "axxbyyc", true},
      {"a*b*c", "axxbyy", false},
      {"", "", true},
      {"", "x", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(host::sd_string_match_pattern_p(c.pattern, c.text), c.match)
        << c.pattern << " / " << c.text;
  // Many stars against a long text must not take exponential time.
  EXPECT_FALSE(host::sd_string_match_pattern_p(std::string(30, '*') + "b", std::string(5000, 'a')));
}

TEST_F(Files, ListingFiltersByNameInNameOrder) {
  // Created out of order: the listing is in name order whatever the file system yields.
  for (const char* name : {"3.mi", "2.dxf", "1.mi", "x.mi.org"}) touch(name);
  fs::create_directory(path("unter.mi"));
  const std::vector<std::string> expected = {path("1.mi"), path("3.mi"), path("unter.mi")};
  std::vector<std::string> listed;
  for (const auto& v : host::sd_directory_list(dir_.string(), "*.mi"))
    listed.push_back(v.as_string());
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(listed.size(), 3u);  // directories are listed too; the caller tells them apart
  EXPECT_THROW(host::sd_directory_list(path("fehlt"), "*"), host::Error);
}

TEST_F(Files, ListingLeavesOutWritesAKilledRunLeftBehind) {
  // the first two are what an atomic write of 1.dxf and of a long name leave when killed
  for (const char* name :
       {".1.dxf.tmp-a1B2c3", ".x.tmp-ZZZZZZ", ".hidden.dxf", ".1.tmp-abc", "1.dxf", "n.tmp-abcdef"})
    touch(name);
  const auto listed = [&](const char* pattern) {
    std::vector<std::string> names;
    for (const auto& v : host::sd_directory_list(dir_.string(), pattern))
      names.push_back(v.as_string());
    return names;
  };
  // As the shell's glob, "*" leaves out names beginning with "."; ".*" lists them.
  EXPECT_EQ(listed("*"), (std::vector<std::string>{path("1.dxf"), path("n.tmp-abcdef")}));
  EXPECT_EQ(listed(".*"), (std::vector<std::string>{path(".1.tmp-abc"), path(".hidden.dxf")}));
}

TEST_F(Files, AtomicWriteReplacesWholeFilesOnly) {
  const std::string target = touch("TavrinStandard.dat", "alt");
  chmod(target.c_str(), 0640);
  host::write_file_atomically(target, "neu\n");
  EXPECT_EQ(host::read_file(target), "neu\n");
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // Nothing is left beside the target.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

  // A link at the name is replaced by the new file; the file it pointed to stays as it was.
  fs::create_symlink(target, path("link.dat"));
  host::write_file_atomically(path("link.dat"), "statt des Links");
  EXPECT_FALSE(fs::is_symlink(path("link.dat")));
  EXPECT_EQ(host::read_file(path("link.dat")), "statt des Links");
  EXPECT_EQ(host::read_file(target), "neu\n");

  // A backup is a second name of the old content; the atomic replacement leaves it alone.
  ASSERT_TRUE(host::keep_backup_copy(target, target + ".org"));
  host::write_file_atomically(target, "neuer");
  EXPECT_EQ(host::read_file(target + ".org"), "neu\n");
  EXPECT_FALSE(host::keep_backup_copy(path("fehlt.dat"), path("fehlt.dat.org")));
  fs::remove(target + ".org");
  fs::remove(path("link.dat"));

  const std::string unwritable = path("fehlt/x.dat");
  try {
    host::write_file_atomically(unwritable, "x");
    ADD_FAILURE() << "no error";
  } catch (const host::Error& e) {
    EXPECT_NE(std::string(e.what()).find(unwritable), std::string::npos);
  }
  EXPECT_THROW(host::read_file(path("fehlt.dat")), host::Error);
  EXPECT_THROW(host::read_file(dir_.string()), host::Error);
}

}  // namespace
