#include "photogrammetry/mark_snap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

#include <opencv2/imgproc.hpp>

namespace plenvista {
namespace {

constexpr double kMinRadius = 1.0;
constexpr double kMaxRadius = 64.0;
constexpr int kMaxTargetHalf = 72;  // the largest patch a target is looked for in, each way from the click
constexpr int kCornerWindow = 4;    // half size of the window whose gradients meet at a corner

// A square of grey levels around a click. Patch pixel (i, j) is photograph
// pixel (x0 + i, y0 + j); in patch coordinates its centre is (i, j). The
// `cut_*` flags say the patch stops at the photograph's edge on that side.
struct Patch {
  int x0 = 0;
  int y0 = 0;
  int w = 0;
  int h = 0;
  bool cut_left = false;
  bool cut_right = false;
  bool cut_top = false;
  bool cut_bottom = false;
  std::vector<float> v;

  float at(int i, int j) const { return v[static_cast<std::size_t>(j * w + i)]; }
  bool inside(double x, double y) const { return x >= 0.0 && y >= 0.0 && x <= w - 1.0 && y <= h - 1.0; }
  // Bilinear; only for inside() positions.
  float sample(double x, double y) const {
    const int i = std::min(static_cast<int>(x), w - 2);
    const int j = std::min(static_cast<int>(y), h - 2);
    const float fx = static_cast<float>(x - i);
    const float fy = static_cast<float>(y - j);
    const float top = at(i, j) + (at(i + 1, j) - at(i, j)) * fx;
    const float bottom = at(i, j + 1) + (at(i + 1, j + 1) - at(i, j + 1)) * fx;
    return top + (bottom - top) * fy;
  }
  Point2 to_patch(Point2 photo) const { return {photo.x - x0 - 0.5, photo.y - y0 - 0.5}; }
  Point2 to_photo(Point2 patch) const { return {patch.x + x0 + 0.5, patch.y + y0 + 0.5}; }
  // Touches a side of the patch that is not the photograph's edge.
  bool open_border(int i, int j) const {
    return (i == 0 && !cut_left) || (j == 0 && !cut_top) || (i == w - 1 && !cut_right) || (j == h - 1 && !cut_bottom);
  }
};

// The colour axis along which the pixels vary most (unit length), by power
// iteration on their covariance; luminance when they hardly vary.
std::array<double, 3> principal_axis(const std::vector<std::array<float, 3>>& rgb) {
  std::array<double, 3> mean{};
  for (const auto& c : rgb)
    for (int k = 0; k < 3; ++k) mean[k] += c[k];
  for (double& m : mean) m /= static_cast<double>(rgb.size());
  std::array<std::array<double, 3>, 3> cov{};
  for (const auto& c : rgb)
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) cov[a][b] += (c[a] - mean[a]) * (c[b] - mean[b]);
  std::array<double, 3> axis{0.58, 0.57, 0.56};
  if (cov[0][0] + cov[1][1] + cov[2][2] < 1e-9)
    return {1.0 / std::sqrt(3.0), 1.0 / std::sqrt(3.0), 1.0 / std::sqrt(3.0)};
  for (int iteration = 0; iteration < 24; ++iteration) {
    std::array<double, 3> next{};
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) next[a] += cov[a][b] * axis[b];
    const double norm = std::sqrt(next[0] * next[0] + next[1] * next[1] + next[2] * next[2]);
    if (norm <= 0.0) break;
    for (int a = 0; a < 3; ++a) axis[a] = next[a] / norm;
  }
  return axis;
}

using Colours = std::vector<std::array<float, 3>>;

