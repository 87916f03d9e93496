#include "model/find_file.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace plenvista {
namespace {

TEST(DirectoryForEntry, WalksRelativeEntriesFromTheProjectDirectory) {
  EXPECT_EQ(directory_for_entry(".", "/home/ann/models/house/"), "/home/ann/models/house/");
  EXPECT_EQ(directory_for_entry("..\\..\\camera", "/home/ann/models/house/"), "/home/ann/camera/");
  EXPECT_EQ(directory_for_entry("./photos/./raw", "/p/"), "/p/photos/raw/");
  EXPECT_EQ(directory_for_entry("../../../..", "/a/b/"), "/");
  EXPECT_EQ(directory_for_entry("photos", "/p/"), "/p/photos/");
  EXPECT_EQ(directory_for_entry("..", "C:\\work\\house\\"), "C:/work/");
}

TEST(DirectoryForEntry, TakesAbsoluteEntriesAsTheyAre) {
  EXPECT_EQ(directory_for_entry("/data/../cams", "/p/"), "/data/../cams/");
  EXPECT_EQ(directory_for_entry("\\data\\cams\\", "/p/"), "/data/cams/");
  EXPECT_EQ(directory_for_entry("D:\\cams", "/p/"), "D:/cams/");
}

TEST(DirectoryForEntry, UntitledProjectStartsFromTheWorkingDirectory) {
  EXPECT_EQ(directory_for_entry(".", ""), "");
  EXPECT_EQ(directory_for_entry("..\\camera", ""), "../camera/");
  EXPECT_EQ(directory_for_entry("../..", "../"), "../../../");
}

TEST(FindFileAlongDirectories, FirstOpenableEntryWins) {
  test_support::TempDir tmp;
  const std::string project = tmp.dir("models/house");
  const std::string camera = tmp.write("camera/c.cal", "cal");
  const std::string absolute = tmp.write("abs/c.cal", "cal");
  tmp.write("models/house/photos/front.bmp", "bmp");
  std::string backslashed = tmp.dir("abs");
  for (char& c : backslashed)
    if (c == '/') c = '\\';

  EXPECT_EQ(find_file_along_directories(".;..\\..\\camera", project, "c.cal"), camera);
  EXPECT_EQ(find_file_along_directories(";;" + backslashed + ";..\\..\\camera", project, "c.cal"), absolute);
  EXPECT_EQ(find_file_along_directories(".;./photos", project, "front.bmp"), project + "photos/front.bmp");
  EXPECT_EQ(find_file_along_directories(".;", project, "c.cal"), std::nullopt);
  EXPECT_EQ(find_file_along_directories("", project, "c.cal"), std::nullopt);
}

TEST(FindFileAlongDirectories, SkipsADirectoryOfThatName) {
  test_support::TempDir tmp;
  const std::string project = tmp.dir("p");
  tmp.write("p/c.cal/inner", "x");
  const std::string file = tmp.write("q/c.cal", "cal");
  EXPECT_EQ(find_file_along_directories(".;../q", project, "c.cal"), file);
}

}  // namespace
}  // namespace plenvista
