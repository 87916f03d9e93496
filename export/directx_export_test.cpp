#include "export/directx_export.h"

#include <gtest/gtest.h>

#include "export/export_test_model.h"
#include "model/layers_materials.h"

namespace plenvista {
namespace {

using test_support::ExportFixture;
using test_support::read_with_assimp;

struct TexturedTriangle : ExportFixture {
  ModelPoint* a = add_point(0, 0, 0);
  ModelPoint* b = add_point(1, 0, 0);
  ModelPoint* c = add_point(0, 1, 0);
  ModelFace* face = add_face(a, b, c);
  TexturedTriangle() { face->texture_coords = {add_coord(a, 0, 0.25), add_coord(b, 1, 0.5), add_coord(c, 0, 1)}; }
};
using ExportDirectX = TexturedTriangle;

TEST_F(ExportDirectX, WritesTheMeshWithItsSeparatorsAndLineEnds) {
  ASSERT_TRUE(export_directx(project, "tri.x"));
  EXPECT_EQ(read_text(in_dir("tri.x")),
            "xof 0303txt 0032\r\n"
            "Mesh {\r\n"
            " 3;\r\n"
            " 0.000000;0.000000;-0.000000;,\r\n"
            " 1.000000;0.000000;-0.000000;,\r\n"
            " 0.000000;1.000000;-0.000000;;\r\n"
            " 1;\r\n"
            " 3;0,1,2;;\r\n"
            " MeshNormals {\r\n"
            "  3;\r\n"
            "  0.000000;0.000000;1.000000;,\r\n"
            "  0.000000;0.000000;1.000000;,\r\n"
            "  0.000000;0.000000;1.000000;;\r\n"
            "  1;\r\n"
            "  3;0,1,2;;\r\n"
            " }\r\n"
            " MeshTextureCoords {\r\n"
            "  3;\r\n"
            "  0.000000;0.250000;,\r\n"
            "  1.000000;0.500000;,\r\n"
            "  0.000000;1.000000;;\r\n"
            " }\r\n"
            " MeshMaterialList {\r\n"
            "  1;\r\n"
            "  1;\r\n"
            "  0;\r\n"
            "  Material {\r\n"
            "   0.750000; 0.750000; 0.750000; 1.000000;;\r\n"
            "   0.000000;\r\n"
            "   0.003906; 0.003906; 0.003906;;\r\n"
            "   0.296875; 0.296875; 0.296875;;\r\n"
            "  }\r\n"
            " }\r\n"
            "}\r\n");
  EXPECT_EQ(settings.last_x_path, "tri.x");
  // assimp turns the clockwise DirectX winding round: it lists c, b, a.
  const auto scene = read_with_assimp(in_dir("tri.x"));
  ASSERT_EQ(scene.triangles.size(), 1u);
  EXPECT_EQ(scene.triangles[0].positions[0], aiVector3D(0, 1, 0));
  EXPECT_EQ(scene.triangles[0].positions[1], aiVector3D(1, 0, 0));
  EXPECT_EQ(scene.triangles[0].positions[2], aiVector3D(0, 0, 0));
  EXPECT_FLOAT_EQ(scene.triangles[0].uvs[1].y, 0.5f);
  ASSERT_EQ(scene.materials.size(), 1u);
  EXPECT_FLOAT_EQ(scene.materials[0].diffuse.g, 0.75f);
}

TEST_F(ExportDirectX, ReverseZReversesTheCornersInFacesAndNormals) {
  settings.reverse_z = 1;
  ASSERT_TRUE(export_directx(project, "rev.x"));
  const std::string text = read_text(in_dir("rev.x"));
  EXPECT_NE(text.find(" 0.000000;0.000000;0.000000;,\r\n"), std::string::npos);
  EXPECT_NE(text.find(" 1;\r\n 3;0,2,1;;\r\n"), std::string::npos);
  EXPECT_NE(text.find("  1;\r\n  3;0,2,1;;\r\n }\r\n"), std::string::npos);
  EXPECT_NE(text.find("  0.000000;0.000000;-1.000000;;\r\n"), std::string::npos);
  const auto scene = read_with_assimp(in_dir("rev.x"));
  ASSERT_EQ(scene.triangles.size(), 1u);  // read back as b, c, a
  EXPECT_EQ(scene.triangles[0].positions[0], aiVector3D(1, 0, 0));
  EXPECT_EQ(scene.triangles[0].positions[1], aiVector3D(0, 1, 0));
}

TEST_F(ExportDirectX, APointWithTwoCoordinatesIsTwoVerticesWithOnePositionAndNormal) {
  ModelPoint* d = add_point(1, 1, 0);
  ModelFace* second = add_face(b, d, c);
  second->texture_coords = {add_coord(b, 0.5, 0.5), add_coord(d, 1, 1), add_coord(c, 0.5, 1)};
  ASSERT_TRUE(export_directx(project, "two.x"));
  const auto lines = lines_of(read_text(in_dir("two.x")));
  // Vertices per coordinate: a b c b d c.
  ASSERT_EQ(lines[2], " 6;");
  EXPECT_EQ(lines[4], lines[6].substr(0, lines[6].size() - 1) + ",");
  EXPECT_EQ(lines[4], " 1.000000;0.000000;-0.000000;,");
  EXPECT_EQ(lines[10], " 3;0,1,2;,");
  EXPECT_EQ(lines[11], " 3;3,4,5;;");
  EXPECT_EQ(lines[15], lines[17]);  // b's normal, both times
  const auto scene = read_with_assimp(in_dir("two.x"));
  ASSERT_EQ(scene.triangles.size(), 2u);
  EXPECT_EQ(scene.triangles[1].positions[2], aiVector3D(1, 0, 0));  // b, read back last
  EXPECT_FLOAT_EQ(scene.triangles[1].uvs[2].x, 0.5f);
  EXPECT_FLOAT_EQ(scene.triangles[0].uvs[1].x, 1.0f);
}

TEST_F(ExportDirectX, TexturesOffNumbersPointsAndTemplatesComeFirst) {
  Material* red = add_material(project, "Red");
  red->face_colour = make_colour(255, 0, 0);
  face->material = red;
  ProjectImage photo;
  photo.file_name = "side.bmp";
  red->texture_image = &photo;
  settings.write_templates = 1;
  ASSERT_TRUE(export_directx(project, "red.x"));
  const std::string text = read_text(in_dir("red.x"));
  EXPECT_TRUE(
      text.starts_with("xof 0303txt 0032\r\n\r\ntemplate Vector {\r\n <3d82ab5e-62da-11cf-ab39-0020af71e433>\r\n"));
  EXPECT_NE(text.find("  [...]\r\n}\r\n\r\nMesh {\r\n"), std::string::npos);
  EXPECT_NE(text.find("  Material {\r\n   0.996094; 0.000000; 0.000000; 1.000000;;\r\n   0.000000;\r\n"
                      "   0.000000; 0.000000; 0.000000;;\r\n   0.000000; 0.000000; 0.000000;;\r\n"
                      "   TextureFilename {\r\n    \"side.bmp\";\r\n   }\r\n  }\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("  2;\r\n  1;\r\n  1;\r\n  Material {"), std::string::npos);
  auto scene = read_with_assimp(in_dir("red.x"));
  ASSERT_EQ(scene.triangles.size(), 1u);
  EXPECT_FLOAT_EQ(scene.triangles[0].uvs[1].y, 0.5f);  // v as stored
  bool red_seen = false;
  for (const auto& m : scene.materials) {
    if (m.texture != "side.bmp") continue;
    red_seen = true;
    EXPECT_FLOAT_EQ(m.diffuse.r, 0.996094f);
  }
  EXPECT_TRUE(red_seen);

  settings.use_textures = 0;
  settings.write_normals = 0;
  ASSERT_TRUE(export_directx(project, "plain.x"));
  const std::string plain = read_text(in_dir("plain.x"));
  EXPECT_EQ(plain.find("TextureFilename"), std::string::npos);
  EXPECT_EQ(plain.find("MeshNormals"), std::string::npos);
  EXPECT_NE(plain.find("-0.000000;;\r\n 1;\r\n 3;0,1,2;;\r\n MeshMaterialList"), std::string::npos);
  scene = read_with_assimp(in_dir("plain.x"));
  EXPECT_EQ(scene.triangles.size(), 1u);
  red->texture_image = nullptr;
}

TEST_F(ExportDirectX, ACornerWithoutCoordinateGivesIndexZeroAModelWithoutAnyIsWrittenPerPoint) {
  face->texture_coords[1] = nullptr;
  ASSERT_TRUE(export_directx(project, "gap.x"));
  EXPECT_NE(read_text(in_dir("gap.x")).find(" 3;0,0,2;;\r\n"), std::string::npos);
  EXPECT_EQ(read_with_assimp(in_dir("gap.x")).triangles.size(), 1u);

  // Textures on, no coordinates at all, a textured material and a second face.
  ProjectImage photo;
  photo.file_name = "side.bmp";
  model.materials.first()->texture_image = &photo;
  add_face(a, c, add_point(1, 1, 0));
  face->texture_coords = {};
  model.texture_coords.clear();
  settings.use_textures = 1;
  ASSERT_TRUE(export_directx(project, "none.x"));
  const std::string text = read_text(in_dir("none.x"));
  const auto lines = lines_of(text);
  EXPECT_EQ(lines[2], " 4;");  // every point is a vertex
  EXPECT_EQ(lines[7], " 2;");
  EXPECT_EQ(lines[8], " 3;0,1,2;,");
  EXPECT_EQ(lines[9], " 3;0,2,3;;");
  EXPECT_EQ(text.find("MeshTextureCoords"), std::string::npos);
  EXPECT_NE(text.find("    \"side.bmp\";\r\n"), std::string::npos);

  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(in_dir("none.x"), aiProcess_ValidateDataStructure);
  ASSERT_NE(scene, nullptr) << importer.GetErrorString();
  ASSERT_EQ(scene->mNumMeshes, 1u);
  EXPECT_EQ(scene->mMeshes[0]->mNumVertices, 6u);  // the reader unshares the corners of its two faces
  EXPECT_EQ(scene->mMeshes[0]->mNumFaces, 2u);
  EXPECT_FALSE(scene->mMeshes[0]->HasTextureCoords(0));
  model.materials.first()->texture_image = nullptr;
}

TEST_F(ExportDirectX, NoFacesWritesZeroCounts) {
  model.faces.clear();
  ASSERT_TRUE(export_directx(project, "nofaces.x"));
  const std::string text = read_text(in_dir("nofaces.x"));
  EXPECT_NE(text.find(";;\r\n 0;\r\n MeshNormals"), std::string::npos);
  EXPECT_NE(text.find(" MeshMaterialList {\r\n  1;\r\n  0;\r\n  Material {"), std::string::npos);
  EXPECT_TRUE(read_with_assimp(in_dir("nofaces.x")).triangles.empty());
}

TEST_F(ExportDirectX, AFileThatCannotBeOpenedChangesNothing) {
  settings.last_x_path = "before.x";
  model.transform.scale = 5.0;
  EXPECT_FALSE(export_directx(project, in_dir("missing/out.x")));
  EXPECT_EQ(messages.shown, (std::vector<test_support::Shown>{{"Cannot Open Export File", "Error"}}));
  EXPECT_EQ(settings.last_x_path, "before.x");
  EXPECT_EQ(settings.scale, 1.0);
}

}  // namespace
}  // namespace plenvista
