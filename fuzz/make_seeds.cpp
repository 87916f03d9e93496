// Writes the seed folders of the fuzz targets (scripts/fuzz.sh maps each
// target to one): project (a small but complete project in every file
// version from 1 to 13 and a new project), camera_file, bitmap (bitmaps in
// the layouts the decoder reads), photo (those and small JPEG, PNG and TIFF
// photographs), grid (grid photographs with the clicks
// on their top-left cell), search (reference points of known poses),
// orientation (tie points marked in photographs of known poses), marks
// (marks lists) and side_file (control and tie point side files).
//   make_seeds OUTPUT_DIR

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>

#include "base/binary_io.h"
#include "fuzz/orientation_input.h"
#include "fuzz/scene_inputs.h"
#include "fuzz/tie_inputs.h"
#include "model/image_management.h"
#include "model/layers_materials.h"
#include "model/tie_points.h"
#include "persistence/control_points_file.h"
#include "persistence/exchange_text.h"
#include "persistence/project_file.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/image_search.h"
#include "photogrammetry/projection.h"
#include "testing/cameras.h"
#include "testing/legacy_project_writer.h"
#include "testing/orientation_scenes.h"
#include "testing/recorders.h"
#include "testing/search_scenes.h"
#include "testing/synthetic_grid.h"

