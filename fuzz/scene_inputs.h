#pragma once

// The byte layouts of the grid-calculation and camera-search fuzz inputs,
// read by the targets and written by make_seeds. Little-endian, no padding;
// a value past the end of the input reads as 0.
//
// Grid input: width u16, height u16 (each taken as 1 + value % kGridSideLimit
// pixels), columns i8, rows i8 (as they stand, so that counts outside 1..30
// occur), a centre click and four corner clicks (x, y i16 each, photograph
// pixels), then grey levels row after row; when they run out they repeat from
// the first, and with none at all every pixel is white.
//
// Search input: a count byte (4 + value % 5 reference points), then per
// reference point its world X, Y, Z and its image position x, y relative to
// the image centre, five doubles.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "base/vec3.h"

namespace plenvista::fuzzing {

inline constexpr int kGridSideLimit = 256;

class InputReader {
 public:
  explicit InputReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  template <typename T>
  T take() {
    std::uint8_t b[sizeof(T)] = {};
    const std::size_t n = std::min(sizeof(T), bytes_.size() - pos_);
    std::memcpy(b, bytes_.data() + pos_, n);
    pos_ += n;
    T value;
    std::memcpy(&value, b, sizeof(T));
    return value;
  }
  std::span<const std::uint8_t> rest() const { return bytes_.subspan(pos_); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

template <typename T>
void put(std::string& out, T value) {
  char b[sizeof(T)];
  std::memcpy(b, &value, sizeof(T));
  out.append(b, sizeof(T));
}

struct GridInput {
  int width = 1;
  int height = 1;
  int columns = 0;
  int rows = 0;
  std::array<Point2, 5> clicks{};  // the centre, then the four corners
  std::vector<std::uint8_t> grey;  // row after row

  std::uint8_t grey_at(int x, int y) const {
    if (grey.empty()) return 255;
    const auto i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    return grey[i % grey.size()];
  }
};

inline GridInput read_grid_input(std::span<const std::uint8_t> bytes) {
  InputReader in(bytes);
  GridInput g;
  g.width = 1 + in.take<std::uint16_t>() % kGridSideLimit;
  g.height = 1 + in.take<std::uint16_t>() % kGridSideLimit;
  g.columns = in.take<std::int8_t>();
  g.rows = in.take<std::int8_t>();
  for (Point2& click : g.clicks) {
    click.x = in.take<std::int16_t>();
    click.y = in.take<std::int16_t>();
  }
  const auto rest = in.rest();
  g.grey.assign(rest.begin(), rest.end());
  return g;
}

// The grid input of a photograph of at most kGridSideLimit pixels a side.
inline std::string write_grid_input(const GridInput& g) {
  std::string out;
  put(out, static_cast<std::uint16_t>(g.width - 1));
  put(out, static_cast<std::uint16_t>(g.height - 1));
  put(out, static_cast<std::int8_t>(g.columns));
  put(out, static_cast<std::int8_t>(g.rows));
  for (const Point2& click : g.clicks) {
    put(out, static_cast<std::int16_t>(click.x));
    put(out, static_cast<std::int16_t>(click.y));
  }
  out.append(g.grey.begin(), g.grey.end());
  return out;
}

struct SearchPoint {
  Vec3 world;
  Point2 image;  // relative to the image centre
};

inline std::vector<SearchPoint> read_search_input(std::span<const std::uint8_t> bytes) {
  InputReader in(bytes);
  std::vector<SearchPoint> points(4 + in.take<std::uint8_t>() % 5);
  for (SearchPoint& p : points) {
    p.world = {in.take<double>(), in.take<double>(), in.take<double>()};
    p.image = {in.take<double>(), in.take<double>()};
  }
  return points;
}

inline std::string write_search_input(const std::vector<SearchPoint>& points) {
  std::string out;
  put(out, static_cast<std::uint8_t>(points.size() - 4));
  for (const SearchPoint& p : points)
    for (double v : {p.world.x, p.world.y, p.world.z, p.image.x, p.image.y}) put(out, v);
  return out;
}

}  // namespace plenvista::fuzzing
