#include "photogrammetry/texture_mapping.h"

#include <unordered_map>

#include "photogrammetry/bitmap_size.h"
#include "photogrammetry/projection.h"

namespace plenvista {

bool assign_texture(Project& project, ProjectImage& image, Material& material, TextureSink& sink) {
  matches_native_size(project, image);
  if (image.pixel_width <= 0 || image.pixel_height <= 0) {
    project.messages.show("The size of the photograph " + std::string(shown(image.file_name)) +
                              " cannot be read: the material " + std::string(shown(material.name)) +
                              " gets no texture coordinates.",
                          "Warning");
    return false;
  }
  const PreparedPose pose(image);
  std::unordered_map<const ModelPoint*, TextureCoord*> made;
  for (ModelFace* face : sink.model().faces) {
    if (face->material != &material) continue;
    std::array<TextureCoord*, 3> coords{};
    for (std::size_t k = 0; k < 3; ++k) {
      ModelPoint& point = *face->corners[k];
      TextureCoord*& coord = made[&point];
      if (!coord) {
        const Point2 p = pose.project(point.position(), true);
        coord = sink.create(point, p.x / image.pixel_width, p.y / image.pixel_height);
      }
      coords[k] = coord;
    }
    sink.attach(*face, coords);
  }
  return true;
}

void apply_textures(Project& project, const std::vector<Material*>& chosen) {
  apply_texture(project, chosen, [&project](Material& material, ProjectImage& image, TextureSink& sink) {
    assign_texture(project, image, material, sink);
  });
}

}  // namespace plenvista
