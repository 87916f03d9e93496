#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <memory>

#include "model/edit_actions.h"
#include "model/image_management.h"
#include "model/run_edit.h"
#include "model/zoom_pan.h"
#include "persistence/project_file.h"
#include "platform/qt_settings_store.h"
#include "shell/dialogs/camera_edit_dialog.h"
#include "shell/dialogs/dialog_test_support.h"
#include "shell/dialogs/project_properties_dialog.h"
#include "shell/dialogs/translation_editor_dialog.h"
#include "shell/panels/image_list_panel.h"
#include "shell/panels/layer_material_panel.h"
#include "shell/panels/tie_points_panel.h"
#include "shell/shell_test_doubles.h"
#include "shell/toolbar_icons.h"
#include "views/cad_view.h"
#include "views/image_view.h"

namespace plenvista {
namespace {

using test_support::FileStore;
using test_support::ScriptedFiles;
using test_support::ScriptedQuestions;

void deliver() { QCoreApplication::processEvents(); }

// New opens the "Project" dialog: cancel it once it is open.
void cancel_project_dialog(bool* opened = nullptr) {
  test_support::when_open<ProjectPropertiesDialog>([opened](ProjectPropertiesDialog& dialog) {
    if (opened) *opened = true;
    test_support::click(dialog, "Cancel");
  });
}

class MainWindowTest : public ::testing::Test {
 protected:
  std::unique_ptr<MainWindow> make(std::string command_line = {}) {
    return std::make_unique<MainWindow>(
        MainWindow::Services{settings, files, questions, store.functions(), std::move(command_line)});
  }
  void SetUp() override {
    window = make();
    deliver();
  }
  Project& project() { return window->project(); }
  const Actions& actions() const { return window->actions(); }
  // An edit the way the views make one.
  ModelPoint* add_point(double x, double y, double z, int selected) {
    ModelPoint* p = nullptr;
    run_edit(project(), [&] {
      p = plenvista::add_point(project(), x, y, z);
      p->selected = selected;
    });
    deliver();
    return p;
  }

