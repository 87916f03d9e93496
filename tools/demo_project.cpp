#include "tools/demo_project.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/settings_store.h"
#include "model/edit_actions.h"
#include "model/image_management.h"
#include "model/layers_materials.h"
#include "persistence/project_file.h"
#include "photogrammetry/camera_file.h"
#include "photogrammetry/project_camera.h"
#include "photogrammetry/projection.h"
#include "testing/cameras.h"

namespace plenvista {
namespace {

class Silent : public Notifier, public MessageSink {
 public:
  void post(Notification, int) override {}
  void show(const std::string& text, const std::string& caption) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
};

// Walls 600 x 300 (x by z), 400 high, with a ridge 150 above the eaves.
const std::array<Vec3, 10> kCorners = {{{0, 0, 0},
                                        {600, 0, 0},
                                        {600, 0, -300},
                                        {0, 0, -300},
                                        {0, 400, 0},
                                        {600, 400, 0},
                                        {600, 400, -300},
                                        {0, 400, -300},
                                        {0, 550, -150},
                                        {600, 550, -150}}};

struct Face {
  std::array<int, 3> corners;
  QColor colour;
};

const std::vector<Face> kFaces = {
    {{0, 1, 5}, QColor(196, 120, 90)},  {{0, 5, 4}, QColor(196, 120, 90)},   // front
    {{1, 2, 6}, QColor(170, 100, 75)},  {{1, 6, 5}, QColor(170, 100, 75)},   // right
    {{3, 0, 4}, QColor(170, 100, 75)},  {{3, 4, 7}, QColor(170, 100, 75)},   // left
    {{2, 3, 7}, QColor(150, 90, 70)},   {{2, 7, 6}, QColor(150, 90, 70)},    // back
    {{4, 5, 9}, QColor(90, 90, 110)},   {{4, 9, 8}, QColor(90, 90, 110)},    // roof, front
    {{7, 8, 9}, QColor(80, 80, 100)},   {{7, 9, 6}, QColor(80, 80, 100)},    // roof, back
    {{5, 6, 9}, QColor(200, 190, 170)}, {{4, 8, 7}, QColor(200, 190, 170)},  // gables
};

// A camera at `position` turned `turn` degrees about the vertical axis.
CameraPose camera_at(const Vec3& position, double turn, double tilt) {
  return {{-position.x, -position.y, -position.z}, {tilt, turn, 0}};
}

// The house over grass and sky, faces painted far to near.
QImage photograph(const ProjectImage& image) {
  QImage picture(2272, 1704, QImage::Format_RGB32);
  picture.fill(QColor(150, 190, 225));
  const PreparedPose pose(image);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  const double horizon = pose.project({300, 0, -20000}, true).y;
  painter.fillRect(QRectF(0, horizon, 2272, 1704 - horizon), QColor(110, 150, 80));
  std::vector<std::pair<double, const Face*>> order;
  for (const Face& face : kFaces) {
    double depth = 0;
    for (int c : face.corners) depth += pose.to_camera_frame(kCorners[static_cast<std::size_t>(c)]).z;
    order.emplace_back(depth, &face);
  }
  std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [depth, face] : order) {
    QPolygonF outline;
    for (int c : face->corners) {
      const Point2 p = pose.project(kCorners[static_cast<std::size_t>(c)], true);
      outline << QPointF(p.x, p.y);
    }
    painter.setPen(QPen(face->colour.darker(130), 2));
    painter.setBrush(face->colour);
    painter.drawPolygon(outline);
  }
  return picture;
}

}  // namespace

std::string write_demo_project(const std::string& directory) {
  Silent silent;
  MemorySettingsStore settings;
  Project project(settings, silent, silent);
  const std::string path = directory + "/house.op2";
  project.set_path(path);
  project.model.description = "A little house seen from two sides";

  CameraModel camera = test_support::pinhole_camera();
  camera.native_width = 2272;
  camera.native_height = 1704;
  if (!save_camera(directory + "/camera.cal", camera, silent)) return {};
  if (!set_camera_file(project, "camera.cal")) {
    std::fprintf(stderr, "camera.cal written but not found again\n");
    return {};
  }

  const struct {
    const char* file;
    const char* description;
    CameraPose pose;
  } shots[] = {{"front.bmp", "Front", camera_at({-250, 650, 1400}, 22, -12)},
               {"side.bmp", "Side", camera_at({1350, 700, 1050}, -40, -14)}};
  std::vector<ProjectImage*> images;
  for (const auto& shot : shots) {
    auto image = std::make_unique<ProjectImage>();
    image->file_name = shot.file;
    image->description = shot.description;
    ProjectImage* added = add_image(project, std::move(image));
    added->pose = shot.pose;
    added->pose_known = 1;
    added->search_score = 100;
    added->pixel_width = 2272;
    added->pixel_height = 1704;
    // Zoomed in on the house for a view of about 640 x 680 pixels.
    const Point2 middle = project_to_image({300, 275, -150}, *added, true);
    added->view.zoom = 0.6;
    added->view.scroll_x = middle.x - 320 / 0.6;
    added->view.scroll_y = middle.y - 340 / 0.6;
    const QImage picture = photograph(*added);
    if (!picture.save(QString::fromStdString(directory + "/" + shot.file), "BMP")) {
      std::fprintf(stderr, "cannot write %s\n", shot.file);
      return {};
    }
    for (std::size_t c = 0; c < 8; ++c)
      add_reference_point(project, *added, kCorners[c], project_to_image(kCorners[c], *added, false));
    added->marks_changed = 0;
    images.push_back(added);
  }
  images[0]->partner = images[1];
  images[1]->partner = images[0];
  project.images().current = images[0];

  set_layer_colour(*project.model.current_layer, make_colour(230, 40, 40));
  project.model.face_line_colour = make_colour(255, 230, 0);
  project.model.reference_point_colour = make_colour(0, 255, 255);
  std::vector<ModelPoint*> points;
  for (const Vec3& c : kCorners) points.push_back(add_point(project, c.x, c.y, c.z));
  for (const Face& face : kFaces)
    add_face(project, *points[static_cast<std::size_t>(face.corners[0])],
             *points[static_cast<std::size_t>(face.corners[1])], *points[static_cast<std::size_t>(face.corners[2])]);
  points[9]->selected = 1;
  // The CAD views: the house in the middle of a tabbed view of about
  // 1080 x 700 pixels and of the two small views of the mixed display.
  const std::array<Point2, 3> middles = {{{300, -275}, {150, -275}, {300, -150}}};  // Z, X, Y axes
  const std::array<Point2, 3> sizes = {{{1080, 700}, {430, 350}, {430, 350}}};
  const std::array<double, 3> zooms = {1.0, 0.5, 0.5};
  for (std::size_t v = 0; v < 3; ++v) {
    for (std::size_t axis = 0; axis < 3; ++axis) {
      ZoomPanState& sub = project.cad_views[v].sub_views[axis];
      sub.zoom = zooms[v];
      sub.scroll_x = middles[axis].x - sizes[v].x / 2 / zooms[v];
      sub.scroll_y = middles[axis].y - sizes[v].y / 2 / zooms[v];
      sub.centred = 1;
    }
  }
  project.cad_views[1].current_axis = 1;
  if (save_project(project) != 1) return {};
  return path;
}

}  // namespace plenvista
