#include "export/directx_export.h"

#include <cstring>

#include "export/export_file.h"
#include "export/export_lists.h"
#include "export/export_paths.h"
#include "export/normals.h"
#include "export/number_format.h"
#include "export/record_numbers.h"

namespace plenvista {

namespace {

constexpr std::string_view kTemplates =
    "\r\n"
    "template Vector {\r\n"
    " <3d82ab5e-62da-11cf-ab39-0020af71e433>\r\n"
    " FLOAT x;\r\n"
    " FLOAT y;\r\n"
    " FLOAT z;\r\n"
    "}\r\n"
    "template MeshFace {\r\n"
    " <3d82ab5f-62da-11cf-ab39-0020af71e433>\r\n"
    " DWORD nFaceVertexIndices;\r\n"
    " array DWORD faceVertexIndices[nFaceVertexIndices];\r\n"
    "}\r\n"
    "template Mesh {\r\n"
    " <3d82ab44-62da-11cf-ab39-0020af71e433>\r\n"
    " DWORD nVertices;\r\n"
    " array Vector vertices[nVertices];\r\n"
    " DWORD nFaces;\r\n"
    " array MeshFace faces[nFaces];\r\n"
    " [...]\r\n"
    "}\r\n"
    "\r\n"
    "template MeshMaterialList {\r\n"
    "  <f6f23f42-7686-11cf-8f52-0040333594a3>\r\n"
    "  DWORD nMaterials;\r\n"
    "  DWORD nFaceIndexes;\r\n"
    "  array DWORD faceIndexes[nFaceIndexes];\r\n"
    "  [Material <3d82ab4d-62da-11cf-ab39-0020af71e433>]\r\n"
    "}\r\n"
    "\r\n"
    "template ColorRGBA {\r\n"
    "  <35FF44E0-6C7C-11cf-8F52-0040333594A3>\r\n"
    "  float red;\r\n"
    "  float green;\r\n"
    "  float blue;\r\n"
    "  float alpha;\r\n"
    "}\r\n"
    "\r\n"
    "template ColorRGB {\r\n"
    "  <D3E16E81-7835-11cf-8F52-0040333594A3>\r\n"
    "  float red;\r\n"
    "  float green;\r\n"
    "  float blue;\r\n"
    "}\r\n"
    "\r\n"
    "template Material {\r\n"
    "  <3d82ab4d-62da-11cf-ab39-0020af71e433>\r\n"
    "  ColorRGBA faceColor;\r\n"
    "  FLOAT power;\r\n"
    "  ColorRGB specularColor;\r\n"
    "  ColorRGB emissiveColor;\r\n"
    "  [...]\r\n"
    "}\r\n"
    "\r\n";

// Ends one item of a list: ";" after the last, "," after the others.
char* end_item(char* p, std::size_t index, std::size_t count) {
  *p++ = index + 1 == count ? ';' : ',';
  return write_text(p, "\r\n");
}

void write_count(TextOut& out, std::string_view indent, std::size_t count) {
  char* p = out.room(kLineChars);
  std::memcpy(p, indent.data(), indent.size());
  p = write_integer(p + indent.size(), static_cast<long long>(count));
  out.commit(write_text(p, ";\r\n"));
}

// `count` vectors, vector_at(i) giving the i-th.
template <class VectorAt>
void write_vectors(TextOut& out, std::string_view indent, std::size_t count, const VectorAt& vector_at) {
  write_count(out, indent, count);
  for (std::size_t i = 0; i < count; ++i) {
    char* p = out.room(kLineChars);
    std::memcpy(p, indent.data(), indent.size());
    p = write_fixed6(p + indent.size(), vector_at(i), ';');
    *p++ = ';';
    out.commit(end_item(p, i, count));
  }
}

void write_colour(TextOut& out, Colour colour) {
  char* p = write_fixed6(out.room(kLineChars), colour_fraction(red_of(colour)));
  p = write_text(p, "; ");
  p = write_fixed6(p, colour_fraction(green_of(colour)));
  p = write_text(p, "; ");
  p = write_fixed6(p, colour_fraction(blue_of(colour)));
  *p++ = ';';
  out.commit(p);
}

// What one export writes, numbered.
struct Mesh {
  bool per_coordinate = false;        // vertices per texture coordinate, T written
  std::vector<ModelPoint*> vertices;  // V; null for a texture coordinate without point
  ExportLists lists;                  // lists.texture_coords is T with "Use Textures"
  std::vector<std::array<int, 3>> face_indices;
};

// Per face the numbers of its corners (`corners` picks points or texture
// coordinates) in written order: positions in `numbered`, 0 when not in it.
template <class Record>
std::vector<std::array<int, 3>> corner_numbers(const std::vector<ModelFace*>& faces,
                                               const std::vector<Record*>& numbered,
                                               std::array<Record*, 3> ModelFace::*corners,
                                               const ExportSettings& settings) {
  const RecordNumbers numbers(numbered, 0);
  std::array<std::size_t, 3> order{};
  for (int k = 0; k < 3; ++k) order[static_cast<std::size_t>(k)] = static_cast<std::size_t>(corner_order(k, settings));
  std::vector<std::array<int, 3>> indices(faces.size());
  for (std::size_t i = 0; i < faces.size(); ++i) {
    const std::array<Record*, 3>& c = faces[i]->*corners;
    for (std::size_t k = 0; k < 3; ++k) indices[i][k] = numbers.find(c[order[k]], 0);
  }
  return indices;
}

Mesh build_mesh(const ModelData& model, const ExportSettings& settings) {
  Mesh mesh;
  mesh.lists = collect_export_lists(model, settings);
  // Without any texture coordinate the faces would index an empty vertex
  // list, which readers refuse: such a mesh is written as without textures.
  mesh.per_coordinate = settings.use_textures == 1 && !mesh.lists.texture_coords.empty();
  if (mesh.per_coordinate) {
    mesh.vertices.reserve(mesh.lists.texture_coords.size());
    for (const TextureCoord* coord : mesh.lists.texture_coords) mesh.vertices.push_back(coord->point);
    mesh.face_indices =
        corner_numbers(mesh.lists.faces, mesh.lists.texture_coords, &ModelFace::texture_coords, settings);
  } else {
    mesh.vertices = mesh.lists.points;
    mesh.face_indices = corner_numbers(mesh.lists.faces, mesh.lists.points, &ModelFace::corners, settings);
  }
  return mesh;
}

void write_faces(TextOut& out, std::string_view indent, const std::vector<std::array<int, 3>>& faces) {
  write_count(out, indent, faces.size());
  for (std::size_t i = 0; i < faces.size(); ++i) {
    char* p = out.room(kLineChars);
    std::memcpy(p, indent.data(), indent.size());
    p = write_text(p + indent.size(), "3;");
    p = write_integer(p, faces[i][0]);
    *p++ = ',';
    p = write_integer(p, faces[i][1]);
    *p++ = ',';
    p = write_integer(p, faces[i][2]);
    *p++ = ';';
    out.commit(end_item(p, i, faces.size()));
  }
}

}  // namespace

void write_directx(ModelData& model, const ExportSettings& settings, TextOut& out) {
  const Mesh mesh = build_mesh(model, settings);
  const std::vector<ModelPoint*>& vertices = mesh.vertices;
  const std::vector<ModelFace*>& faces = mesh.lists.faces;
  static const ModelPoint kMissingPoint{};

  out.put("xof 0303txt 0032\r\n");
  if (settings.write_templates == 1) out.put(kTemplates);
  out.put("Mesh {\r\n");

  write_vectors(out, " ", vertices.size(),
                [&](std::size_t i) { return export_position(vertices[i] ? *vertices[i] : kMissingPoint, settings); });
  write_faces(out, " ", mesh.face_indices);

  if (settings.write_normals == 1) {
    // Every written vertex's point is a model or mirror point of the export,
    // so normalising those lists covers each written point exactly once.
    compute_normals(faces, mesh.lists.points, settings);
    out.put(" MeshNormals {\r\n");
    write_vectors(out, "  ", vertices.size(),
                  [&](std::size_t i) { return vertices[i] ? vertices[i]->normal : Vec3{}; });
    write_faces(out, "  ", mesh.face_indices);
    out.put(" }\r\n");
  }

  if (mesh.per_coordinate) {
    const std::vector<TextureCoord*>& coords = mesh.lists.texture_coords;
    out.put(" MeshTextureCoords {\r\n");
    write_count(out, "  ", coords.size());
    for (std::size_t i = 0; i < coords.size(); ++i) {
      char* p = write_text(out.room(kLineChars), "  ");
      p = write_fixed6(p, coords[i]->u);
      *p++ = ';';
      p = write_fixed6(p, coords[i]->v);
      *p++ = ';';
      out.commit(end_item(p, i, coords.size()));
    }
    out.put(" }\r\n");
  }

  const RecordNumbers material_numbers(mesh.lists.materials, 0);
  out.put(" MeshMaterialList {\r\n");
  write_count(out, "  ", mesh.lists.materials.size());
  write_count(out, "  ", faces.size());
  for (std::size_t i = 0; i < faces.size(); ++i) {
    char* p = write_integer(write_text(out.room(kLineChars), "  "), material_numbers.find(faces[i]->material, 0));
    out.commit(end_item(p, i, faces.size()));
  }
  for (const Material* material : mesh.lists.materials) {
    out.put("  Material {\r\n   ");
    write_colour(out, material->face_colour);
    out.put(" 1.000000;;\r\n");
    out.put("   0.000000;\r\n   ");
    write_colour(out, material->specular_colour);
    out.put(";\r\n   ");
    write_colour(out, material->emissive_colour);
    out.put(";\r\n");
    if (settings.use_textures == 1 && material->texture_image) {
      out.put("   TextureFilename {\r\n    \"");
      out.put(shown(material->texture_image->file_name));
      out.put("\";\r\n   }\r\n");
    }
    out.put("  }\r\n");
  }
  out.put(" }\r\n}\r\n");
}

std::string directx_text(ModelData& model, const ExportSettings& settings) {
  return text_of([&](TextOut& out) { write_directx(model, settings, out); });
}

bool export_directx(Project& project, const std::string& path) {
  ExportSettings& settings = project.export_settings;
  split_export_path(path, project.directory, settings);
  // The transform copy belongs to an export that got its file, so it is
  // made on a working copy and kept only then.
  ExportSettings working = settings;
  copy_transform(working, project.model.transform);
  const WriteResult result = write_export_file(project, settings.export_base,
                                               [&](TextOut& out) { write_directx(project.model, working, out); });
  if (result == WriteResult::CannotOpen) return false;
  settings.origin_offset = working.origin_offset;
  settings.scale = working.scale;
  settings.last_x_path = path;
  return result == WriteResult::Ok;
}

}  // namespace plenvista
