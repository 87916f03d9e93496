#include "persistence/project_file.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "base/binary_io.h"
#include "base/file_io.h"
#include "base/text.h"
#include "model/find_file.h"
#include "model/id_index.h"
#include "model/image_management.h"
#include "model/mirror.h"
#include "model/read_ahead.h"
#include "persistence/control_points_file.h"
#include "photogrammetry/camera_file.h"

namespace plenvista {

namespace {

// Smallest encoded sizes, used to bound counts read from a file by the
// bytes that are left.
constexpr std::size_t kReferencePointSize = 64;
constexpr std::size_t kImageMinSize = 4 + 4 + 4 + 4 + 4 + 8 + 48 + 4 + 4 + 24 + 4 + 24;
constexpr std::size_t kMaterialMinSize = 4 + 4 + 4 + 8 + 4 + 4;
constexpr std::size_t kLayerMinSize = 4 + 4 + 4 + 4 + 4;
constexpr std::size_t kPointSize = 32;
constexpr std::size_t kTextureCoordSize = 24;
constexpr std::size_t kFaceSize = 32;

// The part after the last '/' or '\'; an absent name stays absent.
StoredText without_directory(const StoredText& name) {
  const std::size_t sep = name ? last_separator(*name) : std::string::npos;
  return sep == std::string::npos ? name : name->substr(sep + 1);
}

// ---------------------------------------------------------------- writing

void write_image(ByteWriter& w, const ProjectImage& image) {
  w.i32(image.id);
  w.text(image.description);
  w.text(image.file_name);
  w.i32(image.pose_known ? 1 : 0);
  w.i32(image.marks_changed ? 1 : 0);
  w.f64(image.search_score);
  for (double v : {image.pose.offset.x, image.pose.offset.y, image.pose.offset.z, image.pose.rotation.x,
                   image.pose.rotation.y, image.pose.rotation.z})
    w.f64(v);
  w.i32(image.reference_points.count());
  for (const ReferencePoint* r : image.reference_points) {
    w.i32(r->id);
    w.i32(r->outlier ? 1 : 0);
    for (double v : {r->world_position.x, r->world_position.y, r->world_position.z, r->image_position.x,
                     r->image_position.y, r->projected_position.x, r->projected_position.y})
      w.f64(v);
  }
  w.i32(image.partner ? image.partner->id : -1);
  w.f64(image.texture_centre_x);
  w.f64(image.texture_centre_y);
  w.f64(image.texture_scale);
  w.i32(image.size_differs ? 1 : 0);
  w.f64(image.view.scroll_x);
  w.f64(image.view.scroll_y);
  w.f64(image.view.zoom);
}

template <class T>
int id_or_none(const T* record) {
  return record ? record->id : -1;
}

void write_model(ByteWriter& w, const ModelData& m) {
  w.i32(m.next_id);
  w.text(m.description);
  w.i32(m.materials.count());
  for (const Material* mat : m.materials) {
    w.i32(mat->id);
    w.text(mat->name);
    w.i32(static_cast<std::int32_t>(mat->face_colour));
    w.f64(mat->attribute);
    w.i32(static_cast<std::int32_t>(mat->specular_colour));
    w.i32(static_cast<std::int32_t>(mat->emissive_colour));
    w.i32(id_or_none(mat->texture_image));
  }
  w.i32(m.layers.count());
  for (const Layer* layer : m.layers) {
    w.i32(layer->id);
    w.text(layer->name);
    w.i32(layer->attribute1);
    w.i32(layer->attribute2);
    w.i32(static_cast<std::int32_t>(layer->colour));
  }
  w.i32(m.visible_layers.count());
  for (const Layer* layer : m.visible_layers) w.i32(layer->id);
  w.i32(m.visible_materials.count());
  for (const Material* mat : m.visible_materials) w.i32(mat->id);
  const ProjectTransform& t = m.transform;
  w.i32(t.reserved);
  w.f64(t.origin_offset.x);
  w.f64(t.origin_offset.y);
  w.f64(t.origin_offset.z);
  w.f64(t.scale);
  w.i32(static_cast<std::int32_t>(t.mirror_plane));
  w.f64(t.mirror_buffer);
  w.i32(m.points.count());
  for (const ModelPoint* p : m.points) {
    w.i32(p->id);
    w.i32(id_or_none(p->layer));
    w.f64(p->x);
    w.f64(p->y);
    w.f64(p->z);
  }
  w.i32(m.texture_coords.count());
  for (const TextureCoord* tc : m.texture_coords) {
    w.i32(tc->id);
    w.f64(tc->u);
    w.f64(tc->v);
    w.i32(id_or_none(tc->point));
  }
  w.i32(m.faces.count());
  for (int i = 0; i < m.faces.count(); ++i) {
    prefetch_references(m.faces.at(i + kReadAhead));
    const ModelFace* f = m.faces.at(i);
    w.i32(f->id);
    for (const ModelPoint* c : f->corners) w.i32(id_or_none(c));
    for (const TextureCoord* tc : f->texture_coords) w.i32(id_or_none(tc));
    w.i32(id_or_none(f->material));
  }
  w.i32(id_or_none(m.current_material));
  w.i32(id_or_none(m.current_layer));
  w.i32(m.show_mirror_points);
  w.text(m.image_directories);
  w.i32(static_cast<std::int32_t>(m.face_line_colour));
  w.i32(static_cast<std::int32_t>(m.mirror_face_line_colour));
  w.i32(static_cast<std::int32_t>(m.reference_point_colour));
  w.i32(static_cast<std::int32_t>(m.selection_size));
  w.i32(static_cast<std::int32_t>(m.selection_mode));
}

void write_export_settings(ByteWriter& w, const ExportSettings& s) {
  w.i32(s.format);
  for (int flag : {s.use_textures, s.write_templates, s.use_mirror, s.use_scaling, s.reverse_z, s.write_normals})
    w.i32(flag);
  w.text(s.last_x_path);
  w.text(s.last_obj_path);
  w.text(s.mtl_name);
}

void write_cad_view(ByteWriter& w, const CadViewState& v) {
  w.i32(v.leading_value);
  for (const ZoomPanState& sub : v.sub_views) {
    w.f64(sub.scroll_x);
    w.f64(sub.scroll_y);
    w.f64(sub.zoom);
  }
  w.i32(v.current_axis);
}

// ---------------------------------------------------------------- reading

// Reads one file. Every failure marks the decoder failed; the caller tests
// it once at the end, so the code reads like the layout.
class Decoder {
 public:
  explicit Decoder(std::span<const std::uint8_t> bytes) : r_(bytes) {}

