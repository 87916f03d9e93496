#include "export/dxf_export.h"

#include <array>
#include <set>
#include <unordered_map>

#include "base/text.h"
#include "export/export_file.h"
#include "export/export_lists.h"
#include "export/export_paths.h"
#include "export/normals.h"

namespace plenvista {

namespace {

struct PaletteEntry {
  int index;
  std::uint8_t r, g, b;
};

// The primary colours and the greys of the standard drawing palette.
constexpr std::array<PaletteEntry, 15> kPalette{{{1, 255, 0, 0},
                                                 {2, 255, 255, 0},
                                                 {3, 0, 255, 0},
                                                 {4, 0, 255, 255},
                                                 {5, 0, 0, 255},
                                                 {6, 255, 0, 255},
                                                 {7, 255, 255, 255},
                                                 {8, 128, 128, 128},
                                                 {9, 192, 192, 192},
                                                 {250, 51, 51, 51},
                                                 {251, 91, 91, 91},
                                                 {252, 132, 132, 132},
                                                 {253, 173, 173, 173},
                                                 {254, 214, 214, 214},
                                                 {255, 255, 255, 255}}};

bool allowed_in_layer_name(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '$' || c == '-' || c == '_';
}

// DXF layer names for the model's layers, unique without letter case.
std::unordered_map<const Layer*, std::string> layer_names(const ModelData& model) {
  std::unordered_map<const Layer*, std::string> names;
  std::set<std::string> taken{"0"};
  for (const Layer* layer : model.layers) {
    std::string name(shown(layer->name));
    for (char& c : name)
      if (!allowed_in_layer_name(c)) c = '_';
    if (name.empty()) name.push_back('_');
    std::string unique = name;
    const auto key = [](std::string text) {
      for (char& c : text) c = ascii_lower(c);
      return text;
    };
    for (int n = 2; taken.contains(key(unique)); ++n) {
      unique = name;
      unique.append(1, '_').append(std::to_string(n));
    }
    taken.insert(key(unique));
    names[layer] = unique;
  }
  return names;
}

class DxfWriter {
 public:
  explicit DxfWriter(TextOut& out) : out_(out) {}

  void group(int code, std::string_view value) {
    char* p = out_.room(16);
    p = write_code(p, code);
    out_.commit(p);
    out_.put(value);
    out_.put("\r\n");
  }
  void group(int code, long long value) {
    char* p = out_.room(16 + kIntegerMaxChars);
    p = write_code(p, code);
    p = write_integer(p, value);
    p = write_text(p, "\r\n");
    out_.commit(p);
  }
  void coordinate(int code, double value) {
    char* p = out_.room(16 + kFixed6MaxChars);
    p = write_code(p, code);
    p = write_fixed6(p, value);
    p = write_text(p, "\r\n");
    out_.commit(p);
  }
  // Point number `n` (0 first) of an entity: group codes 10 + n, 20 + n, 30 + n.
  void position(int n, const Vec3& v) {
    coordinate(10 + n, v.x);
    coordinate(20 + n, v.y);
    coordinate(30 + n, v.z);
  }

 private:
  // The group code right-aligned in three characters, then its line end.
  static char* write_code(char* p, int code) {
    if (code < 100) *p++ = ' ';
    if (code < 10) *p++ = ' ';
    p = write_integer(p, code);
    return write_text(p, "\r\n");
  }

  TextOut& out_;
};

}  // namespace

int nearest_palette_colour(Colour colour) {
  const int r = red_of(colour), g = green_of(colour), b = blue_of(colour);
  int best = 7;
  long best_distance = -1;
  for (const PaletteEntry& e : kPalette) {
    const long d = (r - e.r) * (r - e.r) + (g - e.g) * (g - e.g) + (b - e.b) * (b - e.b);
    if (best_distance < 0 || d < best_distance) {
      best = e.index;
      best_distance = d;
    }
  }
  return best;
}

void write_dxf(const ModelData& model, const ExportSettings& settings, TextOut& out) {
  DxfWriter dxf(out);
  const ExportLists lists = collect_export_lists(model, settings);
  const auto names = layer_names(model);
  const auto layer_of = [&](const ModelPoint* p) -> std::string_view {
    const auto found = p && p->layer ? names.find(p->layer) : names.end();
    return found != names.end() ? std::string_view(found->second) : std::string_view("0");
  };

  dxf.group(0, "SECTION");
  dxf.group(2, "HEADER");
  dxf.group(9, "$ACADVER");
  dxf.group(1, "AC1009");
  dxf.group(0, "ENDSEC");

  dxf.group(0, "SECTION");
  dxf.group(2, "TABLES");
  dxf.group(0, "TABLE");
  dxf.group(2, "LTYPE");
  dxf.group(70, 1);
  dxf.group(0, "LTYPE");
  dxf.group(2, "CONTINUOUS");
  dxf.group(70, 0);
  dxf.group(3, "Solid line");
  dxf.group(72, 65);
  dxf.group(73, 0);
  dxf.coordinate(40, 0.0);
  dxf.group(0, "ENDTAB");
  dxf.group(0, "TABLE");
  dxf.group(2, "LAYER");
  dxf.group(70, model.layers.count());
  for (const Layer* layer : model.layers) {
    dxf.group(0, "LAYER");
    dxf.group(2, names.at(layer));
    dxf.group(70, 0);
    dxf.group(62, nearest_palette_colour(layer->colour));
    dxf.group(6, "CONTINUOUS");
  }
  dxf.group(0, "ENDTAB");
  dxf.group(0, "ENDSEC");

  dxf.group(0, "SECTION");
  dxf.group(2, "ENTITIES");
  const std::set<const Material*> materials(lists.materials.begin(), lists.materials.end());
  for (const ModelFace* face : lists.faces) {
    if (!materials.contains(face->material)) continue;
    if (!face->corners[0] || !face->corners[1] || !face->corners[2]) continue;
    dxf.group(0, "3DFACE");
    dxf.group(8, layer_of(face->corners[0]));
    for (int k = 0; k < 4; ++k) {
      const ModelPoint* corner = face->corners[static_cast<std::size_t>(corner_order(k < 3 ? k : 2, settings))];
      dxf.position(k, export_position(*corner, settings));
    }
  }
  for (const ModelPoint* point : lists.points) {
    dxf.group(0, "POINT");
    dxf.group(8, layer_of(point));
    dxf.position(0, export_position(*point, settings));
  }
  dxf.group(0, "ENDSEC");
  dxf.group(0, "EOF");
}

std::string dxf_text(const ModelData& model, const ExportSettings& settings) {
  std::string text;
  TextOut out([&text](std::string_view chunk) {
    text += chunk;
    return true;
  });
  write_dxf(model, settings, out);
  out.finish();
  return text;
}

std::string dxf_path(const std::string& typed) {
  if (ends_with_ignoring_case(typed, ".dxf")) return typed;
  return typed + ".dxf";
}

bool export_dxf(Project& project, const std::string& path) {
  ExportSettings& settings = project.export_settings;
  copy_transform(settings, project.model.transform);
  split_export_path(path, project.directory, settings);
  return write_export_file(project, settings.export_base,
                           [&](TextOut& out) { write_dxf(project.model, settings, out); }) == WriteResult::Ok;
}

}  // namespace plenvista
