#include "views/model_3d_view.h"

#include <QDateTime>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>

#include "model/edit_actions.h"
#include "platform/photograph_reader.h"
#include "views/opengl_check.h"
#include "views/texture_levels.h"

namespace plenvista {
namespace {

// How far a press must move before it is a drag rather than a click.
constexpr int kDragPixels = 3;
constexpr double kWheelStep = 120.0;
// The background, as the CAD view's.
constexpr float kBackground = 160.0f / 255.0f;
// Selected faces are tinted this much towards the face line colour.
constexpr float kSelectedTint = 0.45f;

const char* const kFaceVertex = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 uv;
uniform mat4 view_model;
uniform mat4 projection;
out vec3 eye_position;
out vec2 photo_uv;
void main() {
  vec4 eye = view_model * vec4(position, 1.0);
  gl_Position = projection * eye;
  eye_position = eye.xyz;
  photo_uv = uv;
}
)";

// The light stands at the eye: a face seen square on is lit fully. The
// face's normal comes from how its position changes across the screen, so
// that its corners can be shared with its neighbours.
const char* const kFaceFragment = R"(
in vec3 eye_position;
in vec2 photo_uv;
uniform vec3 colour;
uniform int use_photo;
uniform sampler2D photo;
uniform vec3 highlight;
uniform float tint;
out vec4 fragment;
void main() {
  vec3 base = use_photo == 1 ? texture(photo, photo_uv).rgb : colour;
  vec3 normal = cross(dFdx(eye_position), dFdy(eye_position));
  float facing = abs(normal.z) * inversesqrt(max(dot(normal, normal), 1e-30));
  float light = (0.35 + 0.65 * facing) * (gl_FrontFacing ? 1.0 : 0.75);
  fragment = vec4(mix(base * light, highlight, tint), 1.0);
}
)";

// Points are drawn a little nearer than they are, so that a corner shows
// on its face.
const char* const kPointVertex = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 colour;
uniform mat4 view_model;
uniform mat4 projection;
uniform float point_size;
out vec3 point_colour;
void main() {
  gl_Position = projection * view_model * vec4(position, 1.0);
  gl_Position.z -= 0.002 * gl_Position.w;
  point_colour = colour;
  gl_PointSize = point_size;
}
)";

// look: 0 a plain dot, 1 a white disc ringed in the colour, 2 a blue square.
const char* const kPointFragment = R"(
in vec3 point_colour;
uniform int look;
out vec4 fragment;
void main() {
  if (look == 2) {
    fragment = vec4(0.0, 0.0, 1.0, 1.0);
    return;
  }
  vec2 off_centre = gl_PointCoord - vec2(0.5);
  float r2 = dot(off_centre, off_centre);
  if (r2 > 0.25) discard;
  fragment = vec4((look == 1 && r2 < 0.09) ? vec3(1.0) : point_colour, 1.0);
}
)";

const char* const kLineVertex = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 colour;
uniform mat4 view_model;
uniform mat4 projection;
out vec3 line_colour;
void main() {
  gl_Position = projection * view_model * vec4(position, 1.0);
  line_colour = colour;
}
)";

const char* const kLineFragment = R"(
in vec3 line_colour;
out vec4 fragment;
void main() { fragment = vec4(line_colour, 1.0); }
)";

std::array<float, 16> to_floats(const Matrix4& m) {
  std::array<float, 16> out{};
  for (std::size_t i = 0; i < 16; ++i) out[i] = static_cast<float>(m[i]);
  return out;
}

Matrix4 translation(const Vec3& by) { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, by.x, by.y, by.z, 1}; }

Point2 to_point(QPointF p) { return {p.x(), p.y()}; }

// What tells a file's versions apart: its size and when it was last
// written (both -1 while it is missing).
std::pair<std::int64_t, std::int64_t> stamp_of(const std::string& path) {
  const QFileInfo file(QString::fromUtf8(path.c_str()));
  if (!file.exists()) return {-1, -1};
  return {file.size(), file.lastModified().toMSecsSinceEpoch()};
}

// The side of a point's dot or square, in pixels.
float point_size(PointLook look) {
  switch (look) {
    case PointLook::Selected:
      return 12.0f;
    case PointLook::PickedForFace:
      return 10.0f;
    case PointLook::Plain:
      break;
  }
  return 6.0f;
}