  bool ok() const { return r_.ok() && !invalid_; }
  void invalid() { invalid_ = true; }
  int version = 0;

  std::int32_t i32() {
    std::int32_t v = 0;
    r_.read_i32(v);
    return v;
  }
  double f64() {
    double v = 0.0;
    r_.read_f64(v);
    return v;
  }
  std::optional<std::string> text() {
    std::optional<std::string> t;
    r_.read_text(t);
    return t;
  }
  int count(std::size_t min_record_size) {
    std::int32_t n = 0;
    r_.read_count(n, min_record_size);
    return r_.ok() ? n : 0;
  }

  void images(ImageSet& set) {
    const int n = count(kImageMinSize);
    std::vector<std::pair<ProjectImage*, int>> partners;
    for (int i = 0; i < n && ok(); ++i) {
      auto image = std::make_unique<ProjectImage>();
      image->id = i32();
      image->description = text();
      image->file_name = text();
      if (version == 1) image->file_name = without_directory(image->file_name);
      image->pose_known = i32() != 0;
      image->marks_changed = i32() != 0;
      image->search_score = f64();
      image->pose.offset = {f64(), f64(), f64()};
      image->pose.rotation = {f64(), f64(), f64()};
      const int refs = count(kReferencePointSize);
      for (int k = 0; k < refs && ok(); ++k) {
        auto ref = std::make_unique<ReferencePoint>();
        ref->id = i32();
        ref->outlier = i32() != 0;
        ref->world_position = {f64(), f64(), f64()};
        ref->image_position = {f64(), f64()};
        ref->projected_position = {f64(), f64()};
        image->reference_points.insert(std::move(ref));
      }
      const int partner_id = i32();
      image->texture_centre_x = f64();
      image->texture_centre_y = f64();
      image->texture_scale = f64();
      image->size_differs = i32() != 0;
      image->view.scroll_x = f64();
      image->view.scroll_y = f64();
      image->view.zoom = f64();
      image->camera = &set.camera;
      partners.emplace_back(set.images.insert(std::move(image)), partner_id);
    }
    for (auto& [image, partner_id] : partners) image->partner = set.images.find(partner_id);
    set.current = set.images.find(i32());
  }

