// Tie points and their marks: marks lists in and out, the side file that
// carries them, and marks staying out of the search until placed.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/file_io.h"
#include "model/auto_ties.h"
#include "model/control_points.h"
#include "model/image_management.h"
#include "model/tie_points.h"
#include "persistence/control_points_file.h"
#include "persistence/exchange_text.h"
#include "persistence/project_file.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

struct TiePoints : ::testing::Test {
  test_support::TempDir temp;
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};

  TiePoints() { project.set_path(file("house.op2")); }
  static ProjectImage* add(Project& p, const std::string& name, double centre_x, double centre_y) {
    auto image = std::make_unique<ProjectImage>();
    image->file_name = name;
    ProjectImage* added = add_image(p, std::move(image));
    added->centre_x = centre_x;
    added->centre_y = centre_y;
    return added;
  }
  std::string file(const std::string& name) const { return (temp.path / name).string(); }
  std::string read(const std::string& path) const {
    const ReadResult r = read_whole_file(path);
    return r.bytes ? std::string(r.bytes->begin(), r.bytes->end()) : std::string();
  }
  // Front and side photographs, control point A marked in both, tie points
  // T1 (both) and "#2 gate" (front) from a marks list.
  void fill() {
    add(project, "front.jpg", 1136, 852);
    add(project, "Side.png", 1000.5, 750.25);
    ASSERT_TRUE(merge_control_points(project, {{"A", {1, 2, 3}}}));
    const MarksList list = parse_marks_list(
        "# a comment\nA 10 20 front.jpg\nA\t30.5\t40\tside.png\nT1 100.25 -3 front.jpg\n"
        "T1\t7\t8\tSide.png\n\"#2 gate\"\t5e2\t600\tfront.jpg\n");
    ASSERT_TRUE(list.problems.empty()) << problems_text(list.problems);
    const auto report = import_labelled_marks(project, list.marks);
    ASSERT_TRUE(report);
    EXPECT_EQ(marks_import_summary(*report),
              "Marks: 2 reference, 3 tie, 0 moved, 0 already present; 2 tie points added");
  }
};

TEST(ParseMarksList, BadLinesAreNamedByNumber) {
  const MarksList list = parse_marks_list(
      "T1 1 2 a.jpg\nT1 1 2\nT2 x 2 a.jpg\nT1 3 4 A.JPG\nT1 1 2 my photo.jpg\n\"my tie\"\t1\t2\tb c.jpg\n");
  EXPECT_EQ(problems_text(list.problems),
            "line 2: expected 4 fields (label pixel_x pixel_y image_name), found 3\n"
            "line 3: pixel_x is not a number: 'x'\n"
            "line 4: 'T1' is marked in A.JPG on line 1 already\n"
            "line 5: expected 4 fields (label pixel_x pixel_y image_name), found 5\n");
  ASSERT_EQ(list.marks.size(), 2u);
  EXPECT_EQ(list.marks[1].label, "my tie");
  EXPECT_EQ(list.marks[1].image_name, "b c.jpg");
}

TEST_F(TiePoints, UnplacedTieMarksStayOutOfTheSearchUntilPlaced) {
  fill();
  ProjectImage& front = *project.images().images.at(0);
  ASSERT_EQ(project.model.tie_points.count(), 2);
  EXPECT_EQ(front.reference_points.count(), 1);  // only A's mark can enter the search
  EXPECT_EQ(front.tie_marks.count(), 2);
  EXPECT_EQ(front.reference_points.first()->world_position, (Vec3{1, 2, 3}));

  TiePoint& t1 = *find_tie_point(project.model, "T1");
  front.marks_changed = 0;
  place_tie_point(project, t1, Vec3{4, 5, 6});
  EXPECT_EQ(front.reference_points.count(), 2);
  EXPECT_EQ(front.tie_marks.count(), 1);
  EXPECT_EQ(front.marks_changed, 1);  // for a new search
  const ReferencePoint* placed = front.reference_points.last();
  EXPECT_EQ(placed->world_position, (Vec3{4, 5, 6}));
  EXPECT_EQ(mark_pixel(front, *placed), (Point2{100.25, -3}));

  // A photograph holds one mark of a label: the same pixel again is
  // present, another moves it (and the photograph is searched again).
  front.marks_changed = 0;
  const auto again = import_labelled_marks(project, parse_marks_list("T1 100.25 -3 front.jpg\nT1 1 1 side.png").marks);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->already_present, 1);
  EXPECT_EQ(again->moved, 1);
  EXPECT_EQ(front.marks_changed, 0);
  EXPECT_EQ(mark_pixel(*project.images().images.at(1), *project.images().images.at(1)->reference_points.last()),
            (Point2{1, 1}));

  place_tie_point(project, t1, std::nullopt);
  EXPECT_EQ(front.reference_points.count(), 1);
  EXPECT_EQ(front.tie_marks.count(), 2);
}

