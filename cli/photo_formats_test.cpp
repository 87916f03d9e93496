// plenvista-cli on photographs as cameras make them: the same scene saved as
// BMP, JPEG (quality 95), PNG and TIFF gives the same results.

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include "base/number_text.h"
#include "cli/cli_test_support.h"
#include "model/edit_actions.h"
#include "model/layers_materials.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/projection.h"
#include "testing/cameras.h"
#include "testing/synthetic_grid.h"

namespace plenvista {
namespace {

using test_support::CliRun;
using test_support::OpenedProject;
using test_support::run_cli;
using test_support::TempDir;

constexpr const char* kExtensions[] = {"bmp", "jpg", "png", "tif"};

// Saves the picture in the format of the name's extension (JPEG at quality 95).
void save_photograph(const RgbImage& picture, const std::filesystem::path& path) {
  QImage image(picture.width(), picture.height(), QImage::Format_RGB888);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const Rgb p = picture.pixel(x, y);
      image.setPixel(x, y, qRgb(p.r, p.g, p.b));
    }
  }
  const bool jpeg = path.extension() == ".jpg";
  ASSERT_TRUE(image.save(QString::fromStdString(path.string()), nullptr, jpeg ? 95 : -1)) << path;
}

std::string numbers(Point2 p, Point2 off = {3, -4}) {
  return format_fixed(p.x + off.x, 3) + " " + format_fixed(p.y + off.y, 3);
}

// A camera of native size 64 x 48 and a grid scene photographed to that size.
struct PhotoWorkspace {
  TempDir dir;
  RgbImage picture{1, 1};
  PhotoWorkspace() {
    CameraModel camera = test_support::grid_camera(8, 12);
    camera.native_width = 64;
    camera.native_height = 48;
    test_support::RecordingMessages messages;
    EXPECT_TRUE(save_camera((dir.path / "cam.cal").string(), camera, messages));
    test_support::SyntheticGrid scene = test_support::calibration_grid();
    scene.width = 64;
    scene.height = 48;
    scene.line_x = test_support::evenly(5.5, 9.0, 7);
    scene.line_y = test_support::evenly(4.5, 9.0, 5);
    picture = test_support::draw_grid(scene);
  }
  std::string path(const std::string& name) const { return (dir.path / name).string(); }
};

TEST(CliPhotographFormats, EveryFormatCalibratesToTheSameCornerTable) {
  TempDir dir;
  const test_support::SyntheticGrid grid = test_support::calibration_grid();
  const RgbImage drawn = test_support::draw_grid(grid);
  std::string clicks = " --centre " + numbers(test_support::true_intersection(grid, 4, 6)) + " --corners";
  for (const auto& [r, c] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}})
    clicks += " " + numbers(test_support::true_intersection(grid, r, c));

  std::vector<CameraModel> cameras;
  for (const char* ext : kExtensions) {
    const std::string photo = std::string("grid.") + ext;
    save_photograph(drawn, dir.path / photo);
    const CliRun run = run_cli(dir, "calibrate " + photo + " --rows 8 --columns 12 --cell 10 10 --distance 250" +
                                        clicks + " --output " + ext + ".cal");
    ASSERT_EQ(run.status, 0) << ext << ": " << run.err;
    CameraModel camera;
    test_support::RecordingMessages messages;
    ASSERT_TRUE(load_camera((dir.path / (std::string(ext) + ".cal")).string(), camera, messages));
    EXPECT_EQ(camera.native_width, 640);
    EXPECT_EQ(camera.native_height, 480);
    cameras.push_back(camera);
  }
  for (std::size_t k = 1; k < cameras.size(); ++k) {
    for (int i = 0; i <= 8; ++i) {
      for (int j = 0; j <= 12; ++j) {
        EXPECT_NEAR(cameras[k].corner(i, j).x, cameras[0].corner(i, j).x, 0.3) << kExtensions[k] << i << ", " << j;
        EXPECT_NEAR(cameras[k].corner(i, j).y, cameras[0].corner(i, j).y, 0.3) << kExtensions[k] << i << ", " << j;
      }
    }
  }

  // A photograph cut short is refused by name, and no camera is written.
  const std::string jpeg = test_support::read_text(dir.path / "grid.jpg");
  dir.write("cut.jpg", jpeg.substr(0, jpeg.size() / 2));
  const CliRun cut = run_cli(
      dir, "calibrate cut.jpg --rows 8 --columns 12 --cell 10 10 --distance 250" + clicks + " --output cut.cal");
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.err.find("Cannot read the photograph cut.jpg: the file is cut short or damaged"), std::string::npos)
      << cut.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path / "cut.cal"));
}

