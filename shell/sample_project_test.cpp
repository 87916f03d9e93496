// The sample project the program carries: Help > "Open Sample Project"
// copies it into a writable directory and opens it; what the program found
// there (camera poses, points) is held against the scene the photographs
// were rendered from, and its export is read back by an independent reader.

#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <cmath>
#include <filesystem>

#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "base/text.h"
#include "export/export_paths.h"
#include "persistence/project_file.h"
#include "shell/main_window.h"
#include "shell/sample_copy.h"
#include "shell/shell_test_doubles.h"
#include "testing/sample_scene.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

double distance(const Vec3& a, const Vec3& b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

double angle_difference(double a, double b) { return std::abs(std::remainder(a - b, 360.0)); }

TEST(SampleProject, OpensAsAWritableCopyLocatedAndModelledAsTheSceneWasBuilt) {
  test_support::TempDir tmp;
  const std::string directory = tmp.dir("copy");
  // A copy replaces an older copy's files, leaving other files alone.
  tmp.write("copy/house.op2", "stale");
  tmp.write("copy/notes.txt", "mine");
  MemorySettingsStore settings;
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  MainWindow window({settings, files, questions, {open_project, save_project}, {}});
  window.set_sample_directory(directory);
  window.actions().help_open_sample->trigger();
  EXPECT_TRUE(questions.told.empty());

  Project& project = window.project();
  ASSERT_EQ(project.path, directory + "house.op2");
  EXPECT_TRUE(QFileInfo(QString::fromStdString(*project.path)).isWritable());
  EXPECT_TRUE(std::filesystem::exists(directory + "notes.txt"));
  EXPECT_TRUE(std::filesystem::exists(directory + "grid.png"));
  ASSERT_TRUE(project.images().camera.has_tables());

  ASSERT_EQ(project.images().images.count(), static_cast<int>(sample::kShots.size()));
  for (const sample::Shot& shot : sample::kShots) {
    const ProjectImage* image = nullptr;
    for (const ProjectImage* candidate : project.images().images)
      if (shown(candidate->file_name) == shot.file) image = candidate;
    ASSERT_NE(image, nullptr) << shot.file;
    SCOPED_TRACE(shot.file);
    EXPECT_TRUE(image->resolved_path.has_value());
    EXPECT_GE(image->reference_points.count(), 6);
    EXPECT_EQ(image->pose_known, 1);
    EXPECT_GT(image->search_score, 99.0);
    const Vec3 eye{-image->pose.offset.x, -image->pose.offset.y, -image->pose.offset.z};
    EXPECT_LT(distance(eye, shot.eye), 1.0);
    const CameraPose truth = sample::true_pose(shot);
    EXPECT_LT(angle_difference(image->pose.rotation.x, truth.rotation.x), 0.1);
    EXPECT_LT(angle_difference(image->pose.rotation.y, truth.rotation.y), 0.1);
    EXPECT_LT(angle_difference(image->pose.rotation.z, truth.rotation.z), 0.1);
  }

  const ModelData& model = project.model;
  ASSERT_EQ(model.points.count(), static_cast<int>(sample::kModelPoints.size()));
  for (std::size_t k = 0; k < sample::kModelPoints.size(); ++k) {
    const ModelPoint& point = *model.points.at(static_cast<int>(k));
    EXPECT_LT(distance({point.x, point.y, point.z}, sample::kModelPoints[k]), 1.0) << "point " << k;
  }
  EXPECT_EQ(model.transform.mirror_plane, MirrorPlane::X);
  EXPECT_GT(model.mirror_faces.count(), 0);
  int textured = 0;
  for (const ModelFace* face : model.faces) textured += face->texture_coords[0] != nullptr ? 1 : 0;
  EXPECT_GE(textured, 4);

  // The export, mirror half included, read back: every corner is a point
  // or a mirror point moved by the origin offset (z as the format has it).
  ASSERT_TRUE(export_from_dialog(project, ExportFormat::Obj, tmp.file("house"), {}));
  const aiScene* scene = aiImportFile(tmp.file("house.obj").c_str(), aiProcess_JoinIdenticalVertices);
  ASSERT_NE(scene, nullptr) << aiGetErrorString();
  unsigned faces = 0;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh& mesh = *scene->mMeshes[m];
    faces += mesh.mNumFaces;
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
      const aiVector3D& p = mesh.mVertices[v];
      bool found = false;
      for (const IdList<ModelPoint>* list : {&model.points, &model.mirror_points})
        for (const ModelPoint* point : *list)
          found = found || distance({p.x, p.y, std::abs(p.z)}, {point->x - 300, point->y, std::abs(point->z)}) < 0.01;
      EXPECT_TRUE(found) << p.x << " " << p.y << " " << p.z;
    }
  }
  EXPECT_EQ(faces, static_cast<unsigned>(model.faces.count() + model.mirror_faces.count()));
  aiReleaseImport(scene);
}

TEST(SampleProject, FirstStartIsWhenNoLastProjectIsKnown) {
  MemorySettingsStore settings;
  EXPECT_TRUE(is_first_start(settings));
  settings.write_text("LastProject", "");
  EXPECT_TRUE(is_first_start(settings));
  settings.write_text("LastProject", "/home/someone/house.op2");
  EXPECT_FALSE(is_first_start(settings));
}

}  // namespace
}  // namespace plenvista
