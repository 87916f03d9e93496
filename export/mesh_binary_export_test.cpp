#include "export/mesh_binary_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#include "export/export_paths.h"
#include "export/export_test_model.h"
#include "export/obj_export.h"

namespace plenvista {
namespace {

using test_support::ExportFixture;
using test_support::read_with_assimp;
using Triangle = std::array<float, 9>;

using MeshExport = ExportFixture;

std::vector<Triangle> triangles_of(const test_support::ReadScene& scene) {
  std::vector<Triangle> out;
  for (const auto& t : scene.triangles) {
    Triangle flat{};
    for (std::size_t k = 0; k < 3; ++k)
      for (std::size_t c = 0; c < 3; ++c) flat[3 * k + c] = t.positions[k][static_cast<unsigned>(c)];
    out.push_back(flat);
  }
  std::sort(out.begin(), out.end());
  return out;
}

void expect_same_triangles(const std::vector<Triangle>& got, const std::vector<Triangle>& want, const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t i = 0; i < got.size(); ++i)
    for (std::size_t c = 0; c < 9; ++c) ASSERT_NEAR(got[i][c], want[i][c], 2e-4) << what << " triangle " << i;
}

// Every option combination on a random model: assimp reads the PLY and STL
// files as the same triangles, corners in the same order, as the OBJ export
// of the same settings.
TEST_F(MeshExport, PlyAndStlHoldTheTrianglesOfTheObjExportUnderEveryOption) {
  Material stray;
  build_random_model(7, stray);
  std::size_t previous = 0;
  for (int options = 0; options < 8; ++options) {
    SCOPED_TRACE(options);
    const ExportOptions chosen{1, options & 1, (options >> 1) & 1, (options >> 2) & 1};
    ASSERT_TRUE(export_from_dialog(project, ExportFormat::Obj, "model", chosen));
    ASSERT_TRUE(export_from_dialog(project, ExportFormat::Ply, "model", chosen));
    ASSERT_TRUE(export_from_dialog(project, ExportFormat::Stl, "model", chosen));
    const std::vector<Triangle> want = triangles_of(read_with_assimp(in_dir("model.obj")));
    // 59 faces written (one has a material outside the model), twice with the mirror.
    ASSERT_EQ(want.size(), chosen.use_mirror ? 59u + static_cast<std::size_t>(model.mirror_faces.count()) : 59u);
    expect_same_triangles(triangles_of(read_with_assimp(in_dir("model.ply"))), want, "PLY");
    expect_same_triangles(triangles_of(read_with_assimp(in_dir("model.stl"))), want, "STL");
    // The options change the numbers.
    const std::size_t hash = std::hash<std::string>{}(read_text(in_dir("model.stl")));
    EXPECT_NE(hash, previous);
    previous = hash;
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MeshExport, PlyVerticesCarryTheirFaceColourAndStlFacetsTheirNormal) {
  ModelPoint* a = add_point(0, 0, 0);
  ModelPoint* b = add_point(2, 0, 0);
  ModelPoint* c = add_point(0, 3, 0);
  ModelPoint* lone = add_point(5, 5, 5);
  model.materials.first()->face_colour = make_colour(200, 100, 50);
  add_face(a, b, c);

  const std::string ply = ply_bytes(model, settings);
  const std::string header_end = "end_header\n";
  const std::size_t body = ply.find(header_end) + header_end.size();
  EXPECT_NE(ply.find("element vertex 4\n"), std::string::npos);
  EXPECT_NE(ply.find("element face 1\n"), std::string::npos);
  ASSERT_EQ(ply.size(), body + 4 * 15 + 13);
  const auto colour_at = [&](std::size_t vertex) {
    const char* p = ply.data() + body + vertex * 15 + 12;
    return std::array<int, 3>{static_cast<unsigned char>(p[0]), static_cast<unsigned char>(p[1]),
                              static_cast<unsigned char>(p[2])};
  };
  EXPECT_EQ(colour_at(0), (std::array<int, 3>{200, 100, 50}));
  const Colour layer = lone->layer->colour;
  EXPECT_EQ(colour_at(3), (std::array<int, 3>{red_of(layer), green_of(layer), blue_of(layer)}));

  // "Reverse Z axis" reverses the winding, and so turns the normal over, as
  // in the OBJ export.
  for (const int reverse_z : {0, 1}) {
    settings.reverse_z = reverse_z;
    const std::string stl = stl_bytes(model, settings);
    ASSERT_EQ(stl.size(), 84u + 50u);
    EXPECT_NE(stl.rfind("solid", 0), 0u);
    std::uint32_t count = 0;
    std::memcpy(&count, stl.data() + 80, 4);
    EXPECT_EQ(count, 1u);
    std::array<float, 3> normal{};
    std::memcpy(normal.data(), stl.data() + 84, 12);
    EXPECT_EQ(normal, (std::array<float, 3>{0, 0, reverse_z ? -1.0f : 1.0f}));
    // The normal agrees with the written winding (right-handed).
    std::array<float, 9> v{};
    std::memcpy(v.data(), stl.data() + 96, 36);
    const float nz = (v[3] - v[0]) * (v[7] - v[1]) - (v[4] - v[1]) * (v[6] - v[0]);
    EXPECT_GT(nz * normal[2], 0.0f);
  }
}

TEST_F(MeshExport, AnEmptyModelGivesValidEmptyFiles) {
  const std::string ply = ply_bytes(model, settings);
  EXPECT_NE(ply.find("element vertex 0\n"), std::string::npos);
  EXPECT_NE(ply.find("element face 0\n"), std::string::npos);
  EXPECT_EQ(ply.substr(ply.size() - 11), "end_header\n");
  const std::string stl = stl_bytes(model, settings);
  EXPECT_EQ(stl.size(), 84u);
  EXPECT_EQ(stl.substr(80), std::string(4, '\0'));
  // A face whose material is not in the model is left out of both.
  Material stray;
  add_face(add_point(0, 0, 0), add_point(1, 0, 0), add_point(0, 1, 0), &stray);
  EXPECT_EQ(stl_bytes(model, settings).size(), 84u);
  EXPECT_NE(ply_bytes(model, settings).find("element face 0\n"), std::string::npos);
}

TEST_F(MeshExport, EndingsAreAddedOnceAndTheFileGoesBesideTheProject) {
  add_face(add_point(0, 0, 0), add_point(1, 0, 0), add_point(0, 1, 0));
  ASSERT_TRUE(export_from_dialog(project, ExportFormat::Stl, "part.STL", {}));
  ASSERT_TRUE(export_from_dialog(project, ExportFormat::Ply, "part", {}));
  EXPECT_TRUE(std::filesystem::exists(in_dir("part.STL")));
  EXPECT_TRUE(std::filesystem::exists(in_dir("part.ply")));
  EXPECT_EQ(settings.format, static_cast<int>(ExportFormat::Ply));
}

}  // namespace
}  // namespace plenvista
