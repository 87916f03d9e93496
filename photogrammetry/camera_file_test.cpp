#include "photogrammetry/camera_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "base/binary_io.h"
#include "base/file_io.h"
#include "testing/cameras.h"
#include "testing/random_texts.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::Shown;

struct CameraFile : ::testing::Test {
  test_support::TempDir tmp;
  test_support::RecordingMessages messages;
  std::string path = (tmp.path / "c.cal").string();
  CameraModel camera = test_support::grid_camera(14, 20);

  void SetUp() override {
    camera.image_file = "grid.bmp";
    camera.cell(3, 25).v[4] = 7.5;  // a slot beyond the grid
    camera.distance_mm = 812.5;
    camera.native_width = 3000;
    camera.native_height = 2000;
  }

  std::string saved_bytes() {
    EXPECT_TRUE(save_camera(path, camera, messages));
    const ReadResult read = read_whole_file(path);
    return read.bytes ? std::string(read.bytes->begin(), read.bytes->end()) : std::string();
  }
  void write(const std::string& bytes) { ASSERT_EQ(write_file_atomically(path, bytes), WriteResult::Ok); }
};

using SaveCamera = CameraFile;
using LoadCamera = CameraFile;

TEST_F(SaveCamera, WritesTheFixedLayoutAndLoadsBackIdentically) {
  const std::string bytes = saved_bytes();
  ASSERT_EQ(bytes.size(), 47855u);
  ByteReader in(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  std::int32_t magic_length = 0, type_code = 0, notes_length = 0, rows = 0, columns = 0, width = 0, height = 0;
  std::optional<std::string> image_file;
  double cell_width = 0, cell_height = 0, distance = 0;
  char magic[14];
  in.read_i32(magic_length);
  in.read_bytes(magic, 14);
  in.read_i32(type_code);
  in.read_i32(notes_length);
  in.read_text(image_file);
  in.read_i32(rows);
  in.read_i32(columns);
  in.read_f64(cell_width);
  in.read_f64(cell_height);
  in.read_f64(distance);
  in.skip(16);
  in.read_i32(width);
  in.read_i32(height);
  EXPECT_EQ(magic_length, 14);
  EXPECT_EQ(std::string(magic, 14), std::string("PLENCAMERACAL\0", 14));
  EXPECT_EQ(type_code, 1);
  EXPECT_EQ(notes_length, 0);
  EXPECT_EQ(image_file, "grid.bmp");
  EXPECT_EQ(rows, 14);
  EXPECT_EQ(columns, 20);
  EXPECT_EQ(distance, 812.5);
  EXPECT_EQ(width, 3000);
  EXPECT_EQ(height, 2000);
  EXPECT_EQ(in.position(), 95u);  // 86 fixed bytes + 9 of the image file name

  CameraModel loaded;
  ASSERT_TRUE(load_camera(path, loaded, messages));
  EXPECT_EQ(loaded, camera);
  EXPECT_EQ(loaded.cell(3, 25).v[4], 7.5);
  EXPECT_EQ(loaded.corner(14, 30), camera.corner(14, 30));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SaveCamera, DerivesAStaleCellTableFirst) {
  camera.corner(0, 1).x += 8;
  camera.cells_ready = 0;
  saved_bytes();
  EXPECT_EQ(camera.cells_ready, 1);
  CameraModel loaded;
  ASSERT_TRUE(load_camera(path, loaded, messages));
  EXPECT_EQ(loaded.cell(0, 0).v[2], camera.corner(0, 1).x);
  EXPECT_EQ(loaded.cell(0, 1).v[0], camera.corner(0, 1).x);
}

TEST_F(SaveCamera, FailuresAreReportedAndKeepTheOldFile) {
  EXPECT_FALSE(save_camera((tmp.path / "missing" / "c.cal").string(), camera, messages));
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"Cannot Open Cal File", "Error"}}));

  write("old");
  CameraModel empty;
  EXPECT_FALSE(save_camera(path, empty, messages));
  EXPECT_EQ(messages.shown.back(), (Shown{"Camera Has No Grid", "Error"}));
  EXPECT_EQ(read_whole_file(path).bytes->size(), 3u);
}