// The patch's frame, and its pixels' colours in `rgb`.
Patch read_patch(const PixelSource& photo, Point2 centre, int half, Colours& rgb) {
  Patch p;
  const int cx = static_cast<int>(std::floor(centre.x));
  const int cy = static_cast<int>(std::floor(centre.y));
  const int left = std::max(0, cx - half);
  const int top = std::max(0, cy - half);
  const int right = std::min(photo.width() - 1, cx + half);
  const int bottom = std::min(photo.height() - 1, cy + half);
  if (right - left < 4 || bottom - top < 4) return p;
  p.x0 = left;
  p.y0 = top;
  p.w = right - left + 1;
  p.h = bottom - top + 1;
  p.cut_left = cx - half <= 0;
  p.cut_top = cy - half <= 0;
  p.cut_right = cx + half >= photo.width() - 1;
  p.cut_bottom = cy + half >= photo.height() - 1;
  rgb.resize(static_cast<std::size_t>(p.w * p.h));
  for (int j = 0; j < p.h; ++j)
    for (int i = 0; i < p.w; ++i) {
      const Rgb c = photo.pixel(left + i, top + j);
      rgb[static_cast<std::size_t>(j * p.w + i)] = {float(c.r), float(c.g), float(c.b)};
    }
  return p;
}

// Grey levels along the colour axis on which the patch varies most.
Patch grey_patch(const PixelSource& photo, Point2 centre, int half) {
  Colours rgb;
  Patch p = read_patch(photo, centre, half, rgb);
  if (p.w == 0) return p;
  const std::array<double, 3> axis = principal_axis(rgb);
  p.v.resize(rgb.size());
  for (std::size_t k = 0; k < rgb.size(); ++k)
    p.v[k] = static_cast<float>(axis[0] * rgb[k][0] + axis[1] * rgb[k][1] + axis[2] * rgb[k][2]);
  return p;
}

// Each pixel's colour distance from the ground, the median colour of the
// patch's rim. Where a target's edge covers part of a pixel the distance
// grows with the part covered, whatever the target's colour and shading.
Patch ground_distance_patch(const PixelSource& photo, Point2 centre, int half) {
  Colours rgb;
  Patch p = read_patch(photo, centre, half, rgb);
  if (p.w == 0) return p;
  std::array<std::vector<float>, 3> rim;
  for (int j = 0; j < p.h; ++j)
    for (int i = 0; i < p.w; ++i) {
      if (i != 0 && j != 0 && i != p.w - 1 && j != p.h - 1) continue;
      for (int k = 0; k < 3; ++k) rim[k].push_back(rgb[static_cast<std::size_t>(j * p.w + i)][k]);
    }
  std::array<float, 3> ground{};
  for (int k = 0; k < 3; ++k) {
    const auto mid = rim[k].begin() + static_cast<std::ptrdiff_t>(rim[k].size() / 2);
    std::nth_element(rim[k].begin(), mid, rim[k].end());
    ground[k] = *mid;
  }
  p.v.resize(rgb.size());
  for (std::size_t k = 0; k < rgb.size(); ++k) {
    const float r = rgb[k][0] - ground[0], g = rgb[k][1] - ground[1], b = rgb[k][2] - ground[2];
    p.v[k] = std::sqrt(r * r + g * g + b * b);
  }
  return p;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), mid, values.end());
  return *mid;
}

// The standard deviation of the pixel noise, from the median of a second
// difference across rows (edges and texture are too few to move it), on
// every other pixel of every other row.
double noise_sigma(const Patch& p) {
  std::vector<double> d;
  d.reserve(static_cast<std::size_t>(p.w * p.h / 4 + 1));
  for (int j = 0; j < p.h; j += 2)
    for (int i = 1; i + 1 < p.w; i += 2) d.push_back(std::abs(2.0 * p.at(i, j) - p.at(i - 1, j) - p.at(i + 1, j)));
  return median(std::move(d)) / (0.6745 * std::sqrt(6.0));
}

