#pragma once

// MarkSnapper: where a click in the image view becomes a mark, the position
// stored is the round target or corner under the click
// (photogrammetry/mark_snap.h), looked for within a radius that reaches the
// same few view pixels at every zoom. A click becomes a mark in calibration
// mode (reference marks, typed or carried to the partner, and drags from a
// model point) and in create mode on the Vertex tab (the two clicks that
// make a point); face picks and selections are left alone. ALT held keeps
// the raw click.
//
// Positions are photograph pixels of the clicked image, from its top-left
// corner. The full-size pixels of the last photograph snapped in are kept
// (decoded at the first click in it); an image without a readable
// photograph keeps its clicks raw.

#include <optional>
#include <string>

#include "base/vec3.h"
#include "model/project.h"
#include "photogrammetry/mark_snap.h"
#include "photogrammetry/pixel_source.h"

namespace plenvista {

class MarkSnapper {
 public:
  // The position a release at `clicked` in `image` stands for.
  Point2 mark_at(const Project& project, const ProjectImage& image, Point2 clicked, bool raw);

 private:
  const PixelSource* pixels_for(const ProjectImage& image);

  int image_id_ = 0;
  std::string path_;
  std::optional<RgbImage> pixels_;
};

}  // namespace plenvista