TEST_F(TiePoints, MarksListExportedImportsIntoAFreshProjectUnchanged) {
  fill();
  place_tie_point(project, *find_tie_point(project.model, "T1"), Vec3{4, 5, 6});
  add_reference_point(project, *project.images().images.at(0), {9, 9, 9}, {0, 0});  // no label: left out
  const MarksListText text = marks_list_text(project);
  EXPECT_EQ(text.written, 5);
  EXPECT_EQ(text.unlabelled, 1);
  EXPECT_EQ(text.text,
            "# label\tpixel_x\tpixel_y\timage_name\r\nA\t10\t20\tfront.jpg\r\nT1\t100.25\t-3\tfront.jpg\r\n"
            "\"#2 gate\"\t500\t600\tfront.jpg\r\nA\t30.5\t40\tSide.png\r\nT1\t7\t8\tSide.png\r\n");

  Project fresh{store, notifier, messages};
  add(fresh, "front.jpg", 1136, 852);
  add(fresh, "Side.png", 1000.5, 750.25);
  ASSERT_TRUE(merge_control_points(fresh, {{"A", {1, 2, 3}}}));
  const MarksList list = parse_marks_list(text.text);
  EXPECT_TRUE(list.problems.empty());
  ASSERT_TRUE(import_labelled_marks(fresh, list.marks));
  EXPECT_EQ(marks_list_text(fresh).text, text.text);
}

TEST_F(TiePoints, SideFileCarriesTiePointsTheirMarksAndResultsAndLeavesTheProjectFileAlone) {
  fill();
  ProjectImage& front = *project.images().images.at(0);
  TiePoint& t1 = *find_tie_point(project.model, "T1");
  place_tie_point(project, t1, Vec3{4, 5.5, -6});
  t1.precision = TiePrecision{{0.25, 0.5, 1e-3}, 2, 31.5};
  front.reference_points.last()->orientation_residual = 0.75;
  front.reference_points.last()->orientation_outlier = true;
  ASSERT_TRUE(save_project(project));
  const std::string side = read(file("house.points.csv"));

  Project reopened{store, notifier, messages};
  reopened.set_path(file("house.op2"));
  ASSERT_EQ(open_project(reopened), OpenResult::Opened) << (messages.shown.empty() ? "" : messages.shown[0].text);
  EXPECT_EQ(encode_control_points(reopened.model, reopened.images()), side);
  const TiePoint* t1_again = find_tie_point(reopened.model, "T1");
  ASSERT_TRUE(t1_again && t1_again->position && t1_again->precision);
  EXPECT_EQ(*t1_again->position, (Vec3{4, 5.5, -6}));
  EXPECT_EQ(t1_again->precision->max_angle_deg, 31.5);
  const ProjectImage& front_again = *reopened.images().images.at(0);
  ASSERT_EQ(front_again.tie_marks.count(), 1);
  EXPECT_EQ(mark_label(reopened.model, *front_again.tie_marks.first()), "#2 gate");
  EXPECT_EQ(front_again.tie_marks.first()->image_position, (Point2{500 - 1136, 600 - 852}));
  EXPECT_EQ(front_again.reference_points.last()->orientation_residual, 0.75);
  EXPECT_TRUE(front_again.reference_points.last()->orientation_outlier);
  EXPECT_GT(reopened.model.next_id, front.tie_marks.first()->id);

  // The project file holds only marks with coordinates: without the tie
  // points and their marks it is the same.
  const std::string with_ties = read(file("house.op2"));
  for (ProjectImage* image : project.images().images) {
    image->tie_marks.clear();
    for (int slot = image->reference_points.count() - 1; slot >= 0; --slot)
      if (project.model.tie_points.find(image->reference_points[slot]->control_point_id))
        image->reference_points.remove_at(slot);
  }
  project.model.tie_points.clear();
  ASSERT_TRUE(save_project(project));
  EXPECT_EQ(read(file("house.op2")).size(), with_ties.size() - 2 * 64);  // two placed marks' records
  // ... and the side file is the control points' file as it always was.
  const std::string plain = read(file("house.points.csv"));
  const std::string expected_start =
      "# Plenvista control points: label, X, Y, Z, the control point's id and the ids of the reference points made "
      "from it\r\nlabel,X,Y,Z,id,references\r\nA,1,2,3,";
  EXPECT_EQ(plain.substr(0, expected_start.size()), expected_start);
  EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 3);
}

