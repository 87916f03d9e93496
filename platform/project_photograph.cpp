#include "platform/project_photograph.h"

#include "platform/photograph_reader.h"

namespace plenvista {

std::optional<RgbImage> read_project_photograph(const ProjectImage& image, std::string& error) {
  if (!image.resolved_path) {
    error = "Image " + std::to_string(image.id) + " (" + std::string(shown(image.file_name)) + ") was not found";
    return std::nullopt;
  }
  return read_photograph_pixels(*image.resolved_path, &error);
}

}  // namespace plenvista
