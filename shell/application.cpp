#include "shell/application.h"

#include <QStringList>

#include "persistence/project_file.h"
#include "platform/photograph_reader.h"
#include "platform/qt_settings_store.h"
#include "platform/this_process.h"
#include "shell/command_line.h"
#include "shell/main_window.h"
#include "shell/qt_seams.h"
#include "shell/sample_copy.h"

namespace plenvista {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setOrganizationName(QStringLiteral("Tarnwick"));
  setApplicationName(QStringLiteral("Plenvista"));
  // The whole command line after the program name names the project.
  QStringList words = arguments();
  if (!words.isEmpty()) words.removeFirst();
  command_line_ = words.join(QLatin1Char(' ')).toStdString();
  install_photograph_readers();
}

int Application::run() {
  QtSettingsStore settings;
  QtFileChooser files;
  QtQuestionAsker questions;
  const ProjectFiles project_files{open_project, save_project};
  // A first start opens a fresh copy of the sample project.
  std::string command_line = command_line_;
  if (project_path_from_command_line(command_line).empty() && is_first_start(settings)) {
    if (const auto sample = copy_sample_project(default_sample_directory())) command_line = *sample;
  }
  MainWindow window(
      {settings, files, questions, project_files, command_line, {recovery_folder(), current_process(), process_alive}});
  window.show();
  return exec();
}

}  // namespace plenvista
