// End-to-end tests of plenvista-cli: the built executable runs on projects,
// cameras and photographs made here, and the files it leaves are read back.

#include <gtest/gtest.h>

#include <filesystem>

#include <assimp/cimport.h>
#include <assimp/scene.h>

#include "base/number_text.h"
#include "cli/cli_test_support.h"
#include "model/edit_actions.h"
#include "model/layers_materials.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/grid_calibration.h"
#include "photogrammetry/projection.h"
#include "platform/photograph_reader.h"
#include "platform/this_process.h"
#include "testing/cameras.h"
#include "testing/synthetic_grid.h"

namespace plenvista {
namespace {

using test_support::CliRun;
using test_support::OpenedProject;
using test_support::parse_json;
using test_support::run_cli;
using test_support::TempDir;

using test_support::Workspace;

TEST(CliNew, SavesTheDefaultsWithTheCameraFoundAlongTheDirectories) {
  Workspace ws;
  const CliRun run = ws.run("new p.op2 --camera cam.cal --dirs '.;cameras;photos'");
  ASSERT_EQ(run.status, 0) << run.err;
  OpenedProject opened(ws.path("p.op2"));
  const Project& project = opened.project;
  EXPECT_EQ(project.model.image_directories, ".;cameras;photos");
  EXPECT_EQ(project.camera_file_name, "cam.cal");
  EXPECT_EQ(project.camera_file_path, ws.path("cameras/cam.cal"));
  ASSERT_EQ(project.model.layers.count(), 1);
  EXPECT_EQ(project.model.layers.at(0)->name, "Default Layer");
  EXPECT_EQ(project.model.materials.at(0)->name, "Default Material");
  EXPECT_EQ(project.model.next_id, 2);
  EXPECT_EQ(project.images().camera.native_width, 64);
}

TEST(CliNew, RefusesAnExistingFileAndAMissingCamera) {
  Workspace ws;
  ws.dir.write("p.op2", "keep me");
  CliRun run = ws.run("new p.op2");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ws.bytes("p.op2"), "keep me");
  run = ws.run("new q.op2 --camera absent.cal");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Error: Invalid camera file"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(ws.path("q.op2")));
}

TEST(CliAddImage, AddsANativeSizePhotographFoundAlongTheDirectories) {
  Workspace ws;
  ASSERT_EQ(ws.run("new p.op2 --camera cam.cal --dirs '.;cameras;photos'").status, 0);
  // A directory part is dropped: the name is looked up along the directories.
  const CliRun run = ws.run("add-image p.op2 --file 'C:\\elsewhere\\front.bmp' --description 'Front view'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Added image 2\n");
  EXPECT_EQ(run.err, "");
  OpenedProject opened(ws.path("p.op2"));
  ASSERT_EQ(opened.project.images().images.count(), 1);
  const ProjectImage& image = *opened.project.images().images.at(0);
  EXPECT_EQ(image.file_name, "front.bmp");
  EXPECT_EQ(image.description, "Front view");
  EXPECT_EQ(image.size_differs, 0);
  EXPECT_EQ(image.resolved_path, ws.path("photos/front.bmp"));
}

TEST(CliAddImage, APhotographOfAnotherSizeTakesTheCentreAndScaleOrAWarning) {
  Workspace ws;
  ws.make_project();
  CliRun run = ws.run("add-image p.op2 --file small.bmp");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Warning: The photograph is 32 x 24, the camera's 64 x 48"), std::string::npos) << run.err;
  run = ws.run("add-image p.op2 --file small.bmp --centre 16.5 -12 --scale 0.5");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  run = ws.run("add-image p.op2 --file small.bmp --scale 0.5");
  EXPECT_EQ(run.status, 2) << "--scale needs --centre";

  OpenedProject opened(ws.path("p.op2"));
  const auto& images = opened.project.images().images;
  ASSERT_EQ(images.count(), 3);
  EXPECT_EQ(images.at(1)->size_differs, 0);
  const ProjectImage& sized = *images.at(2);
  EXPECT_EQ(sized.size_differs, 1);
  EXPECT_EQ(sized.texture_centre_x, 16.5);
  EXPECT_EQ(sized.texture_centre_y, -12.0);
  EXPECT_EQ(sized.texture_scale, 0.5);
}

TEST(CliAddImage, FailsWithoutTouchingTheProject) {
  Workspace ws;
  ASSERT_EQ(ws.run("new bare.op2").status, 0);
  const std::string bare = ws.bytes("bare.op2");
  CliRun run = ws.run("add-image bare.op2 --file front.bmp");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The project needs a camera"), std::string::npos) << run.err;
  EXPECT_EQ(ws.bytes("bare.op2"), bare);

  ws.make_project();
  const std::string before = ws.bytes("p.op2");
  run = ws.run("add-image p.op2 --file missing.bmp");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "Error: Cannot open image file. Check the file name and that the file exists in one of the directories "
            "listed in Project Properties\n");
  EXPECT_EQ(ws.bytes("p.op2"), before);
}

