#pragma once

// PixelSource: the photograph behind the grid calibration, read one pixel at
// a time. Coordinates are pixels, x to the right, y down, with (0, 0) the
// top-left pixel; callers read only 0 <= x < width(), 0 <= y < height().
//
// RgbImage is the in-memory implementation: a packed buffer of 8-bit red,
// green and blue triples, row after row. Photograph decoders fill one, and
// tests and tools draw into one. A negative size is taken as 0.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plenvista {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class PixelSource {
 public:
  virtual ~PixelSource() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual Rgb pixel(int x, int y) const = 0;
};

class RgbImage final : public PixelSource {
 public:
  RgbImage(int width, int height, Rgb fill = {})
      : width_(width > 0 ? width : 0),
        height_(height > 0 ? height : 0),
        data_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3) {
    for (std::size_t i = 0; i < data_.size(); i += 3) {
      data_[i] = fill.r;
      data_[i + 1] = fill.g;
      data_[i + 2] = fill.b;
    }
  }

  int width() const override { return width_; }
  int height() const override { return height_; }
  Rgb pixel(int x, int y) const override {
    const std::uint8_t* p = data_.data() + offset(x, y);
    return {p[0], p[1], p[2]};
  }
  void set_pixel(int x, int y, Rgb colour) {
    std::uint8_t* p = data_.data() + offset(x, y);
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
  }
  // The packed triples of row y, 3 * width() bytes.
  std::uint8_t* row(int y) { return data_.data() + offset(0, y); }
  const std::uint8_t* row(int y) const { return data_.data() + offset(0, y); }

 private:
  std::size_t offset(int x, int y) const {
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 3;
  }

  int width_;
  int height_;
  std::vector<std::uint8_t> data_;
};

}  // namespace plenvista
