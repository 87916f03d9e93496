#pragma once

// Wavefront OBJ geometry with its MTL material library.
//
// The OBJ file holds the group and mtllib lines, one "v" and one "vn" line
// per point (model points, then mirror points with "Use Mirror"), one "vt"
// line per texture coordinate (u, 1 - v), and the faces grouped by material
// in the model's material order, each "f v/vt/vn" with 1-based numbers (vt left
// empty, "v//vn", for a corner without texture coordinate; vn equals v). Faces whose
// material is not in the model's list are left out. Every line ends CR LF;
// numbers are written locale-independently.

#include <string>

#include "export/text_out.h"
#include "model/export_settings.h"
#include "model/model_data.h"
#include "model/project.h"

namespace plenvista {

// The MTL text: per material its diffuse colour and, with "Use Textures",
// the texture photograph's file name as stored.
void write_mtl(const ModelData& model, const ExportSettings& settings, TextOut& out);
std::string mtl_text(const ModelData& model, const ExportSettings& settings);

// The OBJ text for the base name and material library name in `settings`.
// Recomputes the vertex and face normals of the written records.
void write_obj(ModelData& model, const ExportSettings& settings, TextOut& out);
std::string obj_text(ModelData& model, const ExportSettings& settings);

// Export OBJ: `path` is the base path without ".obj". Records the path as
// `last_obj_path`, writes <export base>.mtl, sets `mtl_name`, then writes
// <export base>.obj. A file that cannot be written is reported to the user
// and does not stop the other. True when both files were written.
bool export_obj(Project& project, const std::string& path);

}  // namespace plenvista
