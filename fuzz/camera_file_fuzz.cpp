// Fuzz target: the camera-file loader either loads a camera whose counts lie
// in 1..30 with full tables, or leaves the camera exactly as it was.

#include <cstdlib>

#include "fuzz/file_fuzz_input.h"
#include "photogrammetry/camera_file.h"
#include "testing/recorders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plenvista;
  test_support::RecordingMessages messages;
  CameraModel camera;
  camera.notes = "before";
  const CameraModel before = camera;
  if (load_camera(fuzzing::write_input(data, size), camera, messages)) {
    if (camera.rows < 1 || camera.rows > 30 || camera.columns < 1 || camera.columns > 30 || !camera.has_tables())
      std::abort();
  } else if (!(camera == before)) {
    std::abort();
  }
  return 0;
}
