// The reference reader's binary DXF, turned into the text form of the same groups.
#pragma once

#include <string>
#include <string_view>

namespace host::dxflib_path {

inline constexpr std::string_view kBinarySentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

bool is_binary_dxf(std::string_view data);

// The groups of a binary DXF file (sentinel included in `data`) written as DXF text, up to and
// including its EOF group. Strings keep their bytes (the code page is decoded later, as for
// text files); binary chunks become hex digits. Throws host::Error naming `path` and the byte
// offset when the data end inside a group.
std::string binary_to_text(const std::string& path, std::string_view data);

}  // namespace host::dxflib_path
