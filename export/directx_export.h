#pragma once

// DirectX text files ("xof 0303txt 0032"): one Mesh with its vertices,
// triangles, optional vertex normals ("write_normals") and texture
// coordinates ("Use Textures"), and a material list with one material per
// model material. Numbers start at 0. A DirectX vertex carries one texture
// coordinate, so with "Use Textures" the vertices are taken per texture
// coordinate (a point with two coordinates is written twice) and faces index
// their corners' texture coordinates (0 for a corner without one). A model
// without any texture coordinate is written as without "Use Textures"
// (vertices per point, no texture coordinate section; texture file names are
// kept), since its faces would otherwise index an empty vertex list. A
// texture coordinate whose point is missing is written at the transformed
// origin with a zero normal. Every line ends CR LF; numbers are written
// locale-independently.

#include <string>

#include "export/text_out.h"
#include "model/export_settings.h"
#include "model/model_data.h"
#include "model/project.h"

namespace plenvista {

// The whole file text. Recomputes the normals when they are written.
void write_directx(ModelData& model, const ExportSettings& settings, TextOut& out);
std::string directx_text(ModelData& model, const ExportSettings& settings);

// Export DirectX: writes the export base of `path` (which already ends in
// ".x"). When the file cannot be created the user is told and nothing else
// changes; otherwise `last_x_path` becomes `path`. True when written.
bool export_directx(Project& project, const std::string& path);

}  // namespace plenvista
