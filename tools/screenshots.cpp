// Takes the README's screenshots: writes the demonstration project into a
// temporary directory, opens it in the main window (with the program's own
// window, views, file functions and message boxes; preferences in memory so
// that the user's own play no part) and saves the window in both display
// modes as PNG files.
//   plenvista-screenshots OUTPUT_DIRECTORY

#include <QAction>
#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "persistence/project_file.h"
#include "persistence/settings_store.h"
#include "shell/actions.h"
#include "shell/main_window.h"
#include "shell/panels/image_list_panel.h"
#include "shell/qt_seams.h"
#include "tools/demo_project.h"

namespace plenvista {
namespace {

bool save(QWidget& window, const QString& path) {
  QTest::qWait(300);
  if (window.grab().save(path, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

int take_screenshots(const QString& output) {
  QTemporaryDir work;
  const std::string project = write_demo_project(work.path().toStdString());
  if (project.empty()) return 1;

  MemorySettingsStore settings;
  QtFileChooser files;
  QtQuestionAsker questions;
  MainWindow window({settings, files, questions, {open_project, save_project}, project});
  window.resize(1280, 800);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  QTest::qWait(500);  // the command line's project opens after the first paint

  bool ok = save(window, output + "/image-view.png");
  window.actions().tool_mixed_display->trigger();
  ok = save(window, output + "/mixed-display.png") && ok;
  window.actions().tool_tabbed_display->trigger();
  window.image_list_panel()->setCurrentIndex(1);  // the CAD page
  ok = save(window, output + "/cad-view.png") && ok;
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace plenvista

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: plenvista-screenshots OUTPUT_DIRECTORY\n");
    return 2;
  }
  return plenvista::take_screenshots(QString::fromLocal8Bit(argv[1]));
}
