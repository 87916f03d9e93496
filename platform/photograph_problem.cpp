#include "platform/photograph_problem.h"

#include "base/text.h"
#include "platform/photograph_reader.h"

namespace plenvista {

std::string not_in_directories_message(std::string_view file_name) {
  return "The photograph " + std::string(file_name) + " is not in any of the project's directories";
}

std::optional<std::string> photograph_problem(const ProjectImage& image) {
  if (!image.resolved_path) return not_in_directories_message(shown(image.file_name));
  return photograph_refusal(*image.resolved_path);
}

std::string added_anyway_warning(std::string_view refusal) {
  return std::string(refusal) +
         ". The photograph is added all the same, but shows no picture until the file is replaced by a readable one";
}

}  // namespace plenvista
