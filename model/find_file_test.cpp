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

// A photograph chosen by its full path: reached when the list finds this
// very file; otherwise the entry that reaches its folder, relative to the
// project where that stays near it.
TEST(ReachFullPath, ReachedOrTheEntryThatReachesItsFolder) {
  test_support::TempDir tmp;
  const std::string project = tmp.dir("work/house");
  const std::string inside = tmp.write("work/house/photos/a.jpg", "a");
  const std::string beside = tmp.write("work/shoot/b.jpg", "b");
  const std::string shadowed = tmp.write("work/house/c.jpg", "c");
  const std::string other_c = tmp.write("work/shoot/c.jpg", "c2");
  using State = FullPathReach::State;

  EXPECT_EQ(reach_full_path(".;", project, shadowed).state, State::Reached);
  std::string backslashed = shadowed;
  for (char& c : backslashed)
    if (c == '/') c = '\\';
  EXPECT_EQ(reach_full_path(".;", project, backslashed).state, State::Reached);

  const FullPathReach photos = reach_full_path(".;", project, inside);
  EXPECT_EQ(photos.state, State::FolderMissing);
  EXPECT_EQ(photos.entry, "photos");
  EXPECT_EQ(photos.folder + "/", tmp.dir("work/house/photos"));
  EXPECT_EQ(reach_full_path(".;", project, beside).entry, "../shoot");
  // A file of the same name found first elsewhere is not this one.
  EXPECT_EQ(reach_full_path(".;", project, other_c).state, State::FolderMissing);
  // An untitled project: the absolute folder.
  EXPECT_EQ(reach_full_path(".;", "", beside).entry + "/", tmp.dir("work/shoot"));

  EXPECT_EQ(reach_full_path(".;", project, tmp.file("work/none.jpg")).state, State::NotAFile);
  EXPECT_EQ(reach_full_path(".;", project, "a.jpg").state, State::NotAFile);
  EXPECT_EQ(reach_full_path(".;", project, tmp.dir("work/house")).state, State::NotAFile);

  EXPECT_EQ(with_directory(".;", "photos"), ".;photos;");
  EXPECT_EQ(with_directory(".", "../shoot"), ".;../shoot;");
  EXPECT_EQ(with_directory("", "/x"), "/x;");
}

}  // namespace
}  // namespace plenvista
