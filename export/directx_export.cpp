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

constexpr const char* kTemplates =
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

void append_count(std::string& out, const char* indent, std::size_t count) {
  out += indent;
  char number[kIntegerMaxChars];
  out.append(number, write_integer(number, static_cast<long long>(count)));
  out += ";\r\n";
}

void append_vectors(std::string& out, const char* indent, const std::vector<Vec3>& vectors) {
  append_count(out, indent, vectors.size());
  const std::size_t indent_size = std::strlen(indent);
  char line[kLineChars];
  for (std::size_t i = 0; i < vectors.size(); ++i) {
    char* p = line + indent_size;
    std::memcpy(line, indent, indent_size);
    p = write_fixed6(p, vectors[i], ';');
    *p++ = ';';
    out.append(line, end_item(p, i, vectors.size()));
  }
}

void append_colour(std::string& out, Colour colour) {
  char line[kLineChars];
  char* p = write_fixed6(line, colour_fraction(red_of(colour)));
  p = write_text(p, "; ");
  p = write_fixed6(p, colour_fraction(green_of(colour)));
  p = write_text(p, "; ");
  p = write_fixed6(p, colour_fraction(blue_of(colour)));
  *p++ = ';';
  out.append(line, p);
}

// What one export writes, numbered.
struct Mesh {
  std::vector<ModelPoint*> vertices;         // V; null for a texture coordinate without point
  ExportLists lists;                         // lists.texture_coords is T with "Use Textures"
  std::vector<std::array<int, 3>> face_indices;
};

Mesh build_mesh(const ModelData& model, const ExportSettings& settings) {
  Mesh mesh;
  mesh.lists = collect_export_lists(model, settings);
  const bool textured = settings.use_textures == 1;
  if (textured) {
    mesh.vertices.reserve(mesh.lists.texture_coords.size());
    for (const TextureCoord* coord : mesh.lists.texture_coords) mesh.vertices.push_back(coord->point);
  } else {
    mesh.vertices = mesh.lists.points;
  }
  const RecordNumbers numbers =
      textured ? numbered(mesh.lists.texture_coords, 0) : numbered(mesh.lists.points, 0);
  mesh.face_indices.reserve(mesh.lists.faces.size());
  for (const ModelFace* face : mesh.lists.faces) {
    std::array<int, 3> indices{};
    for (int k = 0; k < 3; ++k) {
      const int corner = corner_order(k, settings);
      indices[static_cast<std::size_t>(k)] =
          textured ? numbers.find(face->texture_coords[corner], 0) : numbers.find(face->corners[corner], 0);
    }
    mesh.face_indices.push_back(indices);
  }
  return mesh;
}

void append_faces(std::string& out, const char* indent, const std::vector<std::array<int, 3>>& faces) {
  append_count(out, indent, faces.size());
  const std::size_t indent_size = std::strlen(indent);
  char line[kLineChars];
  for (std::size_t i = 0; i < faces.size(); ++i) {
    std::memcpy(line, indent, indent_size);
    char* p = write_text(line + indent_size, "3;");
    p = write_integer(p, faces[i][0]);
    *p++ = ',';
    p = write_integer(p, faces[i][1]);
    *p++ = ',';
    p = write_integer(p, faces[i][2]);
    *p++ = ';';
    out.append(line, end_item(p, i, faces.size()));
  }
}

}  // namespace

std::string directx_text(ModelData& model, const ExportSettings& settings) {
  Mesh mesh = build_mesh(model, settings);
  const std::vector<ModelPoint*>& vertices = mesh.vertices;
  const std::vector<ModelFace*>& faces = mesh.lists.faces;
  static const ModelPoint kMissingPoint{};

  std::string out;
  // Generous: pages reserved but never written cost nothing, a regrowth copies everything.
  out.reserve(vertices.size() * 112 + faces.size() * 96 + 4096);
  out += "xof 0303txt 0032\r\n";
  if (settings.write_templates == 1) out += kTemplates;
  out += "Mesh {\r\n";

  std::vector<Vec3> vectors(vertices.size());
  for (std::size_t i = 0; i < vertices.size(); ++i)
    vectors[i] = export_position(vertices[i] ? *vertices[i] : kMissingPoint, settings);
  append_vectors(out, " ", vectors);
  append_faces(out, " ", mesh.face_indices);

  if (settings.write_normals == 1) {
    // Every written vertex's point is a model or mirror point of the export,
    // so normalising those lists covers each written point exactly once.
    compute_normals(faces, mesh.lists.points, settings);
    for (std::size_t i = 0; i < vertices.size(); ++i) vectors[i] = vertices[i] ? vertices[i]->normal : Vec3{};
    out += " MeshNormals {\r\n";
    append_vectors(out, "  ", vectors);
    append_faces(out, "  ", mesh.face_indices);
    out += " }\r\n";
  }

  char line[kLineChars];
  if (settings.use_textures == 1) {
    const std::vector<TextureCoord*>& coords = mesh.lists.texture_coords;
    out += " MeshTextureCoords {\r\n";
    append_count(out, "  ", coords.size());
    for (std::size_t i = 0; i < coords.size(); ++i) {
      char* p = write_text(line, "  ");
      p = write_fixed6(p, coords[i]->u);
      *p++ = ';';
      p = write_fixed6(p, coords[i]->v);
      *p++ = ';';
      out.append(line, end_item(p, i, coords.size()));
    }
    out += " }\r\n";
  }

  const RecordNumbers material_numbers = numbered(mesh.lists.materials, 0);
  out += " MeshMaterialList {\r\n";
  append_count(out, "  ", mesh.lists.materials.size());
  append_count(out, "  ", faces.size());
  for (std::size_t i = 0; i < faces.size(); ++i) {
    char* p = write_integer(write_text(line, "  "), material_numbers.find(faces[i]->material, 0));
    out.append(line, end_item(p, i, faces.size()));
  }
  for (const Material* material : mesh.lists.materials) {
    out += "  Material {\r\n   ";
    append_colour(out, material->face_colour);
    out += " 1.000000;;\r\n";
    out += "   0.000000;\r\n   ";
    append_colour(out, material->specular_colour);
    out += ";\r\n   ";
    append_colour(out, material->emissive_colour);
    out += ";\r\n";
    if (settings.use_textures == 1 && material->texture_image) {
      out += "   TextureFilename {\r\n    \"";
      out += material->texture_image->file_name;
      out += "\";\r\n   }\r\n";
    }
    out += "  }\r\n";
  }
  out += " }\r\n}\r\n";
  return out;
}

int export_directx(Project& project, const std::string& path) {
  ExportSettings& settings = project.export_settings;
  split_export_path(path, project.directory, settings);
  // The transform copy belongs to an export that got its file, so it is
  // made on a working copy and kept only then.
  ExportSettings working = settings;
  copy_transform(working, project.model.transform);
  const WriteResult result = write_export_file(project, settings.export_base, directx_text(project.model, working));
  if (result == WriteResult::CannotOpen) return 0;
  settings.origin_offset = working.origin_offset;
  settings.scale = working.scale;
  settings.last_x_path = path;
  return result == WriteResult::Ok ? 1 : 0;
}

}  // namespace plenvista
