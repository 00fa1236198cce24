// Output files of a plot job: the shared file-name rule, PDF of a sheet, MI and DXF saves
// with ".org" backups, and the fallback loader.
#pragma once

#include <string>

#include "base/output_name.h"
#include "engine/engine.h"
#include "engine/sheet_format.h"
#include "host/api/value.h"

namespace tavrin {

// The PDF plot command of a sheet measured and styled, written to "<base>.pdf".
host::List pdf_plot_args(const SheetFormat& sheet, const std::string& base);

// PDF of the current sheet at its own size; the host's result, or nil after a failure.
host::Value create_pdf(const std::string& firma, const std::string& sheet_name);

// After a failed plot: when the sheet could not be measured because it holds nothing
// drawable, the report in the draftsman's words ("<drawing>: Blatt 1 enthält nichts
// Zeichenbares", from language texts 7 and 38); "" for any other failure.
std::string leeres_blatt_text(const std::string& sheet_name);

// Saves one sheet as DXF, then MI, keeping earlier files as ".org"; the MI save's result
// or nil. No DXF for a drawing loaded from DXF, no MI for one loaded from MI.
host::Value speichern(const host::Value& sheet, bool mi, bool dxf, const host::Value& file,
                      const std::string& dxf_name, const std::string& sheet_name);

}  // namespace tavrin