namespace {

using namespace plenvista;

struct BitmapSeed {
  const char* name;
  int width;
  int height;       // negative: rows top-down
  int bits;         // bits per pixel
  int compression;  // 0 plain rows, 1 run-length 8-bit, 3 bit-field masks
  int header_size;  // 40, or 12 for the old core header
};

std::vector<BitmapSeed> bitmap_seeds() {
  return {{"rgb24.bmp", 3, 2, 24, 0, 40},    {"top-down24.bmp", 2, -2, 24, 0, 40}, {"grey8.bmp", 5, 3, 8, 0, 40},
          {"mono1.bmp", 9, 2, 1, 0, 40},     {"nibble4.bmp", 3, 3, 4, 0, 40},      {"rle8.bmp", 4, 2, 8, 1, 40},
          {"fields32.bmp", 2, 2, 32, 3, 40}, {"core24.bmp", 2, 2, 24, 0, 12}};
}

// A small Windows bitmap in the layout `seed` names, with made-up pixels.
std::string bitmap(const BitmapSeed& seed) {
  const int rows = seed.height < 0 ? -seed.height : seed.height;
  const int stride = (seed.width * seed.bits + 31) / 32 * 4;
  std::string pixels;
  if (seed.compression == 1) {
    for (int y = 0; y < rows; ++y) pixels += std::string{char(seed.width), char(1 + y), 0, 0};
    pixels += std::string{0, 1};
  } else {
    for (int i = 0; i < stride * rows; ++i) pixels += static_cast<char>(i * 37 + 11);
  }
  const int palette_entries = seed.bits <= 8 ? 1 << seed.bits : 0;
  const int masks = seed.compression == 3 ? 12 : 0;
  const int offset = 14 + seed.header_size + masks + palette_entries * (seed.header_size == 12 ? 3 : 4);
  ByteWriter w;
  w.bytes("BM", 2);
  w.i32(offset + static_cast<int>(pixels.size()));
  w.i32(0);
  w.i32(offset);
  w.i32(seed.header_size);
  auto u16 = [&](int v) { w.bytes(std::string{char(v & 0xFF), char(v >> 8)}.data(), 2); };
  if (seed.header_size == 12) {
    u16(seed.width);
    u16(seed.height);
    u16(1);
    u16(seed.bits);
  } else {
    w.i32(seed.width);
    w.i32(seed.height);
    u16(1);
    u16(seed.bits);
    w.i32(seed.compression);
    w.i32(static_cast<int>(pixels.size()));
    for (int i = 0; i < 4; ++i) w.i32(i == 2 ? palette_entries : 0);
  }
  if (masks) {
    w.i32(0x00FF0000);
    w.i32(0x0000FF00);
    w.i32(0x000000FF);
  }
  for (int i = 0; i < palette_entries; ++i) {
    const char g = static_cast<char>(i * 255 / (palette_entries - 1));
    w.bytes(std::string(3, g).data(), 3);
    if (seed.header_size != 12) w.bytes("\0", 1);
  }
  w.bytes(pixels.data(), pixels.size());
  return w.data();
}

}  // namespace

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

  std::filesystem::create_directories(out / "bitmap");
  for (const BitmapSeed& seed : bitmap_seeds()) write(out / "bitmap" / seed.name, bitmap(seed));

  std::filesystem::create_directories(out / "photo");
  for (const BitmapSeed& seed : bitmap_seeds()) write(out / "photo" / seed.name, bitmap(seed));
  QImage picture(6, 4, QImage::Format_RGB32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) picture.setPixel(x, y, qRgb(x * 40, y * 60, 200 - x * y * 8));
  for (const char* format : {"jpg", "png", "tif"}) {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, format)) return 1;
    write(out / "photo" / (std::string("small.") + format), encoded.toStdString());
  }

  std::filesystem::create_directories(out / "grid");
  for (const auto& [name, grid, columns, rows] :
       {std::tuple{
            "cells4x2.bin",
            test_support::SyntheticGrid{128, 56, test_support::evenly(12, 25, 5), test_support::evenly(10, 22, 3)}, 4,
            2},
        std::tuple{"cells3x2-noisy.bin",
                   test_support::SyntheticGrid{96, 72, test_support::evenly(10, 26, 4), test_support::evenly(8, 26, 3)},
                   3, 2}}) {
    test_support::SyntheticGrid g = grid;
    if (columns == 3) g.noise = 12;
    const RgbImage photograph = test_support::draw_grid(g);
    fuzzing::GridInput input;
    input.width = g.width;
    input.height = g.height;
    input.columns = columns;
    input.rows = rows;
    const double x0 = g.line_x[0], x1 = g.line_x[1], y0 = g.line_y[0], y1 = g.line_y[1];
    input.clicks = {Point2{g.width / 2.0 + 3, g.height / 2.0 - 2}, Point2{x0 + 2, y0 + 3}, Point2{x1 - 2, y0 + 1},
                    Point2{x1 + 1, y1 - 3}, Point2{x0 - 2, y1 + 2}};
    for (int y = 0; y < photograph.height(); ++y)
      for (int x = 0; x < photograph.width(); ++x) input.grey.push_back(photograph.pixel(x, y).r);
    write(out / "grid" / name, fuzzing::write_grid_input(input));
  }

  // Reference points seen from known poses: beside the origin, and around it.
  std::filesystem::create_directories(out / "search");
  std::mt19937 rng(7);
  const std::tuple<const char*, int, Vec3, Vec3, Vec3> scenes[] = {
      {"beside-origin.bin", 4, {0, 0, 0}, {600, 400, 300}, {1500, 900, 2600}},
      {"amid-origin.bin", 8, {-400, -300, -200}, {400, 300, 200}, {-900, 700, 2400}}};
  for (const auto& [name, count, low, high, eye] : scenes) {
    test_support::SearchScene scene;
    const Vec3 centre{(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
    scene.mark(test_support::box_points(rng, count, low, high), pose_looking_at(eye, centre, {0, 1, 0}));
    std::vector<fuzzing::SearchPoint> points;
    for (const ReferencePoint* r : scene.image.reference_points)
      points.push_back({r->world_position, r->image_position});
    write(out / "search" / name, fuzzing::write_search_input(points));
  }

  // Twenty tie points seen from three and from five photographs, one with
  // the axes and a distance, one with a wrong mark.
  std::filesystem::create_directories(out / "orientation");
  for (const auto& [name, photographs, datum, wrong] :
       {std::tuple{"three-photographs.bin", 3, false, false}, std::tuple{"five-with-datum.bin", 5, true, true}}) {
    const Vec3 target{300, 200, -150};
    test_support::OrientationScene scene = test_support::orientation_scene(
        test_support::pinhole_camera(), test_support::box_points(rng, 20, {0, 0, -300}, {600, 400, 0}),
        test_support::ring_eyes(photographs, target, 1600, 700, 120), target, 0.3, 5);
    for (std::size_t k = 0; k < scene.input.photographs.size(); ++k)
      for (OrientationMark& m : scene.input.marks)
        if (m.photograph_id == scene.input.photographs[k].id) m.photograph_id = static_cast<int>(k) + 1;
    scene.input.photographs.resize(static_cast<std::size_t>(photographs));
    if (datum) {
      scene.input.axes = DatumAxes{"P0", "P1", "P2"};
      scene.input.distances = {{"P0", "P1", 600}};
    }
    if (wrong) scene.input.marks[7].position.x += 50;
    write(out / "orientation" / name, fuzzing::write_orientation_input(scene.input));
  }

  // Marks lists, and the side file of the project they make with one tie
  // point placed, a result on a mark and one photograph without its marks.
  std::filesystem::create_directories(out / "marks");
  std::filesystem::create_directories(out / "side_file");
  const std::string marks =
      "# label pixel_x pixel_y image_name\nA 10 20 front.jpg\nT1\t100.5\t-3\tfront.jpg\nT1 7 8 side.jpg\n"
      "\"T 2\"\t1e2\t600\tside.jpg\nT3 1 2 missing.jpg\n";
  write(out / "marks" / "mixed.txt", marks);
  write(out / "marks" / "bad-lines.txt", "T1 1\nT1 x 2 front.jpg\nT1 1 2 front.jpg\nT1 3 4 front.jpg\n");
  {
    Project ties(store, notifier, messages);
    fuzzing::fill_tie_project(ties);
    if (!import_labelled_marks(ties, parse_marks_list(marks).marks)) return 1;
    write(out / "side_file" / "unplaced.csv", encode_control_points(ties.model, ties.images()));
    place_tie_point(ties, *find_tie_point(ties.model, "T1"), Vec3{4, 5, 6});
    find_tie_point(ties.model, "T1")->precision = TiePrecision{{0.5, 0.25, 1}, 2, 12.5};
    ties.images().images.first()->reference_points.last()->orientation_residual = 0.5;
    ties.images().images.first()->reference_points.last()->orientation_outlier = true;
    write(out / "side_file" / "placed.csv", encode_control_points(ties.model, ties.images()));
  }
  return 0;
}
