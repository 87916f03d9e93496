#include "shell/plenvista_app.h"

#include <QStringList>

#include "platform/qt_settings_store.h"
#include "shell/plenvista_dlg.h"
#include "shell/qt_seams.h"

namespace plenvista {

CPlenvistaApp::CPlenvistaApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Plenvista"));
  // The whole command line after the program name names the project.
  QStringList words = arguments();
  if (!words.isEmpty()) words.removeFirst();
  command_line_ = words.join(QLatin1Char(' ')).toStdString();
}

int CPlenvistaApp::run() {
  QtSettingsStore settings;
  QtFileChooser files;
  QtQuestionAsker questions;
  ProjectFiles project_files;
  CPlenvistaDlg window({settings, files, questions, project_files, command_line_});
  window.show();
  return exec();
}

}  // namespace plenvista
