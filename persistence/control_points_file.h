#pragma once

// The control points and tie points of a project live beside its project
// file, in `<project>.points.csv` (the project's path with ".op2" replaced,
// or appended when it has another ending), so that the project file itself
// keeps its version-13 layout and older readers open it unchanged:
//
//   # Plenvista control points: ...            (comment lines start with '#')
//   label,X,Y,Z,id,references
//   A1,0,0,0,12,45 46
//
// one control point a line: its label (quoted when needed), X, Y, Z (model
// units, shortest exact text), its record id and the ids of the reference
// points made from it, separated by blanks. Without tie points and
// orientation results that is the whole file, itself a control point list
// that the import reads. A project with tie points adds their table:
//
//   tie,X,Y,Z,id,references,sx_mm,sy_mm,sz_mm,rays,max_angle_deg
//   T1,1.5,2,0.25,13,47 48,0.3,0.2,0.5,2,35.2
//   T2,,,,14,49,,,,,
//
// X, Y, Z empty until an orientation placed the point; then its standard
// deviations in millimetres, the number of its rays and the largest angle
// between them in degrees (empty when unknown). A mark table follows when
// there are tie marks not yet placed (the project file holds only marks with
// world coordinates) or marks with an orientation's results:
//
//   mark,image,x,y,residual_px,outlier
//   49,3,-120.5,44.25,,0
//   47,2,,,0.41,1
//
// the mark's id, its image's id, its centre-relative position in pixels
// (given only for a mark the project file does not hold), the residual in
// pixels from the last orientation (empty when none) and 1 when that
// orientation reported it as an outlier, else 0. Lines end with CR LF.
//
// A project without control and tie points has no such file: saving it
// writes none and removes one left from before. Reading checks every line;
// a damaged file gives "line N: reason" and changes nothing. Links to
// reference points or images the project does not hold are dropped (the
// project was saved by a program that does not know them); marks of a
// placed tie point take its coordinates, and a reference point of the
// project file tied to an unplaced one keeps its coordinates and forgets
// the tie.

#include <string>
#include <string_view>

#include "model/image_set.h"
#include "model/model_data.h"

namespace plenvista {

std::string control_points_path(std::string_view project_path);

// Whether the project needs the side file at all.
bool has_side_records(const ModelData& model);

std::string encode_control_points(const ModelData& model, const ImageSet& images);

// Fills the model's (empty) control and tie point lists, the links of the
// images' reference points and their unplaced tie marks; `next_id` is raised
// above every id read. False with the reason in `error` when the text is
// damaged; then nothing is changed.
bool decode_control_points(std::string_view text, ModelData& model, ImageSet& images, std::string& error);

}  // namespace plenvista
