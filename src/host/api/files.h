// File and directory services of the host.
#pragma once

#include <string>

#include "host/value/value.h"

namespace host {

// :existence → t when the path exists (file or directory), nil otherwise.
Value sd_inq_file_status(const std::string& path, const Value& what);
// Size in bytes, or nil when the file does not exist.
Value sd_inq_file_size(const std::string& path);
bool sd_directory_p(const std::string& path);
// Renames; returns t on success, nil when the source does not exist or the rename failed.
Value sd_move_file(const std::string& from, const std::string& to);
Value sd_delete_file(const std::string& path);
// A file name (with directory) that does not exist yet, inside `directory`.
std::string sd_gen_unique_filename(const std::string& directory);
// The host's private temporary directory, created with mkdtemp, removed at exit; ends in "/".
std::string sd_inq_temp_dir();
// For a forked worker process: forgets the parent's temporary directory, so that the next
// sd_inq_temp_dir creates the worker's own; and removes that one before the worker ends.
void forget_temp_dir();
void remove_own_temp_dir();
// A per-user directory (created when missing): $TAVRIN_PROFILE_DIR, else ~/.config/tavrin.
std::string sd_inq_user_profiledir_pathname();
std::string sd_get_current_working_directory();
// Throws host::Error naming the directory when it does not exist.
void sd_set_current_working_directory(const std::string& dir);
// Paths of the entries of `dir` whose names match the wildcard pattern, in name order ("*"
// any run, "?" one character; case-sensitive). Unfinished atomic writes are left out.
List sd_directory_list(const std::string& dir, const std::string& pattern);
// Wildcard match as the host does it ("*" any run of characters, "?" one character).
bool sd_string_match_pattern_p(const std::string& pattern, const std::string& text);

// Writes the whole content to a temporary file beside `path` and renames it into place,
// so an interrupted write never leaves a truncated file (and a full disk leaves the old
// one). A symbolic link at `path` is replaced, its target left alone. Throws host::Error
// naming the path.
void write_file_atomically(const std::string& path, const std::string& content);
// True for the name of the hidden temporary file such a write uses (".NAME.tmp-XXXXXX"): one
// that a killed process left behind is half a file, never a drawing to list or load.
bool is_unfinished_write(const std::string& name);
// Renames a complete file written elsewhere in the same file system to `path`, as the write
// above would have left it (permissions, symbolic links). Throws host::Error naming the path.
void commit_staged_file(const std::string& staged, const std::string& path);
// Makes `backup` hold what the regular file `path` holds now, replacing an earlier backup in
// one step (a hard link where the file system has them, else a copy). False when there is
// no such file; throws host::Error naming both paths when the backup cannot be made.
bool keep_backup_copy(const std::string& path, const std::string& backup);
// Reads a whole file; throws host::Error naming the path when it cannot be opened.
std::string read_file(const std::string& path);

}  // namespace host
