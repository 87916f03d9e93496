#include "shell/plenvista_dlg.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <memory>
#include <set>

#include "model/edit_actions.h"
#include "persistence/project_file.h"
#include "platform/qt_settings_store.h"
#include "shell/shell_test_doubles.h"
#include "shell/toolbar_icons.h"
#include "shell/view_layout.h"
#include "views/cad_view.h"
#include "views/image_view.h"

namespace plenvista {
namespace {

using test_support::FileStore;
using test_support::ScriptedFiles;
using test_support::ScriptedQuestions;

void deliver() { QCoreApplication::processEvents(); }

class MainWindow : public ::testing::Test {
 protected:
  std::unique_ptr<CPlenvistaDlg> make(std::string command_line = {}) {
    return std::make_unique<CPlenvistaDlg>(
        CPlenvistaDlg::Services{settings, files, questions, store.functions(), std::move(command_line)});
  }
  void SetUp() override {
    window = make();
    deliver();
  }
  Project& project() { return window->project(); }
  void trigger(int id) { window->command(id)->trigger(); }
  // An edit the way the views make one: a change, then Note change.
  ModelPoint* add_point(double x, double y, double z, int selected) {
    auto* p = project().model.points.insert(std::make_unique<ModelPoint>());
    p->id = project().model.new_id();
    p->x = x;
    p->y = y;
    p->z = z;
    p->layer = project().model.current_layer;
    p->selected = selected;
    project().changed = true;
    project().note_change();
    deliver();
    return p;
  }

  MemorySettingsStore settings;
  ScriptedFiles files;
  ScriptedQuestions questions;
  FileStore store;
  std::unique_ptr<CPlenvistaDlg> window;
};

using Menu = MainWindow;
using Toolbar = MainWindow;
using Notifications = MainWindow;
using Layout = MainWindow;
using Display = MainWindow;
using Title = MainWindow;
using OpenCommand = MainWindow;
using SaveCommand = MainWindow;
using CloseCommand = MainWindow;
using NewCommand = MainWindow;
using CommandLine = MainWindow;
using Keyboard = MainWindow;
using Panels = MainWindow;
using Help = MainWindow;

TEST_F(Menu, TextsIdsAndShortcutsInOrder) {
  const std::vector<std::pair<QString, std::vector<std::pair<int, QString>>>> expected{
      {"&File",
       {{57600, "&New\tCtrl+N"},
        {57601, "&Open...\tCtrl+O"},
        {57602, "&Close"},
        {0, ""},
        {57603, "&Save\tCtrl-S"},
        {32776, "Save &As..."},
        {0, ""},
        {32771, "E&xit"}}},
      {"&Edit", {{32777, "&Undo\tCtrl-Z"}, {32778, "&Redo\tCtrl-Y"}}},
      {"Project", {{32780, "Translations"}, {32792, "Materials"}, {32781, "Layers"}, {32791, "Properties"}}},
      {"&Tools", {{32786, "Export"}, {32787, "Camera Setup / Calibration"}}},
      {"&Help", {{32789, "Contents"}, {0, ""}, {32790, "&About"}}},
  };
  const QList<QAction*> menus = window->menuBar()->actions();
  ASSERT_EQ(menus.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t m = 0; m < expected.size(); ++m) {
    EXPECT_EQ(menus[static_cast<qsizetype>(m)]->text(), expected[m].first);
    const QList<QAction*> items = menus[static_cast<qsizetype>(m)]->menu()->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[m].second.size())) << m;
    for (qsizetype i = 0; i < items.size(); ++i) {
      const auto& [id, text] = expected[m].second[static_cast<std::size_t>(i)];
      QAction* item = items[i];
      EXPECT_EQ(item->isSeparator(), id == 0);
      if (id == 0) continue;
      EXPECT_EQ(item->text(), text);
      EXPECT_EQ(item->data().toInt(), id);
      EXPECT_EQ(window->command(id), item);
    }
  }
  EXPECT_EQ(window->command(57600)->shortcut(), QKeySequence("Ctrl+N"));
  EXPECT_EQ(window->command(57601)->shortcut(), QKeySequence("Ctrl+O"));
  EXPECT_EQ(window->command(57603)->shortcut(), QKeySequence("Ctrl+S"));
  EXPECT_EQ(window->command(32777)->shortcut(), QKeySequence("Ctrl+Z"));
  EXPECT_EQ(window->command(32778)->shortcut(), QKeySequence("Ctrl+Y"));
}

