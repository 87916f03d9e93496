#include "tools/sample_project.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/settings_store.h"
#include "model/edit_actions.h"
#include "model/image_management.h"
#include "model/layers_materials.h"
#include "model/mirror.h"
#include "model/translation.h"
#include "persistence/project_file.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/grid_calibration.h"
#include "photogrammetry/grid_check.h"
#include "photogrammetry/image_search.h"
#include "photogrammetry/point_triangulation.h"
#include "photogrammetry/project_camera.h"
#include "photogrammetry/projection.h"
#include "photogrammetry/texture_mapping.h"
#include "platform/photograph_reader.h"
#include "testing/cameras.h"
#include "testing/sample_scene.h"
#include "testing/synthetic_grid.h"

namespace plenvista {
namespace {

constexpr int kWidth = 2272;
constexpr int kHeight = 1704;

class Silent : public Notifier, public MessageSink {
 public:
  void post(Notification, int) override {}
  void show(const std::string& text, const std::string& caption) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
};

bool fail(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  return false;
}

// ------------------------------------------------------------ the scene

// One plane face of the house: its outline, and a painted texture laid on
// it from `origin` along `u` (texture right) and `v` (texture up), 2
// texture pixels a mm. u x v points out of the house.
struct Wall {
  std::vector<Vec3> outline;
  Vec3 origin;
  Vec3 u;
  Vec3 v;
  double width = 0;
  double height = 0;
  QImage texture;

