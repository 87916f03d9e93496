#include "export/glb_export.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "base/file_io.h"
#include "base/text.h"
#include "export/export_file.h"
#include "export/export_lists.h"
#include "export/export_paths.h"
#include "export/json_writer.h"
#include "export/normals.h"
#include "model/find_file.h"

namespace plenvista {

namespace {

constexpr std::uint32_t kGlbMagic = 0x46546C67;   // "glTF"
constexpr std::uint32_t kJsonChunk = 0x4E4F534A;  // "JSON"
constexpr std::uint32_t kBinChunk = 0x004E4942;   // "BIN\0"
constexpr int kFloat = 5126;
constexpr int kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;

ImageEmbedder installed_embedder = &embed_as_stored;

constexpr double kCameraNear = 0.01;  // export units

// A camera node's matrix (column by column) in the export frame. Negating z
// mirrors the world, which no turn can follow: the camera's x axis is
// mirrored with it, so the node keeps looking along its -z and up along +y
// (the picture it would take is mirrored, as the model is). The scale moves
// the camera's position only.
std::array<double, 16> camera_node_matrix(const LocatedCamera& camera, const ExportSettings& settings) {
  const bool mirrored = settings.reverse_z == 0;
  const double world_sign[3] = {1.0, 1.0, mirrored ? -1.0 : 1.0};
  const double camera_sign[3] = {mirrored ? -1.0 : 1.0, 1.0, 1.0};
  Vec3 position = camera.position + settings.origin_offset;
  if (mirrored) position.z = -position.z;
  if (settings.use_scaling == 1) position *= settings.scale;
  std::array<double, 16> m{};
  for (std::size_t row = 0; row < 3; ++row)
    for (std::size_t column = 0; column < 3; ++column)
      m[column * 4 + row] = world_sign[row] * camera.world_from_camera[row * 4 + column] * camera_sign[column];
  m[12] = position.x;
  m[13] = position.y;
  m[14] = position.z;
  m[15] = 1.0;
  return m;
}

// The binary chunk, every view starting at a multiple of four bytes.
struct BinaryBuffer {
  std::string bytes;
  struct View {
    std::size_t offset;
    std::size_t length;
    int target;  // 0: none (an image)
  };
  std::vector<View> views;

