// The groups of a DXF file, read where the file lies in memory.
#include "host/formats/dxf_source.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host/api/error.h"
#include "host/value/location.h"
#include "host/value/text.h"

namespace host::dxf {
namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
  return s;
}

enum class Type { String, Double, Int16, Int32, Int64, Byte, Chunk };

bool in(int code, int from, int to) {
  return code >= from && code <= to;
}

// The value type of a group code, as binary DXF stores it.
Type type_of(int code) {
  if (in(code, 310, 319) || code == 1004) return Type::Chunk;
  if (in(code, 10, 59) || in(code, 110, 149) || in(code, 210, 239) || in(code, 460, 469) ||
      in(code, 1010, 1059))
    return Type::Double;
  if (in(code, 60, 79) || in(code, 170, 179) || in(code, 270, 289) || in(code, 370, 389) ||
      in(code, 400, 409) || in(code, 1060, 1070))
    return Type::Int16;
  if (in(code, 90, 99) || in(code, 420, 459) || code == 1071) return Type::Int32;
  if (in(code, 160, 169)) return Type::Int64;
  if (in(code, 290, 299)) return Type::Byte;
  return Type::String;
}

}  // namespace

FileBytes::FileBytes(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Error("Cannot open DXF file " + path);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    throw Error("Cannot read DXF file " + path);
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    throw Error("Cannot read DXF file " + path + ": it is a directory");
  }
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    size_ = static_cast<std::size_t>(st.st_size);
    map_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map_ == MAP_FAILED) {
      map_ = nullptr;
    } else {
      ::madvise(map_, size_, MADV_SEQUENTIAL | MADV_WILLNEED);
      data_ = static_cast<const char*>(map_);
    }
  }
  ::close(fd);
  if (map_) return;
  // not mappable (a pipe, a file the kernel reports without a size): read as a stream
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error("Cannot open DXF file " + path);
  copy_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) throw Error("Cannot read DXF file " + path);
  data_ = copy_.data();
  size_ = copy_.size();
}

FileBytes::~FileBytes() {
  if (map_) ::munmap(map_, size_);
}

GroupSource::GroupSource(const std::string& path, std::string_view data)
    : path_(path), data_(data) {
  if (trim(data_).empty()) throw Error("The DXF file " + path + " is empty");
  binary_ = data_.substr(0, kBinarySentinel.size()) == kBinarySentinel;
  if (binary_) {
    // R12 and older write one-byte group codes (255 announces a two-byte one); later
    // versions always two bytes. The first group is "0 SECTION": a second zero byte means two.
    two_byte_codes_ = data_.size() > 23 && data_[23] == '\0';
    pos_ = kBinarySentinel.size();
  } else {
    if (data_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
    has_nul_ = std::memchr(data_.data(), '\0', data_.size()) != nullptr;
  }
}

bool GroupSource::next(Group& group) {
  if (pending_ > 0) {
    group.code = 0;
    group.value = pending_-- == 2 ? "ENDSEC" : "EOF";
    return true;
  }
  if (done_) return false;
  return binary_ ? next_binary(group) : next_text(group);
}

inline std::string_view GroupSource::next_line() {
  const char* begin = data_.data() + pos_;
  const std::size_t left = data_.size() - pos_;
  // most lines are short: a plain loop before the library's search
  std::size_t length = 0;
  const std::size_t near = std::min<std::size_t>(left, 24);
  while (length < near && begin[length] != '\n') ++length;
  if (length == near && near < left) {
    const void* nl = std::memchr(begin + near, '\n', left - near);
    length = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - begin) : left;
  }
  pos_ += length < left ? length + 1 : length;
  ++line_;
  return {begin, length};
}

// The usual group code line: blanks, digits, blanks (and a carriage return); -1 otherwise.
static int plain_code(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  const std::size_t first = i;
  int code = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9' && i - first < 6)
    code = code * 10 + (line[i++] - '0');
  if (i == first) return -1;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\r')) ++i;
  return i == line.size() ? code : -1;
}

bool GroupSource::next_text(Group& group) {
  if (pos_ >= data_.size()) return at_end(group);
  const std::size_t code_line = line_;
  const std::string_view line = next_line();
  int code = plain_code(line);
  if (code < 0) {
    const std::string_view code_text = trim(line);
    if (code_text.empty() && pos_ >= data_.size()) return at_end(group);  // a last blank line
    auto [ptr, ec] = std::from_chars(code_text.data(), code_text.data() + code_text.size(), code);
    if (ec != std::errc() || ptr != code_text.data() + code_text.size()) {
      if (pos_ >= data_.size()) fail(code_line, "the file ends in the middle of a group");
      fail(code_line,
           "group code expected, found \"" + std::string(code_text.substr(0, 40)) + "\"");
    }
  }
  if (pos_ >= data_.size()) fail(code_line, "the file ends in the middle of a group");
  value_line_ = line_;
  std::string_view value = next_line();
  // a value is the line up to its line end, as C strings keep it: up to a NUL byte
  if (has_nul_) {
    if (const void* nul = std::memchr(value.data(), '\0', value.size()))
      value = value.substr(0, static_cast<const char*>(nul) - value.data());
  }
  while (!value.empty() && (value.back() == '\r' || value.back() == '\n')) value.remove_suffix(1);
  group.code = code;
  group.value = value;
  if (code == 0 || (code == 2 && entity_ == "SECTION")) done_ = !track(code, value, code_line);
  return true;
}

