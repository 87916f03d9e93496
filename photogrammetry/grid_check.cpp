#include "photogrammetry/grid_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include <Eigen/Core>
#include <Eigen/LU>

#include "base/number_text.h"

namespace plenvista {
namespace {

// Homography h11 h12 h13 h21 h22 h23 h31 h32 (h33 = 1), then k1 and k2.
constexpr std::size_t kHomography = 8;
constexpr std::size_t kParams = 10;
using Params = std::array<double, kParams>;

// A found intersection: grid position (column, row) and photograph
// position, both scaled to about -1..1 for a well-conditioned fit.
struct Sample {
  double gx = 0.0;
  double gy = 0.0;
  double px = 0.0;
  double py = 0.0;
  GridIntersection at;
};

Point2 model_point(const Params& m, double gx, double gy) {
  const double w = m[6] * gx + m[7] * gy + 1.0;
  const double hx = (m[0] * gx + m[1] * gy + m[2]) / w;
  const double hy = (m[3] * gx + m[4] * gy + m[5]) / w;
  const double s = hx * hx + hy * hy;
  const double f = 1.0 + m[8] * s + m[9] * s * s;
  return {hx * f, hy * f};
}

// Solves the upper-left n x n system a x = b; false when it is singular.
bool solve(const std::array<Params, kParams>& a, const Params& b, std::size_t n, Params& x) {
  const auto size = static_cast<Eigen::Index>(n);
  Eigen::MatrixXd m(size, size);
  Eigen::VectorXd v(size);
  for (Eigen::Index r = 0; r < size; ++r) {
    for (Eigen::Index c = 0; c < size; ++c) m(r, c) = a[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    v(r) = b[static_cast<std::size_t>(r)];
  }
  const Eigen::FullPivLU<Eigen::MatrixXd> lu(m);
  if (!lu.isInvertible()) return false;
  const Eigen::VectorXd solution = lu.solve(v);
  for (Eigen::Index r = 0; r < size; ++r) x[static_cast<std::size_t>(r)] = solution(r);
  return true;
}

// Normal equations of rows j (one per residual) with right-hand side r.
struct Normal {
  std::array<Params, kParams> a{};
  Params b{};
  void add(const Params& j, double r, std::size_t n) {
    for (std::size_t p = 0; p < n; ++p) {
      for (std::size_t q = 0; q < n; ++q) a[p][q] += j[p] * j[q];
      b[p] += j[p] * r;
    }
  }
};

double cost(const Params& m, const std::vector<Sample>& samples) {
  double sum = 0.0;
  for (const Sample& s : samples) {
    const Point2 p = model_point(m, s.gx, s.gy);
    sum += (p.x - s.px) * (p.x - s.px) + (p.y - s.py) * (p.y - s.py);
  }
  return sum;
}

// The homography alone, linear in its eight values once multiplied out.
Params initial_model(const std::vector<Sample>& samples) {
  Normal normal;
  for (const Sample& s : samples) {
    normal.add({s.gx, s.gy, 1, 0, 0, 0, -s.gx * s.px, -s.gy * s.px}, s.px, kHomography);
    normal.add({0, 0, 0, s.gx, s.gy, 1, -s.gx * s.py, -s.gy * s.py}, s.py, kHomography);
  }
  Params m{};
  if (!solve(normal.a, normal.b, kHomography, m)) m = {1, 0, 0, 0, 1, 0, 0, 0};
  return m;
}

// Damped Gauss-Newton on the first n values of the model, with
// derivatives by central differences.
Params fit_model(const std::vector<Sample>& samples, std::size_t n) {
  Params m = initial_model(samples);
  double current = cost(m, samples);
  double damping = 1e-3;
  for (int iteration = 0; iteration < 200 && damping < 1e12; ++iteration) {
    Normal normal;
    for (const Sample& s : samples) {
      Params jx{};
      Params jy{};
      for (std::size_t p = 0; p < n; ++p) {
        constexpr double kStep = 1e-7;
        Params plus = m;
        Params minus = m;
        plus[p] += kStep;
        minus[p] -= kStep;
        const Point2 a = model_point(plus, s.gx, s.gy);
        const Point2 b = model_point(minus, s.gx, s.gy);
        jx[p] = (a.x - b.x) / (2 * kStep);
        jy[p] = (a.y - b.y) / (2 * kStep);
      }
      const Point2 q = model_point(m, s.gx, s.gy);
      normal.add(jx, s.px - q.x, n);
      normal.add(jy, s.py - q.y, n);
    }
    bool improved = false;
    while (!improved && damping < 1e12) {
      std::array<Params, kParams> damped = normal.a;
      for (std::size_t p = 0; p < n; ++p) damped[p][p] += damping * (normal.a[p][p] + 1e-12);
      Params delta{};
      Params trial = m;
      if (solve(damped, normal.b, n, delta)) {
        for (std::size_t p = 0; p < n; ++p) trial[p] += delta[p];
        const double next = cost(trial, samples);
        if (next < current) {
          improved = true;
          const bool settled = current - next <= 1e-14 * current;
          m = trial;
          current = next;
          damping = std::max(damping * 0.1, 1e-12);
          if (settled) return m;
        }
      }
      if (!improved) damping *= 10;
    }
  }
  return m;
}

std::string intersection_text(GridIntersection at) {
  return "row " + std::to_string(at.row) + ", column " + std::to_string(at.column);
}

std::string px(double value) { return format_fixed(value, 2) + " px"; }

// "Label: intersection row 2, column 3" or "Label: 5 intersections, the first at row 2, column 3".
void add_problem(GridCheck& check, const std::string& label, const std::vector<GridIntersection>& named) {
  if (named.empty()) return;
  if (named.size() == 1) {
    check.problems.push_back(label + ": intersection " + intersection_text(named.front()));
  } else {
    check.problems.push_back(label + ": " + std::to_string(named.size()) + " intersections, the first at " +
                             intersection_text(named.front()));
  }
}

void widen(PixelRange& range, bool& any, double value) {
  range.min = any ? std::min(range.min, value) : value;
  range.max = any ? std::max(range.max, value) : value;
  any = true;
}

}  // namespace

GridCheck check_grid(const CameraModel& camera, const std::vector<bool>& found) {
  GridCheck check;
  const int rows = camera.rows;
  const int columns = camera.columns;
  check.intersections = camera.has_tables() ? (rows + 1) * (columns + 1) : 0;
  if (check.intersections == 0 || found.size() != static_cast<std::size_t>(check.intersections)) {
    check.intersections = 0;
    check.problems.push_back("The grid has not been traced");
    return check;
  }
  const auto is_found = [&](int i, int j) { return found[static_cast<std::size_t>(i * (columns + 1) + j)]; };
  const auto at = [&](int i, int j) { return camera.corner(i, j); };
  const auto distance = [](Point2 a, Point2 b) { return std::hypot(a.x - b.x, a.y - b.y); };
  const auto jumps = [](double before, double after) {
    return after > kSpacingJumpFactor * before || before > kSpacingJumpFactor * after;
  };

  bool any_width = false;
  bool any_height = false;
  for (int i = 0; i <= rows; ++i) {
    for (int j = 0; j <= columns; ++j) {
      if (!is_found(i, j)) {
        check.missing.push_back({i, j});
        continue;
      }
      ++check.found;
      const Point2 p = at(i, j);
      const bool left = j > 0 && is_found(i, j - 1);
      const bool up = i > 0 && is_found(i - 1, j);
      if ((left && !(p.x > at(i, j - 1).x)) || (up && !(p.y > at(i - 1, j).y))) check.out_of_order.push_back({i, j});
      if (left) widen(check.cell_width_px, any_width, distance(p, at(i, j - 1)));
      if (up) widen(check.cell_height_px, any_height, distance(p, at(i - 1, j)));
      const bool row_jump =
          left && j > 1 && is_found(i, j - 2) && jumps(distance(at(i, j - 1), at(i, j - 2)), distance(p, at(i, j - 1)));
      const bool column_jump =
          up && i > 1 && is_found(i - 2, j) && jumps(distance(at(i - 1, j), at(i - 2, j)), distance(p, at(i - 1, j)));
      if (row_jump || column_jump) check.spacing_jumps.push_back({i, j});
    }
  }

  // The fit works on the grid and the photograph scaled to about -1..1.
  const double half_columns = std::max(columns, 1) / 2.0;
  const double half_rows = std::max(rows, 1) / 2.0;
  const double grid_scale = std::max(half_columns, half_rows);
  const double centre_x = camera.native_width / 2.0;
  const double centre_y = camera.native_height / 2.0;
  const double photo_scale = std::max(std::hypot(centre_x, centre_y), 1.0);
  std::vector<Sample> samples;
  for (int i = 0; i <= rows; ++i) {
    for (int j = 0; j <= columns; ++j) {
      if (!is_found(i, j)) continue;
      samples.push_back({(j - half_columns) / grid_scale,
                         (i - half_rows) / grid_scale,
                         (at(i, j).x - centre_x) / photo_scale,
                         (at(i, j).y - centre_y) / photo_scale,
                         {i, j}});
    }
  }
  if (samples.size() >= 4) {
    const Params model = fit_model(samples, samples.size() >= 8 ? kParams : kHomography);
    double sum = 0.0;
    for (const Sample& s : samples) {
      const Point2 q = model_point(model, s.gx, s.gy);
      const double deviation = std::hypot(q.x - s.px, q.y - s.py) * photo_scale;
      sum += deviation * deviation;
      if (deviation > check.worst_px) {
        check.worst_px = deviation;
        check.worst = s.at;
      }
    }
    check.rms_px = std::sqrt(sum / static_cast<double>(samples.size()));
  }

  add_problem(check, "Not found", check.missing);
  add_problem(check, "Out of order (not right of its left neighbour or not below its upper one)", check.out_of_order);
  add_problem(
      check,
      "Spacing changes by more than a factor of " + format_fixed(kSpacingJumpFactor, 1) + " from the cell before",
      check.spacing_jumps);
  if (check.worst_px > kMaxWorstDeviationPx) {
    check.problems.push_back("Deviation from a smooth grid above " + px(kMaxWorstDeviationPx) + ": " +
                             px(check.worst_px) + " at " + intersection_text(check.worst));
  }
  if (check.rms_px > kMaxRmsDeviationPx) {
    check.problems.push_back("RMS deviation from a smooth grid above " + px(kMaxRmsDeviationPx) + ": " +
                             px(check.rms_px));
  }
  return check;
}

std::vector<std::string> grid_check_summary(const GridCheck& check) {
  std::vector<std::string> lines;
  lines.push_back("Intersections found : " + std::to_string(check.found) + " of " +
                  std::to_string(check.intersections));
  if (check.found == 0) return lines;
  lines.push_back("Deviation from a smooth grid : RMS " + px(check.rms_px) + ", worst " + px(check.worst_px) + " at " +
                  intersection_text(check.worst));
  lines.push_back("Cell size : " + format_fixed(check.cell_width_px.min, 2) + " to " +
                  format_fixed(check.cell_width_px.max, 2) + " px wide, " + format_fixed(check.cell_height_px.min, 2) +
                  " to " + format_fixed(check.cell_height_px.max, 2) + " px high");
  return lines;
}

}  // namespace plenvista
