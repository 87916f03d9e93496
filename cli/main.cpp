// plenvista-cli: the core operations of the modeller, one command per run,
// headless. See `plenvista-cli --help`.

#include <iostream>
#include <unistd.h>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
  plenvista::CliIo io{std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
  const int status = plenvista::run_cli(argc, argv, io);
  std::cout.flush();
  return status;
}
