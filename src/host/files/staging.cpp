// Output staging of a worker process and its journal file.
#include "host/files/staging.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "host/api/error.h"
#include "host/api/files.h"

namespace fs = std::filesystem;

namespace host::workers {

namespace {

struct State {
  bool active = false;
  std::string output_dir, stage_dir, temp_dir, label;
  std::vector<Event> events;
  std::set<std::string> staged;  // output names this worker has written so far
  int blobs = 0;
  bool fault = false;
};

State& state() {
  static State s;
  return s;
}

bool starts_with(const std::string& s, const std::string& prefix) {
  return !prefix.empty() && s.compare(0, prefix.size(), prefix) == 0;
}

// The absolute name of an output when it lies in the plot directory, else nullopt.
std::optional<std::string> staged_name(const std::string& path) {
  const State& s = state();
  if (!s.active || path.empty()) return std::nullopt;
  const std::string abs = fs::absolute(path).lexically_normal().string();
  if (!starts_with(abs, s.output_dir) || starts_with(abs, s.stage_dir) ||
      starts_with(abs, s.temp_dir))
    return std::nullopt;
  return abs;
}

bool exists(const std::string& abs) {
  std::error_code ec;
  return state().staged.count(abs) > 0 || fs::exists(fs::symlink_status(abs, ec));
}

}  // namespace

void begin_staging(const std::string& output_dir, const std::string& stage_dir) {
  State& s = state();
  s = State{};
  s.active = true;
  s.output_dir = output_dir;
  s.stage_dir = stage_dir;
  s.temp_dir = sd_inq_temp_dir();
}

void end_staging() {
  state() = State{};
}

bool staging_active() {
  return state().active;
}

void record(Event event) {
  state().events.push_back(std::move(event));
}

const std::vector<Event>& recorded_events() {
  return state().events;
}

std::string stage_blob(const std::string& content, const std::string& name) {
  State& s = state();
  const std::string path = s.stage_dir + "out-" + std::to_string(++s.blobs);
  // No temporary name needed: a staged file counts only once the journal names it.
  std::FILE* f = std::fopen(path.c_str(), "wb");
  // Synced like every output: once the parent renames it into place, the name must never
  // point at data that did not reach the disk.
  const bool written = f != nullptr &&
                       std::fwrite(content.data(), 1, content.size(), f) == content.size() &&
                       std::fflush(f) == 0 && ::fsync(fileno(f)) == 0;
  const std::string why = std::strerror(errno);
  if (f == nullptr || std::fclose(f) != 0 || !written)
    throw Error("Cannot write " + (name.empty() ? path : name) + ": " + why);
  if (s.fault) ::raise(SIGKILL);
  return path;
}

std::optional<bool> stage_write(const std::string& path, const std::string& content) {
  const auto abs = staged_name(path);
  if (!abs) return std::nullopt;
  record({Event::Write, {stage_blob(content, path), *abs}});
  state().staged.insert(*abs);
  return true;
}

std::optional<bool> stage_move(const std::string& from, const std::string& to) {
  const auto a = staged_name(from), b = staged_name(to);
  if (!a || !b) return std::nullopt;
  // Recorded even when the file is not there yet: an earlier file of the list, still in
  // another worker, may put it there before the parent carries this journal out.
  const bool there = exists(*a);
  record({Event::Move, {*a, *b}});
  state().staged.erase(*a);
  state().staged.insert(*b);
  return there;
}

std::optional<bool> stage_backup(const std::string& path, const std::string& backup) {
  const auto a = staged_name(path), b = staged_name(backup);
  if (!a || !b) return std::nullopt;
  // Like a move: an earlier file of the list may still be on its way to `path`.
  const bool there = exists(*a);
  record({Event::Backup, {*a, *b}});
  state().staged.insert(*b);
  return there;
}

std::optional<bool> stage_delete(const std::string& path) {
  const auto abs = staged_name(path);
  if (!abs) return std::nullopt;
  const bool there = exists(*abs);
  record({Event::Delete, {*abs}});
  state().staged.erase(*abs);
  return there;
}

std::string encode_record(const Event& e) {
  std::string out;
  out += static_cast<char>(e.kind);
  out += std::to_string(e.fields.size());
  out += '\n';
  for (const std::string& f : e.fields) {
    out += std::to_string(f.size());
    out += ':';
    out += f;
    out += '\n';
  }
  return out;
}

std::string encode_journal(const std::vector<Event>& events) {
  std::string out;
  for (const Event& e : events) out += encode_record(e);
  return out + encode_record({Event::End, {}});
}

namespace {

// Reads records from `pos` on until the text ends, an end mark or a record cut short;
// `complete` tells whether the last one read was an end mark.
std::vector<Event> read_records(const std::string& text, std::size_t& pos, bool& ended) {
  std::vector<Event> events;
  ended = false;
  const auto number = [&](char end) -> std::optional<std::size_t> {
    std::size_t n = 0;
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(first, last, n);
    if (ec != std::errc() || ptr == last || *ptr != end) return std::nullopt;
    pos = static_cast<std::size_t>(ptr - text.data()) + 1;
    return n;
  };
  while (pos < text.size()) {
    const std::size_t start = pos;
    const auto kind = static_cast<Event::Kind>(text[pos++]);
    const auto count = number('\n');
    if (!count) {
      pos = start;
      break;
    }
    if (kind == Event::End) {
      ended = true;
      break;
    }
    Event e{kind, {}};
    bool whole = true;
    for (std::size_t i = 0; i < *count && whole; ++i) {
      const auto size = number(':');
      whole = size && pos + *size + 1 <= text.size() && text[pos + *size] == '\n';
      if (whole) {
        e.fields.push_back(text.substr(pos, *size));
        pos += *size + 1;
      }
    }
    if (!whole) {
      pos = start;
      break;
    }
    events.push_back(std::move(e));
  }
  return events;
}

}  // namespace

std::optional<std::vector<Event>> decode_journal(const std::string& text) {
  std::size_t pos = 0;
  bool ended = false;
  auto events = read_records(text, pos, ended);
  // Without the end mark, or with text after it, the journal was cut short or is no journal.
  if (!ended || pos != text.size()) return std::nullopt;
  return events;
}

std::vector<Event> decode_records(const std::string& text) {
  std::size_t pos = 0;
  bool ended = false;
  return read_records(text, pos, ended);
}

void check_fault_injection(const std::string& label) {
  const char* fault = std::getenv("TAVRIN_WORKER_FAULT");
  state().fault = fault != nullptr && label == fault;
}

}  // namespace host::workers
