// The export texts of random models, mirror lists and textures included,
// compared byte for byte with a plain formatting of what the file
// descriptions say: printf numbers, numbers found by scanning the lists.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <map>
#include <random>

#include "export/directx_export.h"
#include "export/export_lists.h"
#include "export/export_test_model.h"
#include "export/normals.h"
#include "export/obj_export.h"
#include "model/layers_materials.h"
#include "model/mirror.h"

namespace plenvista {
namespace {

std::string number(double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%0.06f", value);
  return buffer;
}

std::string numbers(const Vec3& v, const std::string& separator) {
  return number(v.x) + separator + number(v.y) + separator + number(v.z);
}

std::string colour_numbers(Colour c, const std::string& separator) {
  return numbers({colour_fraction(red_of(c)), colour_fraction(green_of(c)), colour_fraction(blue_of(c))}, separator);
}

// Position in the list, the last one when listed twice, or -1.
template <class T>
std::map<const T*, int> positions(const std::vector<T*>& list) {
  std::map<const T*, int> at;
  for (std::size_t i = 0; i < list.size(); ++i) at[list[i]] = static_cast<int>(i);
  return at;
}
template <class T>
int position(const std::map<const T*, int>& at, const T* record) {
  const auto found = at.find(record);
  return found == at.end() ? -1 : found->second;
}

std::string reference_mtl(const ModelData& model, const ExportSettings& s) {
  std::string out = "# Material File\r\n\r\n";
  for (const Material* m : model.materials) {
    out += "newmtl " + m->name.value_or("") + "\r\nKa 0.000000 0.000000 0.000000\r\nKd " +
           colour_numbers(m->face_colour, " ") + "\r\nKs 0.000000 0.000000 0.000000\r\nNs 0.000000\r\n";
    if (s.use_textures == 1 && m->texture_image) out += "map_Kd " + m->texture_image->file_name.value_or("") + "\r\n";
    out += "\r\n";
  }
  return out;
}

// Expects the normals of the export just made in the points.
std::string reference_obj(const ModelData& model, const ExportSettings& s) {
  const ExportLists lists = collect_export_lists(model, s);
  const auto point_at = positions(lists.points);
  const auto coord_at = positions(lists.texture_coords);
  std::string out = "g " + s.base_name + "\r\nmtllib " + s.mtl_name.value_or("") + "\r\n";
  for (const ModelPoint* p : lists.points) out += "v " + numbers(export_position(*p, s), " ") + "\r\n";
  for (const ModelPoint* p : lists.points) out += "vn " + numbers(p->normal, " ") + "\r\n";
  for (const TextureCoord* t : lists.texture_coords) out += "vt " + number(t->u) + " " + number(1.0 - t->v) + "\r\n";
  for (const Material* m : lists.materials) {
    out += "usemtl " + m->name.value_or("") + "\r\n";
    for (const ModelFace* f : lists.faces) {
      if (f->material != m) continue;
      out += "f";
      for (int k = 0; k < 3; ++k) {
        const auto corner = static_cast<std::size_t>(corner_order(k, s));
        const std::string v = std::to_string(position(point_at, f->corners[corner]) + 1);
        const int t = position(coord_at, f->texture_coords[corner]) + 1;
        out += " " + v + "/" + (t > 0 ? std::to_string(t) : "") + "/" + v;
      }
      out += "\r\n";
    }
  }
  return out;
}

// Equal texts, or a failure showing the first line that differs.
::testing::AssertionResult same_text(const std::string& written, const std::string& expected) {
  if (written == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < written.size() && at < expected.size() && written[at] == expected[at]) ++at;
  const std::size_t line_start = written.rfind('\n', at) == std::string::npos ? 0 : written.rfind('\n', at) + 1;
  const auto line = [&](const std::string& text) { return text.substr(line_start, text.find('\n', at) - line_start); };
  return ::testing::AssertionFailure() << "first difference at byte " << at << " of " << written.size() << " / "
                                       << expected.size() << "\n written:  " << line(written)
                                       << "\n expected: " << line(expected);
}

template <class Item>
std::string reference_items(const std::string& indent, const std::vector<Item>& items,
                            const std::function<std::string(const Item&)>& text) {
  std::string out = indent + std::to_string(items.size()) + ";\r\n";
  for (std::size_t i = 0; i < items.size(); ++i)
    out += indent + text(items[i]) + (i + 1 == items.size() ? ";" : ",") + "\r\n";
  return out;
}

// Expects the normals of the export just made in the points.
std::string reference_directx(const ModelData& model, const ExportSettings& s, const std::string& templates) {
  const ExportLists lists = collect_export_lists(model, s);
  const bool textured = s.use_textures == 1;
  // A model without texture coordinates has its vertices per point.
  const bool per_coordinate = textured && !lists.texture_coords.empty();
  std::vector<const ModelPoint*> vertices;
  if (per_coordinate)
    for (const TextureCoord* t : lists.texture_coords) vertices.push_back(t->point);
  else
    vertices.assign(lists.points.begin(), lists.points.end());
  const auto point_at = positions(lists.points);
  const auto coord_at = positions(lists.texture_coords);
  const auto material_at = positions(lists.materials);

  std::string out = "xof 0303txt 0032\r\n" + templates + "Mesh {\r\n";
  const auto mesh = [&](const std::string& indent, bool normals) {
    out += reference_items<const ModelPoint*>(indent, vertices, [&](const ModelPoint* p) {
      if (normals) return numbers(p ? p->normal : Vec3{}, ";") + ";";
      return numbers(export_position(p ? *p : ModelPoint{}, s), ";") + ";";
    });
    out += reference_items<const ModelFace*>(indent, {lists.faces.begin(), lists.faces.end()}, [&](const ModelFace* f) {
      std::string text = "3;";
      for (int k = 0; k < 3; ++k) {
        const auto corner = static_cast<std::size_t>(corner_order(k, s));
        const int n =
            per_coordinate ? position(coord_at, f->texture_coords[corner]) : position(point_at, f->corners[corner]);
        text += std::to_string(std::max(n, 0)) + (k < 2 ? "," : ";");
      }
      return text;
    });
  };
  mesh(" ", false);
  if (s.write_normals == 1) {
    out += " MeshNormals {\r\n";
    mesh("  ", true);
    out += " }\r\n";
  }
  if (per_coordinate) {
    out += " MeshTextureCoords {\r\n";
    out += reference_items<const TextureCoord*>(
        "  ", {lists.texture_coords.begin(), lists.texture_coords.end()},
        [](const TextureCoord* t) { return number(t->u) + ";" + number(t->v) + ";"; });
    out += " }\r\n";
  }
  out += " MeshMaterialList {\r\n  " + std::to_string(lists.materials.size()) + ";\r\n";
  out += reference_items<const ModelFace*>("  ", {lists.faces.begin(), lists.faces.end()}, [&](const ModelFace* f) {
    return std::to_string(std::max(position(material_at, f->material), 0));
  });
  for (const Material* m : lists.materials) {
    out += "  Material {\r\n   " + colour_numbers(m->face_colour, "; ") + "; 1.000000;;\r\n   0.000000;\r\n   " +
           colour_numbers(m->specular_colour, "; ") + ";;\r\n   " + colour_numbers(m->emissive_colour, "; ") + ";;\r\n";
    if (textured && m->texture_image)
      out += "   TextureFilename {\r\n    \"" + m->texture_image->file_name.value_or("") + "\";\r\n   }\r\n";
    out += "  }\r\n";
  }
  return out + " }\r\n}\r\n";
}

struct RandomModel : test_support::ExportFixture {
  std::mt19937 random{2024};
  std::vector<std::unique_ptr<TextureCoord>> strays;  // referenced by faces, in no list
  Material stray_material;
  std::vector<ProjectImage> photos = std::vector<ProjectImage>(4);

