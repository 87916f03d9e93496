#pragma once

// The control points of a project live beside its project file, in
// `<project>.points.csv` (the project's path with ".op2" replaced, or
// appended when it has another ending), so that the project file itself
// keeps its version-13 layout and older readers open it unchanged:
//
//   # Plenvista control points: ...            (comment lines start with '#')
//   label,X,Y,Z,id,references
//   A1,0,0,0,12,45 46
//
// one control point a line: its label (quoted when needed), X, Y, Z (model
// units, shortest exact text), its record id and the ids of the reference
// points made from it, separated by blanks. The file is itself a control
// point list that the import reads. Lines end with CR LF.
//
// A project without control points has no such file: saving it writes none
// and removes one left from before. Reading checks every line; a damaged
// file gives "line N: reason" and changes nothing. Links to reference points
// the project does not hold are dropped (the project was saved by a program
// that does not know control points).

#include <string>
#include <string_view>

#include "model/image_set.h"
#include "model/model_data.h"

namespace plenvista {

std::string control_points_path(std::string_view project_path);

std::string encode_control_points(const ModelData& model, const ImageSet& images);

// Fills the model's (empty) control point list and the links of the images'
// reference points; `next_id` is raised above every id read. False with the
// reason in `error` when the text is damaged; then nothing is changed.
bool decode_control_points(std::string_view text, ModelData& model, ImageSet& images, std::string& error);

}  // namespace plenvista
