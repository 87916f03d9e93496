#include <memory>
#include <ostream>

#include "cli/cli_command.h"
#include "cli/commands.h"
#include "photogrammetry/grid_sheet.h"
#include "platform/grid_sheet_writer.h"

namespace plenvista {

namespace {

struct GridSheetOptions {
  GridSheetRequest request;
  std::vector<double> cell;
  std::string paper = "A4";
  std::string output;
};

int run_grid_sheet(CliIo& io, GridSheetOptions& options) {
  StreamMessages messages(io.err);
  GridSheetRequest& request = options.request;
  request.cell_width_mm = options.cell[0];
  request.cell_height_mm = options.cell.size() > 1 ? options.cell[1] : options.cell[0];
  request.paper = paper_by_name(options.paper).value_or(Paper::A4);
  const GridSheetLayout layout = lay_out_grid_sheet(request);
  if (!layout.sheet) {
    messages.show(layout.error, "Error");
    return kExitFailure;
  }
  std::string error;
  if (!write_grid_sheet(*layout.sheet, options.output, error)) {
    messages.show(error, "Error");
    return kExitFailure;
  }
  io.out << "Wrote " << options.output << ": " << grid_sheet_caption(request) << " on " << paper_name(request.paper)
         << (request.landscape ? " landscape" : " portrait") << "; print it at actual size, without scaling\n";
  return kExitSuccess;
}

}  // namespace

void declare_grid_sheet(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<GridSheetOptions>();
  CLI::App* command = app.add_subcommand(
      "grid-sheet",
      "Writes the ruled calibration grid with its central cross at exact scale, as PDF or SVG (from the "
      "output's ending), to print and photograph for the Camera Editor or calibrate.");
  command->add_option("--rows", options->request.rows, "grid rows")->required()->check(CLI::Range(1, 30));
  command->add_option("--columns", options->request.columns, "grid columns")->required()->check(CLI::Range(1, 30));
  command->add_option("--cell", options->cell, "cell width and height in mm (one number: square cells)")
      ->required()
      ->expected(1, 2)
      ->type_name("MM")
      ->check(CLI::PositiveNumber);
  command->add_option("--paper", options->paper, "A4 (default), A3, A2, Letter or Tabloid")
      ->transform(CLI::IsMember({"A4", "A3", "A2", "Letter", "Tabloid"}, CLI::ignore_case));
  command->add_flag("--landscape", options->request.landscape, "the paper turned on its side");
  command->add_option("--output", options->output, "the file to write: .pdf or .svg")->required();
  run_when_chosen(command, chosen, options, run_grid_sheet);
}

}  // namespace plenvista
