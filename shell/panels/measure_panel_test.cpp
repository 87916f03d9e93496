// The "Measure" dock in the main window: Tools > Measure shows it, and it
// follows the selection as the views change it (flags set, SelectionChanged
// posted), in the order the points were selected; "Copy" puts its lines on
// the clipboard and the status bar shows them on one line.

#include "shell/panels/measure_panel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "model/edit_actions.h"
#include "shell/gui_test_support.h"
#include "shell/main_window.h"
#include "shell/shell_test_doubles.h"

namespace plenvista {
namespace {

void deliver() { QCoreApplication::processEvents(); }

TEST(MeasureDock, FollowsTheSelectionInItsOrderAndCopiesItsLines) {
  MemorySettingsStore settings;
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  test_support::FileStore store;
  MainWindow window(MainWindow::Services{settings, files, questions, store.functions(), {}});
  window.resize(1200, 800);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  Project& project = window.project();
  project.model.transform.scale = 10.0;  // lengths as shown: ten times the stored ones
  ModelPoint* a = add_point(project, 0, 0, 0);
  ModelPoint* b = add_point(project, 3, 0, 0);
  ModelPoint* c = add_point(project, 0, 4, 0);
  ASSERT_NE(add_face(project, *a, *b, *c), nullptr);
  const auto select = [&](ModelPoint* p) {
    p->selected = true;
    project.post(Notification::SelectionChanged, 0);
    deliver();
  };

  ASSERT_FALSE(window.findChild<QDockWidget*>("MeasureDock")->isVisible());
  window.actions().tools_measure->trigger();
  deliver();
  ASSERT_TRUE(window.findChild<QDockWidget*>("MeasureDock")->isVisible());
  MeasurePanel& panel = *window.measure_panel();
  EXPECT_FALSE(panel.copy_button()->isEnabled());

  select(b);
  select(a);
  EXPECT_EQ(panel.text()->toPlainText(), "Distance : 30.000000\nComponents : (-30.000000, 0.000000, 0.000000)");
  // The third point makes the angle at the second selected, a, and selects the face.
  select(c);
  const QString lines = panel.text()->toPlainText();
  EXPECT_TRUE(lines.contains("Angle : 90.000000 deg")) << lines.toStdString();
  EXPECT_TRUE(lines.contains("Distance 2-3 : 40.000000")) << lines.toStdString();
  EXPECT_TRUE(lines.contains("Area : 600.000000")) << lines.toStdString();
  EXPECT_TRUE(lines.contains("Normal : (0.000000, 0.000000, 1.000000)")) << lines.toStdString();
  EXPECT_TRUE(panel.summary().startsWith("Distance : 30.000000   Components")) << panel.summary().toStdString();

  test_support::click(panel.copy_button());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), lines);

  // Deselecting a point keeps the others' order; none selected shows the hint.
  b->selected = false;
  project.post(Notification::SelectionChanged, 0);
  deliver();
  EXPECT_EQ(panel.text()->toPlainText(), "Distance : 40.000000\nComponents : (0.000000, 40.000000, 0.000000)");
  project.clear_selection();
  deliver();
  EXPECT_TRUE(panel.summary().isEmpty());
  EXPECT_FALSE(panel.copy_button()->isEnabled());

  window.actions().tools_measure->trigger();
  deliver();
  EXPECT_FALSE(window.findChild<QDockWidget*>("MeasureDock")->isVisible());
}

}  // namespace
}  // namespace plenvista
