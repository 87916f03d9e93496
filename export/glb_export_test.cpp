#include "export/glb_export.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

#include "export/export_paths.h"
#include "export/export_test_model.h"
#include "export/normals.h"
#include "model/mirror.h"
#include "testing/cameras.h"

namespace plenvista {
namespace {

using test_support::read_with_assimp;

// Two materials in the model's order, the second textured by a photograph;
// a third material without faces.
struct GlbModel : test_support::ExportFixture {
  Material* plain = nullptr;
  Material* skin = nullptr;
  ProjectImage photo;
  EmbeddedImage jpeg{std::string("\xFF\xD8\xFF\xE0 not decoded by the reader", 30), "image/jpeg"};

  GlbModel() {
    plain = model.materials.first();
    plain->name = "Plain \"quoted\"";
    plain->face_colour = 0x0000FF;  // red
    skin = add_material("Skin");
    add_material("Unused");
    photo.file_name = "front.jpg";
    skin->texture_image = &photo;
    ModelPoint* a = add_point(0, 0, 0);
    ModelPoint* b = add_point(10, 0, 0);
    ModelPoint* c = add_point(0, 10, 5);
    ModelPoint* d = add_point(10, 10, 5);
    ModelFace* textured = add_face(a, b, c, skin);
    textured->texture_coords = {add_coord(a, 0.1, 0.2), add_coord(b, 0.9, 0.2), add_coord(c, 0.1, 0.8)};
    add_face(b, d, c, plain);
    add_face(a, c, b, plain);  // the back of the first: point a in two primitives
  }
  Material* add_material(const std::string& name) {
    auto* m = new Material{};
    m->id = model.new_id();
    m->name = name;
    return model.materials.insert(m);
  }
  std::string glb() {
    copy_transform(settings, model.transform);
    return glb_bytes(model, settings, [&](const Material& m) { return m.texture_image ? &jpeg : nullptr; });
  }
};

std::uint32_t u32_at(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

TEST_F(GlbModel, AssimpReadsOnePrimitivePerMaterialWithTheEmbeddedPhotograph) {
  model.transform.origin_offset = {1, 2, 3};
  const std::string bytes = glb();
  ASSERT_EQ(bytes.substr(0, 4), "glTF");
  EXPECT_EQ(u32_at(bytes, 8), bytes.size());
  EXPECT_EQ(u32_at(bytes, 12) % 4, 0u);

  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, "glb");
  ASSERT_NE(scene, nullptr) << importer.GetErrorString();
  ASSERT_EQ(scene->mNumMeshes, 2u);  // "Unused" has no faces
  const aiMesh& first = *scene->mMeshes[0];
  const aiMesh& second = *scene->mMeshes[1];
  EXPECT_EQ(first.mNumFaces, 2u);  // the plain material comes first in the model
  EXPECT_EQ(first.mNumVertices, 4u);
  EXPECT_FALSE(first.HasTextureCoords(0));
  ASSERT_EQ(second.mNumFaces, 1u);
  ASSERT_TRUE(second.HasTextureCoords(0));
  ASSERT_TRUE(second.HasNormals());

  // Corner order kept, z negated, origin offset added; v as stored (the
  // reader turns it to its own bottom-left origin).
  const aiFace& face = second.mFaces[0];
  EXPECT_EQ(second.mVertices[face.mIndices[1]], aiVector3D(11, 2, -3));
  EXPECT_EQ(second.mVertices[face.mIndices[2]], aiVector3D(1, 12, -8));
  EXPECT_NEAR(second.mTextureCoords[0][face.mIndices[2]].y, 0.2f, 1e-6);
  const aiVector3D n = second.mNormals[face.mIndices[0]];
  EXPECT_NEAR(n.Length(), 1.0, 1e-5);

  const aiMaterial& plain_read = *scene->mMaterials[first.mMaterialIndex];
  const aiMaterial& skin_read = *scene->mMaterials[second.mMaterialIndex];
  aiString name;
  ASSERT_EQ(plain_read.Get(AI_MATKEY_NAME, name), AI_SUCCESS);
  EXPECT_STREQ(name.C_Str(), "Plain \"quoted\"");
  aiColor4D colour;
  ASSERT_EQ(plain_read.Get(AI_MATKEY_BASE_COLOR, colour), AI_SUCCESS);
  EXPECT_FLOAT_EQ(colour.r, 1.0f);
  EXPECT_FLOAT_EQ(colour.g, 0.0f);
  aiString texture;
  ASSERT_EQ(skin_read.GetTexture(aiTextureType_DIFFUSE, 0, &texture), AI_SUCCESS);
  const aiTexture* embedded = scene->GetEmbeddedTexture(texture.C_Str());
  ASSERT_NE(embedded, nullptr) << texture.C_Str();
  EXPECT_EQ(embedded->mHeight, 0u);
  ASSERT_EQ(embedded->mWidth, jpeg.bytes.size());
  EXPECT_EQ(std::memcmp(embedded->pcData, jpeg.bytes.data(), jpeg.bytes.size()), 0);

  settings.use_textures = 0;
  const std::string without = glb();
  const aiScene* untextured = importer.ReadFileFromMemory(without.data(), without.size(), 0, "glb");
  ASSERT_NE(untextured, nullptr) << importer.GetErrorString();
  EXPECT_EQ(untextured->mNumTextures, 0u);
}

TEST_F(GlbModel, ReverseZMirrorAndAnEmptyModel) {
  model.transform.mirror_plane = MirrorPlane::X;
  rebuild_mirror_lists(model);
  settings.reverse_z = 1;
  std::string bytes = glb();
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, "glb");
  ASSERT_NE(scene, nullptr) << importer.GetErrorString();
  unsigned faces = 0;
  for (unsigned i = 0; i < scene->mNumMeshes; ++i) faces += scene->mMeshes[i]->mNumFaces;
  EXPECT_EQ(faces, 6u);
  const aiMesh& skin_mesh = *scene->mMeshes[1];
  // Winding reversed, z kept: corners 0, 2, 1.
  EXPECT_EQ(skin_mesh.mVertices[skin_mesh.mFaces[0].mIndices[1]], aiVector3D(0, 10, 5));

