#include "shell/plenvista_app.h"

int main(int argc, char** argv) {
  plenvista::CPlenvistaApp app(argc, argv);
  return app.run();
}
