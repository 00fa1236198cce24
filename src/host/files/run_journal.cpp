// The run journal: records appended to one file, each complete or cut short at the end.
//   H  "tavrin-run-journal 1"
//   L  the run's files, in list order (a resumed run takes its list from here)
//   B  label, size, mtime, the file's events (its commit begins)
//   S  label, index (that event was carried out)
//   C  label, size, mtime, problems, report, outputs... (the file is committed)
#include "host/api/runs.h"
#include "host/files/run_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/workers.h"

namespace fs = std::filesystem;

namespace host {

std::string default_run_journal(const std::string& plot_dir, int shard_index, int shard_count) {
  std::string name = "run";
  if (shard_count > 1)
    name += "-part-" + std::to_string(shard_index) + "-of-" + std::to_string(shard_count);
  return workers::staging_area(plot_dir) + name + ".journal";
}

std::vector<std::string> run_journal_files(const std::string& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return {};
  for (const workers::Event& r : workers::decode_records(read_file(path)))
    if (r.kind == 'L') return r.fields;
  return {};
}

namespace workers {

namespace {

constexpr const char* kMagic = "tavrin-run-journal 1";

std::string reason() {
  return std::strerror(errno);
}

void sync_directory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string staging_area(const std::string& plot_dir) {
  std::string dir = plot_dir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir + ".tavrin-state/";
}

InputStamp InputStamp::of(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {};
  return {std::to_string(st.st_size),
          std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec)};
}

RunJournal::~RunJournal() {
  if (fd_ >= 0) ::close(fd_);
}

void RunJournal::open(const std::string& path, bool resume,
                      const std::vector<std::string>& files) {
  path_ = path;
  const fs::path dir = fs::path(path).parent_path();
  std::error_code ec;
  if (!dir.empty()) fs::create_directories(dir, ec);
  if (resume && fs::exists(path, ec)) {
    const std::vector<Event> records = decode_records(read_file(path));
    if (records.empty() || records.front().kind != 'H' || records.front().fields != std::vector<std::string>{kMagic})
      throw Error("--resume: " + path + " is not the journal of a directory run");
    for (const Event& r : records) {
      if (r.kind == 'B' && r.fields.size() == 4) {
        auto events = decode_journal(r.fields[3]);
        std::erase_if(cut_, [&](const CutCommit& c) { return c.label == r.fields[0]; });
        if (events) cut_.push_back({r.fields[0], {r.fields[1], r.fields[2]}, std::move(*events), 0});
      } else if (r.kind == 'S' && r.fields.size() == 2) {
        for (CutCommit& c : cut_)
          if (c.label == r.fields[0]) c.done = std::stoul(r.fields[1]) + 1;
      } else if (r.kind == 'C' && r.fields.size() >= 5) {
        std::erase_if(cut_, [&](const CutCommit& c) { return c.label == r.fields[0]; });
        CommittedFile& f = committed_[r.fields[0]];
        f.input = {r.fields[1], r.fields[2]};
        f.problems = std::stoi(r.fields[3]);
        f.report = r.fields[4];
        f.outputs.assign(r.fields.begin() + 5, r.fields.end());
      }
    }
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd_ < 0) give_up(reason());
    return;
  }
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
  if (fd_ < 0) return give_up(reason());
  append({static_cast<Event::Kind>('H'), {kMagic}}, false);
  append({static_cast<Event::Kind>('L'), files}, true);
  sync_directory(dir.string());
}

void RunJournal::give_up(const std::string& why) {
  if (failure_.empty()) failure_ = "Cannot write the run journal " + path_ + ": " + why;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void RunJournal::append(const Event& record, bool sync) {
  if (fd_ < 0) return;
  const std::string text = encode_record(record);
  // One write per record: a process killed meanwhile leaves it whole or cut short at the
  // end, which the reader leaves out.
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd_, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return give_up(reason());
    written += static_cast<std::size_t>(n);
  }
  if (sync && ::fdatasync(fd_) != 0) give_up(reason());
}

void RunJournal::begin(const std::string& label, const InputStamp& input,
                       const std::vector<Event>& events) {
  append({static_cast<Event::Kind>('B'), {label, input.size, input.mtime, encode_journal(events)}},
         true);
}

void RunJournal::event_done(const std::string& label, std::size_t index) {
  // Not synced: a kill of the process keeps what was written; after a power loss the
  // renames of the last moments are as uncertain as this record.
  append({static_cast<Event::Kind>('S'), {label, std::to_string(index)}}, false);
}

void RunJournal::end(const std::string& label, const InputStamp& input, int problems,
                     const std::string& report, const std::vector<std::string>& outputs) {
  std::vector<std::string> fields{label, input.size, input.mtime, std::to_string(problems), report};
  fields.insert(fields.end(), outputs.begin(), outputs.end());
  append({static_cast<Event::Kind>('C'), std::move(fields)}, true);
  std::erase_if(cut_, [&](const CutCommit& c) { return c.label == label; });
  committed_[label] = {input, problems, report, outputs};
}

}  // namespace workers
}  // namespace host