// A file that is not a readable photograph is added, as a photograph of
// another size would be, but the warning says plainly why it will not show,
// in the words of the image view (platform/photograph_problem.h).
TEST(CliAddImage, WarnsOfAFileThatIsNotAReadablePhotograph) {
  Workspace ws;
  ws.make_project();
  for (const char* name : {"fake.jpg", "big.jpg"}) {
    const std::string path = ws.dir.write(name, name == std::string("fake.jpg") ? "GARBAGE" : "");
    const CliRun run = ws.run(std::string("add-image p.op2 --file ") + name);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Warning: " + *photograph_refusal(path) + ". The photograph is added all the same"), 0u)
        << run.err;
    EXPECT_EQ(run.err.find("The photograph is 0 x 0"), std::string::npos) << run.err;
  }
  EXPECT_EQ(OpenedProject(ws.path("p.op2")).project.images().images.count(), 3);
}

TEST(CliAddReference, StoresThePositionRelativeToTheCentreAndMarksTheImage) {
  Workspace ws;
  ws.make_project();
  const CliRun run = ws.run("add-reference p.op2 --image 2 --at 700.5 300 --world 1.5 -2 3e2");
  ASSERT_EQ(run.status, 0) << run.err;
  OpenedProject opened(ws.path("p.op2"));
  const ProjectImage& image = *opened.project.images().images.at(0);
  ASSERT_EQ(image.reference_points.count(), 1);
  const ReferencePoint& point = *image.reference_points.at(0);
  // The camera's centre is (610, 345).
  EXPECT_EQ(point.image_position, (Point2{90.5, -45}));
  EXPECT_EQ(point.world_position, (Vec3{1.5, -2, 300}));
  EXPECT_EQ(image.marks_changed, 1);
}

TEST(CliAddReference, UnknownImageAndDamagedProjectFailUntouched) {
  Workspace ws;
  ws.make_project();
  const std::string before = ws.bytes("p.op2");
  CliRun run = ws.run("add-reference p.op2 --image 7 --at 1 2 --world 1 2 3");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Error: No image with id 7\n");
  EXPECT_EQ(ws.bytes("p.op2"), before);

  const std::string damaged = before.substr(0, before.size() - 40);
  ws.dir.write("p.op2", damaged);
  run = ws.run("add-reference p.op2 --image 2 --at 1 2 --world 1 2 3");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("damaged or incomplete"), std::string::npos) << run.err;
  EXPECT_EQ(ws.bytes("p.op2"), damaged);
  EXPECT_EQ(ws.run("info p.op2").status, 1);

  ws.dir.write("other.op2", "not a project at all");
  run = ws.run("info other.op2");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Error: Not a project file: other.op2\n");
  EXPECT_EQ(ws.run("info absent.op2").status, 1);
}

// A project open in a running Plenvista (here: process 1, always alive) can
// be read but not changed; once it is closed the same command goes through
// and leaves no lock behind.
TEST(CliAddReference, RefusesAProjectOpenInARunningPlenvista) {
  Workspace ws;
  ws.make_project();
  const std::string before = ws.bytes("p.op2");
  const std::string lock = ws.path("p.op2") + ".lock";
  ws.dir.write("p.op2.lock", "1\n" + current_process().host + "\n");
  CliRun run = ws.run("add-reference p.op2 --image 2 --at 1 2 --world 1 2 3");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(
      run.err.find("p.op2 is open in Plenvista (process 1 on " + current_process().host + ") and was not changed"),
      std::string::npos)
      << run.err;
  EXPECT_EQ(ws.bytes("p.op2"), before);
  EXPECT_EQ(ws.run("info p.op2").status, 0);

  std::filesystem::remove(lock);
  run = ws.run("add-reference p.op2 --image 2 --at 1 2 --world 1 2 3");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(ws.bytes("p.op2"), before);
  EXPECT_FALSE(std::filesystem::exists(lock));
}

