#pragma once

// How a subcommand of plenvista-cli joins the tool. Each command file
// defines a declaration function that adds its subcommand, options and
// checks to the tool's CLI::App. The parsed values live in an object the
// declaration makes and the subcommand's callback keeps; when the command
// line names the subcommand, that callback (run while parsing, so that a
// CLI::ValidationError thrown there is a usage error) sets `chosen` to the
// call that runs the command. cli/cli_app.cpp lists every declaration once,
// in the order the tool's help shows them.
//
// The option helpers read numbers with a point as decimal separator,
// whatever the user's locale.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "base/vec3.h"
#include "cli/cli_session.h"

namespace plenvista {

using CommandCall = std::function<int(CliIo&)>;
using CommandDeclaration = void (*)(CLI::App& app, CommandCall& chosen);

// Sets `chosen` to run `run(io, *options)` once `command` is parsed, after
// `finish` has completed the options from what was parsed (it may throw
// CLI::ValidationError).
template <typename Options, typename Run, typename Finish>
void run_when_chosen(CLI::App* command, CommandCall& chosen, std::shared_ptr<Options> options, Run run, Finish finish) {
  command->callback([&chosen, options, run, finish] {
    finish(*options);
    chosen = [options, run](CliIo& io) { return run(io, *options); };
  });
}

template <typename Options, typename Run>
void run_when_chosen(CLI::App* command, CommandCall& chosen, std::shared_ptr<Options> options, Run run) {
  run_when_chosen(command, chosen, std::move(options), run, [](Options&) {});
}

// A subcommand whose first argument is the project file.
CLI::App* project_command(CLI::App& app, const std::string& name, const std::string& description, std::string& project);

// An option taking `count` numbers ("1.5", never "1,5").
CLI::Option* add_numbers(CLI::App* app, const std::string& name, std::vector<double>& target, int count,
                         const std::string& names, const std::string& description);

// Throws CLI::ValidationError unless every number is above 0.
void require_positive(const std::vector<double>& numbers, const std::string& name);

// A whole number of at least 0 written wholly as digits, else -1.
int image_id(const std::string& text);

// ID X Y: an image id and two numbers; throws CLI::ValidationError otherwise.
void check_image_and_position(const std::vector<std::string>& values, const std::string& name);

// "on" or "off" as given, or none when the option was not given.
std::optional<bool> on_off(const std::string& text);

Point2 point_of(const std::vector<double>& numbers, std::size_t first = 0);

}  // namespace plenvista
