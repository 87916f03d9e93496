// Fuzz target: the bitmap header reader never reads outside the file and
// reports only positive sizes.

#include <cstdlib>

#include "fuzz/file_fuzz_input.h"
#include "photogrammetry/bitmap_size.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto result = plenvista::read_bitmap_size(plenvista::fuzzing::write_input(data, size));
  if (result && (result->width <= 0 || result->height <= 0)) std::abort();
  return 0;
}
