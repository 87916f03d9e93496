#pragma once

// A main window for GUI tests, shown, with settings in memory and scripted
// file choices, answers and project files (shell/shell_test_doubles.h).

#include <gtest/gtest.h>

#include <QTest>

#include "base/settings_store.h"
#include "shell/main_window.h"
#include "shell/shell_test_doubles.h"

namespace plenvista::test_support {

struct TestWindow {
  MemorySettingsStore settings;
  ScriptedFiles files;
  ScriptedQuestions questions;
  FileStore store;
  MainWindow window{{settings, files, questions, store.functions(), {}}};

  TestWindow() {
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
};

}  // namespace plenvista::test_support
