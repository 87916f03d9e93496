#include "photogrammetry/patch_correlation.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace plenvista {

namespace {

Vec3 unit(const Vec3& v) { return v * (1 / length(v)); }

// Least grey-level spread (standard deviation) of a patch worth comparing.
constexpr double kMinSpread = 2.0;
// Least sine of the angle between a trial surface and a ray onto it.
constexpr double kMinGrazing = 0.1;
// How far around itself, along how many rays, a patch is compared with
// its own photograph (pixels of a photograph up to 1200 px wide).
constexpr double kSelfReachOnAxesPx = 40;
constexpr int kSelfRays = 24;
constexpr double kSelfStep = 1.5;

// The places of the three highest scores of a scan apart from its peak at
// `centre`: the slopes falling away from the centre on either side belong
// to that peak.
std::vector<std::size_t> rival_peaks(const std::vector<double>& scores, std::size_t centre) {
  std::vector<std::size_t> out;
  if (scores.empty()) return out;
  std::size_t low = centre, high = centre;
  while (low > 0 && scores[low - 1] <= scores[low]) --low;
  while (high + 1 < scores.size() && scores[high + 1] <= scores[high]) ++high;
  for (std::size_t k = 0; k < scores.size(); ++k)
    if (k < low || k > high) out.push_back(k);
  const std::size_t kept = std::min<std::size_t>(3, out.size());
  std::partial_sort(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(kept), out.end(),
                    [&](std::size_t x, std::size_t y) { return scores[x] > scores[y]; });
  out.resize(kept);
  return out;
}

}  // namespace

PatchCorrelator::PatchCorrelator(const GreyImage& grey_a, const ProjectImage& image_a, const GreyImage& grey_b,
                                 const ProjectImage& image_b)
    : grey_a_(grey_a),
      grey_b_(grey_b),
      rays_a_(image_a),
      rays_b_(image_b),
      frame_a_(PoseFrame::of(image_a)),
      frame_b_(PoseFrame::of(image_b)),
      pose_a_(image_a),
      spacing_(patch_spacing(grey_a, grey_b)),
      pose_b_(image_b),
      usable_(image_a.pose_known && image_b.pose_known && rays_a_.usable() && rays_b_.usable() && grey_a.width > 1 &&
              grey_b.width > 1 && length(frame_a_.centre - frame_b_.centre) > 0) {}

template <int Radius>
PatchCorrelator::Patch<Radius> PatchCorrelator::sample(const GreyImage& grey, Point2 pa, double step) {
  Patch<Radius> patch;
  patch.centre = pa;
  patch.step = step;
  double sum = 0;
  std::size_t k = 0;
  for (int v = -Radius; v <= Radius; ++v)
    for (int u = -Radius; u <= Radius; ++u) {
      const float value = grey.sample(pa.x + u * step, pa.y + v * step);
      if (std::isnan(value)) return patch;
      patch.values[k++] = value;
      sum += value;
    }
  const float mean = static_cast<float>(sum / patch.values.size());
  double squares = 0;
  for (float& value : patch.values) {
    value -= mean;
    squares += double{value} * value;
  }
  if (squares / patch.values.size() >= kMinSpread * kMinSpread) patch.norm = std::sqrt(squares);
  return patch;
}

template <int Radius>
double PatchCorrelator::correlate(const Patch<Radius>& patch, const Affine& map, Point2 pb) const {
  return correlate_in(grey_b_, patch, map, pb);
}