// Each format in its own project: the photograph passes the check against
// the camera's native size, and the same reference points locate the image
// to the same pose.
TEST(CliPhotographFormats, EveryFormatLocatesToTheSamePose) {
  PhotoWorkspace ws;
  const TempDir& dir = ws.dir;
  const CameraPose truth{{12, -6, -260}, {4, -7, 2}};
  const Vec3 world[] = {{-40, -30, 10}, {45, -25, -5}, {30, 35, 20}, {-35, 25, 0}, {5, 0, 40}, {20, -10, -30}};
  std::vector<CameraPose> poses;
  for (const char* ext : kExtensions) {
    const std::string project = std::string(ext) + ".op2";
    const std::string photo = std::string("front.") + ext;
    save_photograph(ws.picture, dir.path / photo);
    ASSERT_EQ(run_cli(dir, "new " + project + " --camera cam.cal --dirs .").status, 0);
    const CliRun added = run_cli(dir, "add-image " + project + " --file " + photo);
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.err, "") << "the photograph has the camera's native size";
    const CliRun info = run_cli(dir, "info " + project);
    EXPECT_NE(info.out.find("64 x 48 pixels"), std::string::npos) << info.out;

    std::vector<Point2> clicks;
    {
      OpenedProject opened((dir.path / project).string());
      ProjectImage& image = *opened.project.images().images.at(0);
      image.pose = truth;
      for (const Vec3& w : world) clicks.push_back(project_to_image(w, image, true));
    }
    for (std::size_t k = 0; k < std::size(world); ++k) {
      const Vec3& w = world[k];
      const CliRun run =
          run_cli(dir, "add-reference " + project + " --image 2 --at " + numbers(clicks[k], {0, 0}) + " --world " +
                           format_fixed(w.x, 3) + " " + format_fixed(w.y, 3) + " " + format_fixed(w.z, 3));
      ASSERT_EQ(run.status, 0) << run.err;
    }
    const CliRun located = run_cli(dir, "locate " + project);
    ASSERT_EQ(located.status, 0) << located.err;
    OpenedProject opened((dir.path / project).string());
    poses.push_back(opened.project.images().images.at(0)->pose);
  }
  for (std::size_t k = 1; k < poses.size(); ++k) {
    EXPECT_NEAR(poses[k].offset.x, poses[0].offset.x, 0.5) << kExtensions[k];
    EXPECT_NEAR(poses[k].offset.y, poses[0].offset.y, 0.5) << kExtensions[k];
    EXPECT_NEAR(poses[k].offset.z, poses[0].offset.z, 0.5) << kExtensions[k];
  }
}

std::vector<aiVector3D> corners_of(const aiScene& scene, bool uv) {
  std::vector<aiVector3D> corners;
  for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
    const aiMesh& mesh = *scene.mMeshes[i];
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      for (unsigned k = 0; k < mesh.mFaces[f].mNumIndices; ++k) {
        const unsigned at = mesh.mFaces[f].mIndices[k];
        corners.push_back(!uv                        ? mesh.mVertices[at]
                          : mesh.HasTextureCoords(0) ? mesh.mTextureCoords[0][at]
                                                     : aiVector3D());
      }
    }
  }
  return corners;
}