TEST_F(Toolbar, ThirtyOnePositionsWithTooltipsAndCheckGroups) {
  const std::vector<std::pair<int, QString>> expected{{32797, "New Project"},
                                                      {32798, "Open"},
                                                      {32799, "Save"},
                                                      {0, ""},
                                                      {32800, "Undo"},
                                                      {32801, "Redo"},
                                                      {0, ""},
                                                      {32802, "Delete"},
                                                      {0, ""},
                                                      {32803, "Translation / Scaling"},
                                                      {32804, "Materials"},
                                                      {32805, "Layers"},
                                                      {0, ""},
                                                      {32806, "Set Material"},
                                                      {32807, "Set Layer"},
                                                      {0, ""},
                                                      {32808, "Commit Mirror"},
                                                      {32809, "Apply Texture"},
                                                      {0, ""},
                                                      {32810, "Small Selection"},
                                                      {32811, "Large Selection"},
                                                      {0, ""},
                                                      {32812, "New selection"},
                                                      {32813, "Add to selection"},
                                                      {32814, "Remove from selection"},
                                                      {0, ""},
                                                      {32815, "Tabbed Image / CAD display"},
                                                      {32816, "Mixed Image / CAD display"},
                                                      {0, ""},
                                                      {32817, "Camera Editor"},
                                                      {32818, "Export"}};
  const QList<QAction*> actions = window->toolbar()->actions();
  ASSERT_EQ(actions.size(), 31);
  const std::set<int> grouped{32810, 32811, 32812, 32813, 32814, 32815, 32816};
  for (qsizetype i = 0; i < actions.size(); ++i) {
    const auto& [id, tip] = expected[static_cast<std::size_t>(i)];
    EXPECT_EQ(actions[i]->isSeparator(), id == 0) << i;
    if (id == 0) continue;
    EXPECT_EQ(actions[i]->data().toInt(), id);
    EXPECT_EQ(actions[i]->toolTip(), tip);
    EXPECT_EQ(actions[i]->isCheckable(), grouped.contains(id)) << id;
    EXPECT_FALSE(actions[i]->icon().isNull()) << id;
  }
  // At start: tabbed display; the first ImagesChanged pressed the model's
  // small selection and new-selection mode.
  EXPECT_TRUE(window->command(32815)->isChecked());
  EXPECT_TRUE(window->command(32810)->isChecked());
  EXPECT_TRUE(window->command(32812)->isChecked());
  // A pressed button stays pressed until another of its group is pressed.
  trigger(32814);
  EXPECT_TRUE(window->command(32814)->isChecked());
  EXPECT_FALSE(window->command(32812)->isChecked());
  EXPECT_TRUE(window->command(32810)->isChecked());
  trigger(32814);
  EXPECT_TRUE(window->command(32814)->isChecked());
  EXPECT_EQ(window->command(32810)->actionGroup(), window->command(32811)->actionGroup());
  EXPECT_NE(window->command(32810)->actionGroup(), window->command(32812)->actionGroup());
  EXPECT_NE(window->command(32812)->actionGroup(), window->command(32815)->actionGroup());
}

TEST_F(Toolbar, DrawnImagesAreSixteenPixelsAndDistinct) {
  std::vector<QImage> images;
  for (int id = 32797; id <= 32818; ++id) {
    const QPixmap pixmap = drawn_toolbar_image(id);
    ASSERT_EQ(pixmap.size(), QSize(16, 16)) << id;
    images.push_back(pixmap.toImage());
  }
  for (std::size_t a = 0; a < images.size(); ++a)
    for (std::size_t b = a + 1; b < images.size(); ++b)
      EXPECT_NE(images[a], images[b]) << 32797 + a << " and " << 32797 + b;
  EXPECT_TRUE(drawn_toolbar_image(1).isNull());
}

TEST_F(Toolbar, SelectionButtonsSetTheModelAndArePressedFromIt) {
  trigger(32811);
  EXPECT_EQ(project().model.selection_size, 15);
  trigger(32813);
  EXPECT_EQ(project().model.selection_mode, 1);
  trigger(32810);
  EXPECT_EQ(project().model.selection_size, 5);
  // A loaded project brings its own values; the refresh presses them.
  project().model.selection_size = 15;
  project().model.selection_mode = 2;
  project().post(Notification::ImagesChanged);
  deliver();
  EXPECT_TRUE(window->command(32811)->isChecked());
  EXPECT_TRUE(window->command(32814)->isChecked());
}

