// Fuzz target: the proxy graphic of a custom entity, decoded from any bytes. Whatever the
// bytes, decoding ends, keeps to its limit and gives elements with finite coordinates.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "host/formats/dxf_proxy.h"

int fuzz_proxy_graphic(const std::uint8_t* data, std::size_t size) {
  static const host::dxf::ProxyTables tables{{"0", "WALLS", "DOORS"}, {"CONTINUOUS", "DASHED"},
                                             "txt"};
  static const host::dxf::TextDecoder decoder;
  host::dxf::RawStroke entity;
  entity.layer = "WALLS";
  entity.color = 0;
  constexpr std::size_t kLimit = 50'000;
  const auto pieces = host::dxf::decode_proxy_graphic(
      std::string_view(reinterpret_cast<const char*>(data), size), entity, tables, decoder,
      kLimit);
  if (pieces.size() > kLimit) throw std::logic_error("more pieces than the limit");
  for (const auto& piece : pieces) {
    for (const host::Vec2& p : piece.element.points)
      if (!std::isfinite(p.x) || !std::isfinite(p.y))
        throw std::logic_error("a point that is not finite");
    const host::Element& e = piece.element;
    if (!std::isfinite(e.radius) || !std::isfinite(e.text.size) || !std::isfinite(e.text.angle))
      throw std::logic_error("a size that is not finite");
    if (piece.element.kind == host::ElementKind::Fill && piece.element.rings.empty())
      throw std::logic_error("a fill without rings");
  }
  return 0;
}
