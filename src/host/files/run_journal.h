// The run journal of a directory run: what the run has committed to the plot directory, file
// by file, appended and synced as it goes, so that a run killed at any moment can be resumed:
// finished files are skipped, a file whose commit was cut short is carried out to its end.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/files/staging.h"

namespace host::workers {

// What identifies the input of a file: its size and modification time as the run saw them.
struct InputStamp {
  std::string size, mtime;  // empty when the file could not be read
  static InputStamp of(const std::string& path);
  bool operator==(const InputStamp&) const = default;
};

struct CommittedFile {
  InputStamp input;
  int problems = 0;
  std::string report;                // the file's report object (JSON)
  std::vector<std::string> outputs;  // absolute names of the outputs it wrote
};

// A file whose commit began but did not end: its events and how many were carried out.
struct CutCommit {
  std::string label;
  InputStamp input;
  std::vector<Event> events;
  std::size_t done = 0;
};

class RunJournal {
 public:
  RunJournal() = default;
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;
  ~RunJournal();

  // Opens the journal at `path` (its directory is created). With `resume` what it holds is
  // read first and the run appends to it; without, the journal starts anew with the run's
  // list of files. Throws host::Error naming the path when an existing journal cannot be
  // read; a journal that cannot be written is given up (failure()).
  void open(const std::string& path, bool resume, const std::vector<std::string>& files);
  bool is_open() const { return fd_ >= 0; }
  // Why the journal could not be written (a full disk, a read-only directory); empty while
  // it can. A journal that fails is given up, and the run goes on without one: its outputs
  // matter more than the means to resume it.
  const std::string& failure() const { return failure_; }

  const std::map<std::string, CommittedFile>& committed() const { return committed_; }
  const std::vector<CutCommit>& cut_commits() const { return cut_; }

  // The commit of `label` begins: its events, synced before the first is carried out.
  void begin(const std::string& label, const InputStamp& input, const std::vector<Event>& events);
  // Event `index` of the file being committed was carried out.
  void event_done(const std::string& label, std::size_t index);
  // The file is committed; synced.
  void end(const std::string& label, const InputStamp& input, int problems,
           const std::string& report, const std::vector<std::string>& outputs);

 private:
  void append(const Event& record, bool sync);
  void give_up(const std::string& why);

  int fd_ = -1;
  std::string path_;
  std::string failure_;
  std::map<std::string, CommittedFile> committed_;
  std::vector<CutCommit> cut_;
};

// The staging area inside a plot directory: stage directories and default journals.
std::string staging_area(const std::string& plot_dir);

}  // namespace host::workers
