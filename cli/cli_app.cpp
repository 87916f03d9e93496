#include "cli/cli_app.h"

#include <ostream>

#include <CLI/CLI.hpp>

#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/find_ties_command.h"
#include "cli/marks_commands.h"
#include "cli/orient_command.h"
#include "platform/photograph_reader.h"

namespace plenvista {

namespace {

// Every subcommand, in the order the tool's help lists them.
// clang-format off
constexpr CommandDeclaration kCommands[] = {
    declare_info,
    declare_new,
    declare_add_image,
    declare_add_reference,
    declare_locate,
    declare_add_point,
    declare_add_face,
    declare_export,
    declare_texture,
    declare_dump,
    declare_report,
    declare_calibrate,
    declare_import_points,
    declare_import_gcp,
    declare_export_points,
    declare_export_gcp,
    declare_export_cameras,
    declare_snap,
    declare_grid_sheet,
    declare_measure,
    declare_import_marks,
    declare_export_marks,
    declare_make_points,
    declare_orient,
    declare_find_ties,
};
// clang-format on

}  // namespace

int run_cli(int argc, const char* const* argv, CliIo& io) {
  CLI::App app{"plenvista-cli: the photogrammetric modeller's operations on the command line, without a display.",
               "plenvista-cli"};
  app.require_subcommand(1, 1);
  install_photograph_readers();
  app.set_version_flag("--version", std::string("plenvista-cli ") + PLENVISTA_VERSION);
  CommandCall chosen;
  for (const CommandDeclaration declare : kCommands) declare(app, chosen);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    io.out << app.help();
    return kExitSuccess;
  } catch (const CLI::CallForVersion& e) {
    io.out << e.what() << '\n';
    return kExitSuccess;
  } catch (const CLI::CallForAllHelp&) {
    io.out << app.help("", CLI::AppFormatMode::All);
    return kExitSuccess;
  } catch (const CLI::ParseError& e) {
    io.err << "Error: " << e.what() << "\n\n" << app.help();
    return kExitUsage;
  }
  return chosen ? chosen(io) : kExitUsage;
}

}  // namespace plenvista
