#include <QBuffer>
#include <QByteArray>
#include <filesystem>
#include <ostream>

#include "base/file_io.h"
#include "base/number_text.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/json_values.h"
#include "cli/residual_json.h"
#include "cli/residual_plot.h"
#include "photogrammetry/residuals.h"
#include "platform/photograph_reader.h"

namespace plenvista {

namespace {

std::string right_aligned(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// The table of one photograph, the largest residual first.
void report_text(std::ostream& out, const ProjectImage& image) {
  out << "Image " << image.id << " \"" << shown(image.description) << "\": ";
  if (!image.pose_known) {
    out << "not located, " << image.reference_points.count() << " reference points\n";
    return;
  }
  const ImageResiduals residuals = image_residuals(image);
  out << "score " << format_fixed(image.search_score, 2) << "%, RMS residual " << format_fixed(residuals.rms, 2)
      << " px, " << residuals.points.size() << " reference points\n";
  if (residuals.points.empty()) return;
  out << "        Id           X           Y           Z        dx        dy  Residual  Outlier\n";
  for (const std::size_t k : largest_first(residuals)) {
    const ReferenceResidual& r = residuals.points[k];
    const Vec3& w = r.point->world_position;
    out << right_aligned(std::to_string(r.point->id), 10) << right_aligned(format_fixed(w.x, 3), 12)
        << right_aligned(format_fixed(w.y, 3), 12) << right_aligned(format_fixed(w.z, 3), 12)
        << right_aligned(format_fixed(r.delta.x, 2), 10) << right_aligned(format_fixed(r.delta.y, 2), 10)
        << right_aligned(format_fixed(r.length, 2), 10) << (r.outlier ? "  yes" : "") << '\n';
  }
}

bool write_plot(CliSession& session, const ProjectImage& image, const std::filesystem::path& directory, double scale) {
  QImage photograph;
  std::string problem = "the photograph was not found";
  if (image.resolved_path) photograph = read_photograph_image(*image.resolved_path, &problem);
  if (photograph.isNull())
    session.warning("Image " + std::to_string(image.id) + ": " + problem + "; its residuals are drawn on grey");
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!residual_plot(image, photograph, scale).save(&buffer, "PNG")) {
    session.error("Cannot draw the residuals of image " + std::to_string(image.id));
    return false;
  }
  const std::string path = (directory / ("image-" + std::to_string(image.id) + ".png")).string();
  if (write_file_atomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))) !=
      WriteResult::Ok) {
    session.error("Cannot write " + path);
    return false;
  }
  return true;
}

}  // namespace

int run_report(CliIo& io, const ReportOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  const auto& images = session.project().images().images;
  if (options.plot_directory) {
    std::error_code error;
    std::filesystem::create_directories(*options.plot_directory, error);
    for (const ProjectImage* image : images)
      if (image->pose_known && !write_plot(session, *image, *options.plot_directory, options.scale))
        return kExitFailure;
  }
  if (options.json) {
    QJsonArray list;
    for (const ProjectImage* image : images) {
      QJsonObject object{{"id", image->id},
                         {"description", json_text(image->description)},
                         {"located", image->pose_known != 0},
                         {"score", image->search_score}};
      add_residuals_json(object, *image);
      list.append(object);
    }
    io.out << json_document({{"images", list}});
  } else {
    if (images.count() == 0) io.out << "The project has no images\n";
    for (const ProjectImage* image : images) report_text(io.out, *image);
  }
  return kExitSuccess;
}

void declare_report(CLI::App& app, CommandCall& chosen) {
  struct Parsed {
    ReportOptions options;
    std::string plot;
  };
  auto parsed = std::make_shared<Parsed>();
  CLI::App* command =
      project_command(app, "report", "Shows the residuals of every photograph's reference points, largest first.",
                      parsed->options.project);
  command->add_flag("--json", parsed->options.json, "one JSON document for scripts");
  CLI::Option* plot =
      command->add_option("--plot", parsed->plot, "writes a picture of the residuals of each located photograph here");
  command
      ->add_option("--scale", parsed->options.scale, "residual lines drawn this many times their length (default 10)")
      ->check(CLI::PositiveNumber);
  run_when_chosen(
      command, chosen, parsed, [](CliIo& io, const Parsed& p) { return run_report(io, p.options); },
      [plot](Parsed& p) {
        if (plot->count()) p.options.plot_directory = p.plot;
      });
}

}  // namespace plenvista
