// The plot engine's per-drawing operations that the job driver calls.
#pragma once

#include <string>

#include "host/api/value.h"
#include "base/globals.h"

namespace tavrin {

// Saves every selected sheet of the current drawing as DXF and/or MI. `file` is the drawing
// file being processed (a path, or the drawing number in a current-drawing run; nil allowed).
host::Value speichern_alle_blaetter(const host::Value& file, const Selection& selection, bool mi,
                                    bool dxf);

// The per-sheet output loop: every sheet made current; selected ones printed and/or written
// as PDF. Absent settings are nil. `report_name` names the file in failure reports.
void drucken_alle_blaetter(bool drucken, const host::Value& firma, const host::Value& format,
                           const host::Value& drucker, bool mi, bool dxf, bool pdf,
                           const host::Value& file, const Selection& selection,
                           const host::Value& report_name);

// Fallback loader for files the host's normal load refuses.
void load_subpart_drawing(const std::string& path);

}  // namespace tavrin
