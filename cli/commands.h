#pragma once

// The commands of plenvista-cli, callable without the argument parser, and
// their declarations for it (cli/cli_command.h). Each takes its parsed options, writes its report to io.out (for
// people, or one JSON document with `json`) and its messages to io.err, and returns the exit status: 0 success, 1
// failure (the project file untouched).
//
// Photograph positions are pixels of the photograph, x to the right, y
// down; world positions are model units.

#include <optional>
#include <string>
#include <vector>

#include "base/vec3.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "export/export_paths.h"

namespace plenvista {

struct InfoOptions {
  std::string project;
  bool json = false;
};
int run_info(CliIo& io, const InfoOptions& options);
void declare_info(CLI::App& app, CommandCall& chosen);

struct NewOptions {
  std::string project;
  std::optional<std::string> camera;       // camera file name, found along the directories
  std::optional<std::string> directories;  // ';'-separated image directories
};
int run_new(CliIo& io, const NewOptions& options);
void declare_new(CLI::App& app, CommandCall& chosen);

struct AddImageOptions {
  std::string project;
  std::string file;
  std::string description;
  std::optional<Point2> centre;  // approximate centre of a photograph of another size
  std::optional<double> scale;
};
int run_add_image(CliIo& io, const AddImageOptions& options);
void declare_add_image(CLI::App& app, CommandCall& chosen);

struct AddReferenceOptions {
  std::string project;
  int image = 0;
  Point2 at;  // photograph pixels
  Vec3 world;
};
int run_add_reference(CliIo& io, const AddReferenceOptions& options);
void declare_add_reference(CLI::App& app, CommandCall& chosen);

struct LocateOptions {
  std::string project;
  std::optional<int> image;  // none: every image whose reference points changed
  bool json = false;
};
int run_locate(CliIo& io, const LocateOptions& options);
void declare_locate(CLI::App& app, CommandCall& chosen);

struct AddPointOptions {
  std::string project;
  int image = 0;
  Point2 image_at;  // photograph pixels
  int partner = 0;
  Point2 partner_at;
  bool json = false;
};
int run_add_point(CliIo& io, const AddPointOptions& options);
void declare_add_point(CLI::App& app, CommandCall& chosen);

struct AddFaceOptions {
  std::string project;
  std::vector<int> points;  // three point ids in winding order
};
int run_add_face(CliIo& io, const AddFaceOptions& options);
void declare_add_face(CLI::App& app, CommandCall& chosen);

struct ExportCommandOptions {
  std::string project;
  ExportFormat format = ExportFormat::Obj;
  std::optional<std::string> output;  // default: the project's last path of the format
  // Unset options keep the project's stored export settings.
  std::optional<bool> textures;
  std::optional<bool> mirror;
  std::optional<bool> scaling;
  std::optional<bool> reverse_z;
};
int run_export(CliIo& io, const ExportCommandOptions& options);
void declare_export(CLI::App& app, CommandCall& chosen);

struct TextureOptions {
  std::string project;
  std::vector<std::string> materials;  // names; none: every material with a texture image
};
int run_texture(CliIo& io, const TextureOptions& options);
void declare_texture(CLI::App& app, CommandCall& chosen);

struct DumpOptions {
  std::string project;
};
int run_dump(CliIo& io, const DumpOptions& options);
void declare_dump(CLI::App& app, CommandCall& chosen);

struct ReportOptions {
  std::string project;
  bool json = false;
  std::optional<std::string> plot_directory;  // a PNG per located photograph: image-<id>.png
  double scale = 10.0;                        // residual lines drawn this many times their length
};
int run_report(CliIo& io, const ReportOptions& options);
void declare_report(CLI::App& app, CommandCall& chosen);

struct CalibrateOptions {
  std::string photograph;  // BMP file of the grid
  int rows = 0;
  int columns = 0;
  double cell_width_mm = 0.0;
  double cell_height_mm = 0.0;
  double distance_mm = 0.0;
  Point2 centre;                // a click near the central cross
  std::vector<Point2> corners;  // four clicks near the corners of the top-left cell
  std::string output;           // the camera file to write
  std::optional<std::string> notes;
  bool force = false;  // save a grid that fails its check
  bool json = false;
};
int run_calibrate(CliIo& io, const CalibrateOptions& options);
void declare_calibrate(CLI::App& app, CommandCall& chosen);

// Control point lists and GCP lists in (persistence/exchange_text.h for the
// formats). A file with lines that cannot be used imports nothing and
// names each line, unless `skip_bad_lines`: then the other lines are
// taken and the bad ones reported as warnings.
struct ImportListOptions {
  std::string project;
  std::string file;
  bool skip_bad_lines = false;
  bool json = false;
};
int run_import_points(CliIo& io, const ImportListOptions& options);
void declare_import_points(CLI::App& app, CommandCall& chosen);
int run_import_gcp(CliIo& io, const ImportListOptions& options);
void declare_import_gcp(CLI::App& app, CommandCall& chosen);

// The model's points, the reference marks as a GCP list, or the located
// cameras, written to `output` (relative to the working directory).
struct ExchangeExportOptions {
  std::string project;
  std::string output;
  bool transformed = false;                      // points: through the export transform
  std::optional<std::string> coordinate_system;  // GCP list: its first line
  bool camera_json = false;                      // cameras: JSON rather than CSV
  bool json = false;
};
int run_export_points(CliIo& io, const ExchangeExportOptions& options);
void declare_export_points(CLI::App& app, CommandCall& chosen);
int run_export_gcp(CliIo& io, const ExchangeExportOptions& options);
void declare_export_gcp(CLI::App& app, CommandCall& chosen);
int run_export_cameras(CliIo& io, const ExchangeExportOptions& options);
void declare_export_cameras(CLI::App& app, CommandCall& chosen);

// plenvista-cli snap PHOTOGRAPH X Y [--radius PX] [--json]: the feature
// under a rough position in a photograph (photogrammetry/mark_snap.h).
// X and Y are pixels from the photograph's top-left corner; --radius
// (photograph pixels, 1..64, default 8) is how far the feature may lie.
// Prints the refined position, the kind ("target", "corner" or "none"),
// how far it moved and how sure the fit is; with --json one document with
// `x`, `y`, `kind`, `moved_px` and `confidence`. A position with no feature
// under it is printed unchanged with kind "none" (success); an unreadable
// photograph or a position outside it fails with a message.
void declare_snap(CLI::App& app, CommandCall& chosen);

// grid-sheet: the printable calibration grid as PDF or SVG.
void declare_grid_sheet(CLI::App& app, CommandCall& chosen);
// measure: distances, angles and areas of the model.
void declare_measure(CLI::App& app, CommandCall& chosen);

}  // namespace plenvista
