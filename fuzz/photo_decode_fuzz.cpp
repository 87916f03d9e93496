// Fuzz target: decoding a photograph file into pixels. Any bytes either give
// none or a photograph of positive size whose every pixel can be read.

#include <cstdlib>

#include "fuzz/file_fuzz_input.h"
#include "platform/photograph_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plenvista;
  const auto pixels = read_photograph_pixels(fuzzing::write_input(data, size));
  if (!pixels) return 0;
  if (pixels->width() <= 0 || pixels->height() <= 0) std::abort();
  // Read every pixel (the sanitizers check each read); the sum is kept so
  // that the reads stay.
  static volatile unsigned sum = 0;
  for (int y = 0; y < pixels->height(); ++y)
    for (int x = 0; x < pixels->width(); ++x) sum = sum + pixels->pixel(x, y).r;
  return 0;
}