  std::size_t add(const void* data, std::size_t length, int target) {
    bytes.append((4 - bytes.size() % 4) % 4, '\0');
    views.push_back({bytes.size(), length, target});
    bytes.append(static_cast<const char*>(data), length);
    return views.size() - 1;
  }
};

struct Accessor {
  std::size_t view = 0;
  int component = 0;
  std::size_t count = 0;
  const char* type = "";
  std::array<float, 3> min{};
  std::array<float, 3> max{};
  bool bounds = false;
};

struct Primitive {
  std::size_t position = 0;
  std::size_t normal = 0;
  std::optional<std::size_t> texcoord;
  std::size_t indices = 0;
  std::size_t material = 0;
};

double srgb_to_linear(std::uint8_t byte) {
  const double c = byte / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

struct PairHash {
  std::size_t operator()(const std::pair<const ModelPoint*, const TextureCoord*>& key) const {
    return std::hash<const void*>()(key.first) * 31 + std::hash<const void*>()(key.second);
  }
};

// The vertices and indices of one material's faces.
struct PrimitiveData {
  std::vector<float> positions;
  std::vector<float> normals;
  std::vector<float> texcoords;
  std::vector<std::uint32_t> indices;
  std::array<float, 3> min{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                           std::numeric_limits<float>::max()};
  std::array<float, 3> max{std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest(),
                           std::numeric_limits<float>::lowest()};
  bool textured = false;
};

PrimitiveData primitive_of(const std::vector<ModelFace*>& faces, const ExportSettings& settings) {
  PrimitiveData data;
  for (const ModelFace* face : faces) {
    for (const TextureCoord* coord : face->texture_coords) data.textured = data.textured || coord != nullptr;
  }
  std::unordered_map<std::pair<const ModelPoint*, const TextureCoord*>, std::uint32_t, PairHash> made;
  made.reserve(faces.size() * 2);
  data.indices.reserve(faces.size() * 3);
  for (const ModelFace* face : faces) {
    for (int k = 0; k < 3; ++k) {
      const auto corner = static_cast<std::size_t>(corner_order(k, settings));
      const ModelPoint* point = face->corners[corner];
      const TextureCoord* coord = data.textured ? face->texture_coords[corner] : nullptr;
      const auto [at, fresh] = made.try_emplace({point, coord}, static_cast<std::uint32_t>(made.size()));
      data.indices.push_back(at->second);
      if (!fresh) continue;
      const Vec3 p = export_position(*point, settings);
      const std::array<float, 3> position{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
      for (std::size_t i = 0; i < 3; ++i) {
        data.positions.push_back(position[i]);
        data.min[i] = std::min(data.min[i], position[i]);
        data.max[i] = std::max(data.max[i], position[i]);
      }
      const Vec3& n = point->normal;
      const bool none = n.x == 0.0 && n.y == 0.0 && n.z == 0.0;
      data.normals.insert(data.normals.end(),
                          {static_cast<float>(n.x), static_cast<float>(n.y), none ? 1.0f : static_cast<float>(n.z)});
      if (data.textured) {
        data.texcoords.push_back(coord ? static_cast<float>(coord->u) : 0.0f);
        data.texcoords.push_back(coord ? static_cast<float>(coord->v) : 0.0f);
      }
    }
  }
  return data;
}

void write_u32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

}  // namespace

std::optional<EmbeddedImage> embed_as_stored(const std::string& path, std::string& error) {
  const ReadResult file = read_whole_file(path);
  if (!file.bytes) {
    error = "The photograph " + path + " cannot be read";
    return std::nullopt;
  }
  const std::vector<std::uint8_t>& bytes = *file.bytes;
  static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  EmbeddedImage image;
  if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
    image.mime_type = "image/jpeg";
  } else if (bytes.size() >= sizeof kPng && std::memcmp(bytes.data(), kPng, sizeof kPng) == 0) {
    image.mime_type = "image/png";
  } else {
    error = "The photograph " + path + " is neither a JPEG nor a PNG file";
    return std::nullopt;
  }
  image.bytes.assign(bytes.begin(), bytes.end());
  return image;
}

void set_image_embedder(ImageEmbedder embedder) { installed_embedder = embedder ? embedder : &embed_as_stored; }

std::string glb_bytes(ModelData& model, const ExportSettings& settings, const MaterialImage& image_of,
                      const std::vector<LocatedCamera>& cameras) {
  const ExportLists lists = collect_export_lists(model, settings);
  compute_normals(lists.faces, lists.points, settings);

  std::unordered_map<const Material*, std::size_t> material_number;
  for (std::size_t m = 0; m < lists.materials.size(); ++m) material_number.emplace(lists.materials[m], m);
  std::vector<std::vector<ModelFace*>> faces_of(lists.materials.size());
  for (ModelFace* face : lists.faces) {
    const auto found = material_number.find(face->material);
    if (found != material_number.end()) faces_of[found->second].push_back(face);
  }

  BinaryBuffer buffer;
  std::vector<Accessor> accessors;
  std::vector<Primitive> primitives;
  const auto accessor = [&](const auto& values, int target, int component, std::size_t count, const char* type) {
    Accessor& added = accessors.emplace_back();
    added.view = buffer.add(values.data(), values.size() * sizeof values[0], target);
    added.component = component;
    added.count = count;
    added.type = type;
    return accessors.size() - 1;
  };
  for (std::size_t m = 0; m < faces_of.size(); ++m) {
    if (faces_of[m].empty()) continue;
    const PrimitiveData data = primitive_of(faces_of[m], settings);
    const std::size_t vertices = data.positions.size() / 3;
    Primitive primitive;
    primitive.material = m;
    primitive.position = accessor(data.positions, kArrayBuffer, kFloat, vertices, "VEC3");
    accessors.back().bounds = true;
    accessors.back().min = data.min;
    accessors.back().max = data.max;
    primitive.normal = accessor(data.normals, kArrayBuffer, kFloat, vertices, "VEC3");
    if (data.textured) primitive.texcoord = accessor(data.texcoords, kArrayBuffer, kFloat, vertices, "VEC2");
    primitive.indices = accessor(data.indices, kElementArrayBuffer, kUnsignedInt, data.indices.size(), "SCALAR");
    primitives.push_back(primitive);
  }

  // Images in order of first use; a photograph shared by materials once.
  std::vector<const EmbeddedImage*> images;
  std::vector<std::size_t> image_views;
  std::vector<std::optional<std::size_t>> texture_of(lists.materials.size());
  for (std::size_t m = 0; m < lists.materials.size(); ++m) {
    const EmbeddedImage* image = settings.use_textures == 1 ? image_of(*lists.materials[m]) : nullptr;
    if (!image) continue;
    std::size_t index = 0;
    while (index < images.size() && images[index] != image) ++index;
    if (index == images.size()) {
      images.push_back(image);
      image_views.push_back(buffer.add(image->bytes.data(), image->bytes.size(), 0));
    }
    texture_of[m] = index;
  }

  Json json;
  json.raw(R"({"asset":{"version":"2.0","generator":"Plenvista"},"scene":0,"scenes":[{)");
  const std::size_t nodes = (primitives.empty() ? 0 : 1) + cameras.size();
  if (nodes > 0) {
    json.raw(R"("nodes":[)");
    bool first = true;
    for (std::size_t n = 0; n < nodes; ++n) json.next(first).number(std::uint64_t{n});
    json.raw("]");
  }
  json.raw("}]");
  if (nodes > 0) {
    json.raw(R"(,"nodes":[)");
    bool first = true;
    if (!primitives.empty()) json.next(first).raw(R"({"mesh":0})");
    for (std::size_t c = 0; c < cameras.size(); ++c) {
      json.next(first).raw(R"({"name":)").string(cameras[c].file_name);
      json.raw(R"(,"camera":)").number(std::uint64_t{c}).raw(R"(,"matrix":[)");
      const std::array<double, 16> m = camera_node_matrix(cameras[c], settings);
      bool first_number = true;
      for (const double v : m) json.next(first_number).number(v);
      json.raw("]}");
    }
    json.raw(R"(],"cameras":[)");
    first = true;
    for (const LocatedCamera& c : cameras) {
      json.next(first).raw(R"({"type":"perspective","perspective":{"aspectRatio":)");
      json.number((c.width / c.focal_x) / (c.height / c.focal_y));
      json.raw(R"(,"yfov":)").number(2.0 * std::atan(c.height / (2.0 * c.focal_y)));
      json.raw(R"(,"znear":)").number(kCameraNear).raw("}}");
    }
    json.raw("]");
  }
  if (!primitives.empty()) {
    json.raw(R"(,"meshes":[{"primitives":[)");
    bool first = true;
    for (const Primitive& p : primitives) {
      json.next(first).raw(R"({"attributes":{"POSITION":)").number(std::uint64_t{p.position});
      json.raw(R"(,"NORMAL":)").number(std::uint64_t{p.normal});
      if (p.texcoord) json.raw(R"(,"TEXCOORD_0":)").number(std::uint64_t{*p.texcoord});
      json.raw(R"(},"indices":)").number(std::uint64_t{p.indices});
      json.raw(R"(,"material":)").number(std::uint64_t{p.material}).raw(R"(,"mode":4})");
    }
    json.raw("]}]");
  }
  if (!lists.materials.empty()) {
    json.raw(R"(,"materials":[)");
    bool first = true;
    for (std::size_t m = 0; m < lists.materials.size(); ++m) {
      const Material& material = *lists.materials[m];
      json.next(first).raw(R"({"name":)").string(shown(material.name)).raw(R"(,"pbrMetallicRoughness":{)");
      if (texture_of[m]) {
        json.raw(R"("baseColorTexture":{"index":)").number(std::uint64_t{*texture_of[m]}).raw("},");
      } else {
        const Colour c = material.face_colour;
        json.raw(R"("baseColorFactor":[)").number(srgb_to_linear(red_of(c))).raw(",");
        json.number(srgb_to_linear(green_of(c))).raw(",").number(srgb_to_linear(blue_of(c))).raw(",1],");
      }
      json.raw(R"("metallicFactor":0,"roughnessFactor":1}})");
    }
    json.raw("]");
  }
  if (!images.empty()) {
    json.raw(R"(,"samplers":[{"magFilter":9729,"minFilter":9987,"wrapS":33071,"wrapT":33071}],"textures":[)");
    bool first = true;
    for (std::size_t i = 0; i < images.size(); ++i) {
      json.next(first).raw(R"({"sampler":0,"source":)").number(std::uint64_t{i}).raw("}");
    }
    json.raw(R"(],"images":[)");
    first = true;
    for (std::size_t i = 0; i < images.size(); ++i) {
      json.next(first).raw(R"({"bufferView":)").number(std::uint64_t{image_views[i]});
      json.raw(R"(,"mimeType":)").string(images[i]->mime_type).raw("}");
    }
    json.raw("]");
  }
  if (!accessors.empty()) {
    json.raw(R"(,"accessors":[)");
    bool first = true;
    for (const Accessor& a : accessors) {
      json.next(first).raw(R"({"bufferView":)").number(std::uint64_t{a.view});
      json.raw(R"(,"componentType":)").number(std::uint64_t(a.component));
      json.raw(R"(,"count":)").number(std::uint64_t{a.count}).raw(R"(,"type":)").string(a.type);
      if (a.bounds) {
        json.raw(R"(,"min":[)").number(a.min[0]).raw(",").number(a.min[1]).raw(",").number(a.min[2]);
        json.raw(R"(],"max":[)").number(a.max[0]).raw(",").number(a.max[1]).raw(",").number(a.max[2]).raw("]");
      }
      json.raw("}");
    }
    json.raw("]");
  }
  if (!buffer.views.empty()) {
    json.raw(R"(,"bufferViews":[)");
    bool first = true;
    for (const BinaryBuffer::View& v : buffer.views) {
      json.next(first).raw(R"({"buffer":0,"byteOffset":)").number(std::uint64_t{v.offset});
      json.raw(R"(,"byteLength":)").number(std::uint64_t{v.length});
      if (v.target) json.raw(R"(,"target":)").number(std::uint64_t(v.target));
      json.raw("}");
    }
    buffer.bytes.append((4 - buffer.bytes.size() % 4) % 4, '\0');
    json.raw(R"(],"buffers":[{"byteLength":)").number(std::uint64_t{buffer.bytes.size()}).raw("}]");
  }
  json.raw("}");
  std::string& text = json.text();
  text.append((4 - text.size() % 4) % 4, ' ');

  const bool with_binary = !buffer.bytes.empty();
  std::string glb;
  glb.reserve(12 + 8 + text.size() + (with_binary ? 8 + buffer.bytes.size() : 0));
  write_u32(glb, kGlbMagic);
  write_u32(glb, 2);
  write_u32(glb, static_cast<std::uint32_t>(12 + 8 + text.size() + (with_binary ? 8 + buffer.bytes.size() : 0)));
  write_u32(glb, static_cast<std::uint32_t>(text.size()));
  write_u32(glb, kJsonChunk);
  glb += text;
  if (with_binary) {
    write_u32(glb, static_cast<std::uint32_t>(buffer.bytes.size()));
    write_u32(glb, kBinChunk);
    glb += buffer.bytes;
  }
  return glb;
}

bool export_glb(Project& project, const std::string& path) {
  ExportSettings& settings = project.export_settings;
  copy_transform(settings, project.model.transform);
  split_export_path(path, project.directory, settings);

  std::unordered_map<const ProjectImage*, std::optional<EmbeddedImage>> embedded;
  if (settings.use_textures == 1) {
    for (const Material* material : project.model.materials) {
      const ProjectImage* photo = material->texture_image;
      if (!photo || embedded.contains(photo)) continue;
      std::optional<EmbeddedImage>& image = embedded[photo];
      std::string error;
      const std::optional<std::string> found = find_file_along_directories(shown(project.model.image_directories),
                                                                           project.directory, shown(photo->file_name));
      if (found) image = installed_embedder(*found, error);
      if (!image) {
        project.messages.show(
            (found ? error : "The photograph " + std::string(shown(photo->file_name)) + " cannot be found") +
                ": the material " + std::string(shown(material->name)) + " is exported without its texture.",
            "Warning");
      }
    }
  }
  const std::string glb = glb_bytes(
      project.model, settings,
      [&](const Material& material) -> const EmbeddedImage* {
        const auto found = embedded.find(material.texture_image);
        return found != embedded.end() && found->second ? &*found->second : nullptr;
      },
      located_cameras(project.images()));
  return write_export_file(project, settings.export_base, [&](TextOut& out) { out.put(glb); }) == WriteResult::Ok;
}

}  // namespace plenvista