// The level that best splits the patch into two classes (largest variance
// between them).
float split_level(const Patch& p) {
  const auto [lo_it, hi_it] = std::minmax_element(p.v.begin(), p.v.end());
  const float lo = *lo_it;
  const float hi = *hi_it;
  if (hi - lo < 1e-3f) return lo;
  constexpr int kBins = 64;
  std::array<double, kBins> count{};
  for (float value : p.v) count[std::min(kBins - 1, static_cast<int>((value - lo) / (hi - lo) * kBins))] += 1.0;
  double total = 0.0, total_sum = 0.0;
  for (int b = 0; b < kBins; ++b) {
    total += count[b];
    total_sum += b * count[b];
  }
  double below = 0.0, below_sum = 0.0, best = -1.0;
  int best_bin = 0;
  for (int b = 0; b + 1 < kBins; ++b) {
    below += count[b];
    below_sum += b * count[b];
    const double above = total - below;
    if (below == 0.0 || above == 0.0) continue;
    const double between = below * above * std::pow(below_sum / below - (total_sum - below_sum) / above, 2);
    if (between > best) {
      best = between;
      best_bin = b;
    }
  }
  return lo + (hi - lo) * static_cast<float>(best_bin + 1) / kBins;
}

struct Region {
  int area = 0;
  double sum_x = 0.0;
  double sum_y = 0.0;
  int left = 0, top = 0, right = 0, bottom = 0;
  bool open = false;  // touches a patch side that is not the photograph's edge
  bool bright = false;
  double centre_x() const { return sum_x / area; }
  double centre_y() const { return sum_y / area; }
};

// 4-connected regions of pixels on the same side of `level`.
std::vector<Region> label_regions(const Patch& p, float level, std::vector<int>& label) {
  label.assign(p.v.size(), -1);
  std::vector<Region> regions;
  std::vector<int> stack;
  for (int start = 0; start < static_cast<int>(p.v.size()); ++start) {
    if (label[static_cast<std::size_t>(start)] >= 0) continue;
    const bool bright = p.v[static_cast<std::size_t>(start)] > level;
    const int id = static_cast<int>(regions.size());
    Region r;
    r.bright = bright;
    r.left = r.right = start % p.w;
    r.top = r.bottom = start / p.w;
    label[static_cast<std::size_t>(start)] = id;
    stack.assign(1, start);
    while (!stack.empty()) {
      const int k = stack.back();
      stack.pop_back();
      const int i = k % p.w;
      const int j = k / p.w;
      ++r.area;
      r.sum_x += i;
      r.sum_y += j;
      r.left = std::min(r.left, i);
      r.right = std::max(r.right, i);
      r.top = std::min(r.top, j);
      r.bottom = std::max(r.bottom, j);
      r.open = r.open || p.open_border(i, j);
      const auto visit = [&](int n) {
        if (label[static_cast<std::size_t>(n)] < 0 && (p.v[static_cast<std::size_t>(n)] > level) == bright) {
          label[static_cast<std::size_t>(n)] = id;
          stack.push_back(n);
        }
      };
      if (i > 0) visit(k - 1);
      if (i + 1 < p.w) visit(k + 1);
      if (j > 0) visit(k - p.w);
      if (j + 1 < p.h) visit(k + p.w);
    }
    regions.push_back(r);
  }
  return regions;
}

struct Ellipse {
  Point2 centre;
  double a = 0.0;  // semi-axes
  double b = 0.0;
  double angle = 0.0;  // of the a axis, radians
  // Approximate distance of q from the outline (negative inside).
  double distance(Point2 q) const {
    const double dx = q.x - centre.x, dy = q.y - centre.y;
    const double u = dx * std::cos(angle) + dy * std::sin(angle);
    const double v = -dx * std::sin(angle) + dy * std::cos(angle);
    return (std::sqrt(u * u / (a * a) + v * v / (b * b)) - 1.0) * std::sqrt(a * b);
  }
};