  settings.use_mirror = 0;
  model.faces.clear();
  bytes = glb();
  const aiScene* empty = importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, "glb");
  ASSERT_NE(empty, nullptr) << importer.GetErrorString();
  EXPECT_EQ(empty->mNumMeshes, 0u);
}

TEST_F(GlbModel, LocatedCamerasBecomeCameraNodesSeeingTheModelAsTheyDid) {
  CameraModel camera = test_support::pinhole_camera();
  ImageSet set;
  ProjectImage& image = *set.images.insert(std::make_unique<ProjectImage>());
  image.file_name = "front.jpg";
  image.camera = &camera;
  image.pose = {{-10, 20, -300}, {10, 20, 30}};
  image.pose_known = 1;
  const std::vector<LocatedCamera> cameras = located_cameras(set);
  ASSERT_EQ(cameras.size(), 1u);
  model.transform.origin_offset = {1, 2, 3};
  model.transform.scale = 2;
  settings.use_scaling = 1;
  copy_transform(settings, model.transform);
  const std::string bytes = glb_bytes(
      model, settings, [](const Material&) -> const EmbeddedImage* { return nullptr; }, cameras);

  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, "glb");
  ASSERT_NE(scene, nullptr) << importer.GetErrorString();
  EXPECT_EQ(scene->mNumCameras, 1u);
  const aiNode* node = scene->mRootNode->FindNode("front.jpg");
  ASSERT_NE(node, nullptr);
  aiMatrix4x4 camera_from_export = node->mTransformation;
  camera_from_export.Inverse();

  // A model point seen from the exported camera in the export frame is
  // where the located camera saw it, scaled, with x mirrored as z is.
  const Vec3 p{5, -7, 11};
  const auto& m = cameras[0].world_from_camera;
  const Vec3 d{p.x - m[3], p.y - m[7], p.z - m[11]};
  const Vec3 seen{m[0] * d.x + m[4] * d.y + m[8] * d.z, m[1] * d.x + m[5] * d.y + m[9] * d.z,
                  m[2] * d.x + m[6] * d.y + m[10] * d.z};
  const aiVector3D exported(static_cast<float>(2 * (p.x + 1)), static_cast<float>(2 * (p.y + 2)),
                            static_cast<float>(-2 * (p.z + 3)));
  const aiVector3D seen_exported = camera_from_export * exported;
  EXPECT_NEAR(seen_exported.x, -2 * seen.x, 1e-2);
  EXPECT_NEAR(seen_exported.y, 2 * seen.y, 1e-2);
  EXPECT_NEAR(seen_exported.z, 2 * seen.z, 1e-2);
}

TEST_F(GlbModel, ExportFromDialogWritesTheFileAndWarnsOfAMissingPhotograph) {
  project.model.image_directories = ".";
  const ExportOptions options{1, 0, 1, 1};
  ASSERT_TRUE(export_from_dialog(project, ExportFormat::Glb, "model", options));
  EXPECT_EQ(settings.format, 2);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find("The photograph front.jpg cannot be found: the material Skin is exported "
                                        "without its texture."),
            std::string::npos)
      << messages.shown[0].text;
  EXPECT_EQ(read_with_assimp(in_dir("model.glb")).triangles.size(), 3u);

  const std::string file = in_dir("front.jpg");
  {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(jpeg.bytes.data(), 1, jpeg.bytes.size(), f);
    std::fclose(f);
  }
  ASSERT_TRUE(export_from_dialog(project, ExportFormat::Glb, "model.GLB", options));
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(read_text(in_dir("model.GLB")).find("image/jpeg") != std::string::npos, true);

  // Under a decimal-comma locale the bytes are the same.
  const std::string before = read_text(in_dir("model.GLB"));
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no locale with a decimal comma is installed";
  model.transform.scale = 0.5;
  ASSERT_TRUE(export_from_dialog(project, ExportFormat::Glb, "comma", options));
  std::setlocale(LC_ALL, "C");
  ASSERT_TRUE(export_from_dialog(project, ExportFormat::Glb, "point", options));
  EXPECT_EQ(read_text(in_dir("comma.glb")), read_text(in_dir("point.glb")));
  EXPECT_NE(before, read_text(in_dir("point.glb")));
}

}  // namespace
}  // namespace plenvista
