// The groups of a DXF file, read where the file lies in memory: text and binary DXF alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace host::dxf {

inline constexpr std::string_view kBinarySentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

// A file's bytes, mapped into memory (read whole when the file cannot be mapped, such as a
// pipe). Throws host::Error naming the file when it is missing, a directory or unreadable.
class FileBytes {
 public:
  explicit FileBytes(const std::string& path);
  ~FileBytes();
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  std::string_view view() const { return {data_, size_}; }

 private:
  void* map_ = nullptr;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  std::string copy_;
};

struct Group {
  int code = 0;
  // The value as a line of the file holds it, without its line end (and cut at a NUL byte);
  // binary numbers in their shortest text form. Valid until the next group is read.
  std::string_view value;
};

// Walks the groups of a DXF file in file order, up to and including its EOF group, checking
// its structure on the way: a group code that is not a number, a file cut inside a group or
// before the end of its entities is a host::Error naming the file and its line (byte offset
// in binary DXF). A file that ends after a complete ENTITIES section but without EOF gets
// its ENDSEC and EOF groups, and a note. Nothing is allocated per group.
class GroupSource {
 public:
  // `data` is the whole file and must outlive the source; `path` names it in messages.
  GroupSource(const std::string& path, std::string_view data);

  // The next group; false after the EOF group.
  bool next(Group& group);
  // Whether values stay valid after the next group (text files) or not (binary ones).
  bool stable_values() const { return !binary_; }
  // Bytes after the group just read: every item a count announces needs at least four.
  std::size_t remaining() const { return data_.size() - pos_; }
  // The current group's value is a count the rest of the file cannot hold.
  [[noreturn]] void bad_count(std::string_view value) const;
  // One output-box line per repair, naming the file.
  std::vector<std::string> take_notes() { return std::move(notes_); }

 private:
  bool next_text(Group& group);
  bool next_binary(Group& group);
  bool at_end(Group& group);
  bool track(int code, std::string_view value, std::size_t line);
  std::string_view next_line();
  int binary_code();
  std::string_view binary_string();
  template <typename T>
  T binary_number();
  [[noreturn]] void fail(std::size_t line, const std::string& what) const;
  [[noreturn]] void truncated() const;
  std::string where(std::size_t line) const;

  const std::string& path_;
  std::string_view data_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;  // the line the next read starts on (text)
  std::size_t value_line_ = 0;
  std::size_t group_start_ = 0;  // byte offset of the group being read (binary)
  bool binary_ = false;
  bool has_nul_ = false;  // a NUL byte anywhere in a text file
  bool two_byte_codes_ = true;
  bool sections_ = false, in_section_ = false, entities_done_ = false, done_ = false;
  int pending_ = 0;  // groups still to give at a missing EOF: 2 ENDSEC + EOF, 1 EOF
  std::string entity_, section_;  // the last entity type; the section being read
  std::string scratch_;  // a binary value in text form
  std::vector<std::string> notes_;
};

}  // namespace host::dxf