// The largest power of two, up to 8, by which a photograph must be reduced
// for its longer side to come near `limit`.
int reduction_for(int width, int height, int limit) {
  int reduction = 1;
  while (reduction < 8 && std::max(width, height) / reduction > limit) reduction *= 2;
  return reduction;
}

}  // namespace

Model3dView::Model3dView(Project& project, QWidget* parent)
    : QOpenGLWidget(parent),
      project_(project),
      keys_({[this] { shift_alone_ = true; }, [this] { clear_selection(); }, [this] { delete_selection(); }}) {
  setFormat(model_3d_format());
  setFocusPolicy(Qt::ClickFocus);
  setMinimumSize(50, 50);
  camera_.yaw = 0.5;
  camera_.pitch = 0.35;
}

Model3dView::~Model3dView() {
  // The context goes with the base class, after this part of the object.
  if (context() != nullptr) disconnect(context(), nullptr, this, nullptr);
  if (!gl_ready_) return;
  makeCurrent();
  release_gl();
  doneCurrent();
}

void Model3dView::refresh() {
  scene_stale_ = true;
  update();
}

const Model3dScene& Model3dView::scene() {
  ensure_scene();
  return scene_;
}

void Model3dView::ensure_scene() {
  if (!scene_stale_) return;
  ModelData& model = project_.model;
  refresh_visibility(model);
  scene_ = build_scene(model, project_.images());
  scene_stale_ = false;
  uploaded_ = false;
  // A project opened or started anew is fitted at its first frame.
  const std::string path = project_.path.value_or(std::string());
  if (path != fitted_path_) fitted_ = false;
  if (!fitted_ && !scene_.model_bounds.empty) {
    camera_.fit(scene_.model_bounds, width(), height());
    fitted_ = true;
    fitted_path_ = path;
  }
}

void Model3dView::fit() {
  ensure_scene();
  camera_.fit(scene_.model_bounds.empty ? scene_.all_bounds : scene_.model_bounds, width(), height());
  update();
}

// ----------------------------------------------------------------- OpenGL

namespace {

// The linked program, or 0 with the compiler's or linker's complaint
// added to `log`.
unsigned compile(QOpenGLExtraFunctions& gl, const char* vertex, const char* fragment, QString& log) {
  const bool es = QOpenGLContext::currentContext()->isOpenGLES();
  const char* header = es ? "#version 300 es\nprecision highp float;\nprecision highp int;\n" : "#version 330 core\n";
  std::array<char, 1024> complaint{};
  const auto stage = [&](GLenum kind, const char* body) {
    const unsigned shader = gl.glCreateShader(kind);
    const char* parts[] = {header, body};
    gl.glShaderSource(shader, 2, parts, nullptr);
    gl.glCompileShader(shader);
    GLint ok = 0;
    gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    gl.glGetShaderInfoLog(shader, static_cast<GLsizei>(complaint.size()), nullptr, complaint.data());
    log += QString::fromUtf8(complaint.data()) + QLatin1Char('\n');
    gl.glDeleteShader(shader);
    return 0u;
  };
  const unsigned v = stage(GL_VERTEX_SHADER, vertex);
  const unsigned f = stage(GL_FRAGMENT_SHADER, fragment);
  if (v == 0 || f == 0) {
    gl.glDeleteShader(v);
    gl.glDeleteShader(f);
    return 0;
  }
  const unsigned program = gl.glCreateProgram();
  gl.glAttachShader(program, v);
  gl.glAttachShader(program, f);
  gl.glLinkProgram(program);
  gl.glDeleteShader(v);
  gl.glDeleteShader(f);
  GLint linked = 0;
  gl.glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (linked) return program;
  gl.glGetProgramInfoLog(program, static_cast<GLsizei>(complaint.size()), nullptr, complaint.data());
  log += QString::fromUtf8(complaint.data()) + QLatin1Char('\n');
  gl.glDeleteProgram(program);
  return 0;
}

struct Attribute {
  int size;
  std::size_t offset;
};

// Uploads `vertices` (and `indices`, when given) into the buffers of
// `into`, made at the first call.
template <class Vertex>
void fill(QOpenGLExtraFunctions& gl, const std::vector<Vertex>& vertices, std::initializer_list<Attribute> attributes,
          GlBuffers& into, const std::vector<std::uint32_t>* indices = nullptr) {
  if (into.array == 0) gl.glGenVertexArrays(1, &into.array);
  if (into.vertices == 0) gl.glGenBuffers(1, &into.vertices);
  gl.glBindVertexArray(into.array);
  gl.glBindBuffer(GL_ARRAY_BUFFER, into.vertices);
  gl.glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                  GL_STATIC_DRAW);
  if (indices != nullptr) {
    if (into.indices == 0) gl.glGenBuffers(1, &into.indices);
    // The vertex array keeps the index buffer bound.
    gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, into.indices);
    gl.glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices->size() * sizeof(std::uint32_t)),
                    indices->data(), GL_STATIC_DRAW);
  }
  GLuint location = 0;
  for (const Attribute& a : attributes) {
    gl.glEnableVertexAttribArray(location);
    gl.glVertexAttribPointer(location, a.size, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                             reinterpret_cast<const void*>(a.offset));
    ++location;
  }
  gl.glBindVertexArray(0);
}

}  // namespace