TEST(CliAddFace, AddsAFaceWithTheCurrentMaterial) {
  Workspace ws;
  ws.make_project();
  {
    OpenedProject opened(ws.path("p.op2"));
    for (int k = 0; k < 3; ++k) add_point(opened.project, k, k * k, 1);
    ASSERT_TRUE(save_project(opened.project));
  }
  const std::string before = ws.bytes("p.op2");
  CliRun run = ws.run("add-face p.op2 --points 3 5 9");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Error: No point with id 9\n");
  EXPECT_EQ(ws.bytes("p.op2"), before);
  EXPECT_EQ(ws.run("add-face p.op2 --points 3 5").status, 2);

  run = ws.run("add-face p.op2 --points 5 3 4");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Added face 6 with material \"Default Material\"\n");
  OpenedProject opened(ws.path("p.op2"));
  ASSERT_EQ(opened.project.model.faces.count(), 1);
  const ModelFace& face = *opened.project.model.faces.at(0);
  EXPECT_EQ(face.corners[0]->id, 5);
  EXPECT_EQ(face.corners[1]->id, 3);
  EXPECT_EQ(face.corners[2]->id, 4);
  EXPECT_EQ(face.material->name, "Default Material");
}

TEST(CliInfo, ReportsImagesCameraAndCountsForPeopleAndScripts) {
  Workspace ws;
  ws.make_project();
  ASSERT_EQ(ws.run("add-reference p.op2 --image 2 --at 1 2 --world 1 2 3").status, 0);
  std::filesystem::remove(ws.path("photos/front.bmp"));
  CliRun run = ws.run("info p.op2 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject info = parse_json(run.out);
  EXPECT_EQ(
      info["camera"].toObject(),
      (QJsonObject{{"name", "cam.cal"}, {"path", QString::fromStdString(ws.path("cameras/cam.cal"))}, {"found", true}}))
      << run.out;
  const QJsonObject image = info["images"].toArray().at(0).toObject();
  EXPECT_EQ(image["id"], 2);
  EXPECT_EQ(image["description"], "Front");
  EXPECT_EQ(image["file"], "front.bmp");
  EXPECT_TRUE(image["path"].isNull());
  EXPECT_EQ(image["found"], false);
  EXPECT_EQ(image["located"], false);
  EXPECT_TRUE(image["centre"].isNull());
  EXPECT_EQ(image["offset"], image["position"]);
  EXPECT_EQ(image["score"], 0);
  EXPECT_EQ(image["reference_points"], 1);
  EXPECT_TRUE(image["width"].isNull());
  EXPECT_EQ(info["points"], 0);
  EXPECT_EQ(info["faces"], 0);
  EXPECT_EQ(info["texture_coordinates"], 0);

  run = ws.run("info p.op2");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Camera file: cam.cal (found at " + ws.path("cameras/cam.cal") + ")"), std::string::npos);
  EXPECT_NE(run.out.find("  2 \"Front\" front.bmp (not found)\n    not located, score 0.00%, 1 reference points"),
            std::string::npos)
      << run.out;
}

TEST(CliDump, WritesTheDumpToTheWorkingDirectory) {
  Workspace ws;
  ws.make_project();
  const CliRun run = ws.run("dump p.op2");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string dump = ws.bytes("PlenDebug.txt");
  EXPECT_EQ(dump.rfind("\r\nImages : 1\r\nImage : Front, Offset:(", 0), 0u) << dump;
}

// A click a few pixels off a point, as two numbers.
std::string numbers(Point2 p, Point2 off = {3, -4}) {
  return format_fixed(p.x + off.x, 3) + " " + format_fixed(p.y + off.y, 3);
}

TEST(CliCalibrate, SnapsTheClicksTracesTheGridAndSavesTheCamera) {
  Workspace ws;
  const test_support::SyntheticGrid grid = test_support::calibration_grid();
  ws.dir.write("grid.bmp", test_support::bmp_bytes(test_support::draw_grid(grid)));
  const Point2 cross = test_support::true_intersection(grid, 4, 6);
  std::string corners;
  for (const auto& [r, c] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}})
    corners += " " + numbers(test_support::true_intersection(grid, r, c));
  const CliRun run =
      ws.run("calibrate grid.bmp --rows 8 --columns 12 --cell 10 12.5 --distance 250 --centre " + numbers(cross) +
             " --corners" + corners + " --output made.cal --notes 'bench camera' --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject report = parse_json(run.out);
  EXPECT_EQ(report["rows"], 8) << run.out;
  EXPECT_EQ(report["columns"], 12);
  EXPECT_EQ(report["native_width"], 640);
  EXPECT_EQ(report["native_height"], 480);
  EXPECT_EQ(report["corners"].toArray().size(), 4);
  const QJsonObject check = report["check"].toObject();
  EXPECT_EQ(check["passed"], true);
  EXPECT_EQ(check["intersections"], 117);
  EXPECT_EQ(check["found"], 117);
  EXPECT_EQ(check["problems"].toArray().size(), 0);
  EXPECT_EQ(report["camera_file"], "made.cal");
  EXPECT_EQ(report["saved"], true);

  CameraModel camera;
  test_support::RecordingMessages messages;
  ASSERT_TRUE(load_camera(ws.path("made.cal"), camera, messages));
  EXPECT_EQ(camera.rows, 8);
  EXPECT_EQ(camera.columns, 12);
  EXPECT_NEAR(camera.centre_x, cross.x, 0.5);
  EXPECT_NEAR(camera.centre_y, cross.y, 0.5);
  EXPECT_EQ(camera.cell_width_mm, 10.0);
  EXPECT_EQ(camera.cell_height_mm, 12.5);
  EXPECT_EQ(camera.distance_mm, 250.0);
  EXPECT_EQ(camera.notes, "bench camera");
  EXPECT_EQ(camera.image_file, ws.path("grid.bmp"));
  EXPECT_EQ(camera.native_width, 640);
  for (int i = 0; i <= 8; ++i) {
    for (int j = 0; j <= 12; ++j) {
      const Point2 truth = test_support::true_intersection(grid, i, j);
      EXPECT_NEAR(camera.corner(i, j).x, truth.x, 0.5) << i << ", " << j;
      EXPECT_NEAR(camera.corner(i, j).y, truth.y, 0.5) << i << ", " << j;
    }
  }

  // The check adds nothing to the file: the same clicks through the core
  // give the same bytes.
  GridPhoto photo;
  CameraModel expected;
  set_grid_photograph(photo, expected, std::make_unique<RgbImage>(test_support::draw_grid(grid)));
  const Point2 centre = snapClick(photo, {cross.x + 3, cross.y - 4}, 12, 8).position;
  for (const auto& [r, c] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}}) {
    const Point2 corner = test_support::true_intersection(grid, r, c);
    snapClick(photo, {corner.x + 3, corner.y - 4}, 12, 8);
  }
  ASSERT_TRUE(calculateGrid(photo, expected));
  expected.distance_mm = 250;
  expected.cell_width_mm = 10;
  expected.cell_height_mm = 12.5;
  expected.notes = "bench camera";
  expected.centre_x = centre.x;
  expected.centre_y = centre.y;
  expected.image_file = ws.path("grid.bmp");
  ASSERT_TRUE(save_camera(ws.path("expected.cal"), expected, messages));
  EXPECT_EQ(ws.bytes("made.cal"), ws.bytes("expected.cal"));
}