  MemorySettingsStore settings;
  ScriptedFiles files;
  ScriptedQuestions questions;
  FileStore store;
  std::unique_ptr<MainWindow> window;
};

using Menu = MainWindowTest;
using Toolbar = MainWindowTest;
using Notifications = MainWindowTest;
using Layout = MainWindowTest;
using Display = MainWindowTest;
using Title = MainWindowTest;
using OpenCommand = MainWindowTest;
using SaveCommand = MainWindowTest;
using CloseCommand = MainWindowTest;
using NewCommand = MainWindowTest;
using CommandLine = MainWindowTest;
using Keyboard = MainWindowTest;
using Panels = MainWindowTest;
using Help = MainWindowTest;

TEST_F(Menu, EveryEntrySitsInTheMenuBarAndItsKeysRunIt) {
  window->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  std::vector<QAction*> entries;
  for (QAction* menu : window->menuBar()->actions())
    for (QAction* entry : menu->menu()->actions())
      if (!entry->isSeparator()) entries.push_back(entry);
  const Actions& a = actions();
  EXPECT_EQ(entries, (std::vector<QAction*>{
                         a.file_new,
                         a.file_open,
                         window->recent_menu()->menuAction(),
                         a.file_close,
                         a.file_save,
                         a.file_save_as,
                         a.file_exit,
                         a.edit_undo,
                         a.edit_redo,
                         a.view_fit_to_window,
                         window->images_dock()->toggleViewAction(),
                         window->layers_dock()->toggleViewAction(),
                         static_cast<QDockWidget*>(window->tie_points_panel()->parentWidget())->toggleViewAction(),
                         a.project_translations,
                         a.project_materials,
                         a.project_layers,
                         a.project_properties,
                         a.project_import_control_points,
                         a.project_import_gcp_list,
                         a.project_import_marks,
                         a.project_orient,
                         a.tools_export,
                         a.tools_export_points,
                         a.tools_export_gcp_list,
                         a.tools_export_cameras,
                         a.tools_export_marks,
                         a.tools_make_points,
                         a.tools_camera_editor,
                         a.tools_residuals,
                         a.tools_measure,
                         a.action(CommandId::FindTiePoints),
                         a.help_contents,
                         a.help_open_sample,
                         a.help_about}));
  // Ctrl+O opens, Ctrl+N starts a new project.
  store.files["/data/keys.op2"] = "keys";
  files.choices = {"/data/keys.op2"};
  QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(project().model.description, "keys");
  cancel_project_dialog();
  QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(project().model.description, "");
  EXPECT_FALSE(project().path.has_value());
}

TEST_F(Toolbar, ButtonsHaveImagesAndCheckGroupsStayExclusive) {
  std::vector<QImage> images;
  for (QAction* button : window->toolbar()->actions()) {
    if (button->isSeparator()) continue;
    EXPECT_FALSE(button->icon().isNull()) << button->toolTip().toStdString();
    EXPECT_FALSE(button->toolTip().isEmpty());
    const auto id = static_cast<CommandId>(button->data().toInt());
    const Command* command = find_command(id);
    ASSERT_NE(command, nullptr) << button->toolTip().toStdString();
    const QPixmap drawn = drawn_toolbar_image(id, command->image);
    ASSERT_EQ(drawn.size(), QSize(16, 16)) << button->toolTip().toStdString();
    images.push_back(drawn.toImage());
  }
  EXPECT_EQ(images.size(), 23u);
  for (std::size_t i = 0; i < images.size(); ++i)
    for (std::size_t j = i + 1; j < images.size(); ++j) EXPECT_NE(images[i], images[j]) << i << " and " << j;

  // At start: tabbed display; the first ImagesChanged pressed the model's
  // small selection and new-selection mode.
  const Actions& a = actions();
  EXPECT_TRUE(a.tool_tabbed_display->isChecked());
  EXPECT_TRUE(a.tool_small_selection->isChecked());
  EXPECT_TRUE(a.tool_new_selection->isChecked());
  // A pressed button stays pressed until another of its group is pressed;
  // the other groups keep theirs.
  a.tool_remove_from_selection->trigger();
  EXPECT_TRUE(a.tool_remove_from_selection->isChecked());
  EXPECT_FALSE(a.tool_new_selection->isChecked());
  a.tool_remove_from_selection->trigger();
  EXPECT_TRUE(a.tool_remove_from_selection->isChecked());
  EXPECT_TRUE(a.tool_small_selection->isChecked());
  EXPECT_TRUE(a.tool_tabbed_display->isChecked());
  EXPECT_FALSE(a.file_new->isCheckable());
}

TEST_F(Toolbar, ButtonsAndMenuEntriesAreOneActionPerCommand) {
  std::vector<QAction*> all;
  for (QAction* menu : window->menuBar()->actions())
    for (QAction* entry : menu->menu()->actions())
      if (!entry->isSeparator() && entry->data().isValid()) all.push_back(entry);
  int shared = 0;
  for (QAction* button : window->toolbar()->actions()) {
    if (button->isSeparator()) continue;
    if (std::find(all.begin(), all.end(), button) != all.end())
      ++shared;
    else
      all.push_back(button);
  }
  EXPECT_EQ(shared, 10);  // New, Open, Save, Undo, Redo, Translations, Materials, Layers, Camera Editor, Export
  for (std::size_t i = 0; i < all.size(); ++i)
    for (std::size_t j = i + 1; j < all.size(); ++j)
      EXPECT_NE(all[i]->data(), all[j]->data()) << all[i]->text().toStdString();
  // The button keeps its own tooltip beside the menu text.
  EXPECT_EQ(actions().project_translations->toolTip(), "Translation / Scaling");
  EXPECT_EQ(actions().file_new->toolTip(), "New Project");
}

TEST(CommandRules, WithoutProjectFilesOpenAndSaveAreDisabled) {
  MemorySettingsStore settings;
  ScriptedFiles files;
  ScriptedQuestions questions;
  MainWindow window({settings, files, questions, {}, {}});
  EXPECT_FALSE(window.actions().file_open->isEnabled());
  EXPECT_FALSE(window.actions().file_save->isEnabled());
  EXPECT_FALSE(window.actions().file_save_as->isEnabled());
  EXPECT_TRUE(window.actions().file_new->isEnabled());
}

TEST_F(Toolbar, CommitMirrorMakesTheMirroredPointsReal) {
  project().model.transform.mirror_plane = MirrorPlane::X;
  add_point(10, 1, 1, 0);  // outside the buffer band
  ASSERT_EQ(project().model.mirror_points.count(), 1);
  actions().tool_commit_mirror->trigger();
  deliver();
  EXPECT_EQ(project().model.points.count(), 2);
  EXPECT_EQ(project().model.transform.mirror_plane, MirrorPlane::None);
  EXPECT_EQ(window->status_text(3), "Points : 2, Faces : 0");
}

TEST_F(Toolbar, SelectionButtonsSetTheModelAndArePressedFromIt) {
  actions().tool_large_selection->trigger();
  EXPECT_EQ(project().model.selection_size, SelectionSize::Large);
  actions().tool_add_to_selection->trigger();
  EXPECT_EQ(project().model.selection_mode, SelectionMode::Add);
  actions().tool_small_selection->trigger();
  EXPECT_EQ(project().model.selection_size, SelectionSize::Small);
  // A loaded project brings its own values; the refresh presses them.
  project().model.selection_size = SelectionSize::Large;
  project().model.selection_mode = SelectionMode::Remove;
  project().post(Notification::ImagesChanged);
  deliver();
  EXPECT_TRUE(actions().tool_large_selection->isChecked());
  EXPECT_TRUE(actions().tool_remove_from_selection->isChecked());
}

TEST_F(Menu, TranslationsOpensTheEditorAndOkAppliesIt) {
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Translation Editor");
    auto* editor = dynamic_cast<TranslationEditorDialog*>(dialog);
    ASSERT_NE(editor, nullptr);
    editor->field(TranslationEditorDialog::Scale)->setText("2.5");
    editor->field(TranslationEditorDialog::OriginY)->setText("-1");
    QTest::keyClick(editor->field(TranslationEditorDialog::Scale), Qt::Key_Return);
  });
  actions().project_translations->trigger();
  deliver();
  EXPECT_DOUBLE_EQ(project().model.transform.scale, 2.5);
  EXPECT_DOUBLE_EQ(project().model.transform.origin_offset.y, -1.0);
  EXPECT_TRUE(project().modified);
}

