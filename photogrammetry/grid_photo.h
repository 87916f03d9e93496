#pragma once

// GridPhoto: the working state of one grid calibration: the grid photograph,
// its grey cache, and the clicks collected so far. Positions are pixels of
// the photograph, x to the right, y down.
//
// Without a photograph, width and height are 0 and every pixel reads black.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/vec3.h"
#include "model/camera_model.h"
#include "photogrammetry/pixel_source.h"

namespace plenvista {

struct GridPhoto {
  std::unique_ptr<PixelSource> photograph;  // none until one is loaded
  int width = 0;
  int height = 0;
  // Grey level of pixel (x, y) at [y * width + x] once read; -1 until then.
  std::vector<std::int32_t> grey;
  int click_count = 0;                    // 0..3, the next corner click
  std::array<Point2, 4> corner_clicks{};  // snapped, in click order
  int columns = 0;                        // as typed at the last click
  int rows = 0;
  // Whether the last grid calculation found each intersection,
  // [i * (columns + 1) + j] for its rows and columns; empty before one.
  std::vector<bool> intersection_found;
};

// Replaces the photograph, takes its size as the camera's native size and
// empties the grey cache. The click count and the corner clicks are kept.
void set_grid_photograph(GridPhoto& photo, CameraModel& camera, std::unique_ptr<PixelSource> photograph);

}  // namespace plenvista
