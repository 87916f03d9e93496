// plenvista-cli's exchange commands end to end: control point and GCP lists
// in, points, marks and cameras out.

#include <gtest/gtest.h>

#include "cli/cli_test_support.h"
#include "model/control_points.h"
#include "model/edit_actions.h"

namespace plenvista {
namespace {

using test_support::OpenedProject;
using test_support::parse_json;
using test_support::Workspace;

std::vector<double> numbers(const QJsonValue& array) {
  std::vector<double> out;
  for (const QJsonValue& v : array.toArray()) out.push_back(v.toDouble());
  return out;
}

TEST(CliExchange, ListsInMarksFollowTheirControlPointsAndEverythingOut) {
  Workspace ws;
  ws.make_project();
  ws.dir.write("points.csv", "label,X,Y,Z\nA,0,0,0\nB,600,0,0\nC,600,x,0\nD,0,-400,0\n");
  const std::string before = ws.bytes("p.op2");
  auto run = ws.run("import-points p.op2 --file points.csv");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("points.csv: line 4: Y is not a number: 'x'"), std::string::npos) << run.err;
  EXPECT_EQ(ws.bytes("p.op2"), before);
  EXPECT_FALSE(std::filesystem::exists(ws.path("p.points.csv")));

  run = ws.run("import-points p.op2 --file points.csv --skip-bad-lines --json");
  ASSERT_EQ(run.status, 0) << run.err;
  QJsonObject report = parse_json(run.out);
  EXPECT_EQ(report["added"].toInt(), 3);
  EXPECT_EQ(report["skipped_lines"].toArray().at(0).toObject()["line"].toInt(), 4);

  // Marks by control point name; the camera's centre is (610, 345).
  ws.dir.write("marks.txt",
               "local grid\n0 0 0 10 20 front.bmp A\n600 0 0 30 40 front.bmp B\n0 -400 0 50 60 FRONT.BMP D\n"
               "1 2 3 70 80 front.bmp\n1 1 1 1 1 missing.jpg E\n");
  run = ws.run("import-gcp p.op2 --file marks.txt --json");
  ASSERT_EQ(run.status, 0) << run.err;
  report = parse_json(run.out);
  EXPECT_EQ(report["created"].toInt(), 4);
  EXPECT_EQ(report["coordinate_system"].toString(), "local grid");
  EXPECT_EQ(report["images_not_found"].toArray(), QJsonArray{"missing.jpg"});
  EXPECT_NE(run.err.find("No photograph named missing.jpg"), std::string::npos);
  {
    OpenedProject opened(ws.path("p.op2"));
    const ProjectImage& image = *opened.project.images().images.at(0);
    ASSERT_EQ(image.reference_points.count(), 4);
    EXPECT_EQ(image.reference_points.at(0)->image_position, (Point2{-600, -325}));
    EXPECT_NE(image.reference_points.at(0)->control_point_id, 0);
  }

  // A corrected coordinate moves the marks made from it.
  ws.dir.write("corrected.csv", "B 600.5 0 0\n");
  run = ws.run("import-points p.op2 --file corrected.csv");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("0 added, 1 moved, 0 unchanged; 1 photographs marked"), std::string::npos) << run.out;

  run = ws.run("export-gcp p.op2 --output out.txt --crs 'local grid'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ws.bytes("out.txt"),
            "local grid\r\n0\t0\t0\t10\t20\tfront.bmp\tA\r\n600.5\t0\t0\t30\t40\tfront.bmp\tB\r\n"
            "0\t-400\t0\t50\t60\tfront.bmp\tD\r\n1\t2\t3\t70\t80\tfront.bmp\r\n");

  // Points and cameras out: an in-process edit gives a point and a located camera.
  {
    OpenedProject opened(ws.path("p.op2"));
    Project& project = opened.project;
    add_point(project, 1.5, -2, 3);
    ProjectImage& image = *project.images().images.at(0);
    image.pose = {{0, 0, -1000}, {0, 0, 0}};
    image.pose_known = 1;
    ASSERT_TRUE(save_project(project));
  }
  run = ws.run("export-points p.op2 --output points-out.csv --json");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(parse_json(run.out)["written"].toInt(), 1);
  const std::string points = ws.bytes("points-out.csv");
  EXPECT_EQ(points.substr(0, 16), "id,layer,X,Y,Z\r\n");
  EXPECT_NE(points.find(",1.5,-2,3\r\n"), std::string::npos) << points;

  run = ws.run("export-cameras p.op2 --output cameras.json");
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject cameras = parse_json(ws.bytes("cameras.json"));
  const QJsonObject camera = cameras["cameras"].toArray().at(0).toObject();
  EXPECT_EQ(camera["file"].toString(), "front.bmp");
  EXPECT_EQ(numbers(camera["position"]), (std::vector<double>{0, 0, 1000}));
  EXPECT_EQ(numbers(camera["world_from_camera"].toArray().at(2)), (std::vector<double>{0, 0, 1, 1000}));
  run = ws.run("export-cameras p.op2 --output cameras.txt --format csv");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ws.bytes("cameras.txt").substr(0, 14), "image_id,file,");
}

}  // namespace
}  // namespace plenvista
