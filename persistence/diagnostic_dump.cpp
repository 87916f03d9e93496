#include "persistence/diagnostic_dump.h"

#include <initializer_list>

#include "base/file_io.h"
#include "base/number_text.h"
#include "base/text.h"
#include "photogrammetry/projection.h"

namespace plenvista {

namespace {

// "(a,b,c)" with every number to `decimals` places.
void tuple(std::string& out, std::initializer_list<double> values, int decimals) {
  out += '(';
  const char* separator = "";
  for (double v : values) {
    out += separator;
    append_fixed(out, v, decimals);
    separator = ",";
  }
  out += ')';
}

}  // namespace

std::string diagnostic_dump_text(const Project& project) {
  const ImageSet& set = project.images();
  std::string out = "\r\nImages : " + std::to_string(set.images.count()) + "\r\n";
  for (const ProjectImage* image : set.images) {
    const CameraPose& pose = image->pose;
    out += "Image : ";
    out += shown(image->description);
    out += ", Offset:";
    tuple(out, {pose.offset.x, pose.offset.y, pose.offset.z}, 3);
    out += " Rotation:";
    tuple(out, {pose.rotation.x, pose.rotation.y, pose.rotation.z}, 3);
    out += "\r\n";
    int number = 0;
    for (const ReferencePoint* ref : image->reference_points) {
      const Point2 projected = project_to_image(ref->world_position, *image, false);
      const double error = normalised_error(projected, ref->image_position, *image);
      out += "  " + std::to_string(number++) + ": ";
      tuple(out, {ref->image_position.x, ref->image_position.y}, 2);
      out += ' ';
      tuple(out, {ref->projected_position.x, ref->projected_position.y}, 2);
      out += ' ';
      tuple(out, {ref->world_position.x, ref->world_position.y, ref->world_position.z}, 2);
      out += " [";
      append_fixed(out, error, 2);
      out += "] \r\n";
    }
    out += "\r\n";
  }
  return out;
}

bool write_diagnostic_dump(Project& project, const std::string& path) {
  if (write_file_atomically(path, diagnostic_dump_text(project)) != WriteResult::Ok) {
    project.messages.show("Cannot Open PlenDebug File", "Error");
    return false;
  }
  return true;
}

}  // namespace plenvista
