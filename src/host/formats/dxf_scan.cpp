// A quick structural check of a DXF file before dxflib parses it.
#include "host/formats/dxf_scan.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "host/api/error.h"

namespace host::dxf {
namespace {

// dxflib reads lines with a 1024-byte buffer; a longer line would shift every later pair.
constexpr std::size_t kMaxLine = 1022;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// Group codes whose value dxflib uses to allocate arrays, by entity type.
bool is_count_code(std::string_view entity, int code) {
  if (entity == "LWPOLYLINE") return code == 90;
  if (entity == "SPLINE") return code == 72 || code == 73 || code == 74;
  if (entity == "LEADER") return code == 76;
  return false;
}

class Scanner {
 public:
  Scanner(const std::string& path, std::string text) : path_(path), text_(std::move(text)) {}

  void run() {
    if (text_.rfind("AutoCAD Binary DXF", 0) == 0) fail(1, "binary DXF files are not supported");
    if (text_.rfind("\xEF\xBB\xBF", 0) == 0) pos_ = 3;
    std::string_view entity;
    while (pos_ < text_.size()) {
      std::size_t code_line = line_;
      std::string_view code_text = trim(next_line());
      if (code_text.empty() && pos_ >= text_.size()) break;  // trailing blank line
      if (pos_ >= text_.size()) fail(code_line, "the file ends in the middle of a group");
      std::string_view value = next_line();
      int code = 0;
      auto [ptr, ec] = std::from_chars(code_text.data(), code_text.data() + code_text.size(), code);
      if (ec != std::errc() || ptr != code_text.data() + code_text.size())
        fail(code_line,
             "group code expected, found \"" + std::string(code_text.substr(0, 40)) + "\"");
      if (code == 0) {
        entity = trim(value);
        if (entity == "SECTION") sections_ = true;
        if (entity == "EOF") {
          if (!sections_) fail(code_line, "no SECTION before EOF");
          return;
        }
      } else if (is_count_code(entity, code)) {
        check_count(code_line + 1, trim(value));
      }
    }
    fail(line_, "the file ends without EOF (truncated?)");
  }

 private:
  std::string_view next_line() {
    std::size_t end = text_.find('\n', pos_);
    at_line_end_ = end != std::string::npos;
    if (!at_line_end_) end = text_.size();
    std::string_view line(text_.data() + pos_, end - pos_);
    if (line.size() > kMaxLine) fail(line_, "line is longer than 1022 characters");
    pos_ = at_line_end_ ? end + 1 : end;
    ++line_;
    return line;
  }

  void check_count(std::size_t line, std::string_view value) {
    long count = 0;
    std::from_chars(value.data(), value.data() + value.size(), count);
    // every counted item needs at least one more group (two lines, four bytes)
    if (count < 0 || static_cast<std::size_t>(count) > (text_.size() - pos_) / 4 + 1)
      fail(line, "count " + std::string(value) + " does not fit the file");
  }

  [[noreturn]] void fail(std::size_t line, const std::string& what) const {
    throw Error(path_ + ":" + std::to_string(line) + ": not a readable DXF file: " + what);
  }

  const std::string& path_;
  std::string text_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  bool at_line_end_ = true;
  bool sections_ = false;
};

}  // namespace

void check_dxf_structure(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw Error("Cannot read DXF file " + path + ": it is a directory");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("Cannot open DXF file " + path);
  std::string text(std::filesystem::file_size(path, ec), '\0');
  if (ec || !in.read(text.data(), static_cast<std::streamsize>(text.size())))
    throw Error("Cannot read DXF file " + path);
  if (text.find_first_not_of(" \t\r\n") == std::string::npos)
    throw Error("The DXF file " + path + " is empty");
  Scanner(path, std::move(text)).run();
}

}  // namespace host::dxf
