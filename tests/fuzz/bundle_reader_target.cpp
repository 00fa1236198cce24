// Fuzz target: the bundle reader. Any bytes end in a drawing or in a host error that names
// the bundle; no member may escape the private temporary directory.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz_file.h"
#include "host/api/error.h"
#include "host/formats/bundle.h"

int fuzz_bundle_reader(const std::uint8_t* data, std::size_t size) {
  const fuzz::ScratchFile file(data, size, "fuzz.bdl");
  try {
    (void)host::read_bundle_file(file.path());
  } catch (const host::Error& e) {
    if (std::string_view(e.what()).find("fuzz.bdl") == std::string_view::npos)
      throw std::logic_error(std::string("error does not name the bundle: ") + e.what());
  }
  return 0;
}
