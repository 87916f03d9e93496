#include "export/obj_export.h"

#include "export/export_file.h"
#include "export/export_lists.h"
#include "export/export_paths.h"
#include "export/normals.h"
#include "export/number_format.h"
#include "export/record_numbers.h"
#include "model/read_ahead.h"

namespace plenvista {

namespace {

void write_triple(TextOut& out, const char* tag, const Vec3& v) {
  char* p = out.room(kLineChars);
  while (*tag) *p++ = *tag++;
  p = write_fixed6(p, v, ' ');
  out.commit(write_text(p, "\r\n"));
}

void write_line(TextOut& out, std::string_view tag, std::string_view text) {
  out.put(tag);
  out.put(text);
  out.put("\r\n");
}

// One face line: the vertex and texture numbers of the corners in written
// order (texture 0: the corner has none).
struct FaceLine {
  std::array<int, 3> vertex;
  std::array<int, 3> texture;
};

// The face lines grouped by material number, each group in F's order: group
// m is lines[starts[m]] up to lines[starts[m + 1]]. Faces with a material
// outside the list are dropped. The numbers are looked up in one pass in
// F's order, where neighbouring faces mostly share neighbouring records.
struct FaceGroups {
  std::vector<FaceLine> lines;
  std::vector<std::size_t> starts;
};

FaceGroups faces_by_material(const ExportLists& lists, const ExportSettings& settings) {
  const std::vector<ModelFace*>& faces = lists.faces;
  const RecordNumbers material_numbers(lists.materials, 0);
  const RecordNumbers vertex_numbers(lists.points, 1);
  const RecordNumbers texture_numbers(lists.texture_coords, 1);
  FaceGroups groups;
  std::vector<int> material_of(faces.size());
  groups.starts.assign(lists.materials.size() + 1, 0);
  for (std::size_t i = 0; i < faces.size(); ++i) {
    material_of[i] = material_numbers.find(faces[i]->material, -1);
    if (material_of[i] >= 0) ++groups.starts[static_cast<std::size_t>(material_of[i]) + 1];
  }
  for (std::size_t m = 1; m < groups.starts.size(); ++m) groups.starts[m] += groups.starts[m - 1];
  groups.lines.resize(groups.starts.back());
  std::vector<std::size_t> next(groups.starts.begin(), groups.starts.end() - 1);
  std::array<std::size_t, 3> order{};
  for (int k = 0; k < 3; ++k) order[static_cast<std::size_t>(k)] = static_cast<std::size_t>(corner_order(k, settings));
  for (std::size_t i = 0; i < faces.size(); ++i) {
    if (i + kReadAhead < faces.size()) prefetch_references(faces[i + kReadAhead]);
    if (material_of[i] < 0) continue;
    FaceLine& line = groups.lines[next[static_cast<std::size_t>(material_of[i])]++];
    for (std::size_t k = 0; k < 3; ++k) {
      line.vertex[k] = vertex_numbers.find(faces[i]->corners[order[k]], 0);
      line.texture[k] = texture_numbers.find(faces[i]->texture_coords[order[k]], 0);
    }
  }
  return groups;
}

}  // namespace

void write_mtl(const ModelData& model, const ExportSettings& settings, TextOut& out) {
  out.put("# Material File\r\n\r\n");
  for (const Material* material : model.materials) {
    write_line(out, "newmtl ", shown(material->name));
    out.put("Ka 0.000000 0.000000 0.000000\r\n");
    const Colour colour = material->face_colour;
    write_triple(
        out, "Kd ",
        {colour_fraction(red_of(colour)), colour_fraction(green_of(colour)), colour_fraction(blue_of(colour))});
    out.put("Ks 0.000000 0.000000 0.000000\r\n");
    out.put("Ns 0.000000\r\n");
    if (settings.use_textures == 1 && material->texture_image)
      write_line(out, "map_Kd ", shown(material->texture_image->file_name));
    out.put("\r\n");
  }
}

void write_obj(ModelData& model, const ExportSettings& settings, TextOut& out) {
  const ExportLists lists = collect_export_lists(model, settings);

  write_line(out, "g ", settings.base_name);
  write_line(out, "mtllib ", settings.mtl_name.value_or(""));

  for (const ModelPoint* point : lists.points) write_triple(out, "v ", export_position(*point, settings));
  compute_normals(lists.faces, lists.points, settings);
  for (const ModelPoint* point : lists.points) write_triple(out, "vn ", point->normal);
  for (const TextureCoord* coord : lists.texture_coords) {
    char* p = write_text(out.room(kLineChars), "vt ");
    p = write_fixed6(p, coord->u);
    *p++ = ' ';
    p = write_fixed6(p, 1.0 - coord->v);
    out.commit(write_text(p, "\r\n"));
  }

  const FaceGroups groups = faces_by_material(lists, settings);
  for (std::size_t m = 0; m < lists.materials.size(); ++m) {
    write_line(out, "usemtl ", shown(lists.materials[m]->name));
    for (std::size_t i = groups.starts[m]; i < groups.starts[m + 1]; ++i) {
      const FaceLine& line = groups.lines[i];
      char* p = out.room(kLineChars);
      *p++ = 'f';
      for (std::size_t k = 0; k < 3; ++k) {
        *p++ = ' ';
        p = write_integer(p, line.vertex[k]);
        *p++ = '/';
        // OBJ numbers from 1: a corner without texture coordinate leaves the
        // field empty ("v//vn"), which every reader accepts, where 0 is invalid.
        if (line.texture[k] > 0) p = write_integer(p, line.texture[k]);
        *p++ = '/';
        p = write_integer(p, line.vertex[k]);
      }
      out.commit(write_text(p, "\r\n"));
    }
  }
}

std::string mtl_text(const ModelData& model, const ExportSettings& settings) {
  return text_of([&](TextOut& out) { write_mtl(model, settings, out); });
}

std::string obj_text(ModelData& model, const ExportSettings& settings) {
  return text_of([&](TextOut& out) { write_obj(model, settings, out); });
}

bool export_obj(Project& project, const std::string& path) {
  ExportSettings& settings = project.export_settings;
  copy_transform(settings, project.model.transform);
  settings.last_obj_path = path;
  split_export_path(path, project.directory, settings);
  const bool mtl_written = write_export_file(project, settings.export_base + ".mtl", [&](TextOut& out) {
                             write_mtl(project.model, settings, out);
                           }) == WriteResult::Ok;
  settings.mtl_name = settings.base_name + ".mtl";
  settings.obj_path = settings.export_base + ".obj";
  const bool obj_written = write_export_file(project, settings.obj_path, [&](TextOut& out) {
                             write_obj(project.model, settings, out);
                           }) == WriteResult::Ok;
  return mtl_written && obj_written;
}

}  // namespace plenvista