TEST_F(Notifications, StatusPanesFollowCursorSelectionAndModel) {
  for (int pane = 0; pane < 4; ++pane) EXPECT_EQ(window->status_text(pane), "") << pane;
  project().cursor = {12.345, -6.789, 101.9, 57.2};
  project().post(Notification::CursorMoved);
  EXPECT_EQ(window->status_text(0), "");  // queued: nothing happens before the poster returns
  deliver();
  EXPECT_EQ(window->status_text(0), "Cursor: (101,57) (12.35, -6.79)");

  project().model.transform.origin_offset = {1.0, 2.0, 3.0};
  project().model.transform.scale = 2.0;
  add_point(1.0, 2.5, -3.0, 1);
  EXPECT_EQ(window->status_text(1), "x:1.00, y:2.50, z:-3.00");
  EXPECT_EQ(window->status_text(2), "x:4.00, y:9.00, z:0.00");
  EXPECT_EQ(window->status_text(3), "Points : 1, Faces : 0");

  add_point(5.0, 5.0, 5.0, 1);  // two selected: no single point
  EXPECT_EQ(window->status_text(1), "");
  EXPECT_EQ(window->status_text(2), "");
  EXPECT_EQ(window->status_text(3), "Points : 2, Faces : 0");
}

TEST_F(Notifications, HandledInPostingOrderAfterThePosterReturns) {
  project().model.selection_size = 15;
  project().post(Notification::ImagesChanged);  // presses Large Selection
  project().model.selection_size = 5;           // changed again before delivery
  window->command(32811)->setChecked(true);
  project().post(Notification::DisplayChanged);
  EXPECT_TRUE(window->command(32811)->isChecked());
  deliver();
  // The refresh saw the model as it was at delivery time.
  EXPECT_TRUE(window->command(32810)->isChecked());
}

TEST_F(Notifications, DeleteButtonFollowsThePointSelection) {
  add_point(0, 0, 0, 0);
  EXPECT_FALSE(window->command(32802)->isEnabled());
  ModelPoint* p = add_point(1, 1, 1, 1);
  EXPECT_TRUE(window->command(32802)->isEnabled());
  window->vertex_tab()->setCurrentIndex(1);  // face mode
  EXPECT_EQ(project().point_mode, 0);
  p->selected = false;
  project().changed = true;
  project().note_change();
  deliver();
  EXPECT_FALSE(window->command(32802)->isEnabled());
  window->vertex_tab()->setCurrentIndex(0);
  EXPECT_EQ(project().point_mode, 1);
}

TEST(LayoutViews, MixedAndTabbedArithmetic) {
  const ViewLayout mixed = layout_views(1003, 680, 1);
  EXPECT_EQ(mixed.image, (Edges{188, 45, 668, 645}));
  EXPECT_EQ(mixed.upper_cad, (Edges{668, 45, 988, 345}));
  EXPECT_EQ(mixed.lower_cad, (Edges{668, 345, 988, 645}));
  const ViewLayout tabbed = layout_views(1003, 680, 0);
  EXPECT_EQ(tabbed.image, (Edges{188, 45, 988, 645}));
  EXPECT_EQ(tabbed.tabbed_cad, tabbed.image);
  // Fractions are dropped: 0.6 * 798 = 478.8, 0.5 * 601 = 300.5.
  const ViewLayout odd = layout_views(1001, 681, 1);
  EXPECT_EQ(odd.image.right, 188 + 478);
  EXPECT_EQ(odd.upper_cad.bottom, 45 + 300);
  // A tiny window gives empty, never negative, rectangles.
  const ViewLayout tiny = layout_views(100, 50, 1);
  EXPECT_EQ(tiny.image.rect().size(), QSize(0, 0));
}

TEST_F(Layout, ViewsFollowTheClientAreaInBothDisplays) {
  window->show();
  window->resize(1003, 680 + window->menuBar()->sizeHint().height());
  deliver();
  ASSERT_EQ(window->client_area()->size(), QSize(1003, 680));
  EXPECT_EQ(window->image_view().geometry(), QRect(188, 45, 800, 600));
  EXPECT_TRUE(window->image_view().isVisible());
  EXPECT_FALSE(window->cad_view(0).isVisible());

  trigger(32816);
  deliver();
  EXPECT_EQ(window->display_mode(), 1);
  EXPECT_EQ(window->image_view().geometry(), QRect(188, 45, 480, 600));
  EXPECT_EQ(window->cad_view(1).geometry(), QRect(668, 45, 320, 300));
  EXPECT_EQ(window->cad_view(2).geometry(), QRect(668, 345, 320, 300));
  EXPECT_TRUE(window->cad_view(1).isVisible());
  EXPECT_TRUE(window->cad_view(2).isVisible());
  EXPECT_FALSE(window->cad_view(0).isVisible());
  EXPECT_EQ(window->cad_view(1).current_axis(), 1);
  EXPECT_EQ(window->cad_view(2).current_axis(), 0);

  trigger(32815);
  deliver();
  EXPECT_EQ(window->image_view().geometry(), QRect(188, 45, 800, 600));
  EXPECT_FALSE(window->cad_view(1).isVisible());
}

