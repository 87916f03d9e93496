// Writes a seed corpus for the fuzz targets: a small but complete project in
// every file version from 1 to 13, a new project, and any further seeds the
// other readers want.
//   make_seeds OUTPUT_DIR

#include <filesystem>
#include <fstream>
#include <iostream>

#include "base/binary_io.h"
#include "model/image_management.h"
#include "model/layers_materials.h"
#include "persistence/project_file.h"
#include "photogrammetry/camera_file.h"
#include "testing/cameras.h"
#include "testing/legacy_project_writer.h"
#include "testing/recorders.h"

int main(int argc, char** argv) {
  using namespace plenvista;
  if (argc != 2) {
    std::cerr << "usage: make_seeds OUTPUT_DIR\n";
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out / "project");
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project(store, notifier, messages);
  auto write = [&](const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  };
  write(out / "project" / "new.op2", encode_project(project));

  ModelData& m = project.model;
  Layer* layer = add_layer(project, "Roof", 0x00FF00);
  m.visible_layers.insert(layer);
  Material* material = add_material(project, "Brick");
  auto image = std::make_unique<ProjectImage>();
  image->description = "front";
  image->file_name = "front.bmp";
  ProjectImage* front = add_image(project, std::move(image));
  front->partner = front;
  add_reference_point(project, *front, {1, 2, 3}, {4, 5});
  material->texture_image = front;
  ModelPoint* corners[3];
  for (int i = 0; i < 3; ++i) {
    auto p = std::make_unique<ModelPoint>();
    p->id = m.new_id();
    p->x = i;
    p->layer = layer;
    corners[i] = m.points.insert(std::move(p));
  }
  auto tc = std::make_unique<TextureCoord>();
  tc->id = m.new_id();
  tc->point = corners[0];
  TextureCoord* coord = m.texture_coords.insert(std::move(tc));
  auto face = std::make_unique<ModelFace>();
  face->id = m.new_id();
  face->corners = {corners[0], corners[1], corners[2]};
  face->texture_coords = {coord, nullptr, nullptr};
  face->material = material;
  m.faces.insert(std::move(face));
  project.camera_file_name = "camera.cal";
  for (int version = 1; version <= 13; ++version)
    write(out / "project" / ("v" + std::to_string(version) + ".op2"),
          test_support::encode_project_version(project, version));

  std::filesystem::create_directories(out / "camera_file");
  CameraModel camera = test_support::grid_camera(3, 4);
  camera.notes = "seed";
  if (!save_camera((out / "camera_file" / "small.cal").string(), camera, messages)) return 1;

  // A 2 x 2 bottom-up 24-bit bitmap: file header, 40-byte info header, two
  // padded rows of pixels.
  std::filesystem::create_directories(out / "bitmap_size");
  ByteWriter bmp;
  bmp.bytes("BM", 2);
  bmp.i32(14 + 40 + 16);
  bmp.i32(0);
  bmp.i32(14 + 40);
  bmp.i32(40);
  bmp.i32(2);
  bmp.i32(2);
  bmp.bytes("\x01\x00\x18\x00", 4);
  for (int i = 0; i < 6; ++i) bmp.i32(0);
  bmp.bytes(std::string(16, '\x7f').data(), 16);
  write(out / "bitmap_size" / "tiny.bmp", bmp.data());
  return 0;
}