  int pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); }
  double coordinate() {
    switch (pick(4)) {
      case 0:
        return pick(2001) / 128.0 - 7.8125;  // exact ties in the sixth decimal
      case 1:
        return (pick(2000001) - 1000000 + 0.5) / 1e6;  // near ties
      case 2:
        return std::uniform_real_distribution<double>(-1e7, 1e7)(random);
      default:
        return std::uniform_real_distribution<double>(-20, 20)(random);
    }
  }
  // Ids spread widely when asked, so that both ways of numbering are used.
  void spread_ids(bool wide) {
    if (wide) model.next_id += pick(5000);
  }

  void build(bool wide_ids) {
    model.transform.origin_offset = {coordinate(), coordinate(), coordinate()};
    model.transform.scale = 0.5 + pick(100) / 64.0;
    model.transform.mirror_plane = MirrorPlane::X;
    model.transform.mirror_buffer = 1.0;
    std::vector<Material*> materials{model.materials.first()};
    for (int m = 1; m < 5; ++m) materials.push_back(add_material(project, "Material " + std::to_string(m)));
    for (std::size_t m = 0; m < materials.size(); ++m) {
      materials[m]->face_colour =
          make_colour(static_cast<std::uint8_t>(pick(256)), static_cast<std::uint8_t>(pick(256)),
                      static_cast<std::uint8_t>(pick(256)));
      materials[m]->specular_colour = make_colour(static_cast<std::uint8_t>(pick(256)), 0, 255);
      materials[m]->emissive_colour = make_colour(0, static_cast<std::uint8_t>(pick(256)), 1);
      if (m < photos.size() && pick(2)) {
        photos[m].file_name = "photo " + std::to_string(m) + ".bmp";
        materials[m]->texture_image = &photos[m];
      }
    }
    std::vector<ModelPoint*> points;
    std::vector<TextureCoord*> coords;
    for (int i = 0; i < 300; ++i) {
      spread_ids(wide_ids);
      points.push_back(add_point(coordinate(), coordinate(), coordinate()));
      for (int k = pick(3); k > 0; --k) {
        spread_ids(wide_ids);
        coords.push_back(add_coord(pick(8) ? points.back() : nullptr, coordinate(), coordinate()));
      }
    }
    for (int i = 0; i < 500; ++i) {
      spread_ids(wide_ids);
      const auto corner = [&] { return points[static_cast<std::size_t>(pick(static_cast<int>(points.size())))]; };
      ModelFace* f = add_face(corner(), corner(), corner(), materials[static_cast<std::size_t>(pick(5))]);
      for (auto& t : f->texture_coords)
        if (pick(6)) t = coords[static_cast<std::size_t>(pick(static_cast<int>(coords.size())))];
    }
    rebuild_mirror_lists(model);
    for (ModelFace* f : model.faces) {
      if (pick(20) == 0) f->material = &stray_material;
      if (pick(20) == 0) {
        strays.push_back(std::make_unique<TextureCoord>(*coords.front()));
        f->texture_coords[1] = strays.back().get();
      }
    }
    settings.base_name = "random";
    settings.mtl_name = "random.mtl";
  }