TEST_F(Display, CadPageShowsTheTabbedCadViewAndDisablesMixed) {
  window->show();
  window->picture_tab()->setCurrentIndex(1);
  deliver();
  EXPECT_EQ(project().cad_page_shown, 1);
  EXPECT_FALSE(window->command(32816)->isEnabled());
  EXPECT_TRUE(window->cad_view(0).isVisible());
  EXPECT_FALSE(window->image_view().isVisible());
  project().active_cad_view = 2;
  project().post(Notification::ImagesChanged);
  deliver();
  EXPECT_EQ(window->cad_view(0).current_axis(), 2);

  window->picture_tab()->setCurrentIndex(0);
  deliver();
  EXPECT_EQ(project().cad_page_shown, 0);
  EXPECT_TRUE(window->command(32816)->isEnabled());
  EXPECT_TRUE(window->image_view().isVisible());
  EXPECT_FALSE(window->cad_view(0).isVisible());
}

TEST_F(Panels, MirrorBoxAndModeButtonsSetTheProject) {
  EXPECT_TRUE(window->create_button()->isChecked());
  EXPECT_EQ(project().select_mode, 0);
  window->select_button()->click();
  EXPECT_EQ(project().select_mode, 1);
  window->create_button()->click();
  EXPECT_EQ(project().select_mode, 0);

  // Enabled only while a mirror plane is set; checked from the model.
  EXPECT_FALSE(window->show_mirror_box()->isEnabled());
  project().model.transform.mirror_plane = MirrorPlane::Y;
  project().model.show_mirror_points = 1;
  project().post(Notification::ImagesChanged);
  deliver();
  EXPECT_TRUE(window->show_mirror_box()->isEnabled());
  EXPECT_TRUE(window->show_mirror_box()->isChecked());
  window->show_mirror_box()->click();
  EXPECT_EQ(project().model.show_mirror_points, 0);
  deliver();
  EXPECT_FALSE(window->show_mirror_box()->isChecked());
}

TEST_F(OpenCommand, OpensTheChosenFileAndSetsTheTitle) {
  EXPECT_EQ(window->windowTitle(), "Plenvista");
  store.files["/data/house.op2"] = "house";
  files.choices.push_back("/data/house.op2");
  trigger(57601);
  EXPECT_EQ(project().path, "/data/house.op2");
  EXPECT_EQ(project().model.description, "house");
  EXPECT_EQ(window->windowTitle(), "house.op2 - Plenvista");
  EXPECT_TRUE(questions.asked.empty());

  trigger(32798);  // cancelled: nothing changes
  EXPECT_EQ(project().path, "/data/house.op2");
}

TEST_F(OpenCommand, AFailedOpenKeepsThePathSoSaveCannotOverwriteTheBrokenFile) {
  store.files["/data/good.op2"] = "good";
  store.files["/data/broken.op2"] = "broken";
  store.unreadable.insert("/data/broken.op2");
  files.choices = {"/data/good.op2", "/data/broken.op2"};
  trigger(57601);
  trigger(57601);
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_EQ(questions.told[0].text, "Cannot Open Project File");
  EXPECT_EQ(project().path, "/data/good.op2");
  EXPECT_EQ(project().file_name, "good.op2");
  EXPECT_EQ(window->windowTitle(), "good.op2 - Plenvista");
  trigger(57603);
  EXPECT_EQ(store.saved_paths, std::vector<std::string>{"/data/good.op2"});
  EXPECT_EQ(store.files["/data/broken.op2"], "broken");
}