TEST(CliCalibrate, AGridThatFailsItsCheckIsSavedOnlyWithForce) {
  Workspace ws;
  const test_support::SyntheticGrid grid = test_support::calibration_grid();
  test_support::SyntheticGrid drawn = grid;
  drawn.line_x.erase(drawn.line_x.begin() + 5);
  ws.dir.write("grid.bmp", test_support::bmp_bytes(test_support::draw_grid(drawn)));
  std::string corners;
  for (const auto& [r, c] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}})
    corners += " " + numbers(test_support::true_intersection(grid, r, c));
  const std::string command = "calibrate grid.bmp --rows 8 --columns 12 --cell 10 10 --distance 250 --centre " +
                              numbers(test_support::true_intersection(grid, 4, 6)) + " --corners" + corners +
                              " --output made.cal";
  CliRun run = ws.run(command);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "Error: The traced grid fails its check; nothing saved (--force saves it anyway):\n"
            "  Not found: 9 intersections, the first at row 0, column 5\n");
  EXPECT_NE(run.out.find("Intersections found : 108 of 117\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("photograph; not saved\n"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(ws.path("made.cal")));

  run = ws.run(command + " --json");
  EXPECT_EQ(run.status, 1);
  const QJsonObject failed = parse_json(run.out);
  EXPECT_EQ(failed["check"].toObject()["passed"], false) << run.out;
  EXPECT_EQ(failed["saved"], false) << run.out;

  run = ws.run(command + " --force");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Warning: The traced grid fails its check; saved anyway (--force):"), std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("saved made.cal although it fails its check\n"), std::string::npos) << run.out;
  EXPECT_TRUE(std::filesystem::exists(ws.path("made.cal")));
}

// The README's calibration example, word for word, on the photograph the
// grid script makes.
TEST(CliCalibrate, TheReadmeExampleCalibratesTheScriptsGrid) {
  const std::string readme = test_support::read_text(PLENVISTA_SOURCE_DIR "/README.md");
  std::size_t at = readme.find("plenvista-cli calibrate ");
  ASSERT_NE(at, std::string::npos);
  at += std::string("plenvista-cli ").size();
  std::string arguments;
  for (;;) {
    const std::string line = readme.substr(at, readme.find('\n', at) - at);
    at += line.size() + 1;
    if (line.empty() || line.back() != '\\') {
      arguments += line;
      break;
    }
    arguments += line.substr(0, line.size() - 1);
  }
  ASSERT_NE(readme.find("scripts/make-grid-photo.pl grid.bmp"), std::string::npos);
  TempDir dir;
  ASSERT_EQ(
      std::system(
          ("cd '" + dir.path.string() + "' && '" PLENVISTA_SOURCE_DIR "/scripts/make-grid-photo.pl' grid.bmp").c_str()),
      0);
  const CliRun run = run_cli(dir, arguments);
  ASSERT_EQ(run.status, 0) << arguments << "\n" << run.err;
  EXPECT_NE(run.out.find("Intersections found : 315 of 315\n"), std::string::npos) << run.out;
  CameraModel camera;
  test_support::RecordingMessages messages;
  ASSERT_TRUE(load_camera((dir.path / "camera.cal").string(), camera, messages));
  ASSERT_EQ(camera.rows, 14);
  ASSERT_EQ(camera.columns, 20);
  for (int i = 0; i <= 14; ++i)
    for (int j = 0; j <= 20; ++j) EXPECT_EQ(camera.corner(i, j), (Point2{131.0 + 100 * j, 147.0 + 100 * i}));
}

TEST(CliCalibrate, ClicksAwayFromTheGridOrOutsideTheirRegionsAndUnreadablePhotographsFail) {
  Workspace ws;
  const test_support::SyntheticGrid grid = test_support::calibration_grid();
  ws.dir.write("grid.bmp", test_support::bmp_bytes(test_support::draw_grid(grid)));
  const std::string fixed = " --rows 8 --columns 12 --cell 10 10 --distance 100 --output made.cal";
  const std::string corners = " --corners 57 61 101 61 101 105 57 105";
  CliRun run = ws.run("calibrate grid.bmp" + fixed + " --centre 20 20" + corners);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("not in the middle of the photograph"), std::string::npos) << run.err;
  // Blank paper around the second click: refused by name, nothing saved.
  run = ws.run("calibrate grid.bmp" + fixed + " --centre 320 240 --corners 57 61 20 18 101 105 57 105");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Error: Point 2 : no grid line found near (20, 18); click within a few pixels of the corner\n");
  EXPECT_FALSE(std::filesystem::exists(ws.path("made.cal")));
  run = ws.run("calibrate grid.bmp" + fixed + " --centre 320 240 --corners 57 61 101 61 400 400 57 105");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Corner click 3 (400.00, 400.00)"), std::string::npos) << run.err;
  run = ws.run("calibrate absent.bmp" + fixed + " --centre 320 240" + corners);
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(std::filesystem::exists(ws.path("made.cal")));
  EXPECT_EQ(ws.run("calibrate grid.bmp" + fixed + " --centre 320 240" + corners + " --distance 0").status, 2);
  EXPECT_EQ(ws.run("calibrate grid.bmp --rows 31 --columns 12 --cell 10 10 --distance 100 --output made.cal"
                   " --centre 320 240" +
                   corners)
                .status,
            2);
}

