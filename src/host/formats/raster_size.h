// The size in pixels of a picture file, for exchange formats that record it.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace host {

// Width and height of a PNG or JPEG file; nullopt when it is missing or neither.
std::optional<std::pair<int, int>> raster_size(const std::string& path);

}  // namespace host