TEST_F(LoadCamera, OpenThenSaveKeepsEveryByteWithAbsentEmptyAndOtherTexts) {
  std::mt19937 random(15);
  std::uniform_real_distribution<double> number(-1e4, 1e4);
  std::uniform_int_distribution<int> grid(1, kMaxGridCells);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    // The file laid out field by field, every table slot a random number.
    const int rows = grid(random);
    ByteWriter file;
    file.text(std::string_view(kCameraFileMagic));
    file.i32(grid(random));
    file.text(test_support::random_stored_text(random));
    file.text(test_support::random_stored_text(random));
    file.i32(rows);
    file.i32(grid(random));
    for (int k = 0; k < 5; ++k) file.f64(number(random));
    file.i32(grid(random) * 100);
    file.i32(grid(random) * 100);
    for (int k = 0; k < rows * kMaxGridCells * 12 + (rows + 1) * kCornerSlots * 2; ++k) file.f64(number(random));
    write(file.data());
    CameraModel loaded;
    ASSERT_TRUE(load_camera(path, loaded, messages));
    camera = loaded;
    ASSERT_EQ(saved_bytes(), file.data());
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LoadCamera, MissingFileLeavesTheCameraAndSaysSo) {
  CameraModel before = camera;
  EXPECT_FALSE(load_camera((tmp.path / "none.cal").string(), camera, messages));
  EXPECT_EQ(camera, before);
  EXPECT_EQ(messages.shown, (std::vector<Shown>{{"Cannot Open Camera File", "Error"}}));
}

TEST_F(LoadCamera, MagicWithoutItsZeroByteIsRejectedSilently) {
  std::string bytes = saved_bytes();
  bytes.replace(0, 18, std::string("\x0d\0\0\0PLENCAMERACAL", 17));
  write(bytes);
  CameraModel target;
  EXPECT_FALSE(load_camera(path, target, messages));
  EXPECT_EQ(target, CameraModel{});
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LoadCamera, DamagedOrShortFilesLeaveTheCameraUnchanged) {
  const std::string good = saved_bytes();
  auto with_i32 = [&](std::size_t offset, std::int32_t value) {
    std::string bytes = good;
    ByteWriter w;
    w.i32(value);
    bytes.replace(offset, 4, w.data());
    return bytes;
  };
  const std::size_t rows_at = 18 + 4 + 4 + 4 + 9;
  const std::vector<std::string> damaged = {
      good.substr(0, good.size() - 1),  // last corner cut
      good.substr(0, 60),               // inside the fixed fields
      with_i32(rows_at, 0),
      with_i32(rows_at, 31),
      with_i32(rows_at + 4, 31),
      with_i32(rows_at + 4, -2),
      with_i32(rows_at, 15),     // says more rows than the file holds
      with_i32(22, 0x7FFFFFFF),  // notes longer than the file
  };
  CameraModel target = test_support::grid_camera(5, 6);
  const CameraModel before = target;
  for (const std::string& bytes : damaged) {
    write(bytes);
    messages.shown.clear();
    EXPECT_FALSE(load_camera(path, target, messages));
    EXPECT_EQ(target, before);
    EXPECT_EQ(messages.shown, (std::vector<Shown>{{"Damaged Camera File", "Error"}}));
  }
}

TEST_F(LoadCamera, FewerRowsClearTheRestOfTheTables) {
  CameraModel small = test_support::grid_camera(2, 3);
  ASSERT_TRUE(save_camera(path, small, messages));
  ASSERT_TRUE(load_camera(path, camera, messages));
  EXPECT_EQ(camera.rows, 2);
  EXPECT_EQ(camera.columns, 3);
  EXPECT_EQ(camera.corner(2, 30), small.corner(2, 30));
  EXPECT_EQ(camera.corner(3, 0), Point2{});
  EXPECT_EQ(camera.cell(2, 0), GridCell{});
  EXPECT_EQ(camera.image_file, std::nullopt);
  EXPECT_EQ(camera.cells_ready, 1);
}

}  // namespace
}  // namespace plenvista