template <int Radius>
double PatchCorrelator::correlate_in(const GreyImage& grey, const Patch<Radius>& patch, const Affine& map, Point2 pb) {
  if (!(patch.norm > 0)) return -1;
  constexpr int kSide = Patch<Radius>::kSide;
  const double s = patch.step;
  // The patch's corners in the image: inside, every sample is (with a
  // margin for the samples' positions in single precision).
  const double reach = Radius * s;
  for (const double cu : {-reach, reach})
    for (const double cv : {-reach, reach}) {
      const double x = pb.x + map[0] * cu + map[1] * cv, y = pb.y + map[2] * cu + map[3] * cv;
      if (!(x >= 0 && y >= 0 && x < grey.width - 1.01 && y < grey.height - 1.01)) return -1;
    }
  const std::uint8_t* pixels = grey.pixels.data();
  const std::ptrdiff_t width = grey.width;
  const auto step_x = static_cast<float>(map[0] * s), step_y = static_cast<float>(map[2] * s);
  float sum = 0, squares = 0, cross = 0;
  std::size_t k = 0;
  for (int v = -Radius; v <= Radius; ++v) {
    // B's position of A's (u, v), stepping along u; bilinear between the
    // four pixels around it.
    const auto row_x = static_cast<float>(pb.x + map[0] * (-reach) + map[1] * (v * s));
    const auto row_y = static_cast<float>(pb.y + map[2] * (-reach) + map[3] * (v * s));
    for (int u = 0; u < kSide; ++u) {
      const float x = row_x + static_cast<float>(u) * step_x, y = row_y + static_cast<float>(u) * step_y;
      const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
      const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
      const std::uint8_t* p = pixels + y0 * width + x0;
      const float top = p[0] + fx * static_cast<float>(p[1] - p[0]);
      const float bottom = p[width] + fx * static_cast<float>(p[width + 1] - p[width]);
      const float value = top + fy * (bottom - top);
      sum += value;
      squares += value * value;
      cross += value * patch.values[k++];
    }
  }
  const double spread = double{squares} - double{sum} * sum / (kSide * kSide);
  if (!(spread > 1e-9)) return -1;
  return cross / (patch.norm * std::sqrt(spread));
}

std::array<Vec3, PatchCorrelator::kSurfaces> PatchCorrelator::surfaces(const Vec3& point) const {
  const Vec3 to_a = unit(frame_a_.centre - point), to_b = unit(frame_b_.centre - point);
  const Vec3 facing = unit(to_a + to_b);
  const Vec3 baseline = frame_a_.centre - frame_b_.centre;
  const Vec3 along = unit(baseline - facing * dot(baseline, facing));
  const Vec3 across = cross(facing, along);
  // Per surface: the shares of facing, along and across in its normal.
  struct Tilt {
    double facing, along, across;
  };
  static const std::array<Tilt, kSurfaces> kTilts = [] {
    const auto tilted = [](double degrees, double along_share, double across_share) {
      const double angle = degrees * kDegreesToRadians;
      const double share = std::sin(angle) / std::hypot(along_share, across_share);
      return Tilt{std::cos(angle), along_share * share, across_share * share};
    };
    return std::array<Tilt, kSurfaces>{Tilt{1, 0, 0},     tilted(60, 0, 1),  tilted(60, 0, -1),  tilted(30, 0, 1),
                                       tilted(30, 0, -1), tilted(30, 1, 0),  tilted(30, -1, 0),  tilted(45, 1, 1),
                                       tilted(45, 1, -1), tilted(45, -1, 1), tilted(45, -1, -1), tilted(60, 1, 0),
                                       tilted(60, -1, 0)};
  }();
  std::array<Vec3, kSurfaces> out;
  for (std::size_t k = 0; k < kSurfaces; ++k)
    out[k] = facing * kTilts[k].facing + along * kTilts[k].along + across * kTilts[k].across;
  return out;
}