// Texturing from a JPEG and a BMP photograph, then exporting OBJ and glb:
// both read back alike, the JPEG embedded as it is and the BMP as PNG.
TEST(CliPhotographFormats, ATextureFlowWithJpegPhotographsExportsObjAndGlb) {
  PhotoWorkspace ws;
  save_photograph(ws.picture, ws.dir.path / "front.jpg");
  save_photograph(ws.picture, ws.dir.path / "side.bmp");
  ASSERT_EQ(run_cli(ws.dir, "new p.op2 --camera cam.cal --dirs .").status, 0);
  for (const char* photo : {"front.jpg", "side.bmp"}) {
    const CliRun added = run_cli(ws.dir, std::string("add-image p.op2 --file ") + photo);
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.err, "");
  }
  {
    OpenedProject opened(ws.path("p.op2"));
    Project& project = opened.project;
    std::vector<ModelPoint*> points;
    for (const Vec3& p : {Vec3{0, 0, 0}, Vec3{20, 0, 0}, Vec3{0, 20, 0}, Vec3{20, 20, 10}})
      points.push_back(add_point(project, p.x, p.y, p.z));
    for (int i = 0; i < 2; ++i) {
      ProjectImage& image = *project.images().images.at(i);
      image.pose = CameraPose{{i * 5.0, 0, -250}, {0, 0, 0}};
      Material* material = add_material(project, i == 0 ? "Front" : "Side");
      material->texture_image = &image;
      project.model.current_material = material;
      add_face(project, *points[static_cast<std::size_t>(i)], *points[static_cast<std::size_t>(i) + 1],
               *points[static_cast<std::size_t>(i) + 2]);
    }
    ASSERT_EQ(save_project(project), 1);
  }
  CliRun run = run_cli(ws.dir, "texture p.op2");
  ASSERT_EQ(run.status, 0) << run.err;
  run = run_cli(ws.dir, "export p.op2 --format obj --output model");
  ASSERT_EQ(run.status, 0) << run.err;
  run = run_cli(ws.dir, "export p.op2 --format glb --output model --mirror off");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("model.glb"), std::string::npos) << run.out;
  EXPECT_EQ(run_cli(ws.dir, "export p.op2 --format glb").status, 1) << "a glTF export needs --output";

  Assimp::Importer obj_reader;
  Assimp::Importer glb_reader;
  const aiScene* obj = obj_reader.ReadFile(ws.path("model.obj"), 0);
  const aiScene* glb = glb_reader.ReadFile(ws.path("model.glb"), 0);
  ASSERT_NE(obj, nullptr) << obj_reader.GetErrorString();
  ASSERT_NE(glb, nullptr) << glb_reader.GetErrorString();
  ASSERT_EQ(glb->mNumMeshes, 2u);
  const std::vector<aiVector3D> obj_positions = corners_of(*obj, false);
  const std::vector<aiVector3D> glb_positions = corners_of(*glb, false);
  ASSERT_EQ(glb_positions.size(), 6u);
  ASSERT_EQ(obj_positions.size(), glb_positions.size());
  const std::vector<aiVector3D> obj_uvs = corners_of(*obj, true);
  const std::vector<aiVector3D> glb_uvs = corners_of(*glb, true);
  for (std::size_t k = 0; k < glb_positions.size(); ++k) {
    EXPECT_LT((obj_positions[k] - glb_positions[k]).Length(), 1e-5f) << k;
    EXPECT_NEAR(obj_uvs[k].x, glb_uvs[k].x, 1e-5f) << k;
    EXPECT_NEAR(obj_uvs[k].y, glb_uvs[k].y, 1e-5f) << k;
    EXPECT_GT(glb_uvs[k].Length(), 0.0f) << k;
  }

  ASSERT_EQ(glb->mNumTextures, 2u);
  const std::string jpeg = test_support::read_text(ws.dir.path / "front.jpg");
  const aiTexture& front = *glb->mTextures[0];
  EXPECT_EQ(front.mHeight, 0u);
  ASSERT_EQ(front.mWidth, jpeg.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(front.pcData), jpeg.size()), jpeg);
  const aiTexture& side = *glb->mTextures[1];
  const QImage converted =
      QImage::fromData(reinterpret_cast<const uchar*>(side.pcData), static_cast<int>(side.mWidth), "PNG");
  ASSERT_EQ(converted.size(), QSize(64, 48));
  const Rgb centre = ws.picture.pixel(31, 20);
  EXPECT_EQ(converted.pixel(31, 20), qRgb(centre.r, centre.g, centre.b));
}

}  // namespace
}  // namespace plenvista