TEST_F(Menu, CameraSetupAndTheToolbarButtonOpenTheCameraEditor) {
  ASSERT_TRUE(window->toolbar()->actions().contains(actions().tools_camera_editor));
  for (QAction* command : {actions().tools_camera_editor}) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
      auto* editor = dynamic_cast<CameraEditDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(editor, nullptr);
      opened = true;
      EXPECT_EQ(editor->windowTitle(), "Camera Editor");
      editor->close();
    });
    command->trigger();
    EXPECT_TRUE(opened);
  }
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
  project().model.selection_size = SelectionSize::Large;
  project().post(Notification::ImagesChanged);            // presses Large Selection
  project().model.selection_size = SelectionSize::Small;  // changed again before delivery
  actions().tool_large_selection->setChecked(true);
  project().post(Notification::DisplayChanged);
  EXPECT_TRUE(actions().tool_large_selection->isChecked());
  deliver();
  // The refresh saw the model as it was at delivery time.
  EXPECT_TRUE(actions().tool_small_selection->isChecked());
}

TEST_F(Notifications, DeleteButtonFollowsThePointSelection) {
  add_point(0, 0, 0, 0);
  EXPECT_FALSE(actions().tool_delete->isEnabled());
  ModelPoint* p = add_point(1, 1, 1, 1);
  EXPECT_TRUE(actions().tool_delete->isEnabled());
  window->layer_material_panel()->setCurrentIndex(1);  // face mode
  EXPECT_EQ(project().point_mode, PointMode::Faces);
  project().set_selection(project().model.points.index_of(p), false);
  project().note_change();
  deliver();
  EXPECT_FALSE(actions().tool_delete->isEnabled());
  window->layer_material_panel()->setCurrentIndex(0);
  EXPECT_EQ(project().point_mode, PointMode::Points);
}