  Vec3 normal() const { return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x}; }
  bool faces(const Vec3& eye) const {
    const Vec3 n = normal();
    return n.x * (eye.x - origin.x) + n.y * (eye.y - origin.y) + n.z * (eye.z - origin.z) > 0;
  }
  // Whether `p` lies on the face (its plane, within its texture rectangle).
  bool holds(const Vec3& p) const {
    const Vec3 d{p.x - origin.x, p.y - origin.y, p.z - origin.z};
    const Vec3 n = normal();
    const double a = d.x * u.x + d.y * u.y + d.z * u.z;
    const double b = d.x * v.x + d.y * v.y + d.z * v.z;
    return std::abs(d.x * n.x + d.y * n.y + d.z * n.z) < 1e-6 && a > -1e-6 && a < width + 1e-6 && b > -1e-6 &&
           b < height + 1e-6;
  }
};

// A wall painted in two colours meeting at its middle (one colour when
// they are equal), with openings (x, y, width, height in mm from the
// bottom left): doors reach the ground, windows have frames.
struct Opening {
  QRectF rect;
  bool door;
};

QImage wall_texture(double width, double height, QColor left, QColor right, const std::vector<Opening>& openings,
                    bool tiles = false) {
  const double s = 2.0;
  QImage texture(static_cast<int>(width * s), static_cast<int>(height * s), QImage::Format_RGB32);
  QPainter painter(&texture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(s, s);
  painter.fillRect(QRectF(0, 0, width / 2, height), left);
  painter.fillRect(QRectF(width / 2, 0, width / 2, height), right);
  if (tiles) {
    painter.setPen(QPen(QColor(40, 40, 50, 120), 1.5));
    for (double y = 15; y < height; y += 30) painter.drawLine(QPointF(0, y), QPointF(width, y));
  }
  for (const Opening& o : openings) {
    const QRectF r(o.rect.x(), height - o.rect.y() - o.rect.height(), o.rect.width(), o.rect.height());
    if (o.door) {
      painter.fillRect(r, QColor(95, 60, 40));
      painter.setPen(QPen(QColor(60, 35, 25), 3));
      painter.drawRect(r.adjusted(12, 12, -12, 0));
      painter.setBrush(QColor(220, 190, 80));
      painter.drawEllipse(QPointF(r.right() - 22, r.center().y()), 5, 5);
    } else {
      painter.fillRect(r, QColor(245, 245, 240));
      painter.fillRect(r.adjusted(8, 8, -8, -8), QColor(120, 160, 200));
      painter.setPen(QPen(QColor(245, 245, 240), 6));
      painter.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
      painter.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    }
  }
  return texture;
}

std::vector<Wall> house_walls() {
  const QColor warm(205, 130, 95);   // the left half
  const QColor pale(225, 190, 140);  // the right half
  const QColor slate(95, 95, 115);
  const QColor dark_slate(75, 75, 95);
  const double slope = std::sqrt(2.0) * 150;
  const double r = 1 / std::sqrt(2.0);
  std::vector<Wall> walls;
  walls.push_back(
      {{{0, 0, 0}, {600, 0, 0}, {600, 400, 0}, {0, 400, 0}},
       {0, 0, 0},
       {1, 0, 0},
       {0, 1, 0},
       600,
       400,
       wall_texture(600, 400, warm, pale,
                    {{{240, 0, 120, 220}, true}, {{70, 170, 120, 140}, false}, {{410, 170, 120, 140}, false}})});
  walls.push_back({{{600, 0, -300}, {0, 0, -300}, {0, 400, -300}, {600, 400, -300}},
                   {600, 0, -300},
                   {-1, 0, 0},
                   {0, 1, 0},
                   600,
                   400,
                   wall_texture(600, 400, pale, warm, {{{90, 170, 120, 140}, false}, {{390, 170, 120, 140}, false}})});
  walls.push_back({{{0, 0, -300}, {0, 0, 0}, {0, 400, 0}, {0, 550, -150}, {0, 400, -300}},
                   {0, 0, -300},
                   {0, 0, 1},
                   {0, 1, 0},
                   300,
                   550,
                   wall_texture(300, 550, warm, warm, {{{90, 180, 120, 140}, false}})});
  walls.push_back({{{600, 0, 0}, {600, 0, -300}, {600, 400, -300}, {600, 550, -150}, {600, 400, 0}},
                   {600, 0, 0},
                   {0, 0, -1},
                   {0, 1, 0},
                   300,
                   550,
                   wall_texture(300, 550, pale, pale, {{{90, 180, 120, 140}, false}})});
  walls.push_back({{{0, 400, 0}, {600, 400, 0}, {600, 550, -150}, {0, 550, -150}},
                   {0, 400, 0},
                   {1, 0, 0},
                   {0, r, -r},
                   600,
                   slope,
                   wall_texture(600, slope, dark_slate, slate, {}, true)});
  walls.push_back({{{600, 400, -300}, {0, 400, -300}, {0, 550, -150}, {600, 550, -150}},
                   {600, 400, -300},
                   {-1, 0, 0},
                   {0, r, r},
                   600,
                   slope,
                   wall_texture(600, slope, slate, dark_slate, {}, true)});
  return walls;
}

Vec3 along(const Vec3& origin, const Vec3& direction, double distance) {
  return {origin.x + direction.x * distance, origin.y + direction.y * distance, origin.z + direction.z * distance};
}

// Whether the house shows `p` to a camera at `eye`: the house is convex,
// so a point on its surface shows when a face holding it faces the eye.
bool shows(const std::vector<Wall>& walls, const Vec3& eye, const Vec3& p) {
  return std::any_of(walls.begin(), walls.end(), [&](const Wall& w) { return w.faces(eye) && w.holds(p); });
}

// The house over grass and sky as the pinhole camera of `truth` sees it.
// A projected position p lies at the centre of pixel p.
QImage photograph(const ProjectImage& truth, const std::vector<Wall>& walls, const Vec3& eye) {
  QImage picture(kWidth, kHeight, QImage::Format_RGB32);
  picture.fill(QColor(150, 190, 225));
  const PreparedPose pose(truth);
  const auto at = [&](const Vec3& p) {
    const Point2 q = pose.project(p, true);
    return QPointF(q.x + 0.5, q.y + 0.5);
  };
  QPainter painter(&picture);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
  const Vec3 ahead{sample::kLookAt.x - eye.x, 0, sample::kLookAt.z - eye.z};
  const double horizon = at(along({eye.x, 0, eye.z}, ahead, 1000)).y();
  painter.fillRect(QRectF(0, horizon, kWidth, kHeight - horizon), QColor(110, 150, 80));
  for (const Wall& wall : walls) {
    if (!wall.faces(eye)) continue;
    QPolygonF outline;
    for (const Vec3& p : wall.outline) outline << at(p);
    QPainterPath clip;
    clip.addPolygon(outline);
    clip.closeSubpath();
    const double w = wall.texture.width();
    const double h = wall.texture.height();
    QPolygonF from;
    from << QPointF(0, h) << QPointF(w, h) << QPointF(w, 0) << QPointF(0, 0);
    QPolygonF to;
    const Vec3 right = along(wall.origin, wall.u, wall.width);
    to << at(wall.origin) << at(right) << at(along(right, wall.v, wall.height))
       << at(along(wall.origin, wall.v, wall.height));
    QTransform mapping;
    if (!QTransform::quadToQuad(from, to, mapping)) continue;
    painter.save();
    painter.setClipPath(clip);
    painter.setTransform(mapping);
    painter.drawImage(QPointF(0, 0), wall.texture);
    painter.restore();
  }
  return picture;
}

// ------------------------------------------------------------ the camera

// Draws the grid photograph, then calibrates it as a user would in the
// Camera Editor: the central cross and the four corners of the top-left
// cell clicked a few pixels off, the grid traced and checked.
bool calibrate_camera(const std::string& directory, CameraModel& camera) {
  test_support::SyntheticGrid grid;
  grid.width = kWidth;
  grid.height = kHeight;
  grid.line_x = test_support::evenly(sample::kGridTopLeft.x, sample::kGridPitchPx, sample::kGridColumns + 1);
  grid.line_y = test_support::evenly(sample::kGridTopLeft.y, sample::kGridPitchPx, sample::kGridRows + 1);
  grid.line_width = 4;
  grid.cross_width = 10;
  grid.cross_arm = 30;
  const RgbImage drawn = test_support::draw_grid(grid);
  QImage picture(kWidth, kHeight, QImage::Format_Grayscale8);
  for (int y = 0; y < kHeight; ++y) {
    uchar* row = picture.scanLine(y);
    for (int x = 0; x < kWidth; ++x) row[x] = drawn.pixel(x, y).r;
  }
  const std::string path = directory + "/grid.png";
  if (!picture.save(QString::fromStdString(path), "PNG")) return fail("cannot write " + path);

  std::string unreadable;
  std::optional<RgbImage> pixels = read_photograph_pixels(path, &unreadable);
  if (!pixels) return fail(unreadable);
  GridPhoto photo;
  set_grid_photograph(photo, camera, std::make_unique<RgbImage>(std::move(*pixels)));
  const Point2 centre = test_support::true_intersection(grid, sample::kGridRows / 2, sample::kGridColumns / 2);
  const ClickOutcome snapped_centre =
      snapClick(photo, {centre.x + 3, centre.y - 2}, sample::kGridColumns, sample::kGridRows);
  if (snapped_centre.kind != ClickKind::Centre) return fail("the grid's central cross was not found");
  for (const auto& [row, column] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}}) {
    const Point2 corner = test_support::true_intersection(grid, row, column);
    const ClickOutcome outcome =
        snapClick(photo, {corner.x - 2, corner.y + 3}, sample::kGridColumns, sample::kGridRows);
    if (outcome.kind != ClickKind::Corner) return fail("a corner of the grid's top-left cell was not found");
    if (outcome.grid_due && !calculateGrid(photo, camera)) return fail("the grid cannot be calculated");
  }
  const GridCheck check = check_grid(camera, photo.intersection_found);
  if (!check.passed()) return fail("the traced grid fails its check");
  camera.distance_mm = sample::kGridDistanceMm;
  camera.cell_width_mm = sample::kGridCellMm;
  camera.cell_height_mm = sample::kGridCellMm;
  camera.centre_x = snapped_centre.position.x;
  camera.centre_y = snapped_centre.position.y;
  camera.notes = "Sample camera: 20 x 14 cells of 50 mm from 500 mm";
  camera.image_file = "grid.png";
  Silent silent;
  return save_camera(directory + "/camera.cal", camera, silent);
}

