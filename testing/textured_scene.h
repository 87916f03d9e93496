#pragma once

// A textured scene rendered through an ideal grid camera, for tests and
// benchmarks of feature matching: a square of ground (y = 0) and a box
// standing on it, painted with a solid noise texture (the same colour at the same
// world point in every photograph), or with a repeated pattern of dots.
// World units mm, y up. The camera is a pinhole of focal length 10 x pitch
// pixels, its optical axis on pixel (10 x pitch, 7 x pitch) of a frame of
// 20 x 14 pitches.

#include <cmath>
#include <cstdint>
#include <optional>

#include "model/image_records.h"
#include "photogrammetry/camera_rays.h"
#include "photogrammetry/image_search.h"
#include "photogrammetry/pixel_source.h"
#include "photogrammetry/projection.h"

namespace plenvista::test_support {

inline CameraModel scene_camera(double pitch) {
  CameraModel camera;
  allocate_tables(camera, 14, 20);
  camera.centre_x = 10 * pitch;
  camera.centre_y = 7 * pitch;
  camera.native_width = static_cast<int>(20 * pitch);
  camera.native_height = static_cast<int>(14 * pitch);
  for (int r = 0; r <= 14; ++r)
    for (int c = 0; c < kCornerSlots; ++c) camera.corner(r, c) = {(c)*pitch, (r)*pitch};
  derive_cells(camera);
  return camera;
}

enum class Paint { Noise, Dots };

struct TexturedScene {
  Vec3 box_low{-150, 0, -150};
  Vec3 box_high{150, 220, 150};
  double ground_half = 600;  // the ground is a square of twice this side
  Paint paint = Paint::Noise;

  // Smooth value noise in three dimensions, 0..1.
  static double lattice(int x, int y, int z) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u ^
                      static_cast<std::uint32_t>(z) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 0xffff) / 65535.0;
  }
  static double smooth_noise(const Vec3& p) {
    const double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
    const int x = static_cast<int>(fx), y = static_cast<int>(fy), z = static_cast<int>(fz);
    auto s = [](double t) { return t * t * (3 - 2 * t); };
    const double tx = s(p.x - fx), ty = s(p.y - fy), tz = s(p.z - fz);
    double sum = 0;
    for (int k = 0; k < 8; ++k) {
      const int dx = k & 1, dy = (k >> 1) & 1, dz = (k >> 2) & 1;
      sum += lattice(x + dx, y + dy, z + dz) * (dx ? tx : 1 - tx) * (dy ? ty : 1 - ty) * (dz ? tz : 1 - tz);
    }
    return sum;
  }

  double shade(const Vec3& p) const {
    if (paint == Paint::Dots) {
      // Dots 12 mm across every 40 mm, on whichever face the point lies.
      auto near_dot = [](double a, double b) {
        const double u = a - 40 * std::round(a / 40), v = b - 40 * std::round(b / 40);
        return u * u + v * v < 36;
      };
      const bool dot = std::fabs(p.y) < 1e-6 ? near_dot(p.x, p.z) : near_dot(p.x + p.z, p.y);
      return dot ? 0.1 : 0.85;
    }
    return 0.6 * smooth_noise(p * (1 / 30.0)) + 0.4 * smooth_noise(p * (1 / 13.0));
  }

  // The first surface a ray from `eye` along `d` meets, if any.
  std::optional<Vec3> hit(const Vec3& eye, const Vec3& d) const {
    double best = INFINITY;
    double t_low = 0, t_high = INFINITY;
    bool box = true;
    const double e[3] = {eye.x, eye.y, eye.z}, dd[3] = {d.x, d.y, d.z};
    const double lo[3] = {box_low.x, box_low.y, box_low.z}, hi[3] = {box_high.x, box_high.y, box_high.z};
    for (int axis = 0; axis < 3 && box; ++axis) {
      if (std::fabs(dd[axis]) < 1e-12) {
        box = e[axis] >= lo[axis] && e[axis] <= hi[axis];
        continue;
      }
      double t0 = (lo[axis] - e[axis]) / dd[axis], t1 = (hi[axis] - e[axis]) / dd[axis];
      if (t0 > t1) std::swap(t0, t1);
      t_low = std::max(t_low, t0);
      t_high = std::min(t_high, t1);
      box = t_low <= t_high;
    }
    if (box && t_low > 0) best = t_low;
    if (d.y < 0) {
      const double t = -eye.y / d.y;
      const Vec3 ground = eye + d * t;
      if (std::fabs(ground.x) <= ground_half && std::fabs(ground.z) <= ground_half) best = std::min(best, t);
    }
    if (!std::isfinite(best)) return std::nullopt;
    return eye + d * best;
  }

  // The photograph seen by `image` (its pose and its pinhole camera of
  // the given pitch): sky where no surface is met.
  RgbImage render(const ProjectImage& image, double pitch) const {
    const int width = static_cast<int>(20 * pitch), height = static_cast<int>(14 * pitch);
    RgbImage picture(width, height);
    const PoseFrame frame = PoseFrame::of(image);
    const double focal = 10 * pitch;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const Vec3 d = frame.to_world_direction({(x - 10 * pitch) / focal, -(y - 7 * pitch) / focal, -1});
        const auto p = hit(frame.centre, d);
        const auto grey = static_cast<std::uint8_t>(p ? 20 + 215 * shade(*p) : 200);
        picture.set_pixel(x, y, {grey, grey, grey});
      }
    return picture;
  }
};

// A located photograph of the scene camera looking from `eye` at `target`.
inline ProjectImage scene_image(CameraModel& camera, const Vec3& eye, const Vec3& target) {
  ProjectImage image;
  image.camera = &camera;
  image.centre_x = camera.centre_x;
  image.centre_y = camera.centre_y;
  image.pose = pose_looking_at(eye, target, {0, 1, 0});
  image.pose_known = 1;
  return image;
}

// Distance in pixels of the mark `pb` in B from the epipolar line of the
// mark `pa` in A under the photographs' poses (an ideal pinhole camera).
inline double epipolar_distance(const ProjectImage& a, const Point2& pa, const ProjectImage& b, const Point2& pb) {
  const PoseFrame frame_a = PoseFrame::of(a);
  const auto direction = CameraRays(a).direction(pa);
  if (!direction) return INFINITY;
  const Vec3 da = frame_a.to_world_direction(*direction);
  const PreparedPose pose_b(b);
  const Point2 near = pose_b.project(frame_a.centre + da * 100, true);
  const Point2 far = pose_b.project(frame_a.centre + da * 10000, true);
  const double lx = far.x - near.x, ly = far.y - near.y;
  return std::fabs((pb.x - near.x) * ly - (pb.y - near.y) * lx) / std::hypot(lx, ly);
}

}  // namespace plenvista::test_support
