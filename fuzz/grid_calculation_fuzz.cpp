// Fuzz target: the grid calibration on any photograph with any clicks and
// grid size. Snapping the clicks and tracing the grid end without reading
// outside the photograph or its grey cache, and tracing fills a camera only
// for 1..30 rows and columns, leaving it unchanged otherwise. The time a
// run may take is bounded by the fuzzer's -timeout.

#include <cstdlib>
#include <memory>

#include "fuzz/scene_inputs.h"
#include "photogrammetry/grid_calibration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plenvista;
  const fuzzing::GridInput input = fuzzing::read_grid_input({data, size});
  auto pixels = std::make_unique<RgbImage>(input.width, input.height);
  for (int y = 0; y < input.height; ++y)
    for (int x = 0; x < input.width; ++x) {
      const std::uint8_t g = input.grey_at(x, y);
      pixels->set_pixel(x, y, {g, g, g});
    }
  GridPhoto photo;
  CameraModel camera;
  set_grid_photograph(photo, camera, std::move(pixels));
  for (const Point2& click : input.clicks) snapClick(photo, click, input.columns, input.rows);

  // The traced grid rests on the four corner clicks as they came, snapped or not.
  for (std::size_t k = 0; k < 4; ++k) photo.corner_clicks[k] = input.clicks[k + 1];
  photo.columns = input.columns;
  photo.rows = input.rows;
  const CameraModel before = camera;
  const bool sized = input.rows >= 1 && input.rows <= 30 && input.columns >= 1 && input.columns <= 30;
  if (calculateGrid(photo, camera) != sized) std::abort();
  if (sized ? (camera.rows != input.rows || camera.columns != input.columns || !camera.has_tables())
            : !(camera == before))
    std::abort();
  return 0;
}
