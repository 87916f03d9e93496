#pragma once

// Test support for the exporters: a project in a temporary directory, model
// building shortcuts and what an independent reader (assimp) sees in a file.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "base/file_io.h"
#include "base/settings_store.h"
#include "model/layers_materials.h"
#include "model/mirror.h"
#include "model/project.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista::test_support {

struct ExportFixture : ::testing::Test {
  TempDir temp;
  const std::filesystem::path& dir = temp.path;
  MemorySettingsStore store;
  RecordingNotifier notifier;
  RecordingMessages messages;
  Project project{store, notifier, messages};
  ModelData& model = project.model;
  ExportSettings& settings = project.export_settings;

  ExportFixture() { project.directory = dir.string() + "/"; }

  std::string in_dir(const std::string& name) const { return (dir / name).string(); }

  ModelPoint* add_point(double x, double y, double z) {
    auto* p = new ModelPoint{};
    p->id = model.new_id();
    p->x = x;
    p->y = y;
    p->z = z;
    p->layer = model.current_layer;
    return model.points.insert(p);
  }
  TextureCoord* add_coord(ModelPoint* point, double u, double v) {
    auto* t = new TextureCoord{};
    t->id = model.new_id();
    t->u = u;
    t->v = v;
    t->point = point;
    return model.texture_coords.insert(t);
  }
  ModelFace* add_face(ModelPoint* a, ModelPoint* b, ModelPoint* c, Material* material = nullptr) {
    auto* f = new ModelFace{};
    f->id = model.new_id();
    f->corners = {a, b, c};
    f->material = material ? material : model.materials.first();
    return model.faces.insert(f);
  }

  // A random model: two layers and three materials of random colours, 40
  // points, 60 faces of three distinct corners, the mirror plane X with its
  // copies, a random origin offset and scale, and one face whose material is
  // not in the model's list (every export leaves it out).
  void build_random_model(unsigned seed, Material& stray_material) {
    std::mt19937 random{seed};
    const auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    const auto pick = [&](int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); };
    const auto colour = [&] {
      return make_colour(static_cast<std::uint8_t>(pick(256)), static_cast<std::uint8_t>(pick(256)),
                         static_cast<std::uint8_t>(pick(256)));
    };
    model.transform.origin_offset = {real(-5, 5), real(-5, 5), real(-5, 5)};
    model.transform.scale = real(0.5, 3);
    model.transform.mirror_plane = MirrorPlane::X;
    model.transform.mirror_buffer = 0.01;
    model.current_layer->colour = colour();
    Layer* wall = add_layer(project, "Wall 2", colour());
    std::vector<Material*> materials{model.materials.first(), add_material(project, "Brick"),
                                     add_material(project, "Roof tiles")};
    for (Material* m : materials) m->face_colour = colour();
    std::vector<ModelPoint*> points;
    for (int i = 0; i < 40; ++i) {
      points.push_back(add_point(real(-20, 20), real(-20, 20), real(-20, 20)));
      if (pick(2)) points.back()->layer = wall;
    }
    for (int i = 0; i < 60; ++i) {
      const int a = pick(40);
      const int b = (a + 1 + pick(38)) % 40;
      int c = pick(40);
      while (c == a || c == b) c = pick(40);
      add_face(points[static_cast<std::size_t>(a)], points[static_cast<std::size_t>(b)],
               points[static_cast<std::size_t>(c)], materials[static_cast<std::size_t>(pick(3))]);
    }
    rebuild_mirror_lists(model);
    model.faces.first()->material = &stray_material;
  }

  static std::string read_text(const std::string& path) {
    const ReadResult read = read_whole_file(path);
    return read.bytes ? std::string(read.bytes->begin(), read.bytes->end()) : std::string("<missing>");
  }
  // The lines of a CR LF file, without their ends; "<bare LF>" marks a line
  // ended by LF alone.
  static std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      if (end == start || text[end - 1] != '\r')
        lines.push_back("<bare LF>");
      else
        lines.push_back(text.substr(start, end - 1 - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
    return lines;
  }
};

// One triangle as an independent reader sees it.
struct ReadTriangle {
  std::string material;
  std::array<aiVector3D, 3> positions;
  std::array<aiVector3D, 3> uvs;  // zero without texture coordinates
};

struct ReadMaterial {
  std::string name;
  aiColor3D diffuse;
  std::string texture;  // empty without one
};

struct ReadScene {
  std::vector<ReadTriangle> triangles;
  std::vector<ReadMaterial> materials;
  std::size_t meshes = 0;
};

// Imports a file with assimp (no post-processing; a scene with meshes is
// validated); fails the test when assimp refuses it.
inline ReadScene read_with_assimp(const std::string& path) {
  ReadScene out;
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path, 0);
  if (scene && scene->mNumMeshes > 0) scene = importer.ApplyPostProcessing(aiProcess_ValidateDataStructure);
  EXPECT_NE(scene, nullptr) << path << ": " << importer.GetErrorString();
  if (!scene) return out;
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    const aiMaterial* m = scene->mMaterials[i];
    ReadMaterial r;
    aiString name;
    if (m->Get(AI_MATKEY_NAME, name) == AI_SUCCESS) r.name = name.C_Str();
    m->Get(AI_MATKEY_COLOR_DIFFUSE, r.diffuse);
    aiString texture;
    if (m->GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS) r.texture = texture.C_Str();
    out.materials.push_back(r);
  }
  out.meshes = scene->mNumMeshes;
  for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
    const aiMesh* mesh = scene->mMeshes[i];
    const std::string material = out.materials.at(mesh->mMaterialIndex).name;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const aiFace& face = mesh->mFaces[f];
      EXPECT_EQ(face.mNumIndices, 3u);
      ReadTriangle t{material, {}, {}};
      for (unsigned k = 0; k < 3 && k < face.mNumIndices; ++k) {
        t.positions[k] = mesh->mVertices[face.mIndices[k]];
        if (mesh->HasTextureCoords(0)) t.uvs[k] = mesh->mTextureCoords[0][face.mIndices[k]];
      }
      out.triangles.push_back(t);
    }
  }
  return out;
}

}  // namespace plenvista::test_support
