// Fuzz target: reading a photograph's size from its headers, for every
// format the reader knows. Any bytes either give none or a positive size.

#include <cstdlib>

#include "fuzz/file_fuzz_input.h"
#include "platform/photograph_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto result = plenvista::read_photograph_size(plenvista::fuzzing::write_input(data, size));
  if (result && (result->width <= 0 || result->height <= 0)) std::abort();
  return 0;
}