void Model3dView::initializeGL() {
  initializeOpenGLFunctions();
  // A context made anew (the widget moved to another window) starts empty.
  textures_.clear();
  faces_ = points_ = lines_ = {};
  uploaded_ = false;
  QString log;
  face_program_ = compile(*this, kFaceVertex, kFaceFragment, log);
  point_program_ = compile(*this, kPointVertex, kPointFragment, log);
  line_program_ = compile(*this, kLineVertex, kLineFragment, log);
  GLint side = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
  max_texture_side_ = side > 0 ? std::min(side, kMaxTextureSide) : kMaxTextureSide;
  gl_ready_ = true;
  if (face_program_ == 0 || point_program_ == 0 || line_program_ == 0) {
    release_gl();
    const QSurfaceFormat got = context()->format();
    failure_ = shader_failure_message({true, context()->isOpenGLES(), got.majorVersion(), got.minorVersion()}, log);
    if (on_failure_) on_failure_(failure_);
    return;
  }
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
    makeCurrent();
    release_gl();
    doneCurrent();
  });
}

void Model3dView::release_gl() {
  if (!gl_ready_) return;
  for (auto& [image, texture] : textures_)
    if (texture.id != 0) glDeleteTextures(1, &texture.id);
  textures_.clear();
  for (GlBuffers* b : {&faces_, &points_, &lines_}) {
    if (b->vertices != 0) glDeleteBuffers(1, &b->vertices);
    if (b->indices != 0) glDeleteBuffers(1, &b->indices);
    if (b->array != 0) glDeleteVertexArrays(1, &b->array);
    *b = {};
  }
  for (unsigned* program : {&face_program_, &point_program_, &line_program_}) {
    if (*program != 0) glDeleteProgram(*program);
    *program = 0;
  }
  gl_ready_ = false;
}

void Model3dView::resizeGL(int, int) {}

void Model3dView::upload() {
  fill(*this, scene_.face_vertices, {{3, offsetof(FaceVertex, position)}, {2, offsetof(FaceVertex, uv)}}, faces_,
       &scene_.face_indices);
  fill(*this, scene_.points, {{3, offsetof(PointVertex, position)}, {3, offsetof(PointVertex, colour)}}, points_);
  fill(*this, scene_.lines, {{3, offsetof(LineVertex, position)}, {3, offsetof(LineVertex, colour)}}, lines_);
  sync_textures();
  uploaded_ = true;
}

void Model3dView::sync_textures() {
  std::set<const ProjectImage*> used;
  for (const FaceBatch& batch : scene_.batches)
    if (batch.texture != nullptr) used.insert(batch.texture);
  for (auto it = textures_.begin(); it != textures_.end();) {
    const auto path = used.contains(it->first) ? it->first->resolved_path : std::nullopt;
    if (path && *path == it->second.path && stamp_of(*path) == it->second.stamp) {
      ++it;
      continue;
    }
    if (it->second.id != 0) glDeleteTextures(1, &it->second.id);
    it = textures_.erase(it);
  }
  for (const ProjectImage* image : used) {
    if (textures_.contains(image) || !image->resolved_path) continue;
    const std::string& path = *image->resolved_path;
    textures_[image] = {path, stamp_of(path), load_texture(path)};
  }
}

