#pragma once

// Where the exports write, and the one operation that the export dialog's OK
// and the command-line tool share.
//
// Paths are 8-bit (UTF-8) texts and may use '/' or '\' as separator. A path
// without a separator is taken relative to the project directory (which ends
// with its separator; empty for an untitled project, and the file then goes
// to the working directory).

#include <string>

#include "model/export_settings.h"
#include "model/project.h"

namespace plenvista {

enum class ExportFormat : int { DirectX = 0, Obj = 1, Glb = 2, Dxf = 3, Ply = 4, Stl = 5 };
inline constexpr int kExportFormatCount = 6;

// The formats written as one file at the typed path with its ending
// appended (all but OBJ/MTL and DirectX, whose paths the project keeps).
inline bool is_single_file_format(ExportFormat format) {
  return format != ExportFormat::DirectX && format != ExportFormat::Obj;
}

// Splits `path` at its last '/' or '\' into the base directory (up to and
// including the separator) and the base name, and sets the export base: the
// path itself when it has a directory, else the project directory followed
// by the path.
void split_export_path(const std::string& path, const std::string& project_directory, ExportSettings& settings);

// The OBJ base path for a typed path: a final ".obj" (any letter case) cut off.
std::string obj_base_path(const std::string& typed);
// The DirectX file path for a typed path: ".x" appended unless it ends with
// ".x" in any letter case.
std::string directx_path(const std::string& typed);
// The glTF file path: ".glb" appended unless it ends with ".glb" in any letter case.
std::string glb_path(const std::string& typed);

// The check boxes of the export dialog.
struct ExportOptions {
  int use_textures = 1;
  int reverse_z = 0;
  int use_scaling = 1;
  int use_mirror = 1;
};

// Stores the format and the options in the project's export settings, makes
// the path from the typed text and runs the export of that format. True when
// every file was written, false when one failed (the user has been told).
bool export_from_dialog(Project& project, ExportFormat format, const std::string& typed_path,
                        const ExportOptions& options);

}  // namespace plenvista