  // Reads the model block. Material texture images are resolved later, by
  // resolve_textures, since older files hold the images after the model.
  void model(ModelData& m) {
    m.next_id = i32();
    m.description = text();
    if (version <= 6) text();
    const int materials = count(kMaterialMinSize);
    for (int i = 0; i < materials && ok(); ++i) {
      auto mat = std::make_unique<Material>();
      mat->id = i32();
      mat->name = text();
      mat->face_colour = static_cast<Colour>(i32());
      mat->attribute = f64();
      mat->specular_colour = static_cast<Colour>(i32());
      mat->emissive_colour = static_cast<Colour>(i32());
      if (version <= 11) text();
      texture_ids_.emplace_back(m.materials.insert(std::move(mat)), version >= 11 ? i32() : -1);
    }
    const int layers = count(kLayerMinSize);
    for (int i = 0; i < layers && ok(); ++i) {
      auto layer = std::make_unique<Layer>();
      layer->id = i32();
      layer->name = text();
      layer->attribute1 = i32();
      layer->attribute2 = i32();
      layer->colour = static_cast<Colour>(i32());
      m.layers.insert(std::move(layer));
    }
    const int visible_layers = count(4);
    for (int i = 0; i < visible_layers && ok(); ++i)
      if (Layer* layer = m.layers.find(i32()); layer && !m.visible_layers.contains(layer))
        m.visible_layers.insert(layer);
    if (version >= 3) {
      const int visible_materials = count(4);
      for (int i = 0; i < visible_materials && ok(); ++i)
        if (Material* mat = m.materials.find(i32()); mat && !m.visible_materials.contains(mat))
          m.visible_materials.insert(mat);
    }
    ProjectTransform& t = m.transform;
    t.reserved = i32();
    t.origin_offset = {f64(), f64(), f64()};
    t.scale = f64();
    const int plane = i32();
    if (plane < 0 || plane > 3) invalid();
    t.mirror_plane = static_cast<MirrorPlane>(std::clamp(plane, 0, 3));
    t.mirror_buffer = f64();
    points(m);
    // Corners and coordinates refer to points by id: one index serves them all.
    const IdIndex<ModelPoint> point_index(m.points);
    if (version >= 4) {
      texture_coords(m, point_index);
      faces(m, point_index);
    } else {
      faces(m, point_index);
      texture_coords(m, point_index);
    }
    resolve_face_texture_coords(m);
    m.current_material = m.materials.find(i32());
    m.current_layer = m.layers.find(i32());
    m.show_mirror_points = i32();
    m.image_directories = version >= 5 ? text() : StoredText(".;..\\..\\camera");
    if (version >= 6) {
      m.face_line_colour = static_cast<Colour>(i32());
      m.mirror_face_line_colour = static_cast<Colour>(i32());
      m.reference_point_colour = static_cast<Colour>(i32());
    }
    if (version >= 10) m.selection_size = static_cast<SelectionSize>(i32());
    if (version >= 13) m.selection_mode = static_cast<SelectionMode>(i32());
  }

  void resolve_textures(ImageSet& set) {
    for (auto& [mat, image_id] : texture_ids_) mat->texture_image = set.images.find(image_id);
  }

  void export_settings(ExportSettings& s) {
    s.format = i32();
    s.use_textures = i32();
    s.write_templates = i32();
    s.use_mirror = i32();
    s.use_scaling = i32();
    s.reverse_z = i32();
    s.write_normals = i32();
    s.last_x_path = text();
    s.last_obj_path = text();
    s.mtl_name = text();
  }