std::optional<PatchCorrelator::Affine> PatchCorrelator::affine(Point2 pa, const Vec3& point, const Vec3& normal) const {
  constexpr double kStep = 2.0;  // pixels of A
  if (dot(normal, unit(frame_b_.centre - point)) < kMinGrazing) return std::nullopt;
  // A's rays through the pixel and its two neighbours, kept for the next
  // call: the candidates of one feature are compared one after another.
  if (!(footprint_.pixel.x == pa.x && footprint_.pixel.y == pa.y)) {
    footprint_.pixel = pa;
    footprint_.usable = true;
    const std::array<Point2, 3> in_a{pa, Point2{pa.x + kStep, pa.y}, Point2{pa.x, pa.y + kStep}};
    for (std::size_t k = 0; k < 3; ++k) {
      const auto direction = rays_a_.direction(in_a[k]);
      footprint_.usable = footprint_.usable && direction.has_value();
      if (direction) footprint_.rays[k] = unit(frame_a_.to_world_direction(*direction));
    }
  }
  if (!footprint_.usable) return std::nullopt;
  std::array<Point2, 3> in_b;
  for (std::size_t k = 0; k < 3; ++k) {
    const Vec3& d = footprint_.rays[k];
    const double facing = -dot(normal, d);
    if (facing < kMinGrazing) return std::nullopt;
    const Vec3 on_plane = frame_a_.centre + d * (dot(normal, frame_a_.centre - point) / facing);
    if (!(-frame_b_.to_camera(on_plane).z > 0)) return std::nullopt;
    in_b[k] = pose_b_.project(on_plane, true);
  }
  Affine map{(in_b[1].x - in_b[0].x) / kStep, (in_b[2].x - in_b[0].x) / kStep, (in_b[1].y - in_b[0].y) / kStep,
             (in_b[2].y - in_b[0].y) / kStep};
  for (double m : map)
    if (!std::isfinite(m)) return std::nullopt;
  return map;
}

PatchCorrelator::QuickPatch PatchCorrelator::quick_patch(Point2 pa) const {
  return sample<2>(grey_a_, pa, 3 * spacing_);
}

PatchCorrelator::CoarsePatch PatchCorrelator::coarse_patch(Point2 pa) const {
  return sample<4>(grey_a_, pa, 2 * spacing_);
}

double PatchCorrelator::quick_score(const QuickPatch& patch, const Vec3& point, Point2 pb) const {
  if (!(patch.norm > 0)) return -1;
  const auto normals = surfaces(point);
  double best = -1;
  for (std::size_t k = 0; k < 3; ++k)
    if (const auto map = affine(patch.centre, point, normals[k])) best = std::max(best, correlate(patch, *map, pb));
  return best;
}

PatchCorrelator::Surface PatchCorrelator::best_surface(const CoarsePatch& patch, const Vec3& point, Point2 pb) const {
  Surface best;
  for (const Vec3& normal : surfaces(point))
    if (const auto map = affine(patch.centre, point, normal)) {
      const double s = correlate(patch, *map, pb);
      if (s > best.score) best = {s, map, normal};
    }
  return best;
}

double PatchCorrelator::score(const CoarsePatch& patch, const Vec3& point, Point2 pb) const {
  if (!(patch.norm > 0)) return -1;
  return best_surface(patch, point, pb).score;
}

