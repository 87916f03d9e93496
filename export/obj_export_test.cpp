#include "export/obj_export.h"

#include <gtest/gtest.h>

#include <clocale>

#include "export/export_test_model.h"
#include "model/layers_materials.h"
#include "model/mirror.h"

namespace plenvista {
namespace {

using Lines = std::vector<std::string>;
using test_support::ExportFixture;
using test_support::read_with_assimp;

using ExportObj = ExportFixture;

TEST_F(ExportObj, TwoPointsWithoutFacesGiveZeroNormalsAndEmptyMaterialGroups) {
  add_point(1.5, -2.25, 0.0);
  add_point(0.0, 0.0, 3.0);
  add_material(project, "Second");
  ASSERT_TRUE(export_obj(project, "model"));
  EXPECT_EQ(lines_of(read_text(in_dir("model.obj"))),
            (Lines{"g model", "mtllib model.mtl", "v 1.500000 -2.250000 -0.000000", "v 0.000000 0.000000 -3.000000",
                   "vn 0.000000 0.000000 0.000000", "vn 0.000000 0.000000 0.000000", "usemtl Default Material",
                   "usemtl Second"}));
  EXPECT_EQ(lines_of(read_text(in_dir("model.mtl"))),
            (Lines{"# Material File", "", "newmtl Default Material", "Ka 0.000000 0.000000 0.000000",
                   "Kd 0.750000 0.750000 0.750000", "Ks 0.000000 0.000000 0.000000", "Ns 0.000000", "", "newmtl Second",
                   "Ka 0.000000 0.000000 0.000000", "Kd 0.000000 0.000000 0.000000", "Ks 0.000000 0.000000 0.000000",
                   "Ns 0.000000", ""}));
  EXPECT_EQ(settings.last_obj_path, "model");
  EXPECT_EQ(settings.mtl_name, "model.mtl");
  EXPECT_EQ(settings.obj_path, in_dir("model.obj"));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(read_with_assimp(in_dir("model.obj")).materials.size(), 3u);  // assimp adds its default material
}

TEST_F(ExportObj, ReverseZKeepsZAndReversesTheWinding) {
  ModelPoint* a = add_point(0, 0, 0);
  ModelPoint* b = add_point(1, 0, 0);
  ModelPoint* c = add_point(0, 1, 0);
  add_face(a, b, c);
  ASSERT_TRUE(export_obj(project, "plain"));
  settings.reverse_z = 1;
  ASSERT_TRUE(export_obj(project, "reversed"));
  const Lines plain = lines_of(read_text(in_dir("plain.obj")));
  const Lines reversed = lines_of(read_text(in_dir("reversed.obj")));
  EXPECT_EQ(plain[2], "v 0.000000 0.000000 -0.000000");
  EXPECT_EQ(reversed[2], "v 0.000000 0.000000 0.000000");
  EXPECT_EQ(plain.back(), "f 1//1 2//2 3//3");
  EXPECT_EQ(reversed.back(), "f 1//1 3//3 2//2");
  // The face normal's z follows the frame; assimp sees the written winding.
  EXPECT_EQ(plain[5], "vn 0.000000 0.000000 1.000000");
  EXPECT_EQ(reversed[5], "vn 0.000000 0.000000 -1.000000");
  const auto scene = read_with_assimp(in_dir("reversed.obj"));
  ASSERT_EQ(scene.triangles.size(), 1u);
  EXPECT_EQ(scene.triangles[0].positions[1], aiVector3D(0, 1, 0));
  EXPECT_EQ(scene.triangles[0].positions[2], aiVector3D(1, 0, 0));
  EXPECT_EQ(read_with_assimp(in_dir("plain.obj")).triangles.at(0).positions[1], aiVector3D(1, 0, 0));
}

TEST_F(ExportObj, OriginOffsetAlwaysAddedScaleOnlyWithUseScaling) {
  add_point(1, 2, 3);
  model.transform.scale = 2.0;
  model.transform.origin_offset = {1, 0, 0};
  settings.reverse_z = 1;
  ASSERT_TRUE(export_obj(project, "scaled"));
  settings.use_scaling = 0;
  ASSERT_TRUE(export_obj(project, "unscaled"));
  EXPECT_EQ(lines_of(read_text(in_dir("scaled.obj")))[2], "v 4.000000 4.000000 6.000000");
  EXPECT_EQ(lines_of(read_text(in_dir("unscaled.obj")))[2], "v 2.000000 2.000000 3.000000");
  EXPECT_EQ(settings.scale, 2.0);
  EXPECT_EQ(settings.origin_offset, (Vec3{1, 0, 0}));
}

struct MirroredModel : ExportFixture {
  MirroredModel() {
    ModelPoint* a = add_point(10, 0, 0);
    ModelPoint* b = add_point(10, 5, 0);
    ModelPoint* on_plane = add_point(0, 0, 5);  // inside the buffer band: shared by both faces
    ModelFace* face = add_face(a, b, on_plane);
    face->texture_coords = {add_coord(a, 0.25, 0.5), add_coord(b, 0.75, 0.0), add_coord(on_plane, 0.5, 0.25)};
    model.transform.mirror_plane = MirrorPlane::X;
    rebuild_mirror_lists(model);
  }
};
using ExportObjMirror = MirroredModel;

TEST_F(ExportObjMirror, UseMirrorAppendsTheMirrorListsAndTheirNumbering) {
  ASSERT_EQ(model.mirror_points.count(), 2);
  ASSERT_EQ(model.mirror_faces.count(), 1);
  ASSERT_TRUE(export_obj(project, "with"));
  settings.use_mirror = 0;
  ASSERT_TRUE(export_obj(project, "without"));
  const Lines with = lines_of(read_text(in_dir("with.obj")));
  const Lines without = lines_of(read_text(in_dir("without.obj")));
  // 5 v, 5 vn, 6 vt, usemtl, 2 f.
  ASSERT_EQ(with.size(), 2u + 5 + 5 + 6 + 1 + 2);
  EXPECT_EQ(with[5], "v -10.000000 0.000000 -0.000000");
  EXPECT_EQ(with[12], "vt 0.250000 0.500000");
  EXPECT_EQ(with[13], "vt 0.750000 1.000000");
  EXPECT_EQ(with[19], "f 1/1/1 2/2/2 3/3/3");
  EXPECT_EQ(with[20], "f 4/4/4 3/6/3 5/5/5");  // mirror winding first, third, second
  ASSERT_EQ(without.size(), 2u + 3 + 3 + 3 + 1 + 1);
  EXPECT_EQ(without.back(), "f 1/1/1 2/2/2 3/3/3");

  const auto scene = read_with_assimp(in_dir("with.obj"));
  ASSERT_EQ(scene.triangles.size(), 2u);
  EXPECT_EQ(scene.triangles[1].positions[0], aiVector3D(-10, 0, -0.0f));
  EXPECT_EQ(scene.triangles[1].uvs[0], aiVector3D(0.25f, 0.5f, 0));
  EXPECT_EQ(scene.triangles[1].uvs[2], aiVector3D(0.75f, 1.0f, 0));
  EXPECT_EQ(read_with_assimp(in_dir("without.obj")).triangles.size(), 1u);

  model.faces.first()->texture_coords[2] = nullptr;  // a corner without coordinate
  ASSERT_TRUE(export_obj(project, "partial"));
  EXPECT_EQ(lines_of(read_text(in_dir("partial.obj"))).back(), "f 1/1/1 2/2/2 3//3");
  EXPECT_EQ(read_with_assimp(in_dir("partial.obj")).triangles.size(), 1u);
}

TEST_F(ExportObjMirror, NormalsAreTheSameOnASecondExport) {
  ASSERT_TRUE(export_obj(project, "first"));
  ASSERT_TRUE(export_obj(project, "second"));
  const std::string first = read_text(in_dir("first.obj"));
  EXPECT_NE(first.find("vn -0.447214 0.000000 0.894427"), std::string::npos);
  const std::string second = read_text(in_dir("second.obj"));
  EXPECT_EQ(first.substr(first.find("vn")), second.substr(second.find("vn")));
}

TEST_F(ExportObj, FacesAreGroupedPerMaterialInFaceOrder) {
  Material* red = add_material(project, "Red");
  red->face_colour = make_colour(255, 0, 0);
  Material* white = add_material(project, "White");
  white->face_colour = make_colour(255, 255, 255);
  ProjectImage photo;
  photo.file_name = "photo 1.bmp";
  photo.resolved_path = "/elsewhere/photo 1.bmp";
  white->texture_image = &photo;
  ModelPoint* p[4] = {add_point(0, 0, 0), add_point(1, 0, 0), add_point(0, 1, 0), add_point(1, 1, 0)};
  add_face(p[0], p[1], p[2], white);
  add_face(p[1], p[3], p[2], red);
  add_face(p[2], p[1], p[0], white);
  ASSERT_TRUE(export_obj(project, "grouped"));
  const Lines obj = lines_of(read_text(in_dir("grouped.obj")));
  EXPECT_EQ(Lines(obj.end() - 6, obj.end()), (Lines{"usemtl Default Material", "usemtl Red", "f 2//2 4//4 3//3",
                                                    "usemtl White", "f 1//1 2//2 3//3", "f 3//3 2//2 1//1"}));
  const std::string mtl = read_text(in_dir("grouped.mtl"));
  EXPECT_NE(mtl.find("newmtl White\r\nKa 0.000000 0.000000 0.000000\r\nKd 0.996094 0.996094 0.996094\r\n"
                     "Ks 0.000000 0.000000 0.000000\r\nNs 0.000000\r\nmap_Kd photo 1.bmp\r\n\r\n"),
            std::string::npos);

  const auto scene = read_with_assimp(in_dir("grouped.obj"));
  ASSERT_EQ(scene.triangles.size(), 3u);
  std::vector<std::string> face_materials;
  for (const auto& t : scene.triangles) face_materials.push_back(t.material);
  std::sort(face_materials.begin(), face_materials.end());
  EXPECT_EQ(face_materials, (std::vector<std::string>{"Red", "White", "White"}));
  bool white_seen = false;
  for (const auto& m : scene.materials) {
    if (m.name != "White") continue;
    white_seen = true;
    EXPECT_FLOAT_EQ(m.diffuse.r, 0.996094f);
    EXPECT_EQ(m.texture, "photo 1.bmp");
  }
  EXPECT_TRUE(white_seen);

  settings.use_textures = 0;
  ASSERT_TRUE(export_obj(project, "untextured"));
  EXPECT_EQ(read_text(in_dir("untextured.mtl")).find("map_Kd"), std::string::npos);
  EXPECT_EQ(read_with_assimp(in_dir("untextured.obj")).triangles.size(), 3u);
  white->texture_image = nullptr;
}

TEST_F(ExportObj, ABareNameGoesToTheProjectDirectoryAPathToItsDirectory) {
  add_point(0, 0, 0);
  const auto sub = dir / "sub";
  std::filesystem::create_directories(sub);
  ASSERT_TRUE(export_obj(project, (sub / "mesh").string()));
  EXPECT_TRUE(std::filesystem::exists(sub / "mesh.obj"));
  EXPECT_TRUE(std::filesystem::exists(sub / "mesh.mtl"));
  EXPECT_EQ(lines_of(read_text((sub / "mesh.obj").string()))[1], "mtllib mesh.mtl");
  // The other separator splits too.
  ASSERT_TRUE(export_obj(project, dir.string() + "\\win"));
  EXPECT_EQ(settings.base_name, "win");
  EXPECT_EQ(settings.base_directory, dir.string() + "\\");
  EXPECT_EQ(settings.export_base, dir.string() + "\\win");
}

TEST_F(ExportObj, AFileThatCannotBeOpenedDoesNotStopTheOther) {
  add_point(0, 0, 0);
  std::filesystem::create_directories(in_dir("m.mtl.plenvista-part"));  // blocks the library's temporary file
  EXPECT_FALSE(export_obj(project, "m"));
  EXPECT_EQ(messages.shown, (std::vector<test_support::Shown>{{"Cannot Open Export File", "Error"}}));
  EXPECT_FALSE(std::filesystem::exists(in_dir("m.mtl")));
  EXPECT_EQ(lines_of(read_text(in_dir("m.obj")))[1], "mtllib m.mtl");
  EXPECT_EQ(settings.mtl_name, "m.mtl");
}

TEST_F(ExportObj, AFailedWriteLeavesNoPartialFileAndSaysSo) {
  add_point(0, 0, 0);
  // A non-empty directory where the OBJ goes makes the final rename fail.
  std::filesystem::create_directories(in_dir("m.obj/inside"));
  EXPECT_FALSE(export_obj(project, "m"));
  EXPECT_EQ(messages.shown,
            (std::vector<test_support::Shown>{{"Cannot write export file (" + in_dir("m.obj") + ")", "Error"}}));
  EXPECT_TRUE(std::filesystem::is_directory(in_dir("m.obj")));
  EXPECT_FALSE(std::filesystem::exists(in_dir("m.obj.plenvista-part")));
  EXPECT_TRUE(std::filesystem::exists(in_dir("m.mtl")));
}

TEST_F(ExportObjMirror, AnExportUnderADecimalCommaLocaleWritesTheSameBytes) {
  model.transform.scale = 1.25;
  ASSERT_TRUE(export_obj(project, "c"));
  const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8", "it_IT.UTF-8"};
  const char* switched = nullptr;
  for (const char* name : names) {
    if (std::setlocale(LC_ALL, name) && *std::localeconv()->decimal_point == ',') {
      switched = name;
      break;
    }
    std::setlocale(LC_ALL, "C");
  }
  if (!switched) GTEST_SKIP() << "no locale with a decimal comma is installed";
  const bool written = export_obj(project, "local");
  std::setlocale(LC_ALL, "C");
  ASSERT_TRUE(written);
  const std::string c_text = read_text(in_dir("c.obj"));
  std::string local_text = read_text(in_dir("local.obj"));
  ASSERT_EQ(local_text.substr(0, 9), "g local\r\n");
  EXPECT_EQ(local_text.substr(local_text.find("\r\nv ")), c_text.substr(c_text.find("\r\nv ")));
  EXPECT_EQ(read_text(in_dir("local.mtl")), read_text(in_dir("c.mtl")));
}

}  // namespace
}  // namespace plenvista
