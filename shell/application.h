#pragma once

// Application: the application object. It creates the main window with
// the user's settings store, the real file dialogs and message boxes and
// the project file functions, shows it and runs until it closes; the
// window is destroyed (and writes its settings) before run() returns.

#include <QApplication>
#include <string>

namespace plenvista {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);
  // The exit code of the event loop.
  int run();

 private:
  std::string command_line_;
};

}  // namespace plenvista
