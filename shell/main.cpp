#include <cstdio>
#include <cstring>

#include "shell/application.h"

int main(int argc, char** argv) {
  // Answered before any window system is touched, so it works without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("plenvista %s\n", PLENVISTA_VERSION);
    return 0;
  }
  plenvista::Application app(argc, argv);
  return app.run();
}
