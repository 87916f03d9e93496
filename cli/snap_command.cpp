
#include <memory>
#include <ostream>
#include <string>

#include "base/number_text.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/json_values.h"
#include "photogrammetry/mark_snap.h"
#include "platform/photograph_reader.h"

namespace plenvista {
namespace {

struct SnapOptions {
  std::string photograph;
  double x = 0.0;
  double y = 0.0;
  double radius = kSnapRadius;
  bool json = false;
};

int run_snap(CliIo& io, const SnapOptions& options) {
  std::string unreadable;
  const std::optional<RgbImage> pixels = read_photograph_pixels(options.photograph, &unreadable);
  if (!pixels) {
    io.err << "Error: " << unreadable << '\n';
    return kExitFailure;
  }
  if (!(options.x >= 0.0 && options.y >= 0.0 && options.x < pixels->width() && options.y < pixels->height())) {
    io.err << "Error: the position " << format_position(options.x, options.y) << " is outside the " << pixels->width()
           << " x " << pixels->height() << " photograph\n";
    return kExitFailure;
  }
  const SnapResult snap = snap_mark(*pixels, {options.x, options.y}, options.radius);
  if (options.json) {
    io.out << json_document({{"x", snap.position.x},
                             {"y", snap.position.y},
                             {"kind", snap_kind_name(snap.kind)},
                             {"moved_px", snap.moved_px},
                             {"confidence", snap.confidence}});
    return kExitSuccess;
  }
  io.out << "Position: " << format_fixed(snap.position.x, 3) << ' ' << format_fixed(snap.position.y, 3) << '\n'
         << "Kind: " << snap_kind_name(snap.kind) << '\n'
         << "Moved: " << format_fixed(snap.moved_px, 3) << " px\n"
         << "Confidence: " << format_fixed(snap.confidence, 2) << '\n';
  return kExitSuccess;
}

}  // namespace

void declare_snap(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<SnapOptions>();
  CLI::App* command =
      app.add_subcommand("snap", "Moves a rough position in a photograph onto the round target or corner under it.");
  command->add_option("PHOTOGRAPH", options->photograph, "the photograph")->required();
  command->add_option("X", options->x, "pixels from the photograph's left edge")->required();
  command->add_option("Y", options->y, "pixels from the photograph's top edge")->required();
  command->add_option("--radius", options->radius, "how far from X Y the feature may lie, photograph pixels")
      ->check(CLI::Range(1.0, 64.0));
  command->add_flag("--json", options->json, "one JSON document for scripts");
  run_when_chosen(command, chosen, options, run_snap);
}

}  // namespace plenvista