// ------------------------------------------------------------ the project

struct Shot {
  ProjectImage* image;
  ProjectImage truth;
  Vec3 eye;
};

// The two photographs that show `p` from the most different directions
// less than a right angle apart (the triangulation's search may settle on a
// false minimum for nearly opposite views).
std::pair<const Shot*, const Shot*> best_pair(const std::vector<Shot>& shots, const std::vector<Wall>& walls,
                                              const Vec3& p) {
  std::pair<const Shot*, const Shot*> best{nullptr, nullptr};
  double best_cos = 1;
  for (const Shot& a : shots)
    for (const Shot& b : shots) {
      if (&a >= &b || !shows(walls, a.eye, p) || !shows(walls, b.eye, p)) continue;
      const Vec3 da{a.eye.x - p.x, a.eye.y - p.y, a.eye.z - p.z};
      const Vec3 db{b.eye.x - p.x, b.eye.y - p.y, b.eye.z - p.z};
      const double c = (da.x * db.x + da.y * db.y + da.z * db.z) /
                       std::sqrt((da.x * da.x + da.y * da.y + da.z * da.z) * (db.x * db.x + db.y * db.y + db.z * db.z));
      if (c > 0 && c < best_cos) {
        best_cos = c;
        best = {&a, &b};
      }
    }
  return best;
}