std::optional<PatchMatch> PatchCorrelator::refine(Point2 pa, const Vec3& point, Point2 pb, double reach_px) const {
  const FinePatch patch = sample<8>(grey_a_, pa, spacing_);
  const CoarsePatch coarse = coarse_patch(pa);
  if (!(patch.norm > 0 && coarse.norm > 0)) return std::nullopt;
  Surface fit = best_surface(coarse, point, pb);
  std::optional<Affine>& map = fit.map;
  Vec3& normal = fit.normal;
  if (!map) return std::nullopt;
  // The correlation on whole-pixel steps around a place, then its peak to
  // a fraction of a pixel; none on the search's edge. The coarse patch
  // finds the peak, the fine one places it.
  const auto peak_near = [&](const auto& compared, const Affine& m, Point2 around,
                             int reach) -> std::optional<PatchMatch> {
    const int side = 2 * reach + 1;
    std::vector<double> scores(static_cast<std::size_t>(side * side));
    int peak = -1;
    for (int dy = -reach; dy <= reach; ++dy)
      for (int dx = -reach; dx <= reach; ++dx) {
        const int k = (dy + reach) * side + dx + reach;
        scores[static_cast<std::size_t>(k)] = correlate(compared, m, {around.x + dx, around.y + dy});
        if (peak < 0 || scores[static_cast<std::size_t>(k)] > scores[static_cast<std::size_t>(peak)]) peak = k;
      }
    const int px = peak % side, py = peak / side;
    if (px == 0 || py == 0 || px == side - 1 || py == side - 1) return std::nullopt;
    const auto at = [&](int x, int y) { return scores[static_cast<std::size_t>(y * side + x)]; };
    const auto vertex = [](double low, double middle, double high) {
      const double curve = low - 2 * middle + high;
      return curve < 0 ? std::clamp(0.5 * (low - high) / curve, -0.5, 0.5) : 0.0;
    };
    const double ox = vertex(at(px - 1, py), at(px, py), at(px + 1, py));
    const double oy = vertex(at(px, py - 1), at(px, py), at(px, py + 1));
    return PatchMatch{{around.x + px - reach + ox, around.y + py - reach + oy}, at(px, py)};
  };
  const auto rough = peak_near(coarse, *map, pb, std::max(1, static_cast<int>(std::ceil(reach_px))));
  if (!rough) return std::nullopt;
  const auto whole = [&](Point2 p) { return Point2{std::round(p.x - pb.x) + pb.x, std::round(p.y - pb.y) + pb.y}; };
  // The fine patch's peak is within a pixel of the coarse one's, most
  // often: the wider search only when it lies on the narrow one's edge.
  const auto fine_peak = [&](const Affine& m, Point2 around) {
    auto found = peak_near(patch, m, around, 1);
    return found ? found : peak_near(patch, m, around, 2);
  };
  const auto first = fine_peak(*map, whole(rough->position));
  if (!first) return std::nullopt;
  // The surface's orientation refined at the peak, by tilting it a little
  // at a time each way while the correlation improves: a wrong orientation
  // skews the patch and moves the peak.
  const Vec3 to_a = unit(frame_a_.centre - point), to_b = unit(frame_b_.centre - point);
  const Vec3 facing = unit(to_a + to_b);
  const Vec3 side = unit(cross(facing, normal + facing * 1e-3 + to_a * 1e-6));
  const Vec3 up = cross(normal, side);
  double score = correlate(patch, *map, first->position);
  for (const double degrees : {6.0, 2.0}) {
    const double t = std::tan(degrees * kDegreesToRadians);
    for (bool improved = true; improved;) {
      improved = false;
      const Vec3 base = normal;
      for (const Vec3& tilt : {side, side * -1.0, up, up * -1.0}) {
        const Vec3 n = unit(base + tilt * t);
        const auto m = affine(pa, point, n);
        if (!m) continue;
        const double s = correlate(patch, *m, first->position);
        if (s > score + 1e-4) {
          score = s;
          map = m;
          normal = n;
          improved = true;
        }
      }
    }
  }
  return fine_peak(*map, whole(first->position));
}

double PatchCorrelator::lead_on_line(Point2 pa, const Vec3& point, Point2 pb, double near, double far) const {
  const QuickPatch quick = quick_patch(pa);
  const CoarsePatch coarse = coarse_patch(pa);
  const Surface fit = best_surface(coarse, point, pb);
  const double best = fit.score;
  const std::optional<Affine>& map = fit.map;
  const auto ray = rays_a_.direction(pa);
  if (!map || !ray || !(quick.norm > 0)) return -1;
  const Vec3 d = unit(frame_a_.to_world_direction(*ray));
  const double along = -dot(frame_a_.rows[2], d);  // depth in A per unit along the ray
  if (!(along > 0 && near > 0)) return -1;
  // The line through pb: the poses' line moved by pb's offset from it.
  const auto in_b = [&](double distance) { return pose_b_.project(frame_a_.centre + d * distance, true); };
  const Point2 matched = in_b(dot(point - frame_a_.centre, d));
  const double shift_x = pb.x - matched.x, shift_y = pb.y - matched.y;
  const double inverse_near = along / near;
  const double inverse_far = std::isfinite(far) && far > near ? along / far : 0.0;
  const auto at_inverse = [&](double inverse) {
    const double distance = inverse > 0 ? 1 / inverse : 1e6 * length(frame_a_.centre - frame_b_.centre);
    const Point2 p = in_b(distance);
    return Point2{p.x + shift_x, p.y + shift_y};
  };
  const Point2 first = at_inverse(inverse_near), last = at_inverse(inverse_far);
  const double span = std::hypot(first.x - last.x, first.y - last.y);
  if (!std::isfinite(span)) return -1;
  // The quick patch a fine patch's sample spacing apart along the line;
  // the coarse one at the few best places off the peak's own slopes.
  const int samples = std::clamp(static_cast<int>(span / spacing_), 2, 6000);
  std::vector<double> scores;
  std::vector<Point2> places;
  std::size_t nearest = 0;
  double nearest_px = INFINITY;
  for (int k = 0; k <= samples; ++k) {
    const double inverse = inverse_far + (inverse_near - inverse_far) * k / samples;
    if (inverse > 0 && !(-frame_b_.to_camera(frame_a_.centre + d * (1 / inverse)).z > 0)) continue;
    const Point2 q = at_inverse(inverse);
    const double off = std::hypot(q.x - pb.x, q.y - pb.y);
    if (off < nearest_px) {
      nearest_px = off;
      nearest = scores.size();
    }
    scores.push_back(correlate(quick, *map, q));
    places.push_back(q);
  }
  double rival = -1;
  for (const std::size_t k : rival_peaks(scores, nearest)) {
    const auto neighbour = [&](std::size_t j) { return correlate(coarse, *map, places[j]); };
    rival = std::max(rival, neighbour(k));
    if (k > 0) rival = std::max(rival, neighbour(k - 1));
    if (k + 1 < places.size()) rival = std::max(rival, neighbour(k + 1));
  }
  return best - rival;
}