// A view's rectangle in the coordinates of the view area.
QRect in_area(const MainWindow& window, const QWidget& view) {
  return QRect(view.mapTo(window.view_area(), QPoint(0, 0)), view.size());
}

TEST_F(Layout, ViewsFollowTheViewAreaInBothDisplays) {
  window->show();
  window->resize(1003, 720);
  deliver();
  const QRect inner = window->view_area()->contentsRect();
  ASSERT_GT(inner.width(), 600);
  EXPECT_EQ(in_area(*window, window->image_view()), inner);
  EXPECT_TRUE(window->image_view().isVisible());
  EXPECT_FALSE(window->cad_view(0).isVisible());

  actions().tool_mixed_display->trigger();
  deliver();
  EXPECT_EQ(window->display_mode(), DisplayMode::Mixed);
  // The image view on the left with 60 % of the width, the upper and the
  // lower CAD view on the right sharing the height; the splitter handles
  // lie between them.
  const auto check_mixed = [&] {
    const QRect area = window->view_area()->contentsRect();
    const QRect image = in_area(*window, window->image_view());
    const QRect upper = in_area(*window, window->cad_view(1));
    const QRect lower = in_area(*window, window->cad_view(2));
    EXPECT_EQ(image.topLeft(), area.topLeft());
    EXPECT_EQ(image.bottom(), area.bottom());
    EXPECT_NEAR(image.width(), 0.6 * area.width(), 6.0);
    EXPECT_GT(upper.left(), image.right());
    EXPECT_EQ(upper.left(), lower.left());
    EXPECT_EQ(upper.top(), area.top());
    EXPECT_EQ(upper.right(), area.right());
    EXPECT_EQ(lower.right(), area.right());
    EXPECT_EQ(lower.bottom(), area.bottom());
    EXPECT_GT(lower.top(), upper.bottom());
    EXPECT_NEAR(upper.height(), lower.height(), 1.0);
  };
  check_mixed();
  EXPECT_TRUE(window->cad_view(1).isVisible());
  EXPECT_TRUE(window->cad_view(2).isVisible());
  EXPECT_FALSE(window->cad_view(0).isVisible());
  EXPECT_EQ(window->cad_view(1).current_axis(), 1);
  EXPECT_EQ(window->cad_view(2).current_axis(), 0);
  // A larger window keeps the shares.
  window->resize(1400, 900);
  deliver();
  check_mixed();

  actions().tool_tabbed_display->trigger();
  deliver();
  EXPECT_EQ(in_area(*window, window->image_view()), window->view_area()->contentsRect());
  EXPECT_FALSE(window->cad_view(1).isVisible());
}

// HOME (View > Fit to Window) fits the view that has the keyboard: the
// photograph whole in the image view, every point in each CAD view, in
// both displays; none of it marks the project modified.
TEST_F(Layout, HomeFitsEachViewWithoutMarkingTheProject) {
  window->show();
  window->resize(1003, 720);
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTemporaryDir dir;
  const QString path = dir.filePath("photo.bmp");
  QImage photo(2272, 1704, QImage::Format_RGB32);
  photo.fill(Qt::gray);
  ASSERT_TRUE(photo.save(path, "BMP"));
  auto added = std::make_unique<ProjectImage>();
  added->file_name = "photo.bmp";
  added->resolved_path = path.toStdString();
  added->view.zoom = 3.0;  // a view the user zoomed
  ProjectImage* image = add_image(project(), std::move(added));
  project().images().current = image;
  const std::vector<Vec3> points{{5000, 3000, -2000}, {-4000, -100, 2500}, {10, 20, 30}};
  for (const Vec3& p : points) add_point(p.x, p.y, p.z, 0);
  project().modified = false;
  deliver();

  const auto fits_photo = [&] {
    ImageView& view = window->image_view();
    const Point2 a = image_to_client(image->view, view.view_size(), {0, 0});
    const Point2 b = image_to_client(image->view, view.view_size(), {2272, 1704});
    return a.x >= 0 && a.y >= 0 && b.x <= view.width() && b.y <= view.height() &&
           (b.x - a.x > 0.8 * view.width() || b.y - a.y > 0.8 * view.height());
  };
  const auto fits_model = [&](CadView& view) {
    for (const Vec3& p : points) {
      const Point2 c =
          image_to_client(view.state().current(), view.view_size(), axis_projection(view.current_axis(), p));
      if (!view.rect().contains(QPoint(int(c.x), int(c.y)))) return false;
    }
    return true;
  };
  const auto home = [&](QWidget& view) {
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Home);
    deliver();
  };
  EXPECT_FALSE(fits_photo());
  home(window->image_view());
  EXPECT_TRUE(fits_photo());

  actions().tool_mixed_display->trigger();
  deliver();
  for (int i : {1, 2}) {
    EXPECT_FALSE(fits_model(window->cad_view(i))) << i;
    home(window->cad_view(i));
    EXPECT_TRUE(fits_model(window->cad_view(i))) << i;
  }
  actions().tool_tabbed_display->trigger();
  test_support::click_tab(window->image_list_panel(), 1);
  deliver();
  ASSERT_TRUE(window->cad_view(0).isVisible());
  home(window->cad_view(0));
  EXPECT_TRUE(fits_model(window->cad_view(0)));
  EXPECT_FALSE(project().modified);
}

