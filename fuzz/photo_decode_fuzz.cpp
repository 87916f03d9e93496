// Fuzz target: decoding a photograph file into pixels, whole and reduced
// for drawing. Any bytes either give none or a photograph of positive size
// whose every pixel can be read; a reduced one has exactly the size of its
// reduction.

#include <cstdlib>

#include "fuzz/file_fuzz_input.h"
#include "platform/photograph_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plenvista;
  const std::string path = fuzzing::write_input(data, size);
  // Read every pixel (the sanitizers check each read); the sum is kept so
  // that the reads stay.
  static volatile unsigned sum = 0;
  const auto pixels = read_photograph_pixels(path);
  if (pixels) {
    if (pixels->width() <= 0 || pixels->height() <= 0) std::abort();
    for (int y = 0; y < pixels->height(); ++y)
      for (int x = 0; x < pixels->width(); ++x) sum = sum + pixels->pixel(x, y).r;
  }
  const DrawnPhotograph drawn = read_photograph_for_drawing(path, 8);
  if (drawn.pixels.isNull()) return 0;
  if (drawn.reduction < 1 || drawn.pixels.width() * drawn.reduction != drawn.width ||
      drawn.pixels.height() * drawn.reduction != drawn.height)
    std::abort();
  for (int y = 0; y < drawn.pixels.height(); ++y) {
    const auto* row = reinterpret_cast<const unsigned*>(drawn.pixels.constScanLine(y));
    for (int x = 0; x < drawn.pixels.width(); ++x) sum = sum + row[x];
  }
  return 0;
}
