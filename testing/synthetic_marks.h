#pragma once

// Synthetic photographs of marking targets for the snapping tests and
// benchmarks: flat discs, shaded spheres and corners, anti-aliased by 8 x 8
// samples a pixel, then optionally blurred (Gaussian) and made noisy.
// Positions are pixels from the photograph's top-left corner: pixel (i, j)
// covers i..i+1 and j..j+1.

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "base/vec3.h"
#include "photogrammetry/pixel_source.h"

namespace plenvista::test_support {

inline std::uint8_t to_level(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// Paints, over what is there, each pixel by the mean of `colour_at` over
// its 8 x 8 samples, where `colour_at` gives a colour or false for "keep
// the pixel" (covered by nothing).
template <typename ColourAt>
void paint_covered(RgbImage& image, int left, int top, int right, int bottom, ColourAt colour_at) {
  constexpr int kSub = 8;
  for (int j = std::max(0, top); j <= std::min(image.height() - 1, bottom); ++j)
    for (int i = std::max(0, left); i <= std::min(image.width() - 1, right); ++i) {
      const Rgb old = image.pixel(i, j);
      double sum[3] = {0, 0, 0};
      for (int v = 0; v < kSub; ++v)
        for (int u = 0; u < kSub; ++u) {
          double c[3] = {double(old.r), double(old.g), double(old.b)};
          colour_at(i + (u + 0.5) / kSub, j + (v + 0.5) / kSub, c);
          for (int k = 0; k < 3; ++k) sum[k] += c[k];
        }
      const double n = kSub * kSub;
      image.set_pixel(i, j, {to_level(sum[0] / n), to_level(sum[1] / n), to_level(sum[2] / n)});
    }
}

// A flat disc of `radius` in `colour`.
inline void draw_disc(RgbImage& image, Point2 centre, double radius, Rgb colour) {
  paint_covered(image, int(centre.x - radius) - 1, int(centre.y - radius) - 1, int(centre.x + radius) + 1,
                int(centre.y + radius) + 1, [&](double x, double y, double* c) {
                  if (std::hypot(x - centre.x, y - centre.y) > radius) return;
                  c[0] = colour.r, c[1] = colour.g, c[2] = colour.b;
                });
}

// A matt sphere whose outline has `radius`, lit from `light` (towards the
// light, z towards the camera) with some ambient light: its side away from
// the light is darker than its colour.
inline void draw_sphere(RgbImage& image, Point2 centre, double radius, Rgb colour, Vec3 light = {-0.5, -0.6, 0.62}) {
  const double norm = std::sqrt(light.x * light.x + light.y * light.y + light.z * light.z);
  paint_covered(image, int(centre.x - radius) - 1, int(centre.y - radius) - 1, int(centre.x + radius) + 1,
                int(centre.y + radius) + 1, [&](double x, double y, double* c) {
                  const double nx = (x - centre.x) / radius, ny = (y - centre.y) / radius;
                  const double r2 = nx * nx + ny * ny;
                  if (r2 > 1.0) return;
                  const double nz = std::sqrt(1.0 - r2);
                  const double lit = std::max(0.0, (nx * light.x + ny * light.y + nz * light.z) / norm);
                  const double shade = 0.35 + 0.65 * lit;
                  c[0] = colour.r * shade, c[1] = colour.g * shade, c[2] = colour.b * shade;
                });
}

// The wedge between two rays from `corner` at angles `from` and `to`
// (radians, counter-clockwise on screen from `from` to `to`, y down), out to
// `reach` pixels, in `colour`.
inline void draw_wedge(RgbImage& image, Point2 corner, double from, double to, double reach, Rgb colour) {
  const double span = std::remainder(to - from - M_PI, 2.0 * M_PI) + M_PI;
  paint_covered(image, int(corner.x - reach), int(corner.y - reach), int(corner.x + reach), int(corner.y + reach),
                [&](double x, double y, double* c) {
                  const double dx = x - corner.x, dy = y - corner.y;
                  if (std::max(std::abs(dx), std::abs(dy)) > reach) return;
                  const double a = std::remainder(std::atan2(-dy, dx) - from - M_PI, 2.0 * M_PI) + M_PI;
                  if (a > span) return;
                  c[0] = colour.r, c[1] = colour.g, c[2] = colour.b;
                });
}

// Gaussian blur of `sigma` pixels, each channel, edges repeated.
inline void blur(RgbImage& image, double sigma) {
  const int reach = static_cast<int>(std::ceil(3.0 * sigma));
  std::vector<double> kernel;
  double total = 0.0;
  for (int k = -reach; k <= reach; ++k) total += kernel.emplace_back(std::exp(-k * k / (2.0 * sigma * sigma)));
  for (double& k : kernel) k /= total;
  const int w = image.width(), h = image.height();
  std::vector<double> a(static_cast<std::size_t>(w * h * 3)), b(a.size());
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const Rgb c = image.pixel(i, j);
      a[static_cast<std::size_t>((j * w + i) * 3)] = c.r;
      a[static_cast<std::size_t>((j * w + i) * 3 + 1)] = c.g;
      a[static_cast<std::size_t>((j * w + i) * 3 + 2)] = c.b;
    }
  const auto pass = [&](const std::vector<double>& in, std::vector<double>& out, int dx, int dy) {
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i)
        for (int ch = 0; ch < 3; ++ch) {
          double s = 0.0;
          for (int k = -reach; k <= reach; ++k) {
            const int x = std::clamp(i + k * dx, 0, w - 1), y = std::clamp(j + k * dy, 0, h - 1);
            s += kernel[static_cast<std::size_t>(k + reach)] * in[static_cast<std::size_t>((y * w + x) * 3 + ch)];
          }
          out[static_cast<std::size_t>((j * w + i) * 3 + ch)] = s;
        }
  };
  pass(a, b, 1, 0);
  pass(b, a, 0, 1);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const double* c = &a[static_cast<std::size_t>((j * w + i) * 3)];
      image.set_pixel(i, j, {to_level(c[0]), to_level(c[1]), to_level(c[2])});
    }
}

// Gaussian noise of `sigma` grey levels on every channel.
inline void add_noise(RgbImage& image, double sigma, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, sigma);
  for (int j = 0; j < image.height(); ++j)
    for (int i = 0; i < image.width(); ++i) {
      const Rgb c = image.pixel(i, j);
      image.set_pixel(i, j,
                      {to_level(c.r + noise(random)), to_level(c.g + noise(random)), to_level(c.b + noise(random))});
    }
}

}  // namespace plenvista::test_support
