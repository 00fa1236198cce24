// Output staging inside a worker process: what the worker would write, move or delete in the
// plot directory, print, or show, becomes an event of its journal instead; the parent carries
// the journal out in list order.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace host::workers {

struct Event {
  enum Kind : char {
    Write = 'W',     // staged file, target
    Move = 'M',      // from, to
    Backup = 'B',    // path, its backup (a second name for what the path holds then)
    Delete = 'D',    // path
    Print = 'P',     // staged PDF, then the print job's fields (see printing.cpp)
    Line = 'L',      // an output-box line
    Message = 'G',   // a message
    Problems = 'N',  // problems the module counted for the item
    Report = 'R',    // the item's report object (JSON)
    End = 'E',       // the journal is complete
  };
  Kind kind;
  std::vector<std::string> fields;
};

// Starts staging in this (worker) process: paths inside `output_dir` (but outside the host's
// temporary directory and `stage_dir`) are staged into `stage_dir`. Both end in "/".
void begin_staging(const std::string& output_dir, const std::string& stage_dir);
bool staging_active();
void record(Event event);
const std::vector<Event>& recorded_events();

// The hooks of the file and print operations: nullopt when the path is not staged (the
// operation then runs as usual), else the operation's result.
std::optional<bool> stage_write(const std::string& path, const std::string& content);
std::optional<bool> stage_move(const std::string& from, const std::string& to);
std::optional<bool> stage_delete(const std::string& path);
std::optional<bool> stage_backup(const std::string& path, const std::string& backup);
// Keeps a document in the stage directory; returns its path there. A failure names `name`
// (the output the document is for) when given, else the staged file.
std::string stage_blob(const std::string& content, const std::string& name = {});

// The journal as a file: every field length-prefixed, so any byte may occur in a field.
std::string encode_journal(const std::vector<Event>& events);
// One event in that form; records appended to a file one by one read back with
// decode_records.
std::string encode_record(const Event& event);
// The complete records at the start of `text`: a record cut short at its end (a process
// killed while appending it) is left out, and so is everything after it.
std::vector<Event> decode_records(const std::string& text);
// nullopt when the text is cut short or malformed (a worker that died while writing it).
std::optional<std::vector<Event>> decode_journal(const std::string& text);

// Test hook for the fault tests: a worker whose item label equals $TAVRIN_WORKER_FAULT kills
// itself with SIGKILL right after staging its first output, as the out-of-memory killer would.
void check_fault_injection(const std::string& label);

// Ends staging in this process (a run in one process stages each file, then carries its
// events out itself).
void end_staging();

}  // namespace host::workers
