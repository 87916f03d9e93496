#pragma once

// Photographs as Windows BMP files for tests: rows stored bottom-up and
// padded to four bytes.

#include <string>

#include "photogrammetry/pixel_source.h"

namespace plenvista::test_support {

// The file and information headers of a BMP file of `bits` per pixel with
// `palette` colour-table entries (which the caller appends, then the pixels).
inline std::string bmp_header(int width, int height, int bits, int palette, int pixel_bytes) {
  const int pixel_offset = 14 + 40 + 4 * palette;
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
  u32(pixel_offset + pixel_bytes);
  u32(0);
  u32(pixel_offset);
  u32(40);
  u32(width);
  u32(height);
  u16(1);
  u16(bits);
  u32(0);
  u32(pixel_bytes);
  u32(2835);
  u32(2835);
  u32(palette);
  u32(0);
  return out;
}

// A 24-bit bottom-up BMP file of the picture.
inline std::string bmp_bytes(const RgbImage& picture) {
  const int width = picture.width();
  const int height = picture.height();
  const int row_bytes = (width * 3 + 3) / 4 * 4;
  std::string out = bmp_header(width, height, 24, 0, row_bytes * height);
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

// A valid 1-bit BMP of the given size, all black: small even at a camera's
// native 2272 x 1704.
inline std::string small_bmp(int width, int height) {
  const int row_bytes = (width + 31) / 32 * 4;
  std::string out = bmp_header(width, height, 1, 2, row_bytes * height);
  out.append("\0\0\0\0\xFF\xFF\xFF\0", 8);  // black, white
  out.append(static_cast<std::size_t>(row_bytes * height), '\0');
  return out;
}

}  // namespace plenvista::test_support