unsigned Model3dView::load_texture(const std::string& path) {
  const std::optional<BitmapSize> size = read_photograph_size(path);
  if (!size) return 0;
  const int reduction = reduction_for(size->width, size->height, max_texture_side_);
  DrawnPhotograph photo = read_photograph_for_drawing(path, reduction);
  if (photo.pixels.isNull()) return 0;
  QImage pixels = std::move(photo.pixels);
  if (std::max(pixels.width(), pixels.height()) > max_texture_side_)
    pixels = pixels.scaled(max_texture_side_, max_texture_side_, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  const std::vector<QImage> levels = texture_levels(pixels);
  unsigned id = 0;
  glGenTextures(1, &id);
  glBindTexture(GL_TEXTURE_2D, id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  // Row 0 is the photograph's top row, where texture coordinate v is 0.
  for (std::size_t level = 0; level < levels.size(); ++level)
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, levels[level].width(), levels[level].height(), 0,
                 GL_RGBA, GL_UNSIGNED_BYTE, levels[level].constBits());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels.size()) - 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  return id;
}

void Model3dView::paintGL() {
  ++renders_;
  if (!gl_ready_) {
    // The shaders were refused: whoever shows the view shows failure().
    glClearColor(kBackground, kBackground, kBackground, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return;
  }
  ensure_scene();
  if (!uploaded_) upload();
  glClearColor(kBackground, kBackground, kBackground, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);

  const int w = width(), h = height();
  const auto view_model = to_floats(multiply(camera_.view_matrix(), translation(scene_.origin)));
  const auto projection = to_floats(camera_.projection_matrix(w, h, scene_.all_bounds));
  const auto use = [&](unsigned program) {
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "view_model"), 1, GL_FALSE, view_model.data());
    glUniformMatrix4fv(glGetUniformLocation(program, "projection"), 1, GL_FALSE, projection.data());
  };

  if (!scene_.lines.empty()) {
    use(line_program_);
    glBindVertexArray(lines_.array);
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(scene_.lines.size()));
  }
  if (!scene_.points.empty()) {
    if (!context()->isOpenGLES()) glEnable(GL_PROGRAM_POINT_SIZE);
    use(point_program_);
    glBindVertexArray(points_.array);
    const GLint size_at = glGetUniformLocation(point_program_, "point_size");
    const GLint look_at = glGetUniformLocation(point_program_, "look");
    // Selected points first: they win where dots touch at equal depth.
    for (auto batch = scene_.point_batches.rbegin(); batch != scene_.point_batches.rend(); ++batch) {
      glUniform1f(size_at, point_size(batch->look));
      glUniform1i(look_at, static_cast<int>(batch->look));
      glDrawArrays(GL_POINTS, batch->first, batch->count);
    }
  }

  use(face_program_);
  const Colour line = project_.model.face_line_colour;
  glUniform3f(glGetUniformLocation(face_program_, "highlight"), red_of(line) / 255.0f, green_of(line) / 255.0f,
              blue_of(line) / 255.0f);
  glUniform1i(glGetUniformLocation(face_program_, "photo"), 0);
  const GLint colour_at = glGetUniformLocation(face_program_, "colour");
  const GLint use_photo_at = glGetUniformLocation(face_program_, "use_photo");
  const GLint tint_at = glGetUniformLocation(face_program_, "tint");
  glActiveTexture(GL_TEXTURE0);
  glBindVertexArray(faces_.array);
  // Faces a hair behind the lines and points drawn on them, and drawn
  // last: where a point covers a face, the face's pixels fail the depth
  // test before they are shaded.
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(1.0f, 1.0f);
  for (const FaceBatch& batch : scene_.batches) {
    glUniform3f(colour_at, red_of(batch.colour) / 255.0f, green_of(batch.colour) / 255.0f,
                blue_of(batch.colour) / 255.0f);
    const auto texture = batch.texture != nullptr ? textures_.find(batch.texture) : textures_.end();
    const bool photo = texture != textures_.end() && texture->second.id != 0;
    glUniform1i(use_photo_at, photo ? 1 : 0);
    glUniform1f(tint_at, batch.selected ? kSelectedTint : 0.0f);
    glBindTexture(GL_TEXTURE_2D, photo ? texture->second.id : 0);
    glDrawElements(GL_TRIANGLES, batch.count, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<std::size_t>(batch.first) * sizeof(std::uint32_t)));
  }
  glDisable(GL_POLYGON_OFFSET_FILL);
  glBindVertexArray(0);
}

