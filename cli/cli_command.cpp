#include "cli/cli_command.h"

#include <charconv>

#include "base/number_text.h"

namespace plenvista {

CLI::App* project_command(CLI::App& app, const std::string& name, const std::string& description,
                          std::string& project) {
  CLI::App* command = app.add_subcommand(name, description);
  command->add_option("PROJECT", project, "the project file (.op2)")->required();
  return command;
}

CLI::Option* add_numbers(CLI::App* app, const std::string& name, std::vector<double>& target, int count,
                         const std::string& names, const std::string& description) {
  CLI::Option* option = app->add_option(
      name,
      [&target, name](const CLI::results_t& results) {
        target.clear();
        for (const std::string& text : results) {
          const auto number = parse_whole_number(text);
          if (!number) throw CLI::ValidationError(name, "not a number: " + text);
          target.push_back(*number);
        }
        return true;
      },
      description);
  option->expected(count)->type_name("NUMBER");
  option->description(description + " (" + names + ")");
  return option;
}

void require_positive(const std::vector<double>& numbers, const std::string& name) {
  for (const double n : numbers)
    if (!(n > 0)) throw CLI::ValidationError(name, "must be above 0");
}

int image_id(const std::string& text) {
  int id = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), id);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return -1;
  return id;
}

void check_image_and_position(const std::vector<std::string>& values, const std::string& name) {
  if (image_id(values[0]) < 0) throw CLI::ValidationError(name, "not an image id: " + values[0]);
  for (std::size_t k = 1; k < 3; ++k)
    if (!parse_whole_number(values[k])) throw CLI::ValidationError(name, "not a number: " + values[k]);
}

std::optional<bool> on_off(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return text == "on";
}

Point2 point_of(const std::vector<double>& numbers, std::size_t first) { return {numbers[first], numbers[first + 1]}; }

}  // namespace plenvista