TEST_F(TiePoints, OldSideFilesReadAndDamagedTieTablesChangeNothing) {
  add(project, "front.jpg", 1136, 852);
  ASSERT_TRUE(save_project(project));
  ASSERT_EQ(write_file_atomically(file("house.points.csv"), "# old\nlabel,X,Y,Z,id,references\nA,1,2,3,90,\n"),
            WriteResult::Ok);
  Project old{store, notifier, messages};
  old.set_path(file("house.op2"));
  ASSERT_EQ(open_project(old), OpenResult::Opened);
  EXPECT_EQ(old.model.control_points.count(), 1);
  EXPECT_EQ(old.model.next_id, 91);

  const std::string header =
      "label,X,Y,Z,id,references\ntie,X,Y,Z,id,references,sx_mm,sy_mm,sz_mm,rays,max_angle_deg\n";
  const std::pair<std::string, std::string> damaged[] = {
      {"T,1,2,,5,,,,,,\n", "line 3: give all of X, Y, Z or none"},
      {"T,,,,5,6,,,,x,\n", "line 3: the number of rays is not a whole number"},
      {"T,,,,5,6,,,,,\nmark,image,x,y,residual_px,outlier\n6,1,1,,,0\n",
       "line 5: the position is not two numbers or none"},
      {"T,,,,5,6,,,,,\nmark,image,x,y,residual_px,outlier\n5,1,1,1,,0\n", "line 5: the id 5 is repeated"},
      {"T,,,,5,6,,,,,\nmark,image,x,y,residual_px,outlier\n6,1,1,1,,2\n", "line 5: the outlier flag is not 0 or 1"},
      {"label,X,Y,Z,id,references\n", "line 3: expected 11 fields, found 6"},
  };
  for (const auto& [tail, reason] : damaged) {
    ModelData model;
    std::string error;
    EXPECT_FALSE(decode_control_points(header + tail, model, project.images(), error)) << tail;
    EXPECT_EQ(error, reason);
    EXPECT_TRUE(model.tie_points.empty());
    EXPECT_TRUE(project.images().images.first()->tie_marks.empty());
  }
}

TEST_F(TiePoints, AutomaticTiesRoundTripThroughProjectAndMarksListAndGoAllAtOnce) {
  fill();
  ProjectImage& front = *project.images().images.at(0);
  ProjectImage& side = *project.images().images.at(1);
  ASSERT_TRUE(import_labelled_marks(project, parse_marks_list("auto-7 1 2 front.jpg\nauto-7 3 4 Side.png").marks));
  const auto added = add_automatic_ties(project, {{{front.id, {11.5, 12}}, {side.id, {13, 14.25}}},
                                                  {{front.id, {1, 1}}, {999, {2, 2}}},  // one known photograph
                                                  {{side.id, {1, 1}}, {side.id, {2, 2}}}});
  ASSERT_TRUE(added);
  EXPECT_EQ(*added, std::vector<std::string>{"auto-8"});  // numbering goes on after the highest
  EXPECT_EQ(next_automatic_number(project.model), 9);
  EXPECT_EQ(mark_pixel(front, *front.tie_marks.last()), (Point2{11.5, 12}));
  place_tie_point(project, *find_tie_point(project.model, "auto-7"), Vec3{1, 1, 1});
  ASSERT_TRUE(save_project(project));

  Project reopened{store, notifier, messages};
  reopened.set_path(file("house.op2"));
  ASSERT_EQ(open_project(reopened), OpenResult::Opened);
  ASSERT_TRUE(find_tie_point(reopened.model, "auto-8"));
  EXPECT_EQ(reopened.images().images.at(1)->tie_marks.count(), 2);  // "#2 gate" is not in it
  const MarksListText text = marks_list_text(project);
  EXPECT_NE(text.text.find("auto-8\t13\t14.25\tSide.png\r\n"), std::string::npos);
  Project fresh{store, notifier, messages};
  add(fresh, "front.jpg", 1136, 852);
  add(fresh, "Side.png", 1000.5, 750.25);
  ASSERT_TRUE(merge_control_points(fresh, {{"A", {1, 2, 3}}}));
  ASSERT_TRUE(import_labelled_marks(fresh, parse_marks_list(text.text).marks));
  EXPECT_EQ(marks_list_text(fresh).text, text.text);

  ProjectImage& front_again = *reopened.images().images.at(0);
  front_again.marks_changed = 0;
  EXPECT_EQ(delete_automatic_ties(reopened), 2);
  EXPECT_EQ(reopened.model.tie_points.count(), 2);  // T1 and "#2 gate" stay
  EXPECT_EQ(front_again.marks_changed, 1);          // auto-7 was placed: its mark left the search
  EXPECT_EQ(front_again.reference_points.count(), 1);
  EXPECT_EQ(front_again.tie_marks.count(), 2);
  EXPECT_EQ(delete_automatic_ties(reopened), 0);

  // A control point cannot take an automatic label.
  EXPECT_EQ(problems_text(tie_label_problems(reopened.model, {{"auto-3", {0, 0, 0}, 4}})),
            "line 4: 'auto-3': labels starting with \"auto-\" are kept for automatic tie points\n");
}

}  // namespace
}  // namespace plenvista
