// Fuzz target: orientation of small random mark sets (two to six
// photographs, up to 24 labels and 256 marks, any datum). The run ends
// within a bound of steps, and ends either with a failure and its message
// or with a result whose numbers are finite where they are defined.

#include <cmath>
#include <cstdlib>

#include "fuzz/orientation_input.h"
#include "testing/cameras.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plenvista;
  static const CameraModel camera = test_support::pinhole_camera();
  OrientationRun run(fuzzing::read_orientation_input({data, size}, camera));
  // Preparing, the pair, one step per photograph added, and the
  // adjustments (a step each ten iterations) between them.
  int steps = 0;
  while (run.step())
    if (++steps > 400) std::abort();
  const OrientationResult& result = run.result();
  if (!result.ok()) {
    if (result.message.empty()) std::abort();
    return 0;
  }
  if (!std::isfinite(result.rms_px)) std::abort();
  for (const OrientedPhotograph& p : result.photographs)
    if (p.oriented && !std::isfinite(p.pose.offset.x + p.pose.offset.y + p.pose.offset.z)) std::abort();
  for (const OrientedPoint& p : result.points)
    if (p.located && !std::isfinite(p.position.x + p.position.y + p.position.z)) std::abort();
  return 0;
}