TEST_F(Layout, DocksStartLeftAndComeBackAsTheUserLeftThem) {
  window.reset();
  settings.write_text("MainDocks", "not a state");  // refused: the first-start docks
  window = make();
  window->show();
  deliver();
  QDockWidget* images = window->images_dock();
  QDockWidget* layers = window->layers_dock();
  EXPECT_EQ(window->dockWidgetArea(images), Qt::LeftDockWidgetArea);
  EXPECT_EQ(window->dockWidgetArea(layers), Qt::LeftDockWidgetArea);
  EXPECT_TRUE(images->isVisible());
  EXPECT_TRUE(layers->isVisible());
  EXPECT_LT(images->geometry().bottom(), layers->geometry().top());
  EXPECT_LT(images->geometry().right(), window->view_area()->geometry().left());
  EXPECT_NEAR(images->width(), 176, 8);

  // Closed with its title bar button, the panel comes back from the View menu.
  auto* close_button = images->findChild<QAbstractButton*>(QStringLiteral("qt_dockwidget_closebutton"));
  ASSERT_NE(close_button, nullptr);
  QTest::mouseClick(close_button, Qt::LeftButton);
  deliver();
  EXPECT_FALSE(images->isVisible());
  QAction* show_images = nullptr;
  for (QAction* menu : window->menuBar()->actions())
    for (QAction* entry : menu->menu()->actions())
      if (entry->text() == images->windowTitle()) show_images = entry;
  ASSERT_NE(show_images, nullptr);
  show_images->trigger();
  EXPECT_TRUE(images->isVisible());

  // Kept at shut-down, restored at the next start.
  layers->close();
  window.reset();
  window = make();
  window->show();
  deliver();
  EXPECT_TRUE(window->images_dock()->isVisible());
  EXPECT_FALSE(window->layers_dock()->isVisible());
}

TEST_F(Display, CadPageShowsTheTabbedCadViewAndDisablesMixed) {
  window->show();
  window->image_list_panel()->setCurrentIndex(1);
  deliver();
  EXPECT_EQ(project().cad_page_shown, 1);
  EXPECT_FALSE(actions().tool_mixed_display->isEnabled());
  EXPECT_TRUE(window->cad_view(0).isVisible());
  EXPECT_FALSE(window->image_view().isVisible());
  project().active_cad_view = 2;
  project().post(Notification::ImagesChanged);
  deliver();
  EXPECT_EQ(window->cad_view(0).current_axis(), 2);

  window->image_list_panel()->setCurrentIndex(0);
  deliver();
  EXPECT_EQ(project().cad_page_shown, 0);
  EXPECT_TRUE(actions().tool_mixed_display->isEnabled());
  EXPECT_TRUE(window->image_view().isVisible());
  EXPECT_FALSE(window->cad_view(0).isVisible());
}

