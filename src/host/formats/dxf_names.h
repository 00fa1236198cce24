// Names under which the host keeps its own data in DXF files.
#pragma once

namespace host::dxf {

// XDATA application of an element's INFO attributes: one 1002 "{" ... "}" group of 1000
// strings per attribute, in the order the element lists them.
inline constexpr const char* kInfoApp = "TAVRIN_INFO";
// Dictionary in the named object dictionary holding an XRECORD with the drawing number.
inline constexpr const char* kDictionary = "TAVRIN";
inline constexpr const char* kNumberEntry = "ZEICHNUNGSNUMMER";

}  // namespace host::dxf
