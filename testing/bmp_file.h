#pragma once

// Photographs as Windows BMP files for tests: 24 bits per pixel, rows
// stored bottom-up and padded to four bytes.

#include <string>

#include "photogrammetry/pixel_source.h"

namespace plenvista::test_support {

// A 24-bit bottom-up BMP file of the picture.
inline std::string bmp_bytes(const RgbImage& picture) {
  const int width = picture.width();
  const int height = picture.height();
  const int row_bytes = (width * 3 + 3) / 4 * 4;
  const int pixel_bytes = row_bytes * height;
  std::string out;
  const auto u16 = [&](int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
  };
  const auto u32 = [&](int v) {
    u16(v & 0xFFFF);
    u16((v >> 16) & 0xFFFF);
  };
  out += "BM";
  u32(54 + pixel_bytes);
  u32(0);
  u32(54);
  u32(40);
  u32(width);
  u32(height);
  u16(1);
  u16(24);
  u32(0);
  u32(pixel_bytes);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const Rgb p = picture.pixel(x, y);
      out += static_cast<char>(p.b);
      out += static_cast<char>(p.g);
      out += static_cast<char>(p.r);
    }
    out.append(static_cast<std::size_t>(row_bytes - width * 3), '\0');
  }
  return out;
}

}  // namespace plenvista::test_support