double PatchCorrelator::self_rival(Point2 p, bool in_b) const {
  constexpr Affine kSame{1, 0, 0, 1};
  const GreyImage& grey = in_b ? grey_b_ : grey_a_;
  const QuickPatch quick = sample<2>(grey, p, 3 * spacing_);
  const CoarsePatch coarse = sample<4>(grey, p, 2 * spacing_);
  if (!(quick.norm > 0 && coarse.norm > 0)) return -1;
  // The quick patch outwards along rays from p, past the slope of its own
  // peak; then the coarse one on whole pixels around the best few places.
  std::array<std::pair<double, Point2>, 3> best;
  best.fill({-2.0, p});
  const double reach = kSelfReachOnAxesPx * spacing_;
  for (int ray = 0; ray < kSelfRays; ++ray) {
    const double angle = 2 * std::numbers::pi * ray / kSelfRays;
    const double dx = std::cos(angle), dy = std::sin(angle);
    double previous = 1;
    bool on_slope = true;
    for (double r = kSelfStep * spacing_; r <= reach; r += kSelfStep * spacing_) {
      const Point2 q{p.x + r * dx, p.y + r * dy};
      const double score = correlate_in(grey, quick, kSame, q);
      on_slope = on_slope && score <= previous;
      previous = score;
      if (on_slope || score <= best.back().first) continue;
      best.back() = {score, q};
      std::sort(best.begin(), best.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    }
  }
  double rival = -1;
  for (const auto& [score, q] : best) {
    if (score < -1) continue;
    for (int oy = -1; oy <= 1; ++oy)
      for (int ox = -1; ox <= 1; ++ox) rival = std::max(rival, correlate_in(grey, coarse, kSame, {q.x + ox, q.y + oy}));
  }
  return rival;
}

std::optional<Vec3> PatchCorrelator::triangulate(Point2 pa, Point2 pb) const {
  const auto ra = rays_a_.direction(pa), rb = rays_b_.direction(pb);
  if (!ra || !rb) return std::nullopt;
  const Vec3 da = unit(frame_a_.to_world_direction(*ra)), db = unit(frame_b_.to_world_direction(*rb));
  const Vec3 w = frame_a_.centre - frame_b_.centre;
  const double b = dot(da, db), d = dot(da, w), e = dot(db, w);
  const double denominator = 1 - b * b;
  if (denominator < 1e-12) return std::nullopt;
  const double s = (b * e - d) / denominator, t = (e - b * d) / denominator;
  if (!(s > 0 && t > 0)) return std::nullopt;
  return (frame_a_.centre + da * s + frame_b_.centre + db * t) * 0.5;
}

}  // namespace plenvista