  void cad_view(CadViewState& v) {
    v.leading_value = i32();
    for (ZoomPanState& sub : v.sub_views) {
      sub.scroll_x = f64();
      sub.scroll_y = f64();
      sub.zoom = f64();
    }
    v.current_axis = i32();
    if (v.current_axis < 0 || v.current_axis > 2) invalid();
  }

 private:
  void points(ModelData& m) {
    const int n = count(kPointSize);
    for (int i = 0; i < n && ok(); ++i) {
      auto p = std::make_unique<ModelPoint>();
      p->id = i32();
      p->layer = m.layers.find(i32());
      p->x = f64();
      p->y = f64();
      p->z = f64();
      if (!p->layer) invalid();  // every point needs its layer
      m.points.insert(std::move(p));
    }
  }

  void texture_coords(ModelData& m, const IdIndex<ModelPoint>& point_index) {
    const int n = count(kTextureCoordSize);
    for (int i = 0; i < n && ok(); ++i) {
      auto tc = std::make_unique<TextureCoord>();
      tc->id = i32();
      tc->u = f64();
      tc->v = f64();
      tc->point = point_index.find(i32());
      m.texture_coords.insert(std::move(tc));
    }
  }

  // Corners are resolved once every face is read, each lookup asked for a
  // few faces ahead: face corners may lie anywhere among the points.
  void faces(ModelData& m, const IdIndex<ModelPoint>& point_index) {
    const int n = count(kFaceSize);
    const std::size_t first = face_refs_.size();
    for (int i = 0; i < n && ok(); ++i) {
      auto f = std::make_unique<ModelFace>();
      f->id = i32();
      FaceRefs refs;
      for (int& c : refs.corner_ids) c = i32();
      for (int& t : refs.texture_ids) t = i32();
      f->material = m.materials.find(i32());
      if (!f->material) invalid();
      refs.face = m.faces.insert(std::move(f));
      face_refs_.push_back(refs);
    }
    for (std::size_t i = first; i < face_refs_.size(); ++i) {
      if (i + std::size_t{kReadAhead} < face_refs_.size())
        for (const int id : face_refs_[i + std::size_t{kReadAhead}].corner_ids) point_index.prefetch(id);
      FaceRefs& refs = face_refs_[i];
      for (std::size_t k = 0; k < 3; ++k) {
        refs.face->corners[k] = point_index.find(refs.corner_ids[k]);
        if (!refs.face->corners[k]) invalid();  // a face corner must be a point of the file
      }
    }
  }

  void resolve_face_texture_coords(ModelData& m) {
    const IdIndex<TextureCoord> coord_index(m.texture_coords);
    for (std::size_t i = 0; i < face_refs_.size(); ++i) {
      if (i + std::size_t{kReadAhead} < face_refs_.size())
        for (const int id : face_refs_[i + std::size_t{kReadAhead}].texture_ids) coord_index.prefetch(id);
      for (std::size_t k = 0; k < 3; ++k)
        face_refs_[i].face->texture_coords[k] = coord_index.find(face_refs_[i].texture_ids[k]);
    }
  }

  // A face read and the ids it refers to.
  struct FaceRefs {
    ModelFace* face = nullptr;
    std::array<int, 3> corner_ids{};
    std::array<int, 3> texture_ids{};
  };

