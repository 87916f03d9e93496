#pragma once

// The project path named on the command line: the whole text after the
// program name. A leading double quote is removed and the text is cut at
// its last double quote when there is one ("\"/a b/c.op2\"" gives
// "/a b/c.op2"). An empty result means no project was named.

#include <string>
#include <string_view>

namespace plenvista {

inline std::string project_path_from_command_line(std::string_view text) {
  if (!text.empty() && text.front() == '"') {
    text.remove_prefix(1);
    const std::size_t last = text.rfind('"');
    if (last != std::string_view::npos) text = text.substr(0, last);
  }
  return std::string(text);
}

}  // namespace plenvista
