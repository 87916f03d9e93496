#include "photogrammetry/bitmap_size.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "base/binary_io.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

struct Header {
  std::int32_t width = 2272;
  std::int32_t height = 1704;
  std::int32_t info_size = 40;
  std::int32_t data_offset = 54;
  std::size_t file_size = 64;
};

std::string bitmap(const Header& h) {
  ByteWriter w;
  w.bytes("BM", 2);
  w.i32(static_cast<std::int32_t>(h.file_size));
  w.i32(0);
  w.i32(h.data_offset);
  w.i32(h.info_size);
  w.i32(h.width);
  w.i32(h.height);
  w.data().resize(h.file_size, '\0');
  return w.data();
}

struct BitmapFile : ::testing::Test {
  test_support::TempDir tmp;
  std::optional<BitmapSize> size_of(const std::string& bytes) { return read_bitmap_size(tmp.write("p.bmp", bytes)); }
};

using ReadBitmapSize = BitmapFile;

TEST_F(ReadBitmapSize, ReadsTheInfoHeaderSizes) {
  EXPECT_EQ(size_of(bitmap({})), (BitmapSize{2272, 1704}));
  EXPECT_EQ(size_of(bitmap({.height = -480})), (BitmapSize{2272, 480}));
  EXPECT_EQ(size_of(bitmap({.info_size = 124, .data_offset = 138, .file_size = 140})), (BitmapSize{2272, 1704}));
  // The oldest header holds two 16-bit sizes: width 0x0150, height 0x00F0.
  EXPECT_EQ(size_of(bitmap({.width = 0x00F00150, .info_size = 12, .data_offset = 26})), (BitmapSize{336, 240}));
}

TEST_F(ReadBitmapSize, RefusesWhatIsNotAPlausibleBitmap) {
  std::string not_bm = bitmap({});
  not_bm[0] = 'P';
  const std::vector<std::string> refused = {
      not_bm,
      bitmap({}).substr(0, 20),
      bitmap({.info_size = 0}),
      bitmap({.info_size = 4000, .data_offset = 4054, .file_size = 5000}),
      bitmap({.data_offset = 30}),
      bitmap({.data_offset = 65}),
      bitmap({.data_offset = 0x7FFFFFFF}),
      bitmap({.width = 0}),
      bitmap({.width = -5}),
      bitmap({.height = 0}),
      bitmap({.height = INT_MIN}),
  };
  for (const std::string& bytes : refused) EXPECT_EQ(size_of(bytes), std::nullopt);
  EXPECT_EQ(read_bitmap_size((tmp.path / "none.bmp").string()), std::nullopt);
}

struct NativeSize : BitmapFile {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  ProjectImage image;

  void SetUp() override {
    project.set_path(tmp.dir("project") + "p.op2");
    project.model.image_directories = ".;../photos";
    image.file_name = "a.bmp";
  }
};

using MatchesNativeSize = NativeSize;

TEST_F(MatchesNativeSize, StoresTheSizeFoundAlongTheDirectories) {
  tmp.write("photos/a.bmp", bitmap({}));
  EXPECT_TRUE(matches_native_size(project, image));
  EXPECT_EQ(image.pixel_width, 2272);
  tmp.write("project/a.bmp", bitmap({.width = 1136, .height = 852}));
  EXPECT_FALSE(matches_native_size(project, image));
  EXPECT_EQ(image.pixel_width, 1136);
  EXPECT_EQ(image.pixel_height, 852);
}

TEST_F(MatchesNativeSize, UnreadableFileKeepsTheSizeHeld) {
  image.pixel_width = 2272;
  image.pixel_height = 1704;
  EXPECT_TRUE(matches_native_size(project, image));
  tmp.write("project/a.bmp", "not a bitmap");
  image.pixel_width = 100;
  EXPECT_FALSE(matches_native_size(project, image));
  EXPECT_EQ(image.pixel_width, 100);
}

}  // namespace
}  // namespace plenvista