bool add_photographs(Project& project, const std::string& directory, const std::vector<Wall>& walls,
                     CameraModel& pinhole, std::vector<Shot>& shots) {
  for (const sample::Shot& shot : sample::kShots) {
    auto created = std::make_unique<ProjectImage>();
    created->file_name = shot.file;
    created->description = shot.description;
    created->resolved_path = directory + "/" + shot.file;
    created->pixel_width = kWidth;
    created->pixel_height = kHeight;
    ProjectImage* image = add_image(project, std::move(created));
    if (!image) return fail("no id left for a photograph");
    Shot& made = shots.emplace_back();
    made.image = image;
    made.eye = shot.eye;
    made.truth.camera = &pinhole;
    made.truth.centre_x = pinhole.centre_x;
    made.truth.centre_y = pinhole.centre_y;
    made.truth.pixel_width = kWidth;
    made.truth.pixel_height = kHeight;
    made.truth.pose = sample::true_pose(shot);
    const QImage picture = photograph(made.truth, walls, shot.eye);
    if (!picture.save(QString::fromStdString(*image->resolved_path), "JPEG", 90))
      return fail("cannot write " + *image->resolved_path);
    // The corners the photograph shows, marked where they are.
    for (const Vec3& corner : sample::kHouseCorners)
      if (shows(walls, shot.eye, corner))
        add_reference_point(project, *image, corner, project_to_image(corner, made.truth, false));
  }
  // Leaving calibration mode locates every photograph in turn.
  while (ProjectImage* image = first_image_ready_for_search(project.images())) {
    ImageSearch search(*image);
    while (!search.run_batch()) {
    }
    if (image->search_score <= 99)
      return fail("photograph " + std::string(shown(image->description)) + " located with a poor score");
  }
  shots[0].image->partner = shots[1].image;
  shots[1].image->partner = shots[0].image;
  shots[2].image->partner = shots[3].image;
  shots[3].image->partner = shots[2].image;
  return true;
}

// Each point clicked in the two photographs that show it best (where the
// house's true corner shows), triangulated from the located photographs.
bool add_points(Project& project, const std::vector<Wall>& walls, const std::vector<Shot>& shots,
                std::vector<ModelPoint*>& points) {
  Layer* door = add_layer(project, "Door", make_colour(40, 120, 255));
  if (!door) return fail("the door layer cannot be made");
  project.model.visible_layers.insert(door);
  for (std::size_t k = 0; k < sample::kModelPoints.size(); ++k) {
    const Vec3& p = sample::kModelPoints[k];
    const auto [a, b] = best_pair(shots, walls, p);
    if (!a) return fail("a point shows in fewer than two photographs");
    project.model.current_layer = k < 10 ? project.model.layers.at(0) : door;
    const Vec3 found = point_triangulation(project_to_image(p, a->truth, true), project_to_image(p, b->truth, true),
                                           *a->image, *b->image);
    ModelPoint* point = add_point(project, found.x, found.y, found.z);
    if (!point) return fail("no id left for a point");
    points.push_back(point);
  }
  project.model.current_layer = project.model.layers.at(0);
  return true;
}

Material* material(Project& project, const std::string& name, Colour colour, ProjectImage* texture) {
  Material* made = add_material(project, name);
  if (!made) return nullptr;
  made->face_colour = colour;
  made->texture_image = texture;
  project.model.visible_materials.insert(made);
  return made;
}