TEST_F(Panels, MirrorBoxAndModeButtonsSetTheProject) {
  EXPECT_TRUE(window->create_button()->isChecked());
  EXPECT_EQ(project().select_mode, SelectMode::Create);
  window->select_button()->click();
  EXPECT_EQ(project().select_mode, SelectMode::Select);
  window->create_button()->click();
  EXPECT_EQ(project().select_mode, SelectMode::Create);

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
  actions().file_open->trigger();
  EXPECT_EQ(project().path, "/data/house.op2");
  EXPECT_EQ(project().model.description, "house");
  EXPECT_EQ(window->windowTitle(), "house.op2 - Plenvista");
  EXPECT_TRUE(questions.asked.empty());

  actions().file_open->trigger();  // cancelled: nothing changes
  EXPECT_EQ(project().path, "/data/house.op2");
}

TEST_F(OpenCommand, AFailedOpenKeepsThePathSoSaveCannotOverwriteTheBrokenFile) {
  store.files["/data/good.op2"] = "good";
  store.files["/data/broken.op2"] = "broken";
  store.unreadable.insert("/data/broken.op2");
  files.choices = {"/data/good.op2", "/data/broken.op2"};
  actions().file_open->trigger();
  actions().file_open->trigger();
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_EQ(questions.told[0].text, "Cannot Open Project File");
  EXPECT_EQ(project().path, "/data/good.op2");
  EXPECT_EQ(project().file_name, "good.op2");
  EXPECT_EQ(window->windowTitle(), "good.op2 - Plenvista");
  actions().file_save->trigger();
  EXPECT_EQ(store.saved_paths, std::vector<std::string>{"/data/good.op2"});
  EXPECT_EQ(store.files["/data/broken.op2"], "broken");
}

