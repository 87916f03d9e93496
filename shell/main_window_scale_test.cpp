// The main window at twice the pixel density (QT_SCALE_FACTOR=2, set before
// the application starts): its parts still sit side by side.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <vector>

#include "shell/main_window.h"
#include "shell/shell_test_doubles.h"
#include "views/cad_view.h"
#include "views/image_view.h"

namespace plenvista {
namespace {

// Before the test environment makes the QApplication (static
// initialisation precedes main).
const bool kScaled = qputenv("QT_SCALE_FACTOR", "2");

QRect in_window(const QWidget& window, const QWidget& widget) {
  return QRect(widget.mapTo(&window, QPoint(0, 0)), widget.size());
}

// The visible children of `parent` that are widgets of type T.
template <typename T = QWidget>
std::vector<QWidget*> shown_children(const QWidget& parent) {
  std::vector<QWidget*> shown;
  for (T* child : parent.findChildren<T*>(Qt::FindDirectChildrenOnly))
    if (child->isVisible()) shown.push_back(child);
  return shown;
}

// Each widget lies inside `frame`, is no smaller than the smallest size
// a layout gives it and overlaps none of the others.
void expect_apart(const QWidget& window, const QWidget& frame, const std::vector<QWidget*>& widgets) {
  const QRect outer = in_window(window, frame);
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    const QWidget& w = *widgets[i];
    const QRect rect = in_window(window, w);
    const std::string name = w.metaObject()->className() + (" " + w.objectName().toStdString());
    EXPECT_TRUE(outer.contains(rect)) << name << " leaves " << frame.metaObject()->className();
    // The smallest size a layout gives it: its minimum, else its hint.
    QSize least = w.minimumSizeHint();
    if (w.minimumWidth() > 0) least.setWidth(w.minimumWidth());
    if (w.minimumHeight() > 0) least.setHeight(w.minimumHeight());
    if (least.isValid()) {
      EXPECT_GE(w.width(), least.width()) << name;
      EXPECT_GE(w.height(), least.height()) << name;
    }
    for (std::size_t j = i + 1; j < widgets.size(); ++j)
      EXPECT_FALSE(rect.intersects(in_window(window, *widgets[j])))
          << name << " overlaps " << widgets[j]->metaObject()->className();
  }
}

TEST(ScaledWindow, NothingOverlapsAtTwiceThePixelDensity) {
  ASSERT_TRUE(kScaled);
  ASSERT_DOUBLE_EQ(qApp->devicePixelRatio(), 2.0);
  MemorySettingsStore settings;
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  test_support::FileStore store;
  MainWindow window({settings, files, questions, store.functions(), {}});
  window.show();  // at the first-start size
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QCoreApplication::processEvents();

  expect_apart(window, window,
               {window.menuBar(), window.toolbar(), window.images_dock(), window.layers_dock(), window.view_area(),
                window.statusBar()});
  // Every button shows; none went into the toolbar's overflow.
  std::vector<QWidget*> buttons;
  for (QAction* action : window.toolbar()->actions()) {
    if (action->isSeparator()) continue;
    QWidget* button = window.toolbar()->widgetForAction(action);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible()) << action->toolTip().toStdString();
    buttons.push_back(button);
  }
  expect_apart(window, *window.toolbar(), buttons);
  expect_apart(window, *window.statusBar(), shown_children<QLabel>(*window.statusBar()));
  QWidget* column = window.layers_dock()->widget();
  expect_apart(window, *column, shown_children(*column));
  for (QWidget* group : shown_children<QGroupBox>(*column)) expect_apart(window, *group, shown_children(*group));
  expect_apart(window, *window.images_dock(), {window.images_dock()->widget()});

  window.actions().tool_mixed_display->trigger();
  QCoreApplication::processEvents();
  expect_apart(
      window, *window.view_area(),
      {&window.image_view(), static_cast<QWidget*>(&window.cad_view(1)), static_cast<QWidget*>(&window.cad_view(2))});
}

}  // namespace
}  // namespace plenvista
