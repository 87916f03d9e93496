#pragma once

// Binary mesh exports for mesh tools and 3D printing: PLY (binary little
// endian) and STL (binary). Both write the faces of the OBJ export (model
// faces, then the mirror faces with "Use Mirror"; faces whose material is
// not in the model's list, or with a missing corner, left out) with
// positions through the export transform (origin offset, z negated unless
// "Reverse Z axis", scale with "Use Scaling") and corners in the written
// order. Coordinates are 32-bit floats, every number little endian.
//
// PLY: one vertex per point of the export (model points, then mirror
// points), with x, y, z and the red, green and blue bytes of the face colour
// of the first written face that uses it (the point's layer colour when no
// face does); then the faces, each as three 32-bit vertex indices. The text
// header ends its lines with LF alone, as the format requires.
//
// STL: an 80-byte header (not beginning with "solid"), the facet count and
// per facet its unit normal (from the written corners, so mirror and
// winding are included; (0, 0, 0) for a face without area), its three
// corners and a zero attribute word.

#include <string>

#include "export/text_out.h"
#include "model/export_settings.h"
#include "model/model_data.h"
#include "model/project.h"

namespace plenvista {

void write_ply(const ModelData& model, const ExportSettings& settings, TextOut& out);
void write_stl(const ModelData& model, const ExportSettings& settings, TextOut& out);
std::string ply_bytes(const ModelData& model, const ExportSettings& settings);
std::string stl_bytes(const ModelData& model, const ExportSettings& settings);

// The file path for a typed path: the ending appended unless the path ends
// with it in any letter case.
std::string ply_path(const std::string& typed);
std::string stl_path(const std::string& typed);

// Copy the transform and write `path` atomically. Return whether the file
// was written (failures are told as for every export).
bool export_ply(Project& project, const std::string& path);
bool export_stl(Project& project, const std::string& path);

}  // namespace plenvista