bool add_faces(Project& project, const std::vector<Shot>& shots, const std::vector<ModelPoint*>& points) {
  Material* front = material(project, "Front wall", make_colour(225, 190, 140), shots[1].image);
  Material* gable = material(project, "Gable", make_colour(225, 190, 140), shots[2].image);
  Material* back = material(project, "Back wall", make_colour(225, 190, 140), shots[2].image);
  Material* roof = material(project, "Roof", make_colour(95, 95, 115), nullptr);
  if (!front || !gable || !back || !roof) return fail("the materials cannot be made");
  const struct {
    Material* material;
    int a, b, c;
  } faces[] = {{front, 0, 1, 5}, {front, 0, 5, 4}, {gable, 1, 2, 6}, {gable, 1, 6, 5},
               {gable, 5, 6, 9}, {back, 2, 3, 7},  {back, 2, 7, 6},  {roof, 4, 5, 9},
               {roof, 4, 9, 8},  {roof, 7, 8, 9},  {roof, 7, 9, 6}};
  for (const auto& f : faces) {
    project.model.current_material = f.material;
    const auto corner = [&](int i) -> ModelPoint& { return *points[static_cast<std::size_t>(i)]; };
    if (!add_face(project, corner(f.a), corner(f.b), corner(f.c))) return fail("no id left for a face");
  }
  project.model.current_material = project.model.materials.at(0);
  apply_textures(project, {front, gable, back});
  return true;
}

// Views zoomed on the house: each photograph's for a view of about 1080 x
// 700 pixels, the CAD views for the tabbed view of about 1080 x 700 pixels
// and the two small views of the mixed display.
void frame_views(Project& project) {
  for (ProjectImage* image : project.images().images) {
    const Point2 middle = project_to_image({300, 275, -150}, *image, true);
    image->view.zoom = 0.6;
    image->view.scroll_x = middle.x - 540 / 0.6;
    image->view.scroll_y = middle.y - 350 / 0.6;
  }
  const std::array<Point2, 3> middles = {{{300, -275}, {150, -275}, {300, -150}}};  // Z, X, Y axes
  const std::array<Point2, 3> sizes = {{{1080, 700}, {430, 350}, {430, 350}}};
  const std::array<double, 3> zooms = {1.0, 0.5, 0.5};
  for (std::size_t v = 0; v < 3; ++v) {
    for (std::size_t axis = 0; axis < 3; ++axis) {
      ZoomPanState& sub = project.cad_views[v].sub_views[axis];
      sub.zoom = zooms[v];
      sub.scroll_x = middles[axis].x - sizes[v].x / 2 / zooms[v];
      sub.scroll_y = middles[axis].y - sizes[v].y / 2 / zooms[v];
    }
  }
  project.cad_views[1].current_axis = 1;
}

}  // namespace

std::string write_sample_project(const std::string& directory) {
  Silent silent;
  MemorySettingsStore settings;
  Project project(settings, silent, silent);
  const std::string path = directory + "/house.op2";
  project.set_path(path);
  project.model.description = "Sample: a little house photographed from four sides";

  CameraModel calibrated;
  if (!calibrate_camera(directory, calibrated)) return {};
  if (!set_camera_file(project, "camera.cal")) {
    std::fprintf(stderr, "camera.cal written but not found again\n");
    return {};
  }
  CameraModel pinhole = test_support::pinhole_camera();
  const std::vector<Wall> walls = house_walls();
  std::vector<Shot> shots;
  if (!add_photographs(project, directory, walls, pinhole, shots)) return {};
  project.images().current = shots[0].image;

  // The house is symmetric about x = 300: the right half is modelled and
  // the mirror plane makes the left.
  TranslationEdit mirror;
  mirror.origin_offset = {-300, 0, 0};
  mirror.plane = MirrorPlane::X;
  apply_translation(project, mirror);

  set_layer_colour(*project.model.layers.at(0), make_colour(230, 40, 40));
  project.model.face_line_colour = make_colour(255, 230, 0);
  project.model.reference_point_colour = make_colour(0, 255, 255);
  std::vector<ModelPoint*> points;
  if (!add_points(project, walls, shots, points) || !add_faces(project, shots, points)) return {};
  rebuild_mirror_lists(project.model);
  frame_views(project);
  if (!save_project(project)) return {};
  return path;
}

}  // namespace plenvista
