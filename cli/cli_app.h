#pragma once

// The command line of plenvista-cli: parses the arguments and runs one
// command. Returns the exit status: 0 success, 1 failure (message on
// io.err), 2 usage error (message and the command's usage on io.err).
// "--help" prints the usage of the tool or of a command on io.out and
// returns 0. Numbers are read with a point as decimal separator whatever
// the user's locale; text that is not wholly a number is a usage error.

#include "cli/cli_session.h"

namespace plenvista {

int run_cli(int argc, const char* const* argv, CliIo& io);

}  // namespace plenvista
