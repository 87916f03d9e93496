#pragma once

// Text files exchanged with surveying and photogrammetry tools.
//
// Control point lists: one control point a line, label, X, Y, Z (model
// units, decimal point). Fields are separated by semicolons, or commas, or
// tabs, or runs of blanks, chosen line by line in that order of preference
// (the first of them the line contains outside double quotes, so that a
// decimal comma in a semicolon-separated line is found and named); a field
// may be in double quotes ("" inside standing for one). Blank lines and lines starting with '#' are
// skipped. The first line is a header when none of its X, Y, Z fields is a
// number; a header naming its columns (label/name/point, x/east/easting,
// y/north/northing, z/height/elevation) may give them in any order and add
// others, which are ignored; without a header a line has exactly four
// fields. Labels must be present and unique.
//
// GCP lists: `X Y Z pixel_x pixel_y image_name [label]` a line, separated
// by tabs when the line has one, else by runs of blanks; an optional first
// line that is not a mark names the coordinate system. Pixels count from
// the photograph's top-left corner, x right, y down. Further fields are
// ignored.
//
// Marks lists: `label pixel_x pixel_y image_name` a line, separated by
// tabs when the line has one, else by runs of blanks; pixels as in GCP
// lists. The label names a control point (the mark becomes a reference point
// of its coordinates) or a tie point. A label marked twice in the same
// photograph is a bad line.
//
// Readers never fail: every line that cannot be used is listed with its
// number (from 1) and the reason; the caller decides whether the usable
// lines are taken. Writers end lines with CR LF and write numbers in the
// shortest text that reads back to the same double, independent of the
// locale.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/control_points.h"
#include "model/project.h"
#include "model/tie_points.h"

namespace plenvista {

// The lines of a text that are neither blank nor comments, with their
// numbers from 1, without CR; a UTF-8 byte order mark at the start is
// dropped.
struct NumberedLine {
  int number = 0;
  std::string_view text;
};
std::vector<NumberedLine> data_lines(std::string_view text);

// The fields of one line of a control point list (separator chosen as above).
std::vector<std::string> split_list_fields(std::string_view line);

struct ControlPointList {
  std::vector<ControlPointEntry> entries;
  std::vector<LineProblem> problems;
  bool has_header = false;
};
ControlPointList parse_control_point_list(std::string_view text);

struct GcpList {
  std::optional<std::string> coordinate_system;
  std::vector<ImageMark> marks;
  std::vector<LineProblem> problems;
};
GcpList parse_gcp_list(std::string_view text);

// Every reference point of every photograph with a file name, images in
// list order, as a GCP list; the label column names the control point a
// mark was made from. The first line is the coordinate system when given.
std::string gcp_list_text(const Project& project, const std::optional<std::string>& coordinate_system);

struct MarksList {
  std::vector<LabelledMark> marks;
  std::vector<LineProblem> problems;
};
MarksList parse_marks_list(std::string_view text);

// Every labelled mark of every photograph with a file name, reference points
// and tie marks alike, images in list order and each image's marks in id
// order, tab-separated after a comment line naming the columns. Marks of no
// control or tie point cannot be written (a GCP list holds them); they are
// counted in `unlabelled`.
struct MarksListText {
  std::string text;
  int written = 0;
  int unlabelled = 0;
};
MarksListText marks_list_text(const Project& project);

// A label for the lists written here: quoted as csv_field quotes, and also
// when it holds a semicolon or a tab, which the readers prefer as
// separators.
std::string list_field(std::string_view text);

// "line N: reason" lines, one for each problem.
std::string problems_text(const std::vector<LineProblem>& problems);

}  // namespace plenvista
