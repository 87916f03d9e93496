#include "shell/application.h"

#include <QStringList>

#include "persistence/project_file.h"
#include "platform/photograph_reader.h"
#include "platform/qt_settings_store.h"
#include "platform/this_process.h"
#include "shell/main_window.h"
#include "shell/qt_seams.h"

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
  MainWindow window({settings, files, questions, project_files, command_line_,
                     {recovery_folder(), current_process(), process_alive}});
  window.show();
  return exec();
}

}  // namespace plenvista
