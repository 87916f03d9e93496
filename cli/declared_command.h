#pragma once

// A subcommand that declares its own options and run in its own file: the
// application adds it with one line and runs the one that was parsed.

#include <functional>

#include <CLI/CLI.hpp>

namespace plenvista {

struct DeclaredCommand {
  CLI::App* command = nullptr;
  std::function<int()> run;  // the exit status; called once the whole line was parsed
};

}  // namespace plenvista
