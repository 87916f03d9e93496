#include "export/directx_export.h"

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
void end_item(std::string& out, std::size_t index, std::size_t count) {
  out += index + 1 == count ? ';' : ',';
  end_line(out);
}

void append_count(std::string& out, const char* indent, std::size_t count) {
  out += indent;
  append_integer(out, static_cast<long long>(count));
  out += ';';
  end_line(out);
}

void append_vector(std::string& out, const char* indent, const Vec3& v) {
  out += indent;
  append_fixed6(out, v, ';');
  out += ';';
}

void append_colour(std::string& out, Colour colour) {
  append_fixed6(out, colour_fraction(red_of(colour)));
  out += "; ";
  append_fixed6(out, colour_fraction(green_of(colour)));
  out += "; ";
  append_fixed6(out, colour_fraction(blue_of(colour)));
  out += ';';
}

// What one export writes, numbered.
struct Mesh {
  std::vector<ModelPoint*> vertices;         // V; null for a texture coordinate without point
  std::vector<ModelPoint*> distinct_points;  // the points whose normals are computed
  ExportLists lists;                         // lists.texture_coords is T with "Use Textures"
  std::vector<std::array<int, 3>> face_indices;
};

Mesh build_mesh(const ModelData& model, const ExportSettings& settings) {
  Mesh mesh;
  mesh.lists = collect_export_lists(model, settings);
  const bool textured = settings.use_textures == 1;
  RecordNumbers numbers(textured ? mesh.lists.texture_coords.size() : mesh.lists.points.size());
  if (textured) {
    mesh.vertices.reserve(mesh.lists.texture_coords.size());
    for (std::size_t i = 0; i < mesh.lists.texture_coords.size(); ++i) {
      mesh.vertices.push_back(mesh.lists.texture_coords[i]->point);
      numbers.assign(mesh.lists.texture_coords[i], static_cast<int>(i));
    }
  } else {
    mesh.vertices = mesh.lists.points;
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i) numbers.assign(mesh.vertices[i], static_cast<int>(i));
  }
  // Every written vertex's point is a model or mirror point of the export, so
  // normalising those lists covers each written point exactly once.
  mesh.distinct_points = std::move(mesh.lists.points);
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
  for (std::size_t i = 0; i < faces.size(); ++i) {
    out += indent;
    out += "3;";
    append_integer(out, faces[i][0]);
    out += ',';
    append_integer(out, faces[i][1]);
    out += ',';
    append_integer(out, faces[i][2]);
    out += ';';
    end_item(out, i, faces.size());
  }
}

}  // namespace

std::string directx_text(ModelData& model, const ExportSettings& settings) {
  Mesh mesh = build_mesh(model, settings);
  const std::vector<ModelPoint*>& vertices = mesh.vertices;
  const std::vector<ModelFace*>& faces = mesh.lists.faces;
  static const ModelPoint kMissingPoint{};

  std::string out;
  out.reserve(vertices.size() * 96 + faces.size() * 48 + 4096);
  out += "xof 0303txt 0032\r\n";
  if (settings.write_templates == 1) out += kTemplates;
  out += "Mesh {\r\n";

  append_count(out, " ", vertices.size());
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    append_vector(out, " ", export_position(vertices[i] ? *vertices[i] : kMissingPoint, settings));
    end_item(out, i, vertices.size());
  }
  append_faces(out, " ", mesh.face_indices);

  if (settings.write_normals == 1) {
    compute_normals(faces, mesh.distinct_points, settings);
    out += " MeshNormals {\r\n";
    append_count(out, "  ", vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      append_vector(out, "  ", vertices[i] ? vertices[i]->normal : Vec3{});
      end_item(out, i, vertices.size());
    }
    append_faces(out, "  ", mesh.face_indices);
    out += " }\r\n";
  }

  if (settings.use_textures == 1) {
    const std::vector<TextureCoord*>& coords = mesh.lists.texture_coords;
    out += " MeshTextureCoords {\r\n";
    append_count(out, "  ", coords.size());
    for (std::size_t i = 0; i < coords.size(); ++i) {
      out += "  ";
      append_fixed6(out, coords[i]->u);
      out += ';';
      append_fixed6(out, coords[i]->v);
      out += ';';
      end_item(out, i, coords.size());
    }
    out += " }\r\n";
  }

  RecordNumbers material_numbers(static_cast<std::size_t>(model.materials.count()));
  for (int i = 0; i < model.materials.count(); ++i) material_numbers.assign(model.materials[i], i);
  out += " MeshMaterialList {\r\n";
  append_count(out, "  ", static_cast<std::size_t>(model.materials.count()));
  append_count(out, "  ", faces.size());
  for (std::size_t i = 0; i < faces.size(); ++i) {
    out += "  ";
    append_integer(out, material_numbers.find(faces[i]->material, 0));
    end_item(out, i, faces.size());
  }
  for (const Material* material : model.materials) {
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