// Least-squares circle through the points (algebraic fit).
std::optional<Ellipse> fit_circle(const std::vector<Point2>& points, Point2 origin) {
  double m[3][4] = {};
  for (const Point2& q : points) {
    const double x = q.x - origin.x, y = q.y - origin.y;
    const double row[4] = {x, y, 1.0, -(x * x + y * y)};
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 4; ++b) m[a][b] += row[a] * row[b];
  }
  for (int c = 0; c < 3; ++c) {  // Gauss-Jordan with partial pivoting
    int pivot = c;
    for (int r = c + 1; r < 3; ++r)
      if (std::abs(m[r][c]) > std::abs(m[pivot][c])) pivot = r;
    if (std::abs(m[pivot][c]) < 1e-12) return std::nullopt;
    for (int b = 0; b < 4; ++b) std::swap(m[c][b], m[pivot][b]);
    for (int r = 0; r < 3; ++r) {
      if (r == c) continue;
      const double f = m[r][c] / m[c][c];
      for (int b = 0; b < 4; ++b) m[r][b] -= f * m[c][b];
    }
  }
  const double d = m[0][3] / m[0][0], e = m[1][3] / m[1][1], f = m[2][3] / m[2][2];
  const double cx = -d / 2.0, cy = -e / 2.0;
  const double r2 = cx * cx + cy * cy - f;
  if (!(r2 > 0.0)) return std::nullopt;
  const double r = std::sqrt(r2);
  return Ellipse{{origin.x + cx, origin.y + cy}, r, r, 0.0};
}

std::optional<Ellipse> fit_ellipse(const std::vector<Point2>& points, Point2 origin) {
  std::vector<cv::Point2f> shifted;
  shifted.reserve(points.size());
  for (const Point2& q : points) shifted.emplace_back(float(q.x - origin.x), float(q.y - origin.y));
  const cv::RotatedRect box = cv::fitEllipseDirect(shifted);
  const double a = box.size.width / 2.0, b = box.size.height / 2.0;
  if (!(a > 0.5 && b > 0.5) || !std::isfinite(box.center.x) || !std::isfinite(box.center.y)) return std::nullopt;
  return Ellipse{{origin.x + box.center.x, origin.y + box.center.y}, a, b, box.angle * std::numbers::pi / 180.0};
}

struct Found {
  Point2 position;  // patch coordinates
  double confidence = 0.0;
};

// The edge of a round region, found along rays from `centre` as the point
// where the grey level crosses halfway between the levels just inside and
// just outside. Rays that leave the patch or cross a weak stretch of edge
// give nothing.
std::vector<Point2> edge_points(const Patch& p, const std::vector<int>& inside, Point2 centre, double radius,
                                double contrast) {
  const int rays = std::clamp(static_cast<int>(2.0 * std::numbers::pi * radius), 24, 128);
  std::vector<Point2> points;
  constexpr double kStep = 0.25;
  constexpr double kReach = 4.0;
  std::vector<float> profile;
  for (int k = 0; k < rays; ++k) {
    const double angle = 2.0 * std::numbers::pi * k / rays;
    const double dx = std::cos(angle), dy = std::sin(angle);
    // Where the region ends along the ray.
    double boundary = 0.0;
    bool left_patch = false;
    for (double t = 0.0;; t += 0.5) {
      const double x = centre.x + t * dx, y = centre.y + t * dy;
      const int i = static_cast<int>(std::lround(x)), j = static_cast<int>(std::lround(y));
      if (i < 0 || j < 0 || i >= p.w || j >= p.h) {
        left_patch = true;
        break;
      }
      if (!inside[static_cast<std::size_t>(j * p.w + i)]) {
        boundary = t;
        break;
      }
    }
    if (left_patch) continue;
    const double t0 = std::max(0.0, boundary - kReach), t1 = boundary + kReach;
    profile.clear();
    bool whole = true;
    for (double t = t0; t <= t1 + 1e-9; t += kStep) {
      const double x = centre.x + t * dx, y = centre.y + t * dy;
      if (!p.inside(x, y)) {
        whole = false;
        break;
      }
      profile.push_back(p.sample(x, y));
    }
    if (!whole || profile.size() < 12) continue;
    const auto level_at = [&](double t) {
      const double n = std::clamp((t - t0) / kStep, 0.0, static_cast<double>(profile.size() - 1));
      const auto i = std::min(static_cast<std::size_t>(n), profile.size() - 2);
      return profile[i] + (profile[i + 1] - profile[i]) * (n - static_cast<double>(i));
    };
    // Where the profile falls through `mid`, the crossing nearest `near`.
    const auto crossing = [&](double mid, double near) {
      double found = -1.0;
      for (std::size_t n = 0; n + 1 < profile.size(); ++n) {
        const double s0 = profile[n] - mid, s1 = profile[n + 1] - mid;
        if (s0 <= 0.0 || s1 > 0.0) continue;
        const double t = t0 + kStep * (static_cast<double>(n) + s0 / (s0 - s1));
        if (found < 0.0 || std::abs(t - near) < std::abs(found - near)) found = t;
      }
      return found;
    };
    // Halfway between the levels two and a half pixels either side of the
    // region's boundary, then of the edge so found.
    double in = level_at(boundary - 2.5), out = level_at(boundary + 2.5);
    if (in - out < 0.4 * contrast) continue;
    double best = crossing((in + out) / 2.0, boundary);
    if (best < 0.0) continue;
    in = level_at(best - 2.5);
    out = level_at(best + 2.5);
    if (in - out < 0.4 * contrast) continue;
    best = crossing((in + out) / 2.0, best);
    if (best < 0.0) continue;
    // A true edge falls within a pixel or so; the shading across a sphere
    // away from the light, where its dark side meets a ground of the same
    // level, falls over several and is no edge.
    if (level_at(best - 1.0) - level_at(best + 1.0) < 0.6 * (in - out)) continue;
    points.push_back({centre.x + best * dx, centre.y + best * dy});
  }
  return points;
}

