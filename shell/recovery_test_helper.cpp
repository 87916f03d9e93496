// The editing run that the recovery test kills: opens a project in a main
// window (headless), makes kEditsPerAutosave edits so that one recovery copy
// is written, stores what Save would have written at that moment, makes a
// few more edits that no copy holds, tells it is ready and waits to be
// killed.
//
// Usage: recovery_test_helper <recovery folder> <project> <expected bytes file> <ready file>

#include <QApplication>
#include <cstdio>
#include <string>

#include "base/file_io.h"
#include "model/edit_actions.h"
#include "model/run_edit.h"
#include "persistence/project_file.h"
#include "platform/this_process.h"
#include "shell/main_window.h"
#include "shell/shell_test_doubles.h"

int main(int argc, char** argv) {
  using namespace plenvista;
  if (argc != 5) {
    std::fprintf(stderr, "usage: recovery_test_helper <folder> <project> <expected> <ready>\n");
    return 2;
  }
  QApplication app(argc, argv);
  MemorySettingsStore settings;
  // Only edits write copies in this run.
  settings.write_int("AutosaveMinutes", 60);
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  MainWindow window(
      {settings, files, questions, {open_project, save_project}, {}, {argv[1], current_process(), process_alive}});
  files.choices = {std::string(argv[2])};
  window.actions().file_open->trigger();
  Project& project = window.project();
  if (project.path != std::string(argv[2])) return 3;
  // The notifications of the Open arrive before the user's first edit.
  QCoreApplication::processEvents();

  const auto edit = [&](int i) {
    run_edit(project, [&] { add_point(project, i * 0.5, i * 0.25, -i * 1.0); });
    QCoreApplication::processEvents();
  };
  for (int i = 0; i < kEditsPerAutosave; ++i) edit(i);
  window.autosaver().wait_idle();
  if (window.autosaver().copy_path().empty()) return 4;
  if (write_file_atomically(argv[3], encode_project(project)) != WriteResult::Ok) return 5;
  for (int i = 0; i < 7; ++i) edit(100 + i);
  if (write_file_atomically(argv[4], "ready") != WriteResult::Ok) return 6;
  return app.exec();
}
