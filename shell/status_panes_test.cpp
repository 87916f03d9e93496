#include "shell/status_panes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include "shell/main_window.h"
#include "shell/test_window.h"

namespace plenvista {
namespace {

// However narrow the window, down to its smallest size, every text of the
// status bar is whole and inside the window; a wide window keeps them on
// one row.
TEST(StatusPanes, NoTextIsCutAtAnyWindowWidth) {
  test_support::TestWindow shown;
  MainWindow& window = shown.window;
  Project& project = window.project();
  project.cursor = {-12751.72, 529.8, 1425, 302};
  project.post(Notification::CursorMoved);
  StatusPanes& panes = *window.status_panes();
  panes.set_text(1, QStringLiteral("x:-12345.67, y:-12345.67, z:-12345.67"));
  panes.set_text(2, QStringLiteral("x:-12345.67, y:-12345.67, z:-12345.67"));
  panes.set_text(4, QStringLiteral("Point 12: 0.84 px from its clicks, rays 3.2 degrees apart"));
  QApplication::processEvents();
  EXPECT_EQ(window.status_text(0), "Cursor: (1425,302) (-12751.72, 529.80)");

  for (const int width : {1600, 1000, 700, 0}) {
    window.resize(std::max(width, window.minimumSizeHint().width()), 600);
    QApplication::processEvents();
    QApplication::processEvents();
    for (int pane = 0; pane < 5; ++pane) {
      const QLabel* label = panes.label(pane);
      const QRect in_window(label->mapTo(&window, QPoint(0, 0)), label->size());
      EXPECT_GE(label->width(), label->sizeHint().width()) << "pane " << pane << " at " << window.width();
      EXPECT_TRUE(window.rect().contains(in_window)) << "pane " << pane << " at " << window.width();
    }
    if (width == 1600) {
      EXPECT_EQ(panes.row_lengths().size(), 1u);
    }
    if (width == 0) {
      EXPECT_GT(panes.row_lengths().size(), 1u);
    }
  }
}

}  // namespace
}  // namespace plenvista