// Fits the outline, drops the points far off it and fits again.
std::optional<Ellipse> fit_outline(std::vector<Point2>& points, Point2 origin, bool whole) {
  const auto fit = [&](const std::vector<Point2>& q) { return whole ? fit_ellipse(q, origin) : fit_circle(q, origin); };
  std::optional<Ellipse> e = fit(points);
  if (!e) return std::nullopt;
  std::vector<double> off;
  for (const Point2& q : points) off.push_back(std::abs(e->distance(q)));
  const double limit = std::max(0.25, 3.0 * 1.4826 * median(off));
  std::vector<Point2> kept;
  for (const Point2& q : points)
    if (std::abs(e->distance(q)) <= limit) kept.push_back(q);
  if (kept.size() < 8) return std::nullopt;
  points = std::move(kept);
  return fit(points);
}

// The target near `click` in the patch. `larger` tells whether a larger
// patch might hold one: the click lies on something that differs from the
// ground and runs on beyond the patch, or the patch is all of one colour
// (the inside of a large target, or a plain surface).
std::optional<Found> target_in(const Patch& p, Point2 click, double radius, bool& larger) {
  const double sigma = noise_sigma(p);
  // Below the split, so that the shaded side of a sphere stays with it.
  const float level = std::max(static_cast<float>(6.0 * sigma), 0.4f * split_level(p));
  std::vector<int> label;
  const std::vector<Region> regions = label_regions(p, level, label);
  const Region* best = nullptr;
  double best_distance = 0.0;
  for (const Region& r : regions) {
    if (r.open || !r.bright || r.area < 12) continue;
    const double size = std::sqrt(r.area / std::numbers::pi);
    const double distance = std::hypot(r.centre_x() - click.x, r.centre_y() - click.y);
    if (distance > radius + 0.5 * size) continue;
    if (!best || distance < best_distance) {
      best = &r;
      best_distance = distance;
    }
  }
  const int ci = std::clamp(static_cast<int>(std::lround(click.x)), 0, p.w - 1);
  const int cj = std::clamp(static_cast<int>(std::lround(click.y)), 0, p.h - 1);
  const Region& under = regions[static_cast<std::size_t>(label[static_cast<std::size_t>(cj * p.w + ci)])];
  const bool plain =
      std::none_of(regions.begin(), regions.end(), [](const Region& r) { return r.bright && r.area >= 12; });
  larger = plain || (under.bright && under.open);
  if (!best) return std::nullopt;
  const int id = static_cast<int>(best - regions.data());
  // The region with the holes a highlight or a print leaves in it filled.
  std::vector<int> inside(p.v.size(), 0);
  for (std::size_t k = 0; k < label.size(); ++k) {
    const Region& r = regions[static_cast<std::size_t>(label[k])];
    inside[k] = label[k] == id || (!r.open && r.left > best->left && r.right < best->right && r.top > best->top &&
                                   r.bottom < best->bottom);
  }
  double in_sum = 0.0, out_sum = 0.0;
  int in_count = 0, out_count = 0;
  for (int j = std::max(0, best->top - 3); j <= std::min(p.h - 1, best->bottom + 3); ++j)
    for (int i = std::max(0, best->left - 3); i <= std::min(p.w - 1, best->right + 3); ++i) {
      if (label[static_cast<std::size_t>(j * p.w + i)] == id) {
        in_sum += p.at(i, j);
        ++in_count;
      } else if (!inside[static_cast<std::size_t>(j * p.w + i)]) {
        out_sum += p.at(i, j);
        ++out_count;
      }
    }
  if (out_count == 0) return std::nullopt;
  const double contrast = (in_sum / in_count - out_sum / out_count);
  if (contrast < std::max(6.0 * sigma, 8.0)) return std::nullopt;
  const bool whole = best->left > 0 && best->top > 0 && best->right < p.w - 1 && best->bottom < p.h - 1;
  const double size = std::sqrt(best->area / std::numbers::pi);
  Point2 centre{best->centre_x(), best->centre_y()};
  std::optional<Ellipse> outline;
  std::vector<Point2> points;
  for (int pass = 0; pass < 2; ++pass) {
    points = edge_points(p, inside, centre, size, contrast);
    const std::size_t rays = static_cast<std::size_t>(std::clamp(int(2.0 * std::numbers::pi * size), 24, 128));
    if (points.size() < 8 || points.size() * 2 < rays) return std::nullopt;
    // A part of the outline says little about an ellipse's shape: a circle then.
    outline = fit_outline(points, centre, whole && points.size() * 5 >= rays * 4);
    if (!outline) return std::nullopt;
    centre = outline->centre;
  }
  if (outline->b < 0.4 * outline->a || outline->a < 0.4 * outline->b) return std::nullopt;
  if (std::sqrt(outline->a * outline->b) > 2.0 * size + 2.0) return std::nullopt;
  double sum = 0.0;
  for (const Point2& q : points) sum += std::pow(outline->distance(q), 2);
  const double rms = std::sqrt(sum / static_cast<double>(points.size()));
  if (rms > 0.5 || std::hypot(outline->centre.x - click.x, outline->centre.y - click.y) > radius + 1.0)
    return std::nullopt;
  return Found{outline->centre, std::exp(-rms / 0.25)};
}

