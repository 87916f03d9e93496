#pragma once

// Messages for the user ("Cannot Open Project File", caption "Error", ...).
// The core never shows anything itself: the GUI turns these into message
// boxes, the command-line tool into stderr lines, tests into a list.

#include <string>

namespace plenvista {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void show(const std::string& text, const std::string& caption) = 0;
};

}  // namespace plenvista
