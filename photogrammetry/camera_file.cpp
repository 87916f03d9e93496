#include "photogrammetry/camera_file.h"

#include <cstring>
#include <optional>

#include "base/binary_io.h"
#include "base/file_io.h"

namespace plenvista {

namespace {

constexpr std::size_t kMagicLength = sizeof kCameraFileMagic;  // with the zero byte
// Far above the largest camera file; only the two texts could make one larger.
constexpr std::size_t kMaxCameraFileBytes = std::size_t{64} << 20;

bool valid_grid_count(int count) { return count >= 1 && count <= kMaxGridCells; }

void write_tables(ByteWriter& out, const CameraModel& camera) {
  for (int i = 0; i < camera.rows; ++i)
    for (int j = 0; j < kMaxGridCells; ++j)
      for (double value : camera.cell(i, j).v) out.f64(value);
  for (int r = 0; r <= camera.rows; ++r)
    for (int c = 0; c < kCornerSlots; ++c) {
      out.f64(camera.corner(r, c).x);
      out.f64(camera.corner(r, c).y);
    }
}

void read_tables(ByteReader& in, CameraModel& camera) {
  for (int i = 0; i < camera.rows; ++i)
    for (int j = 0; j < kMaxGridCells; ++j)
      for (double& value : camera.cell(i, j).v) in.read_f64(value);
  for (int r = 0; r <= camera.rows; ++r)
    for (int c = 0; c < kCornerSlots; ++c) {
      in.read_f64(camera.corner(r, c).x);
      in.read_f64(camera.corner(r, c).y);
    }
}

bool has_magic(ByteReader& in) {
  std::int32_t length = 0;
  char magic[kMagicLength];
  return in.read_i32(length) && length == static_cast<std::int32_t>(kMagicLength) &&
         in.read_bytes(magic, kMagicLength) && std::memcmp(magic, kCameraFileMagic, kMagicLength) == 0;
}

}  // namespace

bool save_camera(const std::string& path, CameraModel& camera, MessageSink& messages) {
  if (!camera.has_tables() || !valid_grid_count(camera.rows) || !valid_grid_count(camera.columns)) {
    messages.show("Camera Has No Grid", "Error");
    return false;
  }
  if (!camera.cells_ready) derive_cells(camera);

  ByteWriter out;
  out.text(std::string_view(kCameraFileMagic));
  out.i32(camera.type_code);
  out.text(camera.notes);
  out.text(camera.image_file);
  out.i32(camera.rows);
  out.i32(camera.columns);
  out.f64(camera.cell_width_mm);
  out.f64(camera.cell_height_mm);
  out.f64(camera.distance_mm);
  out.f64(camera.centre_x);
  out.f64(camera.centre_y);
  out.i32(camera.native_width);
  out.i32(camera.native_height);
  write_tables(out, camera);

  switch (write_file_atomically(path, out.data())) {
    case WriteResult::Ok:
      return true;
    case WriteResult::CannotOpen:
      messages.show("Cannot Open Cal File", "Error");
      return false;
    case WriteResult::WriteFailed:
      break;
  }
  messages.show("Cannot Write Cal File", "Error");
  return false;
}

bool load_camera(const std::string& path, CameraModel& camera, MessageSink& messages) {
  const ReadResult file = read_whole_file(path, kMaxCameraFileBytes);
  if (!file.bytes) {
    messages.show("Cannot Open Camera File", "Error");
    return false;
  }
  ByteReader in(*file.bytes);
  if (!has_magic(in)) return false;

  CameraModel loaded = camera;
  std::int32_t rows = 0;
  std::int32_t columns = 0;
  in.read_i32(loaded.type_code);
  in.read_text(loaded.notes);
  in.read_text(loaded.image_file);
  in.read_i32(rows);
  in.read_i32(columns);
  in.read_f64(loaded.cell_width_mm);
  in.read_f64(loaded.cell_height_mm);
  in.read_f64(loaded.distance_mm);
  in.read_f64(loaded.centre_x);
  in.read_f64(loaded.centre_y);
  in.read_i32(loaded.native_width);
  in.read_i32(loaded.native_height);
  // The tables have a fixed size whatever the file says, and reading them
  // stops at the end of the bytes.
  const bool allocated = in.ok() && allocate_tables(loaded, rows, columns);
  if (allocated) read_tables(in, loaded);
  if (!allocated || !in.ok()) {
    messages.show("Damaged Camera File", "Error");
    return false;
  }
  loaded.cells_ready = 1;
  camera = std::move(loaded);
  return true;
}

}  // namespace plenvista
