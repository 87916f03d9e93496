#include "export/export_paths.h"

#include <gtest/gtest.h>

#include "export/export_test_model.h"

namespace plenvista {
namespace {

using test_support::ExportFixture;
using ExportFromDialog = ExportFixture;

TEST(SplitExportPath, ABareNameJoinsTheProjectDirectoryAPathIsKept) {
  ExportSettings s;
  s.base_directory = "stale/";
  split_export_path("model", "/projects/car/", s);
  EXPECT_EQ(s.base_name, "model");
  EXPECT_EQ(s.base_directory, "");
  EXPECT_EQ(s.export_base, "/projects/car/model");
  split_export_path("model", "", s);  // untitled project: the working directory
  EXPECT_EQ(s.export_base, "model");
  split_export_path("out\\sub/mesh.x", "/projects/car/", s);
  EXPECT_EQ(s.base_directory, "out\\sub/");
  EXPECT_EQ(s.base_name, "mesh.x");
  EXPECT_EQ(s.export_base, "out\\sub/mesh.x");
  split_export_path("/", "/projects/", s);
  EXPECT_EQ(s.base_name, "");
  EXPECT_EQ(s.export_base, "/");
}

TEST_F(ExportFromDialog, ObjNamesCutOnlyAFinalDotObj) {
  add_point(0, 0, 0);
  const struct {
    std::string typed, base;
  } cases[] = {{"model.OBJ", "model"}, {"model", "model"},          {"model.txt", "model.txt"}, {"", ""},
               {".obj", ""},           {"mesh.obj.OBJ", "mesh.obj"}};
  for (const auto& c : cases) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(export_from_dialog(project, ExportFormat::Obj, c.typed, {})) << c.typed;
    EXPECT_TRUE(std::filesystem::exists(in_dir(c.base + ".obj"))) << c.typed;
    EXPECT_TRUE(std::filesystem::exists(in_dir(c.base + ".mtl"))) << c.typed;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 2);
    EXPECT_EQ(settings.last_obj_path, c.base);
    EXPECT_EQ(settings.mtl_name, c.base + ".mtl");
  }
  EXPECT_EQ(lines_of(read_text(in_dir("mesh.obj.obj")))[0], "g mesh.obj");
  test_support::read_with_assimp(in_dir("mesh.obj.obj"));
  EXPECT_EQ(settings.format, 1);
}

TEST_F(ExportFromDialog, DirectXNamesGetDotXUnlessTheyHaveIt) {
  const struct {
    std::string typed, written;
  } cases[] = {{"model", "model.x"}, {"model.X", "model.X"}, {"", ".x"}, {"x", "x.x"}, {"model.obj", "model.obj.x"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(export_from_dialog(project, ExportFormat::DirectX, c.typed, {})) << c.typed;
    EXPECT_TRUE(std::filesystem::exists(in_dir(c.written))) << c.typed;
    EXPECT_EQ(settings.last_x_path, c.written);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 5);
  EXPECT_EQ(settings.format, 0);
  EXPECT_FALSE(settings.last_obj_path.has_value());
}

TEST_F(ExportFromDialog, StoresTheOptionsAndExportsWithThem) {
  add_point(0, 0, 0);
  ExportOptions options;
  options.use_textures = 0;
  options.reverse_z = 1;
  options.use_scaling = 0;
  options.use_mirror = 0;
  model.transform.scale = 3.0;
  ASSERT_TRUE(export_from_dialog(project, ExportFormat::DirectX, "opts", options));
  EXPECT_EQ(settings.use_textures, 0);
  EXPECT_EQ(settings.reverse_z, 1);
  EXPECT_EQ(settings.use_scaling, 0);
  EXPECT_EQ(settings.use_mirror, 0);
  const std::string text = read_text(in_dir("opts.x"));
  EXPECT_NE(text.find(" 1;\r\n 0.000000;0.000000;0.000000;;\r\n"), std::string::npos);  // one unscaled vertex, z kept
  EXPECT_EQ(text.find("MeshTextureCoords"), std::string::npos);
}

}  // namespace
}  // namespace plenvista
