// Binary DXF turned into the text form of the same groups.
//
// dxflib reads only text DXF and no Debian package reads binary DXF, so the pre-pass rewrites
// a binary file as text and dxflib parses that: one parser for both forms.
#include "prepass_binary.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "host/api/error.h"

namespace host::dxflib_path {
namespace {

enum class Type { String, Double, Int16, Int32, Int64, Byte, Chunk };

bool in(int code, int from, int to) {
  return code >= from && code <= to;
}

// The value type of a group code, as the binary form stores it.
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

class Transcoder {
 public:
  Transcoder(const std::string& path, std::string_view data) : path_(path), data_(data) {
    // R12 and older write one-byte group codes (255 announces a two-byte one); later versions
    // always two bytes. The first group is "0 SECTION": a second zero byte means two bytes.
    two_byte_codes_ = data_.size() > 23 && data_[23] == '\0';
    out_.reserve(data_.size() * 2);
  }

  std::string run() {
    pos_ = kBinarySentinel.size();
    while (pos_ < data_.size()) {
      group_start_ = pos_;
      const int code = read_code();
      write_code(code);
      if (code == 0) {
        std::string_view value = read_string();
        out_.append(value).push_back('\n');
        if (value == "EOF") break;
      } else {
        write_value(code);
      }
    }
    return std::move(out_);
  }

 private:
  int read_code() {
    if (two_byte_codes_) return read_int<std::int16_t>() & 0xffff;
    const int code = read_int<std::uint8_t>();
    return code == 255 ? read_int<std::int16_t>() & 0xffff : code;
  }

  void write_code(int code) {
    char buf[16];
    auto end = std::to_chars(buf, buf + sizeof buf, code).ptr;
    for (auto n = end - buf; n < 3; ++n) out_.push_back(' ');
    out_.append(buf, end).push_back('\n');
  }

  void write_value(int code) {
    char buf[64];
    char* end = buf;
    switch (type_of(code)) {
      case Type::String:
        write_string(read_string());
        return;
      case Type::Chunk:
        write_chunk();
        return;
      case Type::Double:
        end = std::to_chars(buf, buf + sizeof buf, read_int<double>()).ptr;
        break;
      case Type::Int16:
        end = std::to_chars(buf, buf + sizeof buf, read_int<std::int16_t>()).ptr;
        break;
      case Type::Int32:
        end = std::to_chars(buf, buf + sizeof buf, read_int<std::int32_t>()).ptr;
        break;
      case Type::Int64:
        end = std::to_chars(buf, buf + sizeof buf, read_int<std::int64_t>()).ptr;
        break;
      case Type::Byte:
        end = std::to_chars(buf, buf + sizeof buf, read_int<std::uint8_t>()).ptr;
        break;
    }
    out_.append(buf, end).push_back('\n');
  }

  // A line break inside a value would end the text line early.
  void write_string(std::string_view s) {
    for (char c : s) out_.push_back(c == '\n' || c == '\r' ? ' ' : c);
    out_.push_back('\n');
  }

  void write_chunk() {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::size_t length = read_int<std::uint8_t>();
    need(length);
    for (std::size_t i = 0; i < length; ++i) {
      const auto byte = static_cast<unsigned char>(data_[pos_ + i]);
      out_.push_back(kHex[byte >> 4]);
      out_.push_back(kHex[byte & 15]);
    }
    pos_ += length;
    out_.push_back('\n');
  }

  std::string_view read_string() {
    const std::size_t end = data_.find('\0', pos_);
    if (end == std::string_view::npos) truncated();
    std::string_view s = data_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return s;
  }

  // Little-endian on disk; the machines we build for are little-endian too.
  template <typename T>
  T read_int() {
    static_assert(std::endian::native == std::endian::little);
    need(sizeof(T));
    T value;
    std::memcpy(&value, data_.data() + pos_, sizeof(T));
    pos_ += sizeof(T);
    return value;
  }

  void need(std::size_t bytes) {
    if (data_.size() - pos_ < bytes) truncated();
  }

  [[noreturn]] void truncated() const {
    throw Error(path_ + ": byte " + std::to_string(group_start_) +
                ": not a readable DXF file: the binary DXF ends in the middle of a group");
  }

  const std::string& path_;
  std::string_view data_;
  std::string out_;
  std::size_t pos_ = 0;
  std::size_t group_start_ = 0;
  bool two_byte_codes_ = true;
};

}  // namespace

bool is_binary_dxf(std::string_view data) {
  return data.substr(0, kBinarySentinel.size()) == kBinarySentinel;
}

std::string binary_to_text(const std::string& path, std::string_view data) {
  return Transcoder(path, data).run();
}

}  // namespace host::dxflib_path
