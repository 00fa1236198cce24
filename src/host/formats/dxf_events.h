// What a DXF file holds, reported entity by entity through dxflib's creation interface (its
// data structures, not its parser): the import is written against that interface, and our
// reader reports exactly what dxflib's own parser reported for the same file.
#pragma once

#include <string_view>

class DL_CreationInterface;

namespace host::dxf {

class GroupSource;

// Reads every group of `source` and reports to `sink`: each raw group as it comes
// (processCodeValuePair), then an entity, table record or header variable once the next one
// begins, with its attributes and extrusion set just before.
void report_groups(GroupSource& source, DL_CreationInterface& sink);

// Numbers as dxflib's parser read them, whatever the process locale: a real is the longest
// decimal number at the start of the value (after blanks; a comma counts as the decimal
// point), 0 when there is none or it ends in a bare exponent, the largest double in place of
// an overflow. An integer reads like strtol in base 10 (or 16 for handles).
double dxf_real(std::string_view value);
int dxf_int(std::string_view value, int base = 10);

}  // namespace host::dxf
