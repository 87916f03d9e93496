#include "persistence/diagnostic_dump.h"

#include "model/number_text.h"
#include "persistence/file_io.h"
#include "photogrammetry/projection.h"

namespace plenvista {

namespace {

void fixed(std::string& out, double value, int decimals) { append_fixed(out, value, decimals); }

}  // namespace

std::string diagnostic_dump_text(const Project& project) {
  const ImageSet& set = project.images();
  std::string out = "\r\nImages : " + std::to_string(set.images.count()) + "\r\n";
  for (const ProjectImage* image : set.images) {
    const CameraPose& pose = image->pose;
    out += "Image : " + image->description + ", Offset:(";
    fixed(out, pose.offset.x, 3);
    out += ',';
    fixed(out, pose.offset.y, 3);
    out += ',';
    fixed(out, pose.offset.z, 3);
    out += ") Rotation:(";
    fixed(out, pose.rotation.x, 3);
    out += ',';
    fixed(out, pose.rotation.y, 3);
    out += ',';
    fixed(out, pose.rotation.z, 3);
    out += ")\r\n";
    int number = 0;
    for (const ReferencePoint* ref : image->reference_points) {
      const Point2 projected = project_to_image(ref->world_position, *image, false, false);
      const double error = normalised_error(projected, ref->image_position, *image);
      out += "  " + std::to_string(number++) + ": (";
      fixed(out, ref->image_position.x, 2);
      out += ',';
      fixed(out, ref->image_position.y, 2);
      out += ") (";
      fixed(out, ref->projected_position.x, 2);
      out += ',';
      fixed(out, ref->projected_position.y, 2);
      out += ") (";
      fixed(out, ref->world_position.x, 2);
      out += ',';
      fixed(out, ref->world_position.y, 2);
      out += ',';
      fixed(out, ref->world_position.z, 2);
      out += ") [";
      fixed(out, error, 2);
      out += "] \r\n";
    }
    out += "\r\n";
  }
  return out;
}

int write_diagnostic_dump(Project& project, const std::string& path) {
  if (write_file_atomically(path, diagnostic_dump_text(project)) != WriteResult::Ok) {
    project.messages.show("Cannot Open PlenDebug File", "Error");
    return 0;
  }
  return 1;
}

}  // namespace plenvista