TEST(CliArguments, UsageErrorsExitTwoWithTheCommandsUsage) {
  Workspace ws;
  CliRun run = ws.run("add-reference p.op2 --image 2 --at 1,5 2 --world 1 2 3");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("not a number: 1,5"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Usage: plenvista-cli add-reference"), std::string::npos) << run.err;
  EXPECT_EQ(ws.run("").status, 2);
  EXPECT_EQ(ws.run("frobnicate p.op2").status, 2);
  EXPECT_EQ(ws.run("add-image p.op2").status, 2);
  EXPECT_EQ(ws.run("add-reference p.op2 --image two --at 1 2 --world 1 2 3").status, 2);
}

TEST(CliArguments, HelpForTheToolAndEveryCommand) {
  Workspace ws;
  const CliRun version = ws.run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "plenvista-cli " PLENVISTA_VERSION "\n");
  CliRun run = ws.run("--help");
  EXPECT_EQ(run.status, 0);
  for (const char* command : {"info", "new", "add-image", "add-reference", "add-face", "export", "dump", "calibrate",
                              "locate", "add-point", "texture"}) {
    EXPECT_NE(run.out.find(command), std::string::npos) << command;
    const CliRun help = ws.run(std::string(command) + " --help");
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_NE(help.out.find(std::string("Usage: plenvista-cli ") + command), std::string::npos) << help.out;
  }
}

