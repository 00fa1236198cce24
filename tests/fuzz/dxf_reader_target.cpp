// Fuzz target: our DXF reader alone, text or binary, straight from memory: its groups and
// every report through the creation interface. Any bytes end in reports or in a host error
// that names the file; lists never hold more items than the input has bytes.
#include <dxflib/dl_creationadapter.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "host/api/error.h"
#include "host/formats/dxf_events.h"
#include "host/formats/dxf_source.h"

namespace {

class Counting : public DL_CreationAdapter {
 public:
  explicit Counting(std::size_t limit) : limit_(limit) {}
  void processCodeValuePair(unsigned int, const std::string& value) override {
    bytes_ += value.size();
  }
  void addVertex(const DL_VertexData&) override { count(); }
  void addControlPoint(const DL_ControlPointData&) override { count(); }
  void addFitPoint(const DL_FitPointData&) override { count(); }
  void addKnot(const DL_KnotData&) override { count(); }
  void addLeaderVertex(const DL_LeaderVertexData&) override { count(); }

 private:
  // every item of a list stands in a group of its own, at least four bytes
  void count() {
    if (++items_ > limit_ / 4 + 8) throw std::logic_error("more list items than the input holds");
  }
  std::size_t limit_, items_ = 0, bytes_ = 0;
};

}  // namespace

int fuzz_dxf_reader(const std::uint8_t* data, std::size_t size) {
  const std::string path = "fuzz.dxf";
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    host::dxf::GroupSource source(path, bytes);
    Counting sink(size);
    host::dxf::report_groups(source, sink);
    (void)source.take_notes();
  } catch (const host::Error& e) {
    if (std::string_view(e.what()).find("fuzz.dxf") == std::string_view::npos)
      throw std::logic_error(std::string("error does not name the file: ") + e.what());
  }
  return 0;
}