TEST_F(OpenCommand, AskedBeforeAModifiedProjectIsReplaced) {
  store.files["/data/a.op2"] = "a";
  store.files["/data/b.op2"] = "b";
  files.choices = {"/data/a.op2"};
  actions().file_open->trigger();
  project().model.description = "a edited";
  add_point(0, 0, 0, 0);
  ASSERT_TRUE(project().modified);

  questions.answers = {QMessageBox::Cancel};
  files.choices = {"/data/b.op2"};
  actions().file_open->trigger();
  EXPECT_EQ(project().path, "/data/a.op2");
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(questions.asked[0].text, "Save Change ?");
  EXPECT_EQ(questions.asked[0].caption, "Plenvista");
  EXPECT_EQ(questions.asked[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);

  questions.answers = {QMessageBox::Yes};
  actions().file_open->trigger();
  EXPECT_EQ(store.files["/data/a.op2"], "a edited");
  EXPECT_EQ(project().path, "/data/b.op2");
}

TEST_F(SaveCommand, SaveAsSetsPathAndTitleAndSaveWithoutPathRunsIt) {
  files.choices = {std::nullopt};
  actions().file_save->trigger();  // no path: Save As, cancelled
  EXPECT_TRUE(store.saved_paths.empty());
  EXPECT_FALSE(project().path.has_value());

  project().model.description = "box";
  files.choices = {"/data/box.op2"};
  actions().file_save->trigger();
  EXPECT_EQ(store.files["/data/box.op2"], "box");
  EXPECT_EQ(window->windowTitle(), "box.op2 - Plenvista");

  files.choices = {"/other/copy.op2"};
  actions().file_save_as->trigger();
  EXPECT_EQ(files.save_initials.back(), "/data/box.op2");
  EXPECT_EQ(project().path, "/other/copy.op2");
  EXPECT_EQ(window->windowTitle(), "copy.op2 - Plenvista");
  actions().file_save->trigger();
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
  ASSERT_TRUE(actions().tool_delete->isEnabled());
  actions().tool_delete->trigger();  // Delete
  deliver();
  EXPECT_EQ(project().model.points.count(), 0);
  actions().edit_undo->trigger();  // menu Undo
  EXPECT_EQ(project().model.points.count(), 1);
  actions().edit_redo->trigger();  // menu Redo
  EXPECT_EQ(project().model.points.count(), 0);
  QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(project().model.points.count(), 1);
  QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(project().model.points.count(), 0);
  actions().edit_undo->trigger();  // toolbar Undo
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
  actions().file_open->trigger();
  window->show();
  add_point(1, 2, 3, 0);
  questions.answers = {QMessageBox::Yes};
  actions().file_close->trigger();  // "&Close" as the close button
  EXPECT_TRUE(window->isVisible());
  questions.answers = {QMessageBox::No};
  actions().file_exit->trigger();  // Exit asks as well
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(questions.asked.size(), 2u);
}

TEST_F(NewCommand, AsksWhenModifiedAndClearsThePathAndTitle) {
  store.files["/data/a.op2"] = "a";
  files.choices = {"/data/a.op2"};
  actions().file_open->trigger();
  add_point(1, 1, 1, 0);
  questions.answers = {QMessageBox::Cancel};
  actions().file_new->trigger();
  EXPECT_EQ(project().model.points.count(), 1);
  questions.answers = {QMessageBox::No};
  bool properties_opened = false;
  cancel_project_dialog(&properties_opened);
  actions().file_new->trigger();
  deliver();
  EXPECT_TRUE(properties_opened);
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
    MainWindow dlg({ini, files, questions, store.functions(), {}});
    EXPECT_EQ(dlg.size(), QSize(900, 650));
    EXPECT_EQ(dlg.pos(), QPoint(50, 50));
    dlg.actions().file_open->trigger();
    dlg.move(120, 80);
    dlg.resize(1000, 700);
  }
  EXPECT_EQ(ini.read_int("MainLeft", 0), 120);
  EXPECT_EQ(ini.read_int("MainTop", 0), 80);
  EXPECT_EQ(ini.read_int("MainWidth", 0), 1000);
  EXPECT_EQ(ini.read_int("MainHeight", 0), 700);
  EXPECT_EQ(ini.read_text("LastProject"), "/data/p.op2");
  MainWindow again({ini, files, questions, store.functions(), {}});
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

TEST_F(Keyboard, KeysAndClicksInTheViewsReachTheModelButNeverCloseTheWindow) {
  window->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  for (QWidget* view : {static_cast<QWidget*>(&window->image_view()), static_cast<QWidget*>(&window->cad_view(0))}) {
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Enter);
    QTest::keyClick(view, Qt::Key_Escape);
  }
  deliver();
  EXPECT_TRUE(window->isVisible());

  // A click in the CAD page's view selects the point at the origin, which the
  // status bar then shows; DELETE in the view removes it.
  ModelPoint* p = add_point(0, 0, 0, 0);
  window->image_list_panel()->setCurrentIndex(1);
  window->select_button()->click();
  deliver();
  CadView& cad = window->cad_view(0);
  ASSERT_TRUE(cad.isVisible());
  QTest::mouseMove(&cad, QPoint(cad.width() / 2, cad.height() / 2));
  QTest::mouseClick(&cad, Qt::LeftButton, Qt::NoModifier, QPoint(cad.width() / 2, cad.height() / 2));
  deliver();
  EXPECT_EQ(p->selected, 1);
  EXPECT_EQ(window->status_text(1), "x:0.00, y:0.00, z:0.00");
  EXPECT_TRUE(actions().tool_delete->isEnabled());
  QTest::keyClick(&cad, Qt::Key_Delete);
  deliver();
  EXPECT_EQ(window->status_text(3), "Points : 0, Faces : 0");
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
  actions().help_contents->trigger();
  EXPECT_TRUE(window->help_window()->isVisible());
  actions().help_about->trigger();
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
  MainWindow window({settings, files, questions, {open_project, save_project}, {}});
  window.project().model.description = "kept";
  files.choices = {path};
  window.actions().file_save_as->trigger();
  EXPECT_EQ(window.windowTitle(), "round trip.op2 - Plenvista");
  cancel_project_dialog();
  window.actions().file_new->trigger();
  EXPECT_EQ(window.project().model.description, "");
  files.choices = {path};
  window.actions().file_open->trigger();
  EXPECT_EQ(window.project().model.description, "kept");
  EXPECT_EQ(window.windowTitle(), "round trip.op2 - Plenvista");
  EXPECT_TRUE(questions.told.empty());
}

}  // namespace
}  // namespace plenvista
