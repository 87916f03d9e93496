#include "export/dxf_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <sstream>

#include "export/export_paths.h"
#include "export/export_test_model.h"
#include "export/normals.h"

namespace plenvista {
namespace {

using test_support::ExportFixture;
using test_support::read_with_assimp;

// What a second reader, the ezdxf Python library (Debian's python3-ezdxf,
// for Debian's own python3), finds in a DXF file: one
// line per layer ("LAYER name colour"), face ("FACE layer" and twelve
// numbers) and point ("POINT layer x y z").
constexpr const char* kReader = R"(import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
print("VERSION", doc.dxfversion)
for layer in doc.layers:
    print("LAYER", layer.dxf.name, layer.dxf.color)
for e in doc.modelspace():
    if e.dxftype() == "3DFACE":
        corners = [e.dxf.vtx0, e.dxf.vtx1, e.dxf.vtx2, e.dxf.vtx3]
        print("FACE", e.dxf.layer, " ".join(repr(c) for v in corners for c in v))
    elif e.dxftype() == "POINT":
        print("POINT", e.dxf.layer, " ".join(repr(c) for c in e.dxf.location))
)";

struct DxfRead {
  std::string version;
  std::map<std::string, int> layer_colours;
  std::vector<std::pair<std::string, std::array<double, 12>>> faces;
  std::vector<std::pair<std::string, std::array<double, 3>>> points;
};

bool has_ezdxf() { return std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") == 0; }

struct DxfExport : ExportFixture {
  DxfRead read_dxf(const std::string& path) {
    const std::string script = temp.write("read_dxf.py", kReader);
    const std::string listing = in_dir("dxf.txt");
    const std::string command = "/usr/bin/python3 '" + script + "' '" + path + "' > '" + listing + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    DxfRead out;
    std::istringstream lines(read_text(listing));
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string kind, name;
      words >> kind >> name;
      if (kind == "VERSION") {
        out.version = name;
      } else if (kind == "LAYER") {
        words >> out.layer_colours[name];
      } else if (kind == "FACE") {
        std::array<double, 12> v{};
        for (double& c : v) words >> c;
        out.faces.emplace_back(name, v);
      } else if (kind == "POINT") {
        std::array<double, 3> v{};
        for (double& c : v) words >> c;
        out.points.emplace_back(name, v);
      }
    }
    return out;
  }
};

TEST_F(DxfExport, EzdxfReadsTheFacesOfTheObjExportOnTheirLayersWithEveryOption) {
  if (!has_ezdxf()) GTEST_SKIP() << "python3-ezdxf is not installed (scripts/install-deps.sh)";
  Material stray;
  build_random_model(11, stray);
  for (int options = 0; options < 8; ++options) {
    SCOPED_TRACE(options);
    const ExportOptions chosen{1, options & 1, (options >> 1) & 1, (options >> 2) & 1};
    ASSERT_TRUE(export_from_dialog(project, ExportFormat::Obj, "model", chosen));
    ASSERT_TRUE(export_from_dialog(project, ExportFormat::Dxf, "model", chosen));
    const DxfRead dxf = read_dxf(in_dir("model.dxf"));
    EXPECT_EQ(dxf.version, "AC1009");
    EXPECT_EQ(dxf.layer_colours.count("Default_Layer"), 1u);
    EXPECT_EQ(dxf.layer_colours.at("Wall_2"), nearest_palette_colour(model.layers.at(1)->colour));

    // The same triangles as OBJ, fourth corner repeating the third.
    std::vector<std::array<double, 9>> got, want;
    for (const auto& [layer, v] : dxf.faces) {
      EXPECT_EQ(std::vector<double>(v.begin() + 6, v.begin() + 9), std::vector<double>(v.begin() + 9, v.end()));
      got.push_back({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]});
    }
    for (const auto& t : read_with_assimp(in_dir("model.obj")).triangles) {
      std::array<double, 9> flat{};
      for (std::size_t k = 0; k < 9; ++k) flat[k] = t.positions[k / 3][static_cast<unsigned>(k % 3)];
      want.push_back(flat);
    }
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
      for (std::size_t k = 0; k < 9; ++k) ASSERT_NEAR(got[i][k], want[i][k], 1e-4) << i;  // assimp reads floats

    const std::size_t points =
        static_cast<std::size_t>(model.points.count() + (chosen.use_mirror ? model.mirror_points.count() : 0));
    ASSERT_EQ(dxf.points.size(), points);
    // Each point on its layer, through the export transform.
    const ModelPoint& first = *model.points.first();
    const Vec3 at = export_position(first, settings);
    EXPECT_EQ(dxf.points[0].first, first.layer == model.layers.first() ? "Default_Layer" : "Wall_2");
    EXPECT_NEAR(dxf.points[0].second[0], at.x, 1e-6);
    EXPECT_NEAR(dxf.points[0].second[2], at.z, 1e-6);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DxfExport, AnEmptyModelIsAValidDrawingAndLayerNamesStayUnique) {
  add_layer(project, "Wall 2", make_colour(255, 0, 0));
  add_layer(project, "wall_2", make_colour(0, 0, 250));
  ASSERT_TRUE(export_from_dialog(project, ExportFormat::Dxf, "empty.DXF", {}));
  const std::vector<std::string> lines = lines_of(read_text(in_dir("empty.DXF")));
  EXPECT_EQ(lines.back(), "EOF");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "3DFACE"), 0);
  if (!has_ezdxf()) GTEST_SKIP() << "python3-ezdxf is not installed (scripts/install-deps.sh)";
  const DxfRead dxf = read_dxf(in_dir("empty.DXF"));
  EXPECT_EQ(dxf.layer_colours.at("Wall_2"), 1);    // red
  EXPECT_EQ(dxf.layer_colours.at("wall_2_2"), 5);  // blue
  EXPECT_TRUE(dxf.faces.empty());
  EXPECT_TRUE(dxf.points.empty());
}

}  // namespace
}  // namespace plenvista