std::optional<Found> find_target(const PixelSource& photo, Point2 click, double radius) {
  int half = std::max(12, static_cast<int>(std::ceil(2.0 * radius)) + 4);
  for (;; half *= 2) {
    half = std::min(half, kMaxTargetHalf);
    const Patch p = ground_distance_patch(photo, click, half);
    if (p.w == 0) return std::nullopt;
    bool larger = false;
    if (std::optional<Found> found = target_in(p, p.to_patch(click), radius, larger)) {
      found->position = p.to_photo(found->position);
      return found;
    }
    if (half == kMaxTargetHalf || !larger) return std::nullopt;
  }
}

std::optional<Found> find_corner(const PixelSource& photo, Point2 click, double radius) {
  const int half = static_cast<int>(std::ceil(radius)) + kCornerWindow + 3;
  const Patch p = grey_patch(photo, click, half);
  if (p.w < 2 * kCornerWindow + 3 || p.h < 2 * kCornerWindow + 3) return std::nullopt;
  const double sigma = noise_sigma(p);
  const Point2 c = p.to_patch(click);
  // Gradients, and the smaller eigenvalue of their 5 x 5 sums (the corner response).
  const std::size_t n = p.v.size();
  std::vector<float> gx(n, 0.0f), gy(n, 0.0f);
  for (int j = 1; j + 1 < p.h; ++j)
    for (int i = 1; i + 1 < p.w; ++i) {
      gx[static_cast<std::size_t>(j * p.w + i)] = (p.at(i + 1, j) - p.at(i - 1, j)) / 2.0f;
      gy[static_cast<std::size_t>(j * p.w + i)] = (p.at(i, j + 1) - p.at(i, j - 1)) / 2.0f;
    }
  double best_response = 0.0;
  int best_i = -1, best_j = -1;
  for (int j = 3; j + 3 < p.h; ++j)
    for (int i = 3; i + 3 < p.w; ++i) {
      if (std::hypot(i - c.x, j - c.y) > radius) continue;
      double xx = 0.0, xy = 0.0, yy = 0.0;
      for (int v = j - 2; v <= j + 2; ++v)
        for (int u = i - 2; u <= i + 2; ++u) {
          const double a = gx[static_cast<std::size_t>(v * p.w + u)], b = gy[static_cast<std::size_t>(v * p.w + u)];
          xx += a * a;
          xy += a * b;
          yy += b * b;
        }
      const double response = (xx + yy) / 2.0 - std::sqrt((xx - yy) * (xx - yy) / 4.0 + xy * xy);
      if (response > best_response) {
        best_response = response;
        best_i = i;
        best_j = j;
      }
    }
  if (best_i < 0 || best_response < 40.0 * sigma * sigma + 60.0) return std::nullopt;
  cv::Mat grey(p.h, p.w, CV_32F, const_cast<float*>(p.v.data()));
  std::vector<cv::Point2f> corner{cv::Point2f(float(best_i), float(best_j))};
  cv::cornerSubPix(grey, corner, cv::Size(kCornerWindow, kCornerWindow), cv::Size(-1, -1),
                   cv::TermCriteria(cv::TermCriteria::EPS + cv::TermCriteria::COUNT, 40, 0.001));
  const Point2 q{corner[0].x, corner[0].y};
  if (!std::isfinite(q.x) || !std::isfinite(q.y) || std::hypot(q.x - c.x, q.y - c.y) > radius) return std::nullopt;
  // How far, on average, the edge lines of the window pass from the corner.
  const int qi = static_cast<int>(std::lround(q.x)), qj = static_cast<int>(std::lround(q.y));
  double off = 0.0, weight = 0.0;
  for (int j = std::max(1, qj - kCornerWindow); j <= std::min(p.h - 2, qj + kCornerWindow); ++j)
    for (int i = std::max(1, qi - kCornerWindow); i <= std::min(p.w - 2, qi + kCornerWindow); ++i) {
      const double a = gx[static_cast<std::size_t>(j * p.w + i)], b = gy[static_cast<std::size_t>(j * p.w + i)];
      off += std::pow(a * (i - q.x) + b * (j - q.y), 2);
      weight += a * a + b * b;
    }
  const double spread = weight > 0.0 ? std::sqrt(off / weight) : 1e9;
  if (spread > 1.5) return std::nullopt;
  return Found{p.to_photo(q), std::clamp(1.0 - spread / 2.0, 0.0, 1.0)};
}

}  // namespace

