// plenvista-cli's marks lists and points at tie points, end to end.

#include <gtest/gtest.h>

#include "cli/cli_test_support.h"
#include "model/tie_points.h"

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

}  // namespace
}  // namespace plenvista
