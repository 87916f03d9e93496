#include "export/obj_export.h"

#include "export/export_file.h"
#include "export/export_lists.h"
#include "export/export_paths.h"
#include "export/normals.h"
#include "export/number_format.h"
#include "export/record_numbers.h"

namespace plenvista {

namespace {

void append_triple(std::string& out, const char* tag, const Vec3& v) {
  char line[kLineChars];
  char* p = line;
  while (*tag) *p++ = *tag++;
  p = write_fixed6(p, v, ' ');
  p = write_text(p, "\r\n");
  out.append(line, p);
}

void append_colour(std::string& out, const char* tag, Colour colour) {
  append_triple(out, tag,
                {colour_fraction(red_of(colour)), colour_fraction(green_of(colour)), colour_fraction(blue_of(colour))});
}

// The faces of F grouped by material number, each group in F's order;
// faces with a material outside the list are dropped. Linear in faces plus
// materials.
std::vector<std::vector<ModelFace*>> faces_by_material(const std::vector<ModelFace*>& faces,
                                                        const std::vector<Material*>& materials) {
  const RecordNumbers numbers = numbered(materials, 0);
  std::vector<int> material_of(faces.size());
  std::vector<std::size_t> sizes(materials.size(), 0);
  for (std::size_t i = 0; i < faces.size(); ++i) {
    material_of[i] = numbers.find(faces[i]->material, -1);
    if (material_of[i] >= 0) ++sizes[static_cast<std::size_t>(material_of[i])];
  }
  std::vector<std::vector<ModelFace*>> groups(sizes.size());
  for (std::size_t m = 0; m < sizes.size(); ++m) groups[m].reserve(sizes[m]);
  for (std::size_t i = 0; i < faces.size(); ++i)
    if (material_of[i] >= 0) groups[static_cast<std::size_t>(material_of[i])].push_back(faces[i]);
  return groups;
}

}  // namespace

std::string mtl_text(const ModelData& model, const ExportSettings& settings) {
  std::string out = "# Material File\r\n\r\n";
  for (const Material* material : model.materials) {
    out += "newmtl ";
    out += material->name;
    end_line(out);
    out += "Ka 0.000000 0.000000 0.000000\r\n";
    append_colour(out, "Kd ", material->face_colour);
    out += "Ks 0.000000 0.000000 0.000000\r\n";
    out += "Ns 0.000000\r\n";
    if (settings.use_textures == 1 && material->texture_image) {
      out += "map_Kd ";
      out += material->texture_image->file_name;
      end_line(out);
    }
    end_line(out);
  }
  return out;
}

std::string obj_text(ModelData& model, const ExportSettings& settings) {
  const ExportLists lists = collect_export_lists(model, settings);

  const RecordNumbers vertex_numbers = numbered(lists.points, 1);
  const RecordNumbers texture_numbers = numbered(lists.texture_coords, 1);

  std::string out;
  // Generous: pages reserved but never written cost nothing, a regrowth copies everything.
  out.reserve(lists.points.size() * 100 + lists.texture_coords.size() * 40 + lists.faces.size() * 80 + 4096);
  out += "g ";
  out += settings.base_name;
  end_line(out);
  out += "mtllib ";
  out += settings.mtl_name.value_or("");
  end_line(out);

  for (const ModelPoint* point : lists.points) append_triple(out, "v ", export_position(*point, settings));
  compute_normals(lists.faces, lists.points, settings);
  for (const ModelPoint* point : lists.points) append_triple(out, "vn ", point->normal);
  char line[kLineChars];
  for (const TextureCoord* coord : lists.texture_coords) {
    char* p = write_text(line, "vt ");
    p = write_fixed6(p, coord->u);
    *p++ = ' ';
    p = write_fixed6(p, 1.0 - coord->v);
    p = write_text(p, "\r\n");
    out.append(line, p);
  }

  const auto groups = faces_by_material(lists.faces, lists.materials);
  for (std::size_t m = 0; m < lists.materials.size(); ++m) {
    out += "usemtl ";
    out += lists.materials[m]->name;
    end_line(out);
    for (const ModelFace* face : groups[m]) {
      char* p = write_text(line, "f");
      for (int k = 0; k < 3; ++k) {
        const int corner = corner_order(k, settings);
        const int vertex = vertex_numbers.find(face->corners[corner], 0);
        *p++ = ' ';
        p = write_integer(p, vertex);
        *p++ = '/';
        // OBJ numbers from 1: a corner without texture coordinate leaves the
        // field empty ("v//vn"), which every reader accepts, where 0 is invalid.
        if (const int texture = texture_numbers.find(face->texture_coords[corner], 0); texture > 0)
          p = write_integer(p, texture);
        *p++ = '/';
        p = write_integer(p, vertex);
      }
      p = write_text(p, "\r\n");
      out.append(line, p);
    }
  }
  return out;
}

int export_obj(Project& project, const std::string& path) {
  ExportSettings& settings = project.export_settings;
  copy_transform(settings, project.model.transform);
  settings.last_obj_path = path;
  split_export_path(path, project.directory, settings);
  const bool mtl_written =
      write_export_file(project, settings.export_base + ".mtl", mtl_text(project.model, settings)) == WriteResult::Ok;
  settings.mtl_name = settings.base_name + ".mtl";
  settings.obj_path = settings.export_base + ".obj";
  const bool obj_written =
      write_export_file(project, settings.obj_path, obj_text(project.model, settings)) == WriteResult::Ok;
  return mtl_written && obj_written ? 1 : 0;
}

}  // namespace plenvista