TEST_F(OpenCommand, AskedBeforeAModifiedProjectIsReplaced) {
  store.files["/data/a.op2"] = "a";
  store.files["/data/b.op2"] = "b";
  files.choices = {"/data/a.op2"};
  trigger(57601);
  project().model.description = "a edited";
  add_point(0, 0, 0, 0);
  ASSERT_TRUE(project().modified);

  questions.answers = {QMessageBox::Cancel};
  files.choices = {"/data/b.op2"};
  trigger(57601);
  EXPECT_EQ(project().path, "/data/a.op2");
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text, "Save Change ?");
  EXPECT_EQ(questions.asked[0].caption, "Plenvista");
  EXPECT_EQ(questions.asked[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);

  questions.answers = {QMessageBox::Yes};
  trigger(57601);
  EXPECT_EQ(store.files["/data/a.op2"], "a edited");
  EXPECT_EQ(project().path, "/data/b.op2");
}

TEST_F(SaveCommand, SaveAsSetsPathAndTitleAndSaveWithoutPathRunsIt) {
  files.choices = {std::nullopt};
  trigger(57603);  // no path: Save As, cancelled
  EXPECT_TRUE(store.saved_paths.empty());
  EXPECT_FALSE(project().path.has_value());

  project().model.description = "box";
  files.choices = {"/data/box.op2"};
  trigger(32799);
  EXPECT_EQ(store.files["/data/box.op2"], "box");
  EXPECT_EQ(window->windowTitle(), "box.op2 - Plenvista");

  files.choices = {"/other/copy.op2"};
  trigger(32776);
  EXPECT_EQ(files.save_initials.back(), "/data/box.op2");
  EXPECT_EQ(project().path, "/other/copy.op2");
  EXPECT_EQ(window->windowTitle(), "copy.op2 - Plenvista");
  trigger(57603);
  EXPECT_EQ(store.saved_paths.back(), "/other/copy.op2");
}

TEST_F(SaveCommand, CtrlSSaves) {
  window->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  files.choices = {"/data/keys.op2"};
  QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(store.saved_paths, std::vector<std::string>{"/data/keys.op2"});
}

TEST_F(Keyboard, MenuUndoRedoAndCtrlKeysDoWhatTheToolbarDoes) {
  window->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  ModelPoint* p = plenvista::add_point(project(), 1, 2, 3);
  p->selected = true;
  project().note_change();
  deliver();
  ASSERT_TRUE(window->command(32802)->isEnabled());
  trigger(32802);  // Delete
  deliver();
  EXPECT_EQ(project().model.points.count(), 0);
  trigger(32777);  // menu Undo
  EXPECT_EQ(project().model.points.count(), 1);
  trigger(32778);  // menu Redo
  EXPECT_EQ(project().model.points.count(), 0);
  QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(project().model.points.count(), 1);
  QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(project().model.points.count(), 0);
  trigger(32800);  // toolbar Undo
  deliver();
  EXPECT_EQ(project().model.points.count(), 1);
  EXPECT_EQ(window->status_text(3), "Points : 1, Faces : 0");
}

TEST_F(CloseCommand, UnmodifiedClosesWithoutAsking) {
  window->show();
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(questions.asked.empty());
}

TEST_F(CloseCommand, ModifiedUntitledAsksAndYesSavesThroughSaveAs) {
  window->show();
  add_point(1, 2, 3, 0);
  project().model.description = "new";
  questions.answers = {QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::Yes};
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  files.choices = {std::nullopt};  // Yes, then Save As cancelled: stays open
  EXPECT_FALSE(window->close());
  files.choices = {"/data/new.op2"};
  EXPECT_TRUE(window->close());
  EXPECT_EQ(store.files["/data/new.op2"], "new");
  EXPECT_EQ(questions.asked.size(), 3u);
}

TEST_F(CloseCommand, AFailedSaveKeepsTheWindowOpenAndNoDiscards) {
  store.files["/data/ro.op2"] = "ro";
  store.unwritable.insert("/data/ro.op2");
  files.choices = {"/data/ro.op2"};
  trigger(57601);
  window->show();
  add_point(1, 2, 3, 0);
  questions.answers = {QMessageBox::Yes};
  trigger(57602);  // "&Close" as the close button
  EXPECT_TRUE(window->isVisible());
  questions.answers = {QMessageBox::No};
  trigger(32771);  // Exit asks as well
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(questions.asked.size(), 2u);
}

TEST_F(NewCommand, AsksWhenModifiedAndClearsThePathAndTitle) {
  store.files["/data/a.op2"] = "a";
  files.choices = {"/data/a.op2"};
  trigger(57601);
  add_point(1, 1, 1, 0);
  questions.answers = {QMessageBox::Cancel};
  trigger(57600);
  EXPECT_EQ(project().model.points.count(), 1);
  questions.answers = {QMessageBox::No};
  trigger(32797);
  deliver();
  EXPECT_EQ(project().model.points.count(), 0);
  EXPECT_FALSE(project().path.has_value());
  EXPECT_EQ(window->windowTitle(), "Plenvista");
  EXPECT_EQ(window->status_text(3), "Points : 0, Faces : 0");
  EXPECT_TRUE(store.saved_paths.empty());
}