TEST(CliExport, WritesFilesAssimpReadsAndStoresTheSettings) {
  Workspace ws;
  ws.make_project();
  {
    OpenedProject opened(ws.path("p.op2"));
    ModelPoint* a = add_point(opened.project, 0, 0, 0);
    ModelPoint* b = add_point(opened.project, 10, 0, 0);
    ModelPoint* c = add_point(opened.project, 0, 10, 5);
    add_face(opened.project, *a, *b, *c);
    ASSERT_TRUE(save_project(opened.project));
  }
  const std::string before = ws.bytes("p.op2");
  CliRun run = ws.run("export p.op2 --format obj");
  EXPECT_EQ(run.status, 1) << "no stored path yet";
  EXPECT_EQ(ws.bytes("p.op2"), before);

  run = ws.run("export p.op2 --format obj --output model.OBJ --textures off --reverse-z on");
  ASSERT_EQ(run.status, 0) << run.err;
  const aiScene* obj = aiImportFile(ws.path("model.obj").c_str(), 0);
  ASSERT_NE(obj, nullptr) << aiGetErrorString();
  ASSERT_EQ(obj->mNumMeshes, 1u);
  EXPECT_EQ(obj->mMeshes[0]->mNumVertices, 3u);
  EXPECT_EQ(obj->mMeshes[0]->mNumFaces, 1u);
  aiReleaseImport(obj);
  {
    OpenedProject opened(ws.path("p.op2"));
    const ExportSettings& settings = opened.project.export_settings;
    EXPECT_EQ(settings.format, 1);
    EXPECT_EQ(settings.use_textures, 0);
    EXPECT_EQ(settings.reverse_z, 1);
    EXPECT_EQ(settings.use_mirror, 1);
    EXPECT_EQ(settings.last_obj_path, "model");
  }

  std::filesystem::remove(ws.path("model.obj"));
  run = ws.run("export p.op2 --format obj");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(ws.path("model.obj"))) << "the stored path is used again";

  std::filesystem::create_directories(ws.path("out"));
  run = ws.run("export p.op2 --format x --output out/model");
  ASSERT_EQ(run.status, 0) << run.err;
  const aiScene* x = aiImportFile(ws.path("out/model.x").c_str(), 0);
  ASSERT_NE(x, nullptr) << aiGetErrorString();
  EXPECT_GE(x->mNumMeshes, 1u);
  aiReleaseImport(x);

  const std::string exported = ws.bytes("p.op2");
  EXPECT_EQ(ws.run("export p.op2 --format x --output missing/dir/model").status, 1);
  EXPECT_EQ(ws.bytes("p.op2"), exported);
  EXPECT_EQ(ws.run("export p.op2 --format 3ds --output a").status, 2);
  EXPECT_EQ(ws.run("export p.op2 --format x --mirror maybe").status, 2);
}

// Photograph position (pixels) of a world point seen from `pose` by image 2's camera.
Point2 photographed(const Workspace& ws, const CameraPose& pose, const Vec3& world) {
  OpenedProject opened(ws.path("p.op2"));
  ProjectImage& image = *opened.project.images().images.at(0);
  image.pose = pose;
  return project_to_image(world, image, true);
}

