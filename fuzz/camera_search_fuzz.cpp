// Fuzz target: the camera position search on any four to eight reference
// points, including non-finite and huge coordinates. It ends within its step
// bounds (the plain search's cap, twelve steps for each further viewpoint,
// 301 for each of three finalists), each batch does some of that work, and
// the finished image has a score in 0..100, `pose_known` set and
// `marks_changed` cleared.

#include <cstdlib>
#include <memory>

#include "fuzz/scene_inputs.h"
#include "photogrammetry/image_search.h"
#include "testing/cameras.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plenvista;
  static CameraModel camera = test_support::pinhole_camera();
  ProjectImage image;
  image.camera = &camera;
  image.centre_x = camera.centre_x;
  image.centre_y = camera.centre_y;
  image.pixel_width = camera.native_width;
  image.pixel_height = camera.native_height;
  int id = 0;
  for (const fuzzing::SearchPoint& p : fuzzing::read_search_input({data, size})) {
    auto point = std::make_unique<ReferencePoint>();
    point->id = id++;
    point->world_position = p.world;
    point->image_position = p.image;
    image.reference_points.insert(std::move(point));
  }
  image.marks_changed = 1;

  const auto starts = static_cast<int>(starts_around_reference_points(image).size());
  const int step_bound = 2002 + 12 * starts + 3 * 301;
  ImageSearch search(image);
  int batches = 0;
  while (!search.run_batch())
    if (++batches > step_bound || search.steps() > step_bound) std::abort();
  if (search.steps() > step_bound || !image.pose_known || image.marks_changed) std::abort();
  if (!(image.search_score >= 0 && image.search_score <= 100)) std::abort();
  return 0;
}
