#pragma once

// Edits of the project's control point list and of the reference points
// made from control points. Coordinates are model units; photograph marks
// are pixels of the photograph (x right, y down from its top-left corner)
// on the way in and the image's centre-relative positions once stored.
//
// Adding a control point, or removing one, is outside the undo history (like
// images and reference points); moving one is an undoable action, after
// which every reference point made from it follows and its photograph is
// marked for a new search. Every edit here sets `changed`; the caller then
// calls Note change. Edits that create records are refused, with the
// project's out-of-ids message and nothing changed, when too few ids are
// left.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/project.h"

namespace plenvista {

inline const std::string kEditControlPointsAction = "Edit Control Points";

// One line of an exchange file that could not be used, by its line number
// (from 1) and why.
struct LineProblem {
  int line = 0;
  std::string reason;
};

// A control point as read from a list, before it is in the project.
struct ControlPointEntry {
  std::string label;
  Vec3 position;
  int line = 0;
};

// A reference mark as read from a GCP list: world position, photograph pixel
// (from the photograph's top-left corner), the photograph's file name and,
// when the list names it, the control point it belongs to.
struct ImageMark {
  Vec3 world;
  Point2 pixel;
  std::string image_name;
  std::optional<std::string> label;
  int line = 0;
};

ControlPoint* find_control_point(const ModelData& model, std::string_view label);

struct ControlPointMerge {
  int added = 0;
  int moved = 0;
  int unchanged = 0;
  int photographs_marked = 0;  // for a new search, their reference points having moved
};

// "Control points: 2 added, 1 moved, 0 unchanged", the counts of a merge
// (without an ending, which its reader adds).
std::string merge_summary(const ControlPointMerge& merge);

// Entries whose label is new become control points with new ids; entries
// naming an existing control point with other coordinates move it, all such
// moves as one undoable "Edit Control Points" action (none recorded when
// nothing moves). None when the ids ran out (nothing changed).
std::optional<ControlPointMerge> merge_control_points(Project& project, const std::vector<ControlPointEntry>& entries);

// Moves control points to new coordinates as one undoable "Edit Control
// Points" action; their reference points follow. Returns the number of
// photographs marked for a new search.
int move_control_points(Project& project, const std::vector<std::pair<ControlPoint*, Vec3>>& moves);

// Removes a control point; its reference points stay where they are and
// forget it.
void remove_control_point(Project& project, ControlPoint& point);

// Every reference point made from a control point takes that control
// point's coordinates; a photograph where one changed gets `marks_changed`
// 1. Returns how many photographs were marked and posts ImagesChanged when
// any was. Undo and redo call it after rebuilding the coordinates.
int follow_control_points(Project& project);

// A reference point in `image` at a centre-relative position, made from the
// control point (its coordinates, and the link to it). Null when no id is
// left.
ReferencePoint* add_reference_from_control_point(Project& project, ProjectImage& image, const ControlPoint& point,
                                                 const Point2& image_position);

// The image of a project whose file name (without directory) is `name`,
// exactly or else ignoring letter case; null when there is none.
ProjectImage* find_image_by_file_name(const ImageSet& images, std::string_view name);

// Marks whose named control point exists with other coordinates than the
// mark gives, one problem each. A GCP import checks these before it
// creates anything.
std::vector<LineProblem> check_image_marks(const ModelData& model, const std::vector<ImageMark>& marks);
// check_image_marks, with the conflicting marks taken out of `marks`: what
// is left is what a GCP import creates.
std::vector<LineProblem> drop_conflicting_marks(const ModelData& model, std::vector<ImageMark>& marks);

// Adds `name` to `names` unless it is there already (file order kept).
void note_once(std::vector<std::string>& names, const std::string& name);

struct MarkImport {
  int created = 0;
  int already_present = 0;                    // the same mark was in the photograph already
  int control_points_added = 0;               // named by a mark and not yet in the list
  std::vector<std::string> images_not_found;  // each name once, in file order
};

// "Reference points: 8 created, 0 already present; 2 control points added"
// (without an ending, which its reader adds).
std::string import_summary(const MarkImport& report);

// Creates a reference point for every mark whose photograph is in the
// project, at the mark's pixel converted to the image's centre-relative
// position. A named mark links to (and, when new, creates) the control
// point of that label; an unnamed one links to a control point of exactly
// its coordinates when there is one. A mark already present (same position
// and coordinates in the same photograph) is not doubled. None when the ids
// ran out (nothing changed).
std::optional<MarkImport> import_image_marks(Project& project, const std::vector<ImageMark>& marks);

}  // namespace plenvista
