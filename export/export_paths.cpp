#include "export/export_paths.h"

#include "base/text.h"
#include "export/directx_export.h"
#include "export/dxf_export.h"
#include "export/glb_export.h"
#include "export/mesh_binary_export.h"
#include "export/obj_export.h"

namespace plenvista {

void split_export_path(const std::string& path, const std::string& project_directory, ExportSettings& settings) {
  settings.base_name.clear();
  settings.base_directory.clear();
  const std::size_t separator = last_separator(path);
  if (separator == std::string::npos) {
    settings.base_name = path;
    settings.export_base = project_directory + path;
    return;
  }
  settings.base_directory = path.substr(0, separator + 1);
  settings.base_name = path.substr(separator + 1);
  settings.export_base = path;
}

std::string obj_base_path(const std::string& typed) {
  if (ends_with_ignoring_case(typed, ".obj")) return typed.substr(0, typed.size() - 4);
  return typed;
}

std::string directx_path(const std::string& typed) {
  if (ends_with_ignoring_case(typed, ".x")) return typed;
  return typed + ".x";
}

std::string glb_path(const std::string& typed) {
  if (ends_with_ignoring_case(typed, ".glb")) return typed;
  return typed + ".glb";
}

bool export_from_dialog(Project& project, ExportFormat format, const std::string& typed_path,
                        const ExportOptions& options) {
  ExportSettings& settings = project.export_settings;
  settings.format = static_cast<int>(format);
  settings.use_textures = options.use_textures;
  settings.use_scaling = options.use_scaling;
  settings.use_mirror = options.use_mirror;
  settings.reverse_z = options.reverse_z;
  if (format == ExportFormat::Obj) return export_obj(project, obj_base_path(typed_path));
  if (format == ExportFormat::Glb) return export_glb(project, glb_path(typed_path));
  if (format == ExportFormat::Dxf) return export_dxf(project, dxf_path(typed_path));
  if (format == ExportFormat::Ply) return export_ply(project, ply_path(typed_path));
  if (format == ExportFormat::Stl) return export_stl(project, stl_path(typed_path));
  return export_directx(project, directx_path(typed_path));
}

}  // namespace plenvista
