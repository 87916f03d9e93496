#include "photogrammetry/point_triangulation.h"

#include "model/edit_actions.h"
#include "photogrammetry/projection.h"

namespace plenvista {

Vec3 point_triangulation(Point2 click_a, Point2 click_b, const ProjectImage& a, const ProjectImage& b) {
  const Point2 stored_a{click_a.x - a.centre_x, click_a.y - a.centre_y};
  const Point2 stored_b{click_b.x - a.centre_x, click_b.y - a.centre_y};
  const PreparedPose pose_a(a);
  const PreparedPose pose_b(b);
  const auto error = [&](const Vec3& p) {
    return normalised_error(pose_a.project(p, false), stored_a, a) +
           normalised_error(pose_b.project(p, false), stored_b, b);
  };

  Vec3 centre{0, 0, 0};
  Vec3 best{0, 0, 0};
  double divisor = 1.0;
  double best_error = -1.0;
  double previous_error = -1.0;
  for (;;) {
    const double step = 100 / divisor;
    for (int g = -1; g <= 1; ++g)
      for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j) {
          const Vec3 p{centre.x + g * step, centre.y + i * step, centre.z + j * step};
          const double e = error(p);
          if (best_error == -1.0 || e < best_error) {
            best = p;
            best_error = e;
          }
        }
    if (previous_error == -1.0 || best_error < previous_error) {
      previous_error = best_error;
      centre = best;
      continue;
    }
    divisor *= 2;
    if (divisor > 1000) return best;
  }
}

ModelPoint* add_point_from_partner_clicks(Project& project, Point2 click_current, Point2 click_partner) {
  const ProjectImage* a = project.images().current;
  const ProjectImage* b = a ? a->partner : nullptr;
  if (!a || !b || !a->pose_known || !b->pose_known) return nullptr;
  const Vec3 p = point_triangulation(click_current, click_partner, *a, *b);
  ModelPoint* point = add_point(project, p.x, p.y, p.z);
  project.note_change();
  return point;
}

}  // namespace plenvista