  // The faces of an export, without those OBJ leaves out: it writes faces
  // per model material, so a face of a material not in the model is lost.
  std::size_t faces_written(const ExportSettings& s, bool obj) const {
    std::size_t count = 0;
    for (const ExportLists lists = collect_export_lists(model, s); const ModelFace* f : lists.faces)
      count += !obj || f->material != &stray_material;
    return count;
  }

  void drop_texture_coordinates() {
    for (ModelFace* f : model.faces) f->texture_coords = {};
    for (ModelFace* f : model.mirror_faces) f->texture_coords = {};
    model.texture_coords.clear();
    rebuild_mirror_lists(model);
  }

  // Every combination of the export options, each text compared in full and
  // read by an independent reader.
  void expect_every_setting_matches(bool wide_ids, bool without_coordinates = false) {
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    build(wide_ids);
    if (without_coordinates) drop_texture_coordinates();
    ASSERT_GT(model.mirror_points.count(), 10);
    ASSERT_GT(model.mirror_faces.count(), 10);
    std::string templates;
    for (int options = 0; options < 64; ++options) {
      settings.use_textures = options & 1;
      settings.use_mirror = (options >> 1) & 1;
      settings.reverse_z = (options >> 2) & 1;
      settings.use_scaling = (options >> 3) & 1;
      settings.write_normals = (options >> 4) & 1;
      settings.write_templates = (options >> 5) & 1;
      copy_transform(settings, model.transform);
      SCOPED_TRACE("options " + std::to_string(options));
      EXPECT_TRUE(same_text(mtl_text(model, settings), reference_mtl(model, settings)));
      const std::string obj = obj_text(model, settings);  // before the reference reads its normals
      EXPECT_TRUE(same_text(obj, reference_obj(model, settings)));
      const std::string x = directx_text(model, settings);
      if (options == 32) templates = x.substr(18, x.find("\r\nMesh {\r\n") + 2 - 18);
      EXPECT_TRUE(same_text(x, reference_directx(model, settings, settings.write_templates == 1 ? templates : "")));
      ASSERT_EQ(write_file_atomically(in_dir("random.obj"), obj), WriteResult::Ok);
      ASSERT_EQ(write_file_atomically(in_dir("random.x"), x), WriteResult::Ok);
      EXPECT_EQ(test_support::read_with_assimp(in_dir("random.obj")).triangles.size(), faces_written(settings, true));
      EXPECT_EQ(test_support::read_with_assimp(in_dir("random.x")).triangles.size(), faces_written(settings, false));
    }
    EXPECT_TRUE(templates.starts_with("\r\ntemplate Vector {"));
  }
};
using ExportTexts = RandomModel;

TEST_F(ExportTexts, MatchAPlainFormattingOfRandomModelsUnderEverySetting) { expect_every_setting_matches(false); }

TEST_F(ExportTexts, MatchAPlainFormattingWhenIdsAreWidelySpread) { expect_every_setting_matches(true); }

TEST_F(ExportTexts, MatchAPlainFormattingOfModelsWithoutTextureCoordinates) {
  expect_every_setting_matches(false, true);
}

}  // namespace
}  // namespace plenvista