  ByteReader r_;
  bool invalid_ = false;
  std::vector<std::pair<Material*, int>> texture_ids_;
  std::vector<FaceRefs> face_refs_;
};

// The largest id of any record read, so that `next_id` can be kept above it.
int largest_id(const ProjectFileContents& c) {
  int largest = -1;
  auto scan = [&](const auto& list) {
    if (!list.empty()) largest = std::max(largest, list.last()->id);
  };
  scan(c.model.points);
  scan(c.model.faces);
  scan(c.model.texture_coords);
  scan(c.model.layers);
  scan(c.model.materials);
  scan(c.images->images);
  for (const ProjectImage* image : c.images->images) scan(image->reference_points);
  return largest;
}

void show_damaged(Project& project, const std::string& path) {
  project.messages.show("Cannot read project file (" + path + "): the file is damaged or incomplete",
                        kProjectOpenCaption);
}

}  // namespace

std::string encode_project(const Project& project) {
  ByteWriter w;
  const ModelData& model = project.model;
  w.reserve(4096 + kPointSize * static_cast<std::size_t>(model.points.count()) +
            kFaceSize * static_cast<std::size_t>(model.faces.count()) +
            kTextureCoordSize * static_cast<std::size_t>(model.texture_coords.count()));
  w.i32(kProjectFileMagic);
  w.text(std::string_view(kProjectFileSignature));
  w.i32(kProjectFileVersion);
  w.text(project.camera_file_name);
  const ImageSet& set = project.images();
  w.i32(set.images.count());
  for (const ProjectImage* image : set.images) write_image(w, *image);
  w.i32(id_or_none(set.current));
  write_model(w, project.model);
  write_export_settings(w, project.export_settings);
  for (const CadViewState& v : project.cad_views) write_cad_view(w, v);
  return std::move(w.data());
}

DecodeStatus decode_project(std::span<const std::uint8_t> bytes, const Project& base, ProjectFileContents& out) {
  Decoder d(bytes);
  if (d.i32() != kProjectFileMagic || !d.ok()) return DecodeStatus::WrongMagic;
  const std::optional<std::string> signature = d.text();
  if (!d.ok()) return DecodeStatus::Damaged;
  if (!signature || !equal_ignoring_case(*signature, kProjectFileSignature)) return DecodeStatus::WrongSignature;
  d.version = out.version = d.i32();
  if (!d.ok() || out.version < 1 || out.version > kProjectFileVersion) return DecodeStatus::Damaged;

  // Values an older file does not hold are kept from the open project.
  out.model.face_line_colour = base.model.face_line_colour;
  out.model.mirror_face_line_colour = base.model.mirror_face_line_colour;
  out.model.reference_point_colour = base.model.reference_point_colour;
  out.model.selection_size = base.model.selection_size;
  out.model.selection_mode = base.model.selection_mode;
  out.export_settings = base.export_settings;
  out.cad_views = base.cad_views;

  auto camera_name = [&] {
    out.camera_file_name = d.text();
    if (out.version == 1) out.camera_file_name = without_directory(out.camera_file_name);
  };
  if (out.version >= 11) {
    camera_name();
    d.images(*out.images);
    d.model(out.model);
  } else {
    d.model(out.model);
    camera_name();
    d.images(*out.images);
  }
  d.resolve_textures(*out.images);
  if (out.version > 7) {
    d.export_settings(out.export_settings);
    out.has_export_settings = true;
  }
  if (out.version > 8) {
    for (CadViewState& v : out.cad_views) d.cad_view(v);
    out.has_cad_views = true;
  }
  if (!d.ok()) return DecodeStatus::Damaged;

  // A model needs a layer and a material to put new records in.
  ModelData& m = out.model;
  if (m.layers.empty() || m.materials.empty()) return DecodeStatus::Damaged;
  if (!m.current_layer) m.current_layer = m.layers.first();
  if (!m.current_material) m.current_material = m.materials.first();
  // Ids are never reused: keep the counter above every id in the file. A
  // record holding the largest int leaves the counter nowhere to go.
  const int largest = largest_id(out);
  if (largest == std::numeric_limits<int>::max()) return DecodeStatus::Damaged;
  m.next_id = std::max(m.next_id, largest + 1);
  return DecodeStatus::Ok;
}

namespace {

// Writes the side file of the control points, or removes one left from
// before when there are none.
bool save_control_points(Project& project) {
  const std::string path = control_points_path(*project.path);
  if (!has_side_records(project.model)) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return true;
  }
  if (write_file_atomically(path, encode_control_points(project.model, project.images())) == WriteResult::Ok)
    return true;
  project.messages.show("Cannot write control points file (" + path + ")", "Error");
  return false;
}

// The control points carried with bytes read elsewhere, named `source`.
bool take_control_points(Project& project, const std::string& text, const std::string& source,
                         ProjectFileContents& contents) {
  std::string error;
  if (decode_control_points(text, contents.model, *contents.images, error)) return true;
  project.messages.show("Cannot read the control points of " + source + ": " + error, kProjectOpenCaption);
  return false;
}

bool read_control_points(Project& project, const std::string& project_path, ProjectFileContents& contents) {
  const std::string path = control_points_path(project_path);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return true;
  const ReadResult read = read_whole_file(path, std::size_t{1} << 28);
  std::string error = "cannot be read, error code (" + std::to_string(read.error) + ")";
  if (read.bytes) {
    const std::string_view text(reinterpret_cast<const char*>(read.bytes->data()), read.bytes->size());
    if (decode_control_points(text, contents.model, *contents.images, error)) return true;
  }
  project.messages.show("Cannot read control points file (" + path + "): " + error, kProjectOpenCaption);
  return false;
}

}  // namespace