TEST_F(CommandLine, AQuotedPathOpensOverTheLastProjectAtTheFirstPaint) {
  window.reset();
  settings.write_int("UseLastProject", 1);
  settings.write_text("LastProject", "/data/last.op2");
  store.files["/data/last.op2"] = "last";
  store.files["/data/my house.op2"] = "mine";
  window = make("\"/data/my house.op2\"");
  EXPECT_EQ(project().model.description, "last");
  EXPECT_EQ(window->windowTitle(), "last.op2 - Plenvista");
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QTRY_COMPARE(window->windowTitle(), QString("my house.op2 - Plenvista"));
  EXPECT_EQ(project().path, "/data/my house.op2");
  EXPECT_EQ(project().model.description, "mine");
}

TEST_F(CommandLine, APlacementAndLastProjectAreWrittenAtShutDown) {
  window.reset();
  QTemporaryDir dir;
  QtSettingsStore ini(dir.filePath("plenvista.ini"));
  EXPECT_EQ(ini.read_int("MainWidth", -1), -1);
  store.files["/data/p.op2"] = "p";
  files.choices = {"/data/p.op2"};
  {
    CPlenvistaDlg dlg({ini, files, questions, store.functions(), {}});
    EXPECT_EQ(dlg.size(), QSize(900, 650));
    EXPECT_EQ(dlg.pos(), QPoint(50, 50));
    dlg.command(57601)->trigger();
    dlg.move(120, 80);
    dlg.resize(1000, 700);
  }
  EXPECT_EQ(ini.read_int("MainLeft", 0), 120);
  EXPECT_EQ(ini.read_int("MainTop", 0), 80);
  EXPECT_EQ(ini.read_int("MainWidth", 0), 1000);
  EXPECT_EQ(ini.read_int("MainHeight", 0), 700);
  EXPECT_EQ(ini.read_text("LastProject"), "/data/p.op2");
  CPlenvistaDlg again({ini, files, questions, store.functions(), {}});
  EXPECT_EQ(again.size(), QSize(1000, 700));
  EXPECT_EQ(again.pos(), QPoint(120, 80));
}

TEST_F(Keyboard, EscapeAndEnterNeverCloseTheWindow) {
  window->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  QTest::keyClick(window.get(), Qt::Key_Return);
  QTest::keyClick(window.get(), Qt::Key_Enter);
  deliver();
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(questions.asked.empty());
}

TEST_F(Help, ContentsAndF1ShowTheManual) {
  window->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_EQ(window->help_window(), nullptr);
  QTest::keyClick(window.get(), Qt::Key_F1);
  ASSERT_NE(window->help_window(), nullptr);
  EXPECT_TRUE(window->help_window()->isVisible());
  const auto* browser = window->help_window()->findChild<QTextBrowser*>();
  ASSERT_NE(browser, nullptr);
  EXPECT_TRUE(browser->toPlainText().contains("Workflow"));
  window->help_window()->close();
  trigger(32789);
  EXPECT_TRUE(window->help_window()->isVisible());
  trigger(32790);
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_EQ(questions.told[0].caption, "About Plenvista");
}

}  // namespace
}  // namespace plenvista

namespace plenvista {
namespace {

TEST(ProjectFileCommands, SaveAsThenOpenThroughTheRealProjectFile) {
  QTemporaryDir dir;
  MemorySettingsStore settings;
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  const std::string path = dir.filePath("round trip.op2").toStdString();
  CPlenvistaDlg window({settings, files, questions, {open_project, save_project}, {}});
  window.project().model.description = "kept";
  files.choices = {path};
  window.command(32776)->trigger();
  EXPECT_EQ(window.windowTitle(), "round trip.op2 - Plenvista");
  window.command(57600)->trigger();
  EXPECT_EQ(window.project().model.description, "");
  files.choices = {path};
  window.command(57601)->trigger();
  EXPECT_EQ(window.project().model.description, "kept");
  EXPECT_EQ(window.windowTitle(), "round trip.op2 - Plenvista");
  EXPECT_TRUE(questions.told.empty());
}

}  // namespace
}  // namespace plenvista
