#pragma once

// The camera file (".cal"): a flat little-endian dump of a CameraModel.
//
//   text     magic, always "PLENCAMERACAL" (length 14 with its zero byte)
//   int32    type_code
//   text     notes, image_file         (length 0: absent)
//   int32    rows, columns             (each 1..30)
//   double   cell_width_mm, cell_height_mm, distance_mm, centre_x, centre_y
//   int32    native_width, native_height
//   rows cell rows of 30 slots x 12 doubles (2880 bytes each)
//   rows + 1 corner rows of 31 slots x (x, y) doubles (496 bytes each)
//
// Slots beyond the grid are part of each row and are kept both ways. No
// padding, no checksum.
//
// save_camera derives the cell table first when it is not ready, so the
// file's cells always match its corners. It writes a temporary file beside
// the target and renames it over the target only when every write
// succeeded. It refuses a camera without grid tables. Failures are shown
// through the sink (caption "Error") and return false.
//
// load_camera fills the camera in place, and only once the whole file has
// been read and checked: a missing or unreadable file ("Cannot Open Camera
// File"), a wrong magic (no message), rows or columns outside 1..30 or a file
// that ends before its tables ("Damaged Camera File") leave the camera as it
// was and return false. A loaded camera has `cells_ready` 1: the stored cell
// table is used as it is.

#include <string>

#include "model/camera_model.h"
#include "model/user_messages.h"

namespace plenvista {

inline constexpr char kCameraFileMagic[] = "PLENCAMERACAL";

bool save_camera(const std::string& path, CameraModel& camera, MessageSink& messages);
bool load_camera(const std::string& path, CameraModel& camera, MessageSink& messages);

}  // namespace plenvista