double snap_radius_for_zoom(double zoom) {
  if (!(zoom > 0.0)) return kSnapRadius;
  return std::clamp(kSnapRadius / zoom, 3.0, kMaxRadius);
}

SnapResult snap_mark(const PixelSource& photo, Point2 click, double radius) {
  SnapResult result;
  result.position = click;
  if (!std::isfinite(click.x) || !std::isfinite(click.y) || click.x < 0.0 || click.y < 0.0 ||
      click.x >= photo.width() || click.y >= photo.height())
    return result;
  radius = std::clamp(std::isfinite(radius) ? radius : kSnapRadius, kMinRadius, kMaxRadius);
  std::optional<Found> found = find_target(photo, click, radius);
  if (found) {
    result.kind = SnapKind::Target;
  } else if ((found = find_corner(photo, click, radius))) {
    result.kind = SnapKind::Corner;
  } else {
    return result;
  }
  result.position = found->position;
  result.confidence = found->confidence;
  result.moved_px = std::hypot(found->position.x - click.x, found->position.y - click.y);
  return result;
}

const char* snap_kind_name(SnapKind kind) {
  switch (kind) {
    case SnapKind::Target:
      return "target";
    case SnapKind::Corner:
      return "corner";
    case SnapKind::None:
      break;
  }
  return "none";
}

}  // namespace plenvista
