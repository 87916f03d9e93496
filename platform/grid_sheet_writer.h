#pragma once

// Writes the printable calibration grid (photogrammetry/grid_sheet.h) as a
// one-page PDF of the sheet's paper size or as an SVG file, both written
// as plain text: vector lines at exact scale (millimetres on the page,
// points in the PDF), the captions in the viewer's standard sans-serif font
// (PDF: the built-in Helvetica, so no font is embedded). Numbers are
// written locale-independently.
//
// Failure cases: a file that cannot be written gives false and
// "Cannot write <path>" in `error`; the file is written to a temporary
// file and renamed over the target, so a failed write leaves it as it was.

#include <string>

#include "photogrammetry/grid_sheet.h"

namespace plenvista {

enum class SheetFormat { Pdf, Svg };

// Svg for a path ending ".svg" (any letter case), else Pdf.
SheetFormat sheet_format_of(const std::string& path);

std::string grid_sheet_pdf(const GridSheet& sheet);
std::string grid_sheet_svg(const GridSheet& sheet);

bool write_grid_sheet(const GridSheet& sheet, const std::string& path, std::string& error);

}  // namespace plenvista
