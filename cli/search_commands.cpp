#include <ostream>

#include "base/number_text.h"
#include "cli/commands.h"
#include "cli/json_values.h"
#include "model/edit_actions.h"
#include "model/image_management.h"
#include "photogrammetry/camera_search.h"
#include "photogrammetry/image_search.h"
#include "photogrammetry/point_triangulation.h"
#include "photogrammetry/projection.h"

namespace plenvista {

namespace {

void locate(CliIo& io, ProjectImage& image) {
  ImageSearch search(image);
  int batches = 0;
  while (!search.run_batch()) {
    if (io.progress && ++batches % 20 == 0)
      io.err << "\rImage " << image.id
             << ": Score = " << format_fixed(search_score_for(search.shown_error(), image.reference_points.count()), 2)
             << "%   " << std::flush;
  }
  if (io.progress) io.err << "\rImage " << image.id << ": done" << std::string(24, ' ') << '\n';
}

void report_json(CliIo& io, const std::vector<ProjectImage*>& located) {
  QJsonArray images;
  for (const ProjectImage* image : located) {
    QJsonArray points;
    for (const ReferencePoint* point : image->reference_points)
      points.append(QJsonObject{
          {"id", point->id},
          {"error", normalised_error(point->projected_position, point->image_position, *image)},
          {"outlier", point->outlier != 0},
      });
    images.append(QJsonObject{
        {"id", image->id},
        {"description", json_text(image->description)},
        {"score", image->search_score},
        {"position", json_array(image->pose.offset)},
        {"rotation", json_array(image->pose.rotation)},
        {"reference_points", points},
    });
  }
  io.out << json_document({{"images", images}});
}

void report_text(CliIo& io, const std::vector<ProjectImage*>& located) {
  if (located.empty()) io.out << "No image has changed reference points to locate from\n";
  for (const ProjectImage* image : located) {
    io.out << "Image " << image->id << " \"" << shown(image->description) << "\": score "
           << format_fixed(image->search_score, 2) << "%, position " << vec_text(image->pose.offset, 3) << ", rotation "
           << vec_text(image->pose.rotation, 3) << "\n  outliers:";
    bool any = false;
    for (const ReferencePoint* point : image->reference_points) {
      if (!point->outlier) continue;
      io.out << ' ' << point->id;
      any = true;
    }
    io.out << (any ? "\n" : " none\n");
  }
}

}  // namespace

int run_locate(CliIo& io, const LocateOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  Project& project = session.project();
  std::vector<ProjectImage*> located;
  if (options.image) {
    ProjectImage* image = find_image(session, *options.image);
    if (!image) return kExitFailure;
    if (image->reference_points.count() < 4) {
      session.error("Image " + std::to_string(image->id) + " has " + std::to_string(image->reference_points.count()) +
                    " reference points; at least 4 are needed");
      return kExitFailure;
    }
    locate(io, *image);
    located.push_back(image);
  } else {
    // As leaving calibration mode: every image whose reference points
    // changed and that has enough of them, in list order.
    while (ProjectImage* image = first_image_ready_for_search(project.images())) {
      locate(io, *image);
      located.push_back(image);
    }
  }
  if (!located.empty()) {
    project.changed = true;
    project.note_change();
    if (!session.save()) return kExitFailure;
  }
  if (options.json)
    report_json(io, located);
  else
    report_text(io, located);
  return kExitSuccess;
}

int run_add_point(CliIo& io, const AddPointOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  Project& project = session.project();
  ProjectImage* a = find_image(session, options.image);
  if (!a) return kExitFailure;
  ProjectImage* b = find_image(session, options.partner);
  if (!b) return kExitFailure;
  if (a == b) {
    session.error("A point needs two different images");
    return kExitFailure;
  }
  for (const ProjectImage* image : {a, b}) {
    if (!image->pose_known) {
      session.error("Image " + std::to_string(image->id) + " is not located");
      return kExitFailure;
    }
  }
  const Vec3 position = point_triangulation(options.image_at, options.partner_at, *a, *b);
  const ModelPoint* point = add_point(project, position.x, position.y, position.z);
  if (!point) return kExitFailure;
  project.note_change();
  if (!session.save()) return kExitFailure;
  if (options.json) {
    io.out << json_document(
        {{"id", point->id}, {"position", json_array(position)}, {"layer", json_text(point->layer->name)}});
  } else {
    io.out << "Added point " << point->id << " at " << vec_text(position, 3) << " in layer \""
           << shown(point->layer->name) << "\"\n";
  }
  return kExitSuccess;
}

}  // namespace plenvista
