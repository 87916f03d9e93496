#pragma once

// Export options of a project, shared by the OBJ/MTL and DirectX writers and
// the export dialog. The project file stores `format`, the six flags and the
// three remembered paths; the rest are working values of one export.

#include <optional>
#include <string>

#include "base/vec3.h"

namespace plenvista {

struct ExportSettings {
  Vec3 origin_offset;  // copied from the transform at the start of every export
  double scale = 1.0;  // likewise
  int use_textures = 1;
  int write_templates = 0;
  int use_mirror = 1;
  int use_scaling = 1;
  int reverse_z = 0;
  int write_normals = 1;
  int format = 0;  // 0 DirectX text file, 1 OBJ/MTL files
  std::optional<std::string> last_x_path;
  std::optional<std::string> last_obj_path;  // without ".obj"
  std::string export_base;                   // working text
  std::string base_name;                     // working text
  std::string base_directory;                // working text
  std::optional<std::string> mtl_name;
  std::string obj_path;  // working text
};

}  // namespace plenvista
