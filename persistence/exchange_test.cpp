#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_io.h"
#include "model/control_points.h"
#include "model/image_management.h"
#include "persistence/control_points_file.h"
#include "persistence/exchange_text.h"
#include "persistence/project_file.h"
#include "testing/project_files.h"

namespace plenvista {
namespace {

TEST(ParseControlPointList, MixedSeparatorsHeaderCommentsAndOneMalformedLine) {
  const std::string text =
      "\xEF\xBB\xBF# surveyed 2026-03-02\r\n"
      "Name;Easting;Northing;Height\r\n"
      "A1;10.5;-2;0.25\r\n"
      "A2,11,3e2,-1\n"
      "   # a comment after blanks\n"
      "\n"
      "A3\t12\t4\t5\n"
      "A4  13   5  6.5\n"
      "A5;1,5;2;3\n"
      "\"Gate, north\",1,2,3\n";
  const ControlPointList list = parse_control_point_list(text);
  EXPECT_TRUE(list.has_header);
  ASSERT_EQ(list.entries.size(), 5u);
  EXPECT_EQ(list.entries[0].label, "A1");
  EXPECT_EQ(list.entries[0].position, (Vec3{10.5, -2, 0.25}));
  EXPECT_EQ(list.entries[1].position, (Vec3{11, 300, -1}));
  EXPECT_EQ(list.entries[2].position, (Vec3{12, 4, 5}));
  EXPECT_EQ(list.entries[3].label, "A4");
  EXPECT_EQ(list.entries[3].line, 8);
  EXPECT_EQ(list.entries[4].label, "Gate, north");
  ASSERT_EQ(list.problems.size(), 1u);
  EXPECT_EQ(problems_text(list.problems), "line 9: X is not a number: '1,5' (use a decimal point)\n");
}

TEST(ParseControlPointList, HeaderColumnsInAnyOrderAndEachKindOfBadLine) {
  const ControlPointList named = parse_control_point_list("z,x,label,y,code\n3,1,P,2,kerb\n");
  ASSERT_EQ(named.entries.size(), 1u);
  EXPECT_EQ(named.entries[0].label, "P");
  EXPECT_EQ(named.entries[0].position, (Vec3{1, 2, 3}));

  const ControlPointList bad = parse_control_point_list("A 1 2 3\nB 1 2\n,1,2,3\nA 4 5 6\nC 1 x 3\n");
  EXPECT_FALSE(bad.has_header);
  ASSERT_EQ(bad.entries.size(), 1u);
  EXPECT_EQ(problems_text(bad.problems),
            "line 2: expected 4 fields (label, X, Y, Z), found 3\n"
            "line 3: the label is empty\n"
            "line 4: label 'A' was given on line 1\n"
            "line 5: Y is not a number: 'x'\n");
}

TEST(ParseGcpList, CoordinateSystemLineMarksAndProblems) {
  const GcpList list = parse_gcp_list(
      "EPSG:32632\n"
      "500.5 20 3 812 430 front.jpg A1\n"
      "1 2 3 4 5\tside photo.jpg\n"  // a tab makes tabs the only separators
      "1 2 3 4 5 front.jpg\n"
      "1 2 3 x 5 front.jpg\n");
  EXPECT_EQ(list.coordinate_system, "EPSG:32632");
  ASSERT_EQ(list.marks.size(), 2u);
  EXPECT_EQ(list.marks[0].world, (Vec3{500.5, 20, 3}));
  EXPECT_EQ(list.marks[0].pixel, (Point2{812, 430}));
  EXPECT_EQ(list.marks[0].label, "A1");
  EXPECT_EQ(list.marks[1].image_name, "front.jpg");
  EXPECT_FALSE(list.marks[1].label);
  EXPECT_EQ(problems_text(list.problems),
            "line 3: expected at least 6 fields (X Y Z pixel_x pixel_y image_name), found 2\n"
            "line 5: pixel_x is not a number: 'x'\n");
}

using Exchange = test_support::ProjectFiles;

TEST_F(Exchange, GcpListExportedAndImportedIntoAFreshProjectRecreatesEveryReferencePoint) {
  Project source{store, notifier, messages};
  ProjectImage* front = add(source, "front.jpg", 1136, 852);
  ProjectImage* side = add(source, "Side Photo.png", 1000.5, 750.25);
  ASSERT_TRUE(merge_control_points(source, {{"A1", {0.1, 0.2, 0.3}}, {"B 2", {600, -400.125, 1e-7}}}));
  add_reference_from_control_point(source, *front, *find_control_point(source.model, "A1"), {812.37 - 1136, -0.5});
  add_reference_from_control_point(source, *side, *find_control_point(source.model, "B 2"), {-17.25, 301.0625});
  add_reference_point(source, *side, {1.0 / 3.0, 2.0 / 3.0, -5}, {123.456 - 1000.5, 7.75 - 750.25});
  const std::string text = gcp_list_text(source, std::string("local"));
  EXPECT_EQ(text.substr(0, 7), "local\r\n");

  Project fresh{store, notifier, messages};
  ProjectImage* front_again = add(fresh, "front.jpg", 1136, 852);
  ProjectImage* side_again = add(fresh, "side photo.png", 1000.5, 750.25);  // found ignoring case
  const GcpList list = parse_gcp_list(text);
  EXPECT_TRUE(list.problems.empty());
  EXPECT_EQ(list.coordinate_system, "local");
  const auto report = import_image_marks(fresh, list.marks);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->created, 3);
  EXPECT_TRUE(report->images_not_found.empty());