bool save_project(Project& project) {
  project.file_version = kProjectFileVersion;
  const WriteResult result =
      project.path ? write_file_atomically(*project.path, encode_project(project)) : WriteResult::CannotOpen;
  if (result != WriteResult::Ok) {
    project.messages.show("Cannot Open Project File", "Error");
    return false;
  }
  if (!save_control_points(project)) return false;
  project.undo.reset_baseline(project.model);
  project.modified = false;
  return true;
}

OpenResult open_project(Project& project) {
  if (!project.path) return OpenResult::CannotOpen;
  std::error_code ec;
  std::string path = *project.path;
  if (!path.empty() && !is_path_separator(path.front()) && !(path.size() > 1 && path[1] == ':')) {
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) path = absolute.string();
  }
  project.set_path(path);
  if (last_separator(path) == std::string::npos) return OpenResult::CannotOpen;

  const ReadResult read = read_whole_file(path);
  if (!read.bytes) {
    project.messages.show("Cannot open project file (" + path + "), error code (" + std::to_string(read.error) + ")",
                          kProjectOpenCaption);
    return OpenResult::CannotOpen;
  }
  return open_project_bytes(project, *read.bytes, path);
}

OpenResult open_project_bytes(Project& project, std::span<const std::uint8_t> bytes, const std::string& source,
                              const std::optional<std::string>& control_points) {
  ProjectFileContents contents;
  switch (decode_project(bytes, project, contents)) {
    case DecodeStatus::Ok:
      break;
    case DecodeStatus::WrongMagic:
    case DecodeStatus::WrongSignature:
      return OpenResult::NotAProject;
    case DecodeStatus::Damaged:
      show_damaged(project, source);
      return OpenResult::Damaged;
  }
  if (control_points ? !take_control_points(project, *control_points, source, contents)
                     : project.path && !read_control_points(project, *project.path, contents))
    return OpenResult::Damaged;

  // Everything was read: replace the open project's content.
  project.file_version = contents.version;
  project.single_selected = nullptr;
  project.camera_file_name = contents.camera_file_name;
  ImageSet& set = project.images();
  set.current = nullptr;
  set.pending_world_position.reset();
  set.images = std::move(contents.images->images);
  set.current = contents.images->current;
  project.model = std::move(contents.model);
  project.export_settings = contents.export_settings;
  project.cad_views = contents.cad_views;

  const std::string_view dirs = shown(project.model.image_directories);
  for (ProjectImage* image : set.images)
    image->resolved_path = find_file_along_directories(dirs, project.directory, shown(image->file_name));
  project.camera_file_path.reset();
  if (project.camera_file_name) {
    project.camera_file_path = find_file_along_directories(dirs, project.directory, *project.camera_file_name);
    if (project.camera_file_path)
      load_camera(*project.camera_file_path, set.camera, project.messages);
    else
      project.messages.show("Cannot Open Camera File", "Error");
  }
  attach_camera_to_images(set);
  project.undo.reset_baseline(project.model);
  rebuild_mirror_lists(project.model);
  project.post(Notification::ImagesChanged);
  project.post(Notification::ModelChanged);
  return OpenResult::Opened;
}

}  // namespace plenvista
