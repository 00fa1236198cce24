// Fuzz inputs for readers that take a file name: the bytes go into a file of the process's
// own scratch directory, removed again when the input is done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "../support/scratch_dir.h"

namespace fuzz {

class ScratchFile {
 public:
  ScratchFile(const std::uint8_t* data, std::size_t size, const std::string& name)
      : path_(dir() / name) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  std::string path() const { return path_.string(); }

 private:
  // Removed with the process's static objects, so no directory stays behind.
  static std::filesystem::path dir() {
    static const tavrin_test::ScratchDir d;
    return d.path();
  }
  std::filesystem::path path_;
};

}  // namespace fuzz