TEST(CliLocate, RecoversAKnownPoseFromItsReferencePoints) {
  Workspace ws;
  ws.make_project();
  const CameraPose truth{{12, -6, -260}, {4, -7, 2}};
  const Vec3 world[] = {{-40, -30, 10}, {45, -25, -5}, {30, 35, 20}, {-35, 25, 0}, {5, 0, 40}, {20, -10, -30}};
  for (const Vec3& w : world) {
    const Point2 at = photographed(ws, truth, w);
    const CliRun run = ws.run("add-reference p.op2 --image 2 --at " + numbers(at, {0, 0}) + " --world " +
                              format_fixed(w.x, 3) + " " + format_fixed(w.y, 3) + " " + format_fixed(w.z, 3));
    ASSERT_EQ(run.status, 0) << run.err;
  }
  const CliRun run = ws.run("locate p.op2 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject located = parse_json(run.out)["images"].toArray().at(0).toObject();
  EXPECT_EQ(located["id"], 2) << run.out;
  OpenedProject opened(ws.path("p.op2"));
  const ProjectImage& image = *opened.project.images().images.at(0);
  // One meaning a name: the stored offset, and the centre where the camera stands.
  const QJsonObject info = parse_json(ws.run("info p.op2 --json").out)["images"].toArray().at(0).toObject();
  for (const QJsonObject& object : {located, info}) {
    EXPECT_EQ(object["offset"].toArray(), (QJsonArray{image.pose.offset.x, image.pose.offset.y, image.pose.offset.z}));
    EXPECT_EQ(object["centre"].toArray(),
              (QJsonArray{-image.pose.offset.x, -image.pose.offset.y, -image.pose.offset.z}));
  }
  EXPECT_EQ(image.pose_known, 1);
  EXPECT_EQ(image.marks_changed, 0);
  EXPECT_GT(image.search_score, 99.0);
  EXPECT_NEAR(image.pose.offset.x, truth.offset.x, 1.0);
  EXPECT_NEAR(image.pose.offset.y, truth.offset.y, 1.0);
  EXPECT_NEAR(image.pose.offset.z, truth.offset.z, 2.0);
  EXPECT_NEAR(image.pose.rotation.x, truth.rotation.x, 0.5);
  EXPECT_NEAR(image.pose.rotation.y, truth.rotation.y, 0.5);
  EXPECT_NEAR(image.pose.rotation.z, truth.rotation.z, 0.5);

  // Nothing changed since: nothing to locate, and the file is left alone.
  const std::string after = ws.bytes("p.op2");
  const CliRun again = ws.run("locate p.op2");
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.out, "No image has changed reference points to locate from\n");
  EXPECT_EQ(ws.bytes("p.op2"), after);
}

TEST(CliLocate, ReferencePointsOnOneLineEndAtOnceWithAScoreOfZero) {
  Workspace ws;
  ws.make_project();
  const CameraPose truth{{12, -6, -260}, {4, -7, 2}};
  for (const Vec3& w : {Vec3{-40, -20, 10}, Vec3{0, 0, 10}, Vec3{40, 20, 10}, Vec3{80, 40, 10}}) {
    const CliRun run =
        ws.run("add-reference p.op2 --image 2 --at " + numbers(photographed(ws, truth, w), {0, 0}) + " --world " +
               format_fixed(w.x, 3) + " " + format_fixed(w.y, 3) + " " + format_fixed(w.z, 3));
    ASSERT_EQ(run.status, 0) << run.err;
  }
  const CliRun run = ws.run("locate p.op2");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Warning: Image 2: The reference points lie on one line or at one place; they cannot fix "
                         "the camera position"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("score 0.00%"), std::string::npos) << run.out;
  OpenedProject opened(ws.path("p.op2"));
  EXPECT_EQ(opened.project.images().images.at(0)->marks_changed, 0);
  EXPECT_EQ(opened.project.images().images.at(0)->pose_known, 0);
}

TEST(CliLocate, OneImageNeedsFourReferencePoints) {
  Workspace ws;
  ws.make_project();
  ASSERT_EQ(ws.run("add-reference p.op2 --image 2 --at 1 2 --world 1 2 3").status, 0);
  const std::string before = ws.bytes("p.op2");
  const CliRun run = ws.run("locate p.op2 --image 2");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Error: Image 2 has 1 reference points; at least 4 are needed\n");
  EXPECT_EQ(ws.run("locate p.op2 --image 9").status, 1);
  EXPECT_EQ(ws.bytes("p.op2"), before);
}

