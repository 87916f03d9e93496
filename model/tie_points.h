#pragma once

// Tie points and the labelled marks that make them. Photograph marks are
// pixels of the photograph (x right, y down from its top-left corner) on
// the way in and out, the image's centre-relative positions once stored;
// world positions are model units.
//
// A mark of a tie point without coordinates lives in its image's
// `tie_marks`; once the tie point is placed its marks move to the image's
// reference points with its coordinates, where the camera search, the
// residuals and the project file take them like any other. Like reference
// points, marks and tie points are outside the undo history; every edit here
// sets `changed` and the caller then calls Note change. Edits that create
// records are refused, with the project's out-of-ids message and nothing
// changed, when too few ids are left.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/control_points.h"
#include "model/project.h"

namespace plenvista {

// A mark as read from a marks list: the label of its control or tie point,
// the photograph pixel and the photograph's file name.
struct LabelledMark {
  std::string label;
  Point2 pixel;
  std::string image_name;
  int line = 0;
};

TiePoint* find_tie_point(const ModelData& model, std::string_view label);

// The label of the control or tie point a mark belongs to; empty for a mark
// of neither.
std::string_view mark_label(const ModelData& model, const ReferencePoint& mark);

// Where a mark sits in its photograph, in the photograph's pixels.
Point2 mark_pixel(const ProjectImage& image, const ReferencePoint& mark);

// A new tie point of that label, without coordinates. Null, with nothing
// changed, when the label is empty or already names a control or tie point,
// or when the ids ran out. Sets `changed`.
TiePoint* add_tie_point(Project& project, const std::string& label);

// The mark of control or tie point `point_id` in the image (reference point
// or tie mark), or null.
ReferencePoint* find_mark_of(const ProjectImage& image, int point_id);

// Marks control or tie point `point_id` at `pixel` (the photograph's
// pixels) in the image, as one undoable action "Mark Point": a mark of it
// the image has already moves there. The mark, or null (nothing changed)
// when no point has that id or the ids ran out. Sets `changed` and posts
// ImagesChanged.
ReferencePoint* mark_point_at(Project& project, ProjectImage& image, int point_id, const Point2& pixel);

// Gives a tie point its coordinates, or takes them away (none, its
// precision forgotten with them); its marks move between the images'
// reference points and tie marks and take the coordinates. A photograph
// whose reference points changed gets `marks_changed` 1. Posts
// ImagesChanged when a mark moved.
void place_tie_point(Project& project, TiePoint& point, const std::optional<Vec3>& position);

// Entries of a control point list whose label is a tie point's or starts
// as an automatic tie point's ("auto-"), one problem each: a label names one
// kind of point only.
std::vector<LineProblem> tie_label_problems(const ModelData& model, const std::vector<ControlPointEntry>& entries);

struct MarksImport {
  int reference_marks = 0;                    // marks of control points (with coordinates)
  int tie_marks = 0;                          // marks of tie points
  int moved = 0;                              // the photograph had a mark of the label elsewhere: it moved
  int already_present = 0;                    // the same label at the same pixel of the photograph
  int tie_points_added = 0;                   // labels that were neither control nor tie points yet
  std::vector<std::string> images_not_found;  // each name once, in file order
};

// "Marks: 8 reference, 12 tie, 0 moved, 0 already present; 3 tie points
// added"
// (without an ending, which its reader adds).
std::string marks_import_summary(const MarksImport& report);

// Adds every mark whose photograph is in the project: a control point's
// label makes a reference point of its coordinates, any other label a mark
// of the tie point of that label (made when new). A photograph holds one
// mark of a label: a mark it has already moves to the list's pixel. None
// when the ids ran out (nothing changed).
std::optional<MarksImport> import_labelled_marks(Project& project, const std::vector<LabelledMark>& marks);

}  // namespace plenvista
