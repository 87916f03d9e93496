#pragma once

// The project file (*.op2): one little-endian binary file holding the images
// with their reference points, the whole model, the export settings and the
// three CAD view records. Photographs and the camera file are named, not
// embedded, and found along the model's image directories when opened.
//
// Save always writes version 13. Open reads versions 1 to 13. Texts keep
// absent (length 0) and empty (length 1) apart, so opening and saving a
// version-13 file changes no byte.
//
// Open reads the whole file into fresh records first and replaces the open
// project only when everything was read and validated: a damaged or cut
// short file, impossible counts or lengths, or a point, face or material
// naming a record that is not in the file change nothing and give
// "Cannot read project file (%s): the file is damaged or incomplete". A
// wrong magic or signature is refused silently. Save writes a temporary file
// beside the target and renames it over the target only when every write
// succeeded; on failure the old file is untouched and `modified` is kept.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "model/project.h"

namespace plenvista {

// The file starts with the magic number, the signature text and the version.
inline constexpr int kProjectFileMagic = 53;
inline constexpr const char* kProjectFileSignature = "PLEN";
inline constexpr int kProjectFileVersion = 13;

inline constexpr const char* kProjectOpenCaption = "Project Open";

// The control points are kept beside the project file
// (persistence/control_points_file.h): Save writes or removes that file
// after the project file, Open reads it when it is there, and a damaged one
// refuses the Open (Damaged, told) like a damaged project file.
//
// Writes the project at `project.path`. True on success: the undo baseline
// is reset and `modified` cleared. False on failure ("Cannot Open Project File",
// caption "Error"), the project unchanged.
bool save_project(Project& project);

// What became of an Open. Every failure leaves the project unchanged.
enum class OpenResult {
  Opened,
  CannotOpen,   // no path, or the file cannot be read (told, with the error code)
  NotAProject,  // wrong magic or signature: another kind of file (not told)
  Damaged,      // cut short or inconsistent (told)
};

// Reads the project at `project.path` (made absolute first). When Opened:
// images, model, export settings and CAD views replaced, photographs and the
// camera file found and the camera loaded, the undo baseline reset, mirror
// lists rebuilt, ImagesChanged and ModelChanged posted, `modified` unchanged.
OpenResult open_project(Project& project);

// Opens a project from bytes read elsewhere (a recovery copy) as Open does,
// keeping `project.path` as it is (absent for an untitled project):
// photographs and the camera file are found from the project's directory.
// `source` names the bytes in the damaged-file message. The control points
// come from `control_points` when given (the text a recovery copy carries),
// else from the side file of `project.path` when there is one.
OpenResult open_project_bytes(Project& project, std::span<const std::uint8_t> bytes, const std::string& source,
                              const std::optional<std::string>& control_points = std::nullopt);

// Everything a project file holds, read into fresh records.
struct ProjectFileContents {
  int version = 0;
  std::optional<std::string> camera_file_name;
  std::unique_ptr<ImageSet> images = std::make_unique<ImageSet>();
  ModelData model;
  bool has_export_settings = false;
  ExportSettings export_settings;
  bool has_cad_views = false;
  std::array<CadViewState, 3> cad_views{};
};

enum class DecodeStatus { Ok, WrongMagic, WrongSignature, Damaged };

// Decodes a whole file. `base` supplies the values a file of an older
// version does not hold (export settings, CAD views, colours, selection
// size and mode). Never reads outside `bytes` and never allocates from an
// unchecked count.
DecodeStatus decode_project(std::span<const std::uint8_t> bytes, const Project& base, ProjectFileContents& out);

// The version-13 bytes of a project.
std::string encode_project(const Project& project);

}  // namespace plenvista