// ------------------------------------------------------------------- mouse

void Model3dView::mousePressEvent(QMouseEvent* event) {
  setFocus();
  press_ = last_ = event->position().toPoint();
  dragged_ = false;
  // What a drag does is settled by the press.
  if (event->button() == Qt::MiddleButton ||
      (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier)))
    drag_ = Drag::Pan;
  else if (event->button() == Qt::LeftButton)
    drag_ = Drag::Turn;
  else
    drag_ = Drag::None;
  shift_alone_ = false;
  event->accept();
}

void Model3dView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if ((at - press_).manhattanLength() > kDragPixels) dragged_ = true;
  if (!dragged_) return;
  const QPoint delta = at - last_;
  last_ = at;
  if (drag_ == Drag::Pan)
    camera_.pan(delta.x(), delta.y(), width(), height());
  else if (drag_ == Drag::Turn)
    camera_.orbit(delta.x(), delta.y());
  else
    return;
  shift_alone_ = false;
  update();
}

void Model3dView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && !dragged_) click(to_point(event->position()));
  dragged_ = false;
  drag_ = Drag::None;
}

void Model3dView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  ensure_scene();
  ProjectImage* image = pick_frustum(scene_, camera_, to_point(event->position()), width(), height());
  if (image != nullptr && choose_image_) choose_image_(*image);
}

void Model3dView::wheelEvent(QWheelEvent* event) {
  event->accept();
  camera_.zoom(event->angleDelta().y() / kWheelStep, to_point(event->position()), width(), height());
  update();
}

void Model3dView::click(Point2 at) {
  ensure_scene();
  const ScenePick hit = pick(scene_, camera_, at, width(), height(), pixels(project_.model.selection_size));
  IdList<ModelPoint>& points = project_.model.points;
  if (hit.point != nullptr) {
    project_.toggle_selection(points.index_of(hit.point));
  } else if (hit.face != nullptr) {
    const auto& corners = hit.face->corners;
    const bool selected = std::all_of(corners.begin(), corners.end(), [](const ModelPoint* p) { return p->selected; });
    for (const ModelPoint* corner : corners) project_.set_selection(points.index_of(corner), !selected);
  } else {
    return;
  }
  project_.note_change();
  refresh();
}

// -------------------------------------------------------------------- keys

void Model3dView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Home:
      fit();
      break;
    case Qt::Key_1:
      look_along(0);
      break;
    case Qt::Key_3:
      look_along(1);
      break;
    case Qt::Key_7:
      look_along(2);
      break;
    default:
      if (!keys_.press(*event)) QOpenGLWidget::keyPressEvent(event);
      if (event->key() != Qt::Key_Shift) shift_alone_ = false;
      return;
  }
  shift_alone_ = false;
  event->accept();
}

void Model3dView::keyReleaseEvent(QKeyEvent* event) {
  keys_.release(*event);
  if (event->key() == Qt::Key_Shift && !event->isAutoRepeat() && std::exchange(shift_alone_, false)) cycle_axis();
  QOpenGLWidget::keyReleaseEvent(event);
}

void Model3dView::focusOutEvent(QFocusEvent* event) {
  keys_.forget();
  shift_alone_ = false;
  QOpenGLWidget::focusOutEvent(event);
}

void Model3dView::look_along(int axis) {
  axis_ = axis;
  camera_.look_along(axis);
  update();
}

void Model3dView::cycle_axis() { look_along((axis_ + 1) % kAxisCount); }

void Model3dView::clear_selection() {
  project_.clear_selection();
  project_.note_change();
  refresh();
}

void Model3dView::delete_selection() {
  delete_selected(project_, nullptr);
  refresh();
}

}  // namespace plenvista
