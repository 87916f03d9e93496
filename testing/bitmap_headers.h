#pragma once

// The headers of a 24-bit BMP file of the given pixel size, padded to 64
// bytes: all that the photograph size reader looks at.

#include <cstdint>
#include <string>

#include "base/binary_io.h"

namespace plenvista::test_support {

inline std::string bitmap_headers(std::int32_t width, std::int32_t height) {
  ByteWriter w;
  w.bytes("BM", 2);
  w.i32(64);
  w.i32(0);
  w.i32(54);
  w.i32(40);
  w.i32(width);
  w.i32(height);
  w.data().resize(64, '\0');
  return w.data();
}

}  // namespace plenvista::test_support
