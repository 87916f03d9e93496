#include "export/mesh_binary_export.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <unordered_map>

#include "base/text.h"
#include "export/export_file.h"
#include "export/export_lists.h"
#include "export/export_paths.h"
#include "export/normals.h"

namespace plenvista {

namespace {

static_assert(std::endian::native == std::endian::little, "the binary exports write the machine's byte order");

// The faces of the export that can be written: material in the model's
// list, three corners.
std::vector<const ModelFace*> written_faces(const ExportLists& lists) {
  const std::set<const Material*> materials(lists.materials.begin(), lists.materials.end());
  std::vector<const ModelFace*> faces;
  for (const ModelFace* f : lists.faces)
    if (materials.contains(f->material) && f->corners[0] && f->corners[1] && f->corners[2]) faces.push_back(f);
  return faces;
}

template <class T>
void put_value(std::string& bytes, T value) {
  char raw[sizeof(T)];
  std::memcpy(raw, &value, sizeof(T));
  bytes.append(raw, sizeof(T));
}

void put_position(std::string& bytes, const Vec3& v) {
  put_value(bytes, static_cast<float>(v.x));
  put_value(bytes, static_cast<float>(v.y));
  put_value(bytes, static_cast<float>(v.z));
}

// Records are gathered into blocks of this many bytes before they are
// handed to the output.
constexpr std::size_t kBlock = 64 * 1024;

void flush_if_full(std::string& block, TextOut& out) {
  if (block.size() < kBlock) return;
  out.put(block);
  block.clear();
}

std::string with_ending(const std::string& typed, std::string_view ending) {
  if (ends_with_ignoring_case(typed, ending)) return typed;
  return typed + std::string(ending);
}

bool export_binary(Project& project, const std::string& path,
                   void (*write)(const ModelData&, const ExportSettings&, TextOut&)) {
  ExportSettings& settings = project.export_settings;
  copy_transform(settings, project.model.transform);
  split_export_path(path, project.directory, settings);
  return write_export_file(project, settings.export_base, [&](TextOut& out) { write(project.model, settings, out); }) ==
         WriteResult::Ok;
}

}  // namespace

void write_ply(const ModelData& model, const ExportSettings& settings, TextOut& out) {
  const ExportLists lists = collect_export_lists(model, settings);
  std::unordered_map<const ModelPoint*, std::uint32_t> index;
  index.reserve(lists.points.size());
  for (std::size_t i = 0; i < lists.points.size(); ++i) index.emplace(lists.points[i], static_cast<std::uint32_t>(i));
  // A face whose corner is not among the written points (none in a sound
  // model) cannot be indexed.
  std::vector<const ModelFace*> faces = written_faces(lists);
  std::erase_if(faces, [&](const ModelFace* f) {
    return !index.contains(f->corners[0]) || !index.contains(f->corners[1]) || !index.contains(f->corners[2]);
  });
  std::unordered_map<const ModelPoint*, Colour> colour;
  for (const ModelFace* f : faces)
    for (const ModelPoint* corner : f->corners) colour.emplace(corner, f->material->face_colour);

  std::string block = "ply\nformat binary_little_endian 1.0\ncomment Plenvista export\nelement vertex " +
                      std::to_string(lists.points.size()) +
                      "\nproperty float x\nproperty float y\nproperty float z\n"
                      "property uchar red\nproperty uchar green\nproperty uchar blue\nelement face " +
                      std::to_string(faces.size()) + "\nproperty list uchar uint vertex_indices\nend_header\n";
  for (const ModelPoint* p : lists.points) {
    put_position(block, export_position(*p, settings));
    const auto found = colour.find(p);
    const Colour c = found != colour.end() ? found->second : p->layer ? p->layer->colour : make_colour(255, 255, 255);
    put_value(block, red_of(c));
    put_value(block, green_of(c));
    put_value(block, blue_of(c));
    flush_if_full(block, out);
  }
  for (const ModelFace* f : faces) {
    put_value(block, std::uint8_t{3});
    for (int k = 0; k < 3; ++k)
      put_value(block, index.at(f->corners[static_cast<std::size_t>(corner_order(k, settings))]));
    flush_if_full(block, out);
  }
  out.put(block);
}

void write_stl(const ModelData& model, const ExportSettings& settings, TextOut& out) {
  const std::vector<const ModelFace*> faces = written_faces(collect_export_lists(model, settings));
  std::string block = "Plenvista binary STL";
  block.resize(80, ' ');
  put_value(block, static_cast<std::uint32_t>(faces.size()));
  for (const ModelFace* f : faces) {
    std::array<Vec3, 3> v;
    for (int k = 0; k < 3; ++k)
      v[static_cast<std::size_t>(k)] =
          export_position(*f->corners[static_cast<std::size_t>(corner_order(k, settings))], settings);
    const Vec3 n = cross(v[1] - v[0], v[2] - v[0]);
    const double size = length(n);
    put_position(block, size > 0 ? n * (1.0 / size) : Vec3{});
    for (const Vec3& corner : v) put_position(block, corner);
    put_value(block, std::uint16_t{0});
    flush_if_full(block, out);
  }
  out.put(block);
}

namespace {

std::string bytes_of(void (*write)(const ModelData&, const ExportSettings&, TextOut&), const ModelData& model,
                     const ExportSettings& settings) {
  std::string bytes;
  TextOut out([&bytes](std::string_view chunk) {
    bytes += chunk;
    return true;
  });
  write(model, settings, out);
  out.finish();
  return bytes;
}

}  // namespace

std::string ply_bytes(const ModelData& model, const ExportSettings& settings) {
  return bytes_of(write_ply, model, settings);
}
std::string stl_bytes(const ModelData& model, const ExportSettings& settings) {
  return bytes_of(write_stl, model, settings);
}

std::string ply_path(const std::string& typed) { return with_ending(typed, ".ply"); }
std::string stl_path(const std::string& typed) { return with_ending(typed, ".stl"); }

bool export_ply(Project& project, const std::string& path) { return export_binary(project, path, write_ply); }
bool export_stl(Project& project, const std::string& path) { return export_binary(project, path, write_stl); }

}  // namespace plenvista
