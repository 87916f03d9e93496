#include "shell/recent_projects.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "platform/qt_settings_store.h"
#include "shell/main_window.h"
#include "shell/shell_test_doubles.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

TEST(RecentProjects, TheLastEightNewestFirstWithoutRepeats) {
  MemorySettingsStore settings;
  for (int i = 1; i <= 10; ++i) add_recent_project(settings, "/p/" + std::to_string(i) + ".op2");
  add_recent_project(settings, "/p/5.op2");
  const std::vector<std::string> expected{"/p/5.op2", "/p/10.op2", "/p/9.op2", "/p/8.op2",
                                          "/p/7.op2", "/p/6.op2",  "/p/4.op2", "/p/3.op2"};
  EXPECT_EQ(recent_projects(settings), expected);
  remove_recent_project(settings, "/p/10.op2");
  remove_recent_project(settings, "/p/3.op2");
  EXPECT_EQ(recent_projects(settings),
            (std::vector<std::string>{"/p/5.op2", "/p/9.op2", "/p/8.op2", "/p/7.op2", "/p/6.op2", "/p/4.op2"}));
}

// Opens the File menu and a recent project with the keyboard, as a user
// does: ALT+F, P (Recent Projects), then the entry's digit.
void open_recent_by_keys(MainWindow& window, char digit) {
  QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
  QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_P);
  QTRY_VERIFY(QApplication::activePopupWidget() == window.recent_menu());
  QTest::keyClick(window.recent_menu(), static_cast<Qt::Key>(Qt::Key_0 + (digit - '0')));
  QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
}

// Open and the command line add to the list, which outlives the window (in
// a settings file of the test's own); a project that is gone is dropped
// with a message, one that is there opens.
TEST(RecentProjectsMenu, SurvivesARestartAndDropsAMissingFile) {
  test_support::TempDir tmp;
  QTemporaryDir settings_dir;
  QtSettingsStore settings(settings_dir.filePath("plenvista.ini"));
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  test_support::FileStore store;
  const std::string a = tmp.write("a.op2", "");
  const std::string b = tmp.write("b.op2", "");
  const std::string c = tmp.write("c.op2", "");
  store.files = {{a, "A"}, {b, "B"}, {c, "C"}};
  {
    MainWindow window({settings, files, questions, store.functions(), "\"" + c + "\""});
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTRY_COMPARE(window.project().model.description, std::optional<std::string>("C"));
    files.choices = {a, b};
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
  }
  EXPECT_EQ(recent_projects(settings), (std::vector<std::string>{b, a, c}));

  MainWindow window({settings, files, questions, store.functions(), {}});
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  const QList<QAction*> entries = window.recent_menu()->actions();
  ASSERT_EQ(entries.size(), 3);
  EXPECT_EQ(entries[0]->text().toStdString(), "&1 " + b);

  std::filesystem::remove(a);
  open_recent_by_keys(window, '2');
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_EQ(questions.told[0].text.toStdString(),
            "The project " + a + " no longer exists. It is removed from the recent projects.");
  EXPECT_EQ(recent_projects(settings), (std::vector<std::string>{b, c}));
  EXPECT_FALSE(window.project().path.has_value());

  open_recent_by_keys(window, '2');
  EXPECT_EQ(window.project().model.description, "C");
  EXPECT_EQ(recent_projects(settings), (std::vector<std::string>{c, b}));
}

}  // namespace
}  // namespace plenvista