TEST(CliAddPoint, RecoversAKnownPointFromTwoLocatedImages) {
  Workspace ws;
  ws.make_project();
  ASSERT_EQ(ws.run("add-image p.op2 --file front.bmp --description Side").status, 0);
  const CameraPose left{{20, 0, -250}, {0, 5, 0}};
  const CameraPose right{{-25, 5, -240}, {3, -8, 1}};
  const Vec3 truth{7.25, -3.5, 12.75};
  Point2 at_left, at_right;
  {
    OpenedProject opened(ws.path("p.op2"));
    ProjectImage& a = *opened.project.images().images.at(0);
    ProjectImage& b = *opened.project.images().images.at(1);
    a.pose = left;
    b.pose = right;
    at_left = project_to_image(truth, a, true);
    at_right = project_to_image(truth, b, true);
    a.pose_known = 1;
    ASSERT_TRUE(save_project(opened.project));
  }
  const std::string args = " --image 2 " + numbers(at_left, {0, 0}) + " --partner 3 " + numbers(at_right, {0, 0});
  const std::string before = ws.bytes("p.op2");
  CliRun run = ws.run("add-point p.op2" + args);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Error: Image 3 is not located\n");
  EXPECT_EQ(ws.bytes("p.op2"), before);
  {
    OpenedProject opened(ws.path("p.op2"));
    opened.project.images().images.at(1)->pose_known = 1;
    ASSERT_TRUE(save_project(opened.project));
  }
  run = ws.run("add-point p.op2 --json" + args);
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject added = parse_json(run.out);
  EXPECT_EQ(added["id"], 4) << run.out;
  EXPECT_EQ(added["position"].toArray().size(), 3) << run.out;
  OpenedProject opened(ws.path("p.op2"));
  ASSERT_EQ(opened.project.model.points.count(), 1);
  const ModelPoint& point = *opened.project.model.points.at(0);
  EXPECT_NEAR(point.x, truth.x, 0.25);
  EXPECT_NEAR(point.y, truth.y, 0.25);
  EXPECT_NEAR(point.z, truth.z, 0.25);
  EXPECT_EQ(point.layer->name, "Default Layer");
  EXPECT_EQ(ws.run("add-point p.op2 --image 2 1 x --partner 3 1 2").status, 2);
}

TEST(CliTexture, GivesTheFacesOfTexturedMaterialsCoordinates) {
  Workspace ws;
  ws.make_project();
  {
    OpenedProject opened(ws.path("p.op2"));
    Project& project = opened.project;
    project.images().images.at(0)->pose = CameraPose{{0, 0, -250}, {0, 0, 0}};
    Material* textured = add_material(project, "Skin");
    textured->texture_image = project.images().images.at(0);
    ModelPoint* a = add_point(project, 0, 0, 0);
    ModelPoint* b = add_point(project, 20, 0, 0);
    ModelPoint* c = add_point(project, 0, 20, 0);
    project.model.current_material = textured;
    add_face(project, *a, *b, *c);
    project.model.current_material = project.model.materials.at(0);
    add_face(project, *a, *c, *b);
    ASSERT_TRUE(save_project(project));
  }
  const std::string before = ws.bytes("p.op2");
  EXPECT_EQ(ws.run("texture p.op2 --material Nothing").status, 1);
  const CliRun plain = ws.run("texture p.op2 --material 'default material'");
  EXPECT_EQ(plain.status, 1);
  EXPECT_EQ(plain.err, "Error: Material \"Default Material\" has no texture image\n");
  EXPECT_EQ(ws.bytes("p.op2"), before);

  // A photograph whose size cannot be read textures nothing and saves nothing.
  const std::string photo = ws.bytes("photos/front.bmp");
  ws.dir.write("photos/front.bmp", "not a bitmap");
  const CliRun unreadable = ws.run("texture p.op2");
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_NE(unreadable.err.find("Warning: The size of the photograph front.bmp cannot be read"), std::string::npos)
      << unreadable.err;
  EXPECT_EQ(ws.bytes("p.op2"), before);
  ws.dir.write("photos/front.bmp", photo);

  const CliRun run = ws.run("texture p.op2");
  ASSERT_EQ(run.status, 0) << run.err;
  OpenedProject opened(ws.path("p.op2"));
  const auto& faces = opened.project.model.faces;
  EXPECT_EQ(opened.project.model.texture_coords.count(), 3);
  for (const ModelFace* face : faces) {
    const bool skin = face->material->name == "Skin";
    for (const TextureCoord* coord : face->texture_coords) EXPECT_EQ(coord != nullptr, skin);
  }
  // u, v: the corner's photograph position over the photograph's size.
  const ModelFace& skin = faces.at(0)->material->name == "Skin" ? *faces.at(0) : *faces.at(1);
  const Point2 at = project_to_image(skin.corners[1]->position(), *opened.project.images().images.at(0), true);
  EXPECT_NEAR(skin.texture_coords[1]->u, at.x / 64, 1e-9);
  EXPECT_NEAR(skin.texture_coords[1]->v, at.y / 48, 1e-9);
}

}  // namespace
}  // namespace plenvista
