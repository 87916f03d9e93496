#pragma once

// DXF export for CAD programs: an ASCII drawing of release 12 (AC1009),
// which CAD programs of every age read.
//
// The LAYER table has one layer per model layer, named after it (characters
// other than letters, digits, '$', '-' and '_' become '_', and a name made
// equal to an earlier one gets "_2", "_3", ...), coloured with the drawing
// palette's colour nearest to the layer's (the seven primary colours and
// the greys). Every face is a 3DFACE entity (its third corner repeated as
// the fourth) on the layer of its first corner point, every point a POINT
// entity on its layer; both take their colour from the layer. Faces whose
// material is not in the model's list, or with a missing corner, are left
// out, as in the OBJ export.
//
// Positions go through the export transform (origin offset, z negated
// unless "Reverse Z axis", scale with "Use Scaling"), corners in the written
// order, with the mirror copies when "Use Mirror" is on. Numbers have six
// decimals, written locale-independently; lines end CR LF.

#include <cstdint>
#include <string>

#include "base/colour.h"
#include "export/text_out.h"
#include "model/export_settings.h"
#include "model/model_data.h"
#include "model/project.h"

namespace plenvista {

// The drawing palette's index (1..9, 250..255) nearest to `colour`.
int nearest_palette_colour(Colour colour);

void write_dxf(const ModelData& model, const ExportSettings& settings, TextOut& out);
std::string dxf_text(const ModelData& model, const ExportSettings& settings);

// The DXF file path for a typed path: ".dxf" appended unless it ends with
// ".dxf" in any letter case.
std::string dxf_path(const std::string& typed);

// Export DXF: copies the transform and writes `path` atomically. Returns
// whether the file was written (failures are told as for every export).
bool export_dxf(Project& project, const std::string& path);

}  // namespace plenvista
