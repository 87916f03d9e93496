#include <ostream>

#include "base/number_text.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/json_values.h"
#include "cli/residual_json.h"
#include "model/edit_actions.h"
#include "model/image_management.h"
#include "photogrammetry/camera_search.h"
#include "photogrammetry/image_search.h"
#include "photogrammetry/point_triangulation.h"
#include "photogrammetry/projection.h"
#include "photogrammetry/residuals.h"

namespace plenvista {

namespace {

void locate(CliIo& io, CliSession& session, ProjectImage& image) {
  ImageSearch search(image);
  int batches = 0;
  while (!search.run_batch()) {
    if (io.progress && ++batches % 20 == 0)
      io.err << "\rImage " << image.id
             << ": Score = " << format_fixed(search_score_for(search.shown_error(), image.reference_points.count()), 2)
             << "%   " << std::flush;
  }
  if (io.progress) io.err << "\rImage " << image.id << ": done" << std::string(24, ' ') << '\n';
  if (search.problem()) session.warning("Image " + std::to_string(image.id) + ": " + search.problem());
}

void report_json(CliIo& io, const std::vector<ProjectImage*>& located) {
  QJsonArray images;
  for (const ProjectImage* image : located) {
    QJsonArray points;
    const ImageResiduals residuals = image_residuals(*image);
    for (const ReferenceResidual& r : residuals.points) {
      QJsonObject point = reference_residual_json(r, *image);
      point.insert("error", normalised_error(r.point->projected_position, r.point->image_position, *image));
      points.append(point);
    }
    QJsonObject object{
        {"id", image->id},
        {"description", json_text(image->description)},
        {"score", image->search_score},
        {"reference_points", points},
        {"rms_px", residuals.points.empty() ? QJsonValue() : QJsonValue(residuals.rms)},
    };
    insert_pose_json(object, image->pose.offset, image->pose.rotation, true);
    images.append(object);
  }
  io.out << json_document({{"images", images}});
}

void report_text(CliIo& io, const std::vector<ProjectImage*>& located) {
  if (located.empty()) io.out << "No image has changed reference points to locate from\n";
  for (const ProjectImage* image : located) {
    io.out << "Image " << image->id << " \"" << shown(image->description) << "\": score "
           << format_fixed(image->search_score, 2) << "%, offset " << vec_text(image->pose.offset, 3) << ", centre "
           << vec_text(Vec3{} - image->pose.offset, 3) << ", rotation " << vec_text(image->pose.rotation, 3)
           << ", RMS residual " << format_fixed(image_residuals(*image).rms, 2) << " px\n  outliers:";
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
    locate(io, session, *image);
    located.push_back(image);
  } else {
    // As leaving calibration mode: every image whose reference points
    // changed and that has enough of them, in list order.
    while (ProjectImage* image = first_image_ready_for_search(project.images())) {
      locate(io, session, *image);
      located.push_back(image);
    }
  }
  if (!located.empty()) {
    record_search_results(project);
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
  const PointFit fit = point_fit(position, options.image_at, options.partner_at, *a, *b);
  if (fit.weak())
    session.warning("The rays of point " + std::to_string(point->id) + " are " + format_fixed(fit.ray_angle, 1) +
                    " degrees apart; its depth is poorly fixed");
  if (options.json) {
    io.out << json_document({{"id", point->id},
                             {"position", json_array(position)},
                             {"layer", json_text(point->layer->name)},
                             {"reprojection_px", QJsonArray{fit.error_a, fit.error_b}},
                             {"residuals", QJsonArray{json_array(fit.delta_a), json_array(fit.delta_b)}},
                             {"ray_angle", fit.ray_angle},
                             {"weak_rays", fit.weak()}});
  } else {
    io.out << "Added point " << point->id << " at " << vec_text(position, 3) << " in layer \""
           << shown(point->layer->name) << "\"\n"
           << point_fit_summary(point->id, fit) << "\n";
  }
  return kExitSuccess;
}

void declare_locate(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    LocateOptions options;
    int image = 0;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command = project_command(
      app, "locate", "Finds the camera position of every image whose reference points changed, or of one image.",
      parsed->options.project);
  CLI::Option* image = command->add_option("--image", parsed->image, "only this image");
  command->add_flag("--json", parsed->options.json, "one JSON document for scripts");
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_locate(io, p.options); },
      [image](Parsed& p) {
        if (image->count()) p.options.image = p.image;
      });
}

void declare_add_point(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    AddPointOptions options;
    std::vector<std::string> image, partner;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command =
      project_command(app, "add-point", "Adds a point clicked in two located photographs to the current layer.",
                      parsed->options.project);
  command->add_option("--image", parsed->image, "image id and photograph position in pixels (ID X Y)")
      ->required()
      ->expected(3)
      ->type_name("ID X Y");
  command->add_option("--partner", parsed->partner, "the second image and position (ID X Y)")
      ->required()
      ->expected(3)
      ->type_name("ID X Y");
  command->add_flag("--json", parsed->options.json, "one JSON document for scripts");
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_add_point(io, p.options); },
      [](Parsed& p) {
        check_image_and_position(p.image, "--image");
        check_image_and_position(p.partner, "--partner");
        p.options.image = image_id(p.image[0]);
        p.options.image_at = {*parse_whole_number(p.image[1]), *parse_whole_number(p.image[2])};
        p.options.partner = image_id(p.partner[0]);
        p.options.partner_at = {*parse_whole_number(p.partner[1]), *parse_whole_number(p.partner[2])};
      });
}

}  // namespace plenvista
