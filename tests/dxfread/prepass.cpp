// The reference reader's pre-pass over a DXF file before dxflib parses it.
#include "prepass.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "host/api/error.h"
#include "prepass_binary.h"
#include "host/value/location.h"
#include "host/value/text.h"

namespace host::dxflib_path {
namespace {

// dxflib reads lines with a 1024-byte buffer; a longer line would shift every later pair.
constexpr std::size_t kMaxLine = 1022;
// MTEXT continuation pieces are written this long by CAD programs.
constexpr std::size_t kChunk = 250;

// Group codes whose value dxflib uses to allocate arrays, by entity type.
bool is_count_code(std::string_view entity, int code) {
  if (entity == "LWPOLYLINE") return code == 90;
  if (entity == "SPLINE") return code == 72 || code == 73 || code == 74;
  if (entity == "LEADER") return code == 76;
  return false;
}

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// Where to cut `s` at most `limit` bytes in: never inside a UTF-8 sequence, and never next to
// a blank, because dxflib trims the ends of a value.
std::size_t cut_point(std::string_view s, std::size_t limit) {
  std::size_t cut = limit;
  auto bad = [&](std::size_t at) {
    return (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80 || is_blank(s[at]) ||
           is_blank(s[at - 1]);
  };
  while (cut > limit / 2 && bad(cut)) --cut;
  return cut > limit / 2 ? cut : limit;
}

class Scanner {
 public:
  Scanner(const std::string& path, std::string text) : path_(path), text_(std::move(text)) {}

  // The text is handed on even when it needs no repair (it is not the file's).
  void force_rewrite() { copy_upto(0); }

  PreparedDxf run() {
    if (text_.rfind("\xEF\xBB\xBF", 0) == 0) {
      pos_ = 3;
      copy_upto(0);
      copied_ = 3;
    }
    std::string_view entity;
    while (pos_ < text_.size()) {
      const std::size_t group_start = pos_, code_line = line_;
      std::string_view code_text = trim_view(next_line());
      if (code_text.empty() && pos_ >= text_.size()) break;  // trailing blank line
      if (pos_ >= text_.size()) fail(code_line, "the file ends in the middle of a group");
      std::string_view value = next_line();
      int code = 0;
      auto [ptr, ec] = std::from_chars(code_text.data(), code_text.data() + code_text.size(), code);
      if (ec != std::errc() || ptr != code_text.data() + code_text.size())
        fail(code_line,
             "group code expected, found \"" + std::string(code_text.substr(0, 40)) + "\"");
      if (value.size() > kMaxLine) long_value(group_start, code_line, code, entity, value);
      if (code == 0) {
        entity = trim_view(value);
        if (!track_sections(code_line, entity)) return finish();
      } else if (code == 2 && entity == "SECTION") {
        section_ = trim_view(value);
      } else if (is_count_code(entity, code)) {
        check_count(code_line + 1, trim_view(value));
      }
    }
    // the last line read names where the file ends
    if (!entities_done_) fail(line_ - 1, "the file ends without EOF (truncated?)");
    // Everything up to the end of a section is there: read it as the whole drawing.
    copy_upto(text_.size());
    if (!out_.empty() && out_.back() != '\n') out_ += '\n';
    if (in_section_) out_ += "  0\nENDSEC\n";
    out_ += "  0\nEOF\n";
    notes_.push_back(
        located(path_, line_ - 1, "the file ends without EOF; it was read as far as it goes"));
    return finish();
  }

 private:
  // false at EOF
  bool track_sections(std::size_t line, std::string_view name) {
    if (name == "SECTION") {
      sections_ = in_section_ = true;
      section_ = {};
    } else if (name == "ENDSEC") {
      if (in_section_ && section_ == "ENTITIES") entities_done_ = true;
      in_section_ = false;
    } else if (name == "EOF") {
      if (!sections_) fail(line, "no SECTION before EOF");
      return false;
    }
    return true;
  }

  PreparedDxf finish() {
    PreparedDxf result;
    if (rewritten_) {
      copy_upto(text_.size());
      result.text = std::move(out_);
    }
    result.rewritten = rewritten_;
    result.notes = std::move(notes_);
    return result;
  }

  std::string_view next_line() {
    std::size_t end = text_.find('\n', pos_);
    const bool at_line_end = end != std::string::npos;
    if (!at_line_end) end = text_.size();
    std::string_view line(text_.data() + pos_, end - pos_);
    pos_ = at_line_end ? end + 1 : end;
    ++line_;
    return line;
  }

  // The rewritten text takes the original up to `offset` before a repaired group.
  void copy_upto(std::size_t offset) {
    if (!rewritten_) out_.reserve(text_.size() + text_.size() / 8);
    rewritten_ = true;
    out_.append(text_, copied_, offset - copied_);
    copied_ = offset;
  }

  void write_group(int code, std::string_view value) {
    out_ += code < 10 ? "  " : code < 100 ? " " : "";
    out_ += std::to_string(code);
    out_ += '\n';
    out_.append(value);
    out_ += '\n';
  }

  // MTEXT carries long texts legally: its pieces become continuation groups (code 3) that
  // dxflib hands on in order. Any other over-long value is cut to the length dxflib reads.
  void long_value(std::size_t group_start, std::size_t code_line, int code, std::string_view entity,
                  std::string_view value) {
    if (value.back() == '\r') value.remove_suffix(1);
    if (value.size() <= kMaxLine) return;
    copy_upto(group_start);
    copied_ = pos_;
    if (entity == "MTEXT" && (code == 1 || code == 3)) {
      while (value.size() > kChunk) {
        const std::size_t cut = cut_point(value, kChunk);
        write_group(3, value.substr(0, cut));
        value.remove_prefix(cut);
      }
      write_group(code, value);
      return;
    }
    write_group(code, value.substr(0, cut_point(value, kMaxLine)));
    if (!shortened_)
      notes_.push_back(
          located(path_, code_line + 1, "a value longer than 1022 characters was shortened"));
    shortened_ = true;
  }

  void check_count(std::size_t line, std::string_view value) {
    long count = 0;
    std::from_chars(value.data(), value.data() + value.size(), count);
    // every counted item needs at least one more group (two lines, four bytes)
    if (count < 0 || static_cast<std::size_t>(count) > (text_.size() - pos_) / 4 + 1)
      fail(line, "count " + std::string(value) + " does not fit the file");
  }

  [[noreturn]] void fail(std::size_t line, const std::string& what) const {
    throw Error(located(path_, line, "not a readable DXF file: " + what, line_of(text_, line)));
  }

  const std::string& path_;
  std::string text_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  bool sections_ = false, in_section_ = false, entities_done_ = false;
  std::string_view section_;
  std::string out_;
  std::size_t copied_ = 0;
  bool rewritten_ = false, shortened_ = false;
  std::vector<std::string> notes_;
};

}  // namespace

PreparedDxf prepare_dxf(const std::string& path) {
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
  if (is_binary_dxf(text)) {
    // Line numbers of later complaints count the lines of the text form.
    const std::string label = path + " (binary DXF as text)";
    Scanner scanner(label, binary_to_text(path, text));
    scanner.force_rewrite();
    return scanner.run();
  }
  return Scanner(path, std::move(text)).run();
}

}  // namespace host::dxflib_path