// Sections are followed so that a file cut short is told from one that only lacks its EOF.
// false at EOF.
bool GroupSource::track(int code, std::string_view value, std::size_t line) {
  const std::string_view name = trim(value);
  if (code == 2) {
    section_ = name;
    return true;
  }
  entity_ = name;
  if (name == "SECTION") {
    sections_ = in_section_ = true;
    section_.clear();
  } else if (name == "ENDSEC") {
    if (in_section_ && section_ == "ENTITIES") entities_done_ = true;
    in_section_ = false;
  } else if (name == "EOF") {
    if (!sections_) fail(line, "no SECTION before EOF");
    return false;
  }
  return true;
}

// The data end without EOF: a file cut short is an error; one whose entities are complete is
// read as far as it goes.
bool GroupSource::at_end(Group& group) {
  const std::size_t last_line = line_ - 1;
  if (!entities_done_) {
    group_start_ = pos_;
    fail(last_line, "the file ends without EOF (truncated?)");
  }
  group_start_ = pos_;
  const std::string message = "the file ends without EOF; it was read as far as it goes";
  notes_.push_back(binary_ ? where(0) + ": " + message : located(path_, last_line, message));
  done_ = true;
  pending_ = in_section_ ? 2 : 1;
  in_section_ = false;
  return next(group);
}

int GroupSource::binary_code() {
  if (two_byte_codes_) return binary_number<std::int16_t>() & 0xffff;
  const int code = binary_number<std::uint8_t>();
  return code == 255 ? binary_number<std::int16_t>() & 0xffff : code;
}

// Little-endian on disk; the machines we build for are little-endian too.
template <typename T>
T GroupSource::binary_number() {
  static_assert(std::endian::native == std::endian::little);
  if (data_.size() - pos_ < sizeof(T)) truncated();
  T value;
  std::memcpy(&value, data_.data() + pos_, sizeof(T));
  pos_ += sizeof(T);
  return value;
}

// A string up to its NUL byte; a line break inside would end a text line early, so it reads
// as a blank, as it does in the text form of the same file.
std::string_view GroupSource::binary_string() {
  const void* nul = std::memchr(data_.data() + pos_, '\0', data_.size() - pos_);
  if (!nul) truncated();
  const std::size_t end = static_cast<const char*>(nul) - data_.data();
  std::string_view s = data_.substr(pos_, end - pos_);
  pos_ = end + 1;
  if (s.find_first_of("\r\n") == std::string_view::npos) return s;
  scratch_.assign(s);
  for (char& c : scratch_)
    if (c == '\r' || c == '\n') c = ' ';
  return scratch_;
}

bool GroupSource::next_binary(Group& group) {
  if (pos_ >= data_.size()) return at_end(group);
  group_start_ = pos_;
  const int code = binary_code();
  const Type type = code == 0 ? Type::String : type_of(code);
  char buf[64];
  char* end = buf;
  switch (type) {
    case Type::String:
      group.value = binary_string();
      break;
    case Type::Chunk: {
      static constexpr char kHex[] = "0123456789ABCDEF";
      const std::size_t length = binary_number<std::uint8_t>();
      if (data_.size() - pos_ < length) truncated();
      scratch_.clear();
      for (std::size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(data_[pos_ + i]);
        scratch_.push_back(kHex[byte >> 4]);
        scratch_.push_back(kHex[byte & 15]);
      }
      pos_ += length;
      group.value = scratch_;
      break;
    }
    case Type::Double:
      end = std::to_chars(buf, buf + sizeof buf, binary_number<double>()).ptr;
      break;
    case Type::Int16:
      end = std::to_chars(buf, buf + sizeof buf, binary_number<std::int16_t>()).ptr;
      break;
    case Type::Int32:
      end = std::to_chars(buf, buf + sizeof buf, binary_number<std::int32_t>()).ptr;
      break;
    case Type::Int64:
      end = std::to_chars(buf, buf + sizeof buf, binary_number<std::int64_t>()).ptr;
      break;
    case Type::Byte:
      end = std::to_chars(buf, buf + sizeof buf, binary_number<std::uint8_t>()).ptr;
      break;
  }
  if (end != buf) {
    scratch_.assign(buf, end);
    group.value = scratch_;
  }
  group.code = code;
  if (code == 0 || (code == 2 && entity_ == "SECTION")) done_ = !track(code, group.value, 0);
  return true;
}

std::string GroupSource::where(std::size_t line) const {
  if (binary_) return path_ + ": byte " + std::to_string(group_start_);
  return path_ + ':' + std::to_string(line);
}

void GroupSource::bad_count(std::string_view value) const {
  const std::string what = "count " + std::string(trim(value)) + " does not fit the file";
  if (binary_) throw Error(where(0) + ": not a readable DXF file: " + what);
  fail(value_line_, what);
}

void GroupSource::fail(std::size_t line, const std::string& what) const {
  if (binary_) throw Error(where(line) + ": not a readable DXF file: " + what);
  throw Error(located(path_, line, "not a readable DXF file: " + what, line_of(data_, line)));
}

void GroupSource::truncated() const {
  throw Error(where(0) + ": not a readable DXF file: the binary DXF ends in the middle of a group");
}

}  // namespace host::dxf
