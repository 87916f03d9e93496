// plenvista-cli's marks lists and points at tie points, end to end.

#include <gtest/gtest.h>

#include "cli/cli_test_support.h"
#include "model/tie_points.h"
#include "persistence/exchange_text.h"
#include "testing/synthetic_marks.h"

namespace plenvista {
namespace {

using test_support::OpenedProject;
using test_support::parse_json;
using test_support::Workspace;

TEST(CliMarks, MarksInAndOutThenPointsAtPlacedTiePoints) {
  Workspace ws;
  ws.make_project();
  ws.dir.write("points.csv", "A 1 2 3\n");
  ASSERT_EQ(ws.run("import-points p.op2 --file points.csv").status, 0);
  ws.dir.write("bad.txt", "T1 10 20 front.bmp\nT1 10\n");
  const std::string before = ws.bytes("p.op2");
  auto run = ws.run("import-marks p.op2 bad.txt");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("bad.txt: line 2: expected 4 fields"), std::string::npos) << run.err;
  EXPECT_EQ(ws.bytes("p.op2"), before);

  ws.dir.write("marks.txt", "# front\nT1 10 20 front.bmp\nT2\t30.5\t40\tfront.bmp\nA 5 6 FRONT.BMP\nT1 1 1 gone.bmp\n");
  run = ws.run("import-marks p.op2 marks.txt --json");
  ASSERT_EQ(run.status, 0) << run.err;
  QJsonObject report = parse_json(run.out);
  EXPECT_EQ(report["reference_marks"].toInt(), 1);
  EXPECT_EQ(report["tie_marks"].toInt(), 2);
  EXPECT_EQ(report["tie_points_added"].toInt(), 2);
  EXPECT_EQ(report["images_not_found"].toArray(), QJsonArray{"gone.bmp"});

  run = ws.run("export-marks p.op2 --output out.txt");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Wrote 3 marks to out.txt\n");
  EXPECT_EQ(ws.bytes("out.txt"),
            "# label\tpixel_x\tpixel_y\timage_name\r\nT1\t10\t20\tfront.bmp\r\nT2\t30.5\t40\tfront.bmp\r\n"
            "A\t5\t6\tfront.bmp\r\n");
  run = ws.run("import-marks p.op2 out.txt");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Marks: 0 reference, 0 tie, 0 moved, 3 already present; 0 tie points added\n");

  const std::string unplaced = ws.bytes("p.op2");
  run = ws.run("make-points p.op2 --ties");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("No tie point has coordinates yet"), std::string::npos) << run.err;
  EXPECT_EQ(ws.bytes("p.op2"), unplaced);

  {
    OpenedProject opened(ws.path("p.op2"));
    place_tie_point(opened.project, *find_tie_point(opened.project.model, "T1"), Vec3{7, 8, 9});
    ASSERT_TRUE(save_project(opened.project));
  }
  EXPECT_EQ(ws.run("make-points p.op2 --ties T2").status, 1);
  run = ws.run("make-points p.op2 --ties T1 --layer nowhere");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("No layer named \"nowhere\""), std::string::npos) << run.err;
  run = ws.run("make-points p.op2 --ties");
  ASSERT_EQ(run.status, 0) << run.err;
  {
    OpenedProject opened(ws.path("p.op2"));
    ASSERT_EQ(opened.project.model.points.count(), 1);
    EXPECT_EQ(opened.project.model.points.first()->position(), (Vec3{7, 8, 9}));
  }
  run = ws.run("make-points p.op2 --ties T1");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Added no points; 1 tie points had a point already\n");
}

TEST(CliMarks, SnappedImportMovesMarksOntoTheTargetsUnderThem) {
  Workspace ws;
  ws.make_project();
  RgbImage photo(160, 120, {90, 90, 90});
  test_support::draw_sphere(photo, {40.3, 30.6}, 12.0, {30, 170, 60});
  test_support::draw_sphere(photo, {110.7, 80.2}, 10.0, {40, 60, 220});
  test_support::blur(photo, 0.6);
  ws.dir.write("photos/targets.bmp", test_support::bmp_bytes(photo));
  ASSERT_EQ(ws.run("add-image p.op2 --file targets.bmp").status, 0);
  ws.dir.write("marks.txt",
               "T1 42.3 29.1 targets.bmp\nT2 109 82 targets.bmp\nT3 140 20 targets.bmp\nT1 5 5 front.bmp\n");
  EXPECT_EQ(ws.run("import-marks p.op2 marks.txt --radius 4").status, 2);

  auto run = ws.run("import-marks p.op2 marks.txt --snap --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject snapped = parse_json(run.out)["snapped"].toObject();
  EXPECT_EQ(snapped["target"].toInt(), 2);
  EXPECT_EQ(snapped["corner"].toInt(), 0);
  EXPECT_EQ(snapped["none"].toInt(), 2);

  ASSERT_EQ(ws.run("export-marks p.op2 --output out.txt").status, 0);
  const MarksList marks = parse_marks_list(ws.bytes("out.txt"));
  ASSERT_EQ(marks.marks.size(), 4u);
  for (const LabelledMark& m : marks.marks) {
    if (m.label == "T1" && m.image_name == "targets.bmp") {
      EXPECT_NEAR(m.pixel.x, 40.3, 0.1);
      EXPECT_NEAR(m.pixel.y, 30.6, 0.1);
    } else if (m.label == "T2") {
      EXPECT_NEAR(m.pixel.x, 110.7, 0.1);
      EXPECT_NEAR(m.pixel.y, 80.2, 0.1);
    } else {  // plain ground: kept as listed
      EXPECT_TRUE(m.pixel == (Point2{140, 20}) || m.pixel == (Point2{5, 5})) << m.label;
    }
  }
}

}  // namespace
}  // namespace plenvista
