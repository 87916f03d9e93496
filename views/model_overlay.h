#pragma once

// The model as the image view and the CAD view draw it over their client
// area: faces, then mirrored faces, then points, then mirrored points.
//   - a face whose three corners are shown: its closed outline in the face
//     line colour, 2 pixels wide when all three corners are selected;
//   - a mirrored face (when mirror points are shown): its outline in the
//     mirror face line colour, 1 pixel wide;
//   - a point in its layer's colour, 2 pixels wide: a circle of radius 5
//     filled white when selected, else a filled blue 10 x 10 square when
//     picked for a face, else a cross with arms of 5 pixels;
//   - a mirrored point (when mirror points are shown): a cross.
// Positions come from ProjectedPoints (client pixels, truncated to whole
// pixels for drawing). A record with a position that is not finite is not
// drawn, nor is one wholly outside the client area. The frame is the client
// area, Format_RGB32.

#include <QImage>

#include "model/model_data.h"
#include "views/projected_points.h"

namespace plenvista {

void draw_model_overlay(QImage& frame, const ModelData& model, const ProjectedPoints& points,
                        const ProjectedPoints& mirror_points);

}  // namespace plenvista
