#pragma once

// Model3dView: the model in 3D, on OpenGL 3.3 core (or OpenGL ES 3), as
// Mesa's software renderer provides it as well as a GPU. Faces are shaded
// in their material colour by a light at the eye, both sides drawn (back
// faces darker), textured faces with their texture photograph; points are
// dots in their layer colour; every located photograph's camera is a small
// pyramid pointing where it looked, the current one highlighted. Hidden
// layers and materials are left out; the mirror half shows while mirror
// points are shown. Positions are the stored model coordinates.
//
// Mouse: left drag turns the model around the target, middle drag (or
// SHIFT + left drag) moves it, the wheel zooms towards the cursor; a click
// toggles the point under the cursor, or else selects the face under it
// (all three corners; a face already selected is deselected); a double
// click on a camera's pyramid chooses its photograph. Keys: Home fits the
// model into the view; 1, 3 and 7 look along the Z, X and Y axes (front,
// side, top) and SHIFT pressed and let go without a drag cycles those
// axes as in the CAD view; ESC clears the selection, DELETE deletes the
// selected points (or faces, in faces mode).
//
// Texture photographs are decoded once, reduced to at most kMaxTextureSide
// pixels a side (and what the renderer allows), and kept on the GPU until
// no shown material uses them or their file changes on disk (its size or
// time of writing, looked at whenever the view is refreshed). A photograph
// that cannot be read leaves its faces in their material colour. Nothing is drawn until refresh() (the
// model, selection, textures or visibility changed) or the camera moves.

#include <QOpenGLExtraFunctions>
#include <QOpenGLWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "model/project.h"
#include "views/model_3d_scene.h"
#include "views/orbit_camera.h"
#include "views/view_keys.h"

namespace plenvista {

// A vertex array and its buffers (0 while not made).
struct GlBuffers {
  unsigned array = 0;
  unsigned vertices = 0;
  unsigned indices = 0;
};

class Model3dView : public QOpenGLWidget, protected QOpenGLExtraFunctions {
 public:
  static constexpr int kMaxTextureSide = 2048;

  Model3dView(Project& project, QWidget* parent);
  ~Model3dView() override;

  // Builds the scene anew at the next frame and draws it.
  void refresh();
  // Fits the model into the view (Home).
  void fit();
  OrbitCamera& camera() { return camera_; }
  const Model3dScene& scene();

  // Called (from initializeGL) with the message to show in the view's
  // place when this system's OpenGL refuses the view's shaders; the view
  // then draws nothing but its background.
  void set_failure_handler(std::function<void(const QString&)> handler) { on_failure_ = std::move(handler); }
  const QString& failure() const { return failure_; }

  // Called with the photograph whose camera was double-clicked.
  void set_image_chooser(std::function<void(ProjectImage&)> chooser) { choose_image_ = std::move(chooser); }

  // How many frames were drawn: nothing changing must not add one.
  int renders() const { return renders_; }
  // Texture photographs held on the GPU.
  int textures_held() const { return static_cast<int>(textures_.size()); }

 protected:
  void initializeGL() override;
  void resizeGL(int width, int height) override;
  void paintGL() override;

  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  struct Texture {
    std::string path;
    std::pair<std::int64_t, std::int64_t> stamp;  // the file's size and time of writing when read
    unsigned id = 0;                              // 0: the photograph could not be read
  };

  void ensure_scene();
  void upload();
  void sync_textures();
  unsigned load_texture(const std::string& path);
  void release_gl();
  void click(Point2 at);
  void cycle_axis();
  void look_along(int axis);
  void clear_selection();
  void delete_selection();

  Project& project_;
  OrbitCamera camera_;
  Model3dScene scene_;
  bool scene_stale_ = true;
  bool uploaded_ = false;
  bool fitted_ = false;
  std::string fitted_path_;
  int axis_ = 0;

  unsigned face_program_ = 0;
  unsigned point_program_ = 0;
  unsigned line_program_ = 0;
  GlBuffers faces_, points_, lines_;
  std::map<const ProjectImage*, Texture> textures_;
  int max_texture_side_ = kMaxTextureSide;
  bool gl_ready_ = false;

  ViewKeys keys_;
  bool shift_alone_ = false;
  enum class Drag { None, Turn, Pan };
  Drag drag_ = Drag::None;
  QPoint press_;
  QPoint last_;
  bool dragged_ = false;
  int renders_ = 0;
  std::function<void(ProjectImage&)> choose_image_;
  std::function<void(const QString&)> on_failure_;
  QString failure_;
};

}  // namespace plenvista