  const std::pair<ProjectImage*, ProjectImage*> pairs[] = {{front, front_again}, {side, side_again}};
  for (const auto& [was, now] : pairs) {
    ASSERT_EQ(now->reference_points.count(), was->reference_points.count());
    for (int k = 0; k < was->reference_points.count(); ++k) {
      const ReferencePoint& a = *was->reference_points.at(k);
      const ReferencePoint& b = *now->reference_points.at(k);
      EXPECT_EQ(b.world_position, a.world_position);
      EXPECT_EQ(b.image_position, a.image_position);
      const ControlPoint* ca = source.model.control_points.find(a.control_point_id);
      const ControlPoint* cb = fresh.model.control_points.find(b.control_point_id);
      ASSERT_EQ(ca == nullptr, cb == nullptr);
      if (ca) {
        EXPECT_EQ(cb->label, ca->label);
      }
    }
  }
}

TEST_F(Exchange, ControlPointsLiveBesideTheProjectFileWhichTheyLeaveUnchanged) {
  Project project{store, notifier, messages};
  project.set_path(file("house.op2"));
  ProjectImage* front = add(project, "front.jpg", 1136, 852);
  add_reference_point(project, *front, {1, 2, 3}, {4, 5});
  ASSERT_TRUE(save_project(project));
  EXPECT_FALSE(std::filesystem::exists(file("house.points.csv")));  // none without control points
  const std::string plain = read(file("house.op2"));
  EXPECT_EQ(plain, encode_project(project));

  ASSERT_TRUE(merge_control_points(project, {{"#1; \"west\"", {1.5, -2, 1e300}}, {"B", {0, 0, 0}}}));
  ReferencePoint* linked =
      add_reference_from_control_point(project, *front, *find_control_point(project.model, "B"), {7, 8});
  ASSERT_TRUE(save_project(project));
  const std::string with_points = read(file("house.op2"));

  // Opened again: the control points and the link are back.
  Project reopened{store, notifier, messages};
  reopened.set_path(file("house.op2"));
  ASSERT_EQ(open_project(reopened), OpenResult::Opened);
  ASSERT_EQ(reopened.model.control_points.count(), 2);
  const ControlPoint* west = find_control_point(reopened.model, "#1; \"west\"");
  ASSERT_TRUE(west);
  EXPECT_EQ(west->position, (Vec3{1.5, -2, 1e300}));
  const ReferencePoint* linked_again = reopened.images().images.first()->reference_points.find(linked->id);
  ASSERT_TRUE(linked_again);
  EXPECT_EQ(linked_again->control_point_id, find_control_point(reopened.model, "B")->id);
  EXPECT_EQ(reopened.images().images.first()->reference_points.first()->control_point_id, 0);

  // The project file holds no trace of them: without the list it is the same.
  for (ReferencePoint* r : front->reference_points) r->control_point_id = 0;
  project.model.control_points.clear();
  EXPECT_EQ(encode_project(project), with_points);
  ASSERT_TRUE(save_project(project));
  EXPECT_FALSE(std::filesystem::exists(file("house.points.csv")));  // removed with the last one
}

TEST_F(Exchange, ADamagedControlPointsFileRefusesTheOpenAndNamesTheLine) {
  Project project{store, notifier, messages};
  project.set_path(file("house.op2"));
  ASSERT_TRUE(save_project(project));
  ASSERT_EQ(write_file_atomically(file("house.points.csv"), "label,X,Y,Z,id,references\nA,1,2,3,9,\nB,1,2,3,9,\n"),
            WriteResult::Ok);
  Project other{store, notifier, messages};
  other.set_path(file("house.op2"));
  messages.shown.clear();
  EXPECT_EQ(open_project(other), OpenResult::Damaged);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find("house.points.csv): line 3:"), std::string::npos);
}

}  // namespace
}  // namespace plenvista
