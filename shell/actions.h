#pragma once

// Actions: every command of the main window, each as one record in
// shell/actions.cpp (its id, menu text, key, toolbar tooltip and image,
// handler and enabling rule) and one named QAction made from it here and
// nowhere else. The menus and the toolbar are filled from lists of ids in
// the same file: a command with a menu entry and a button is the same
// action in both, connected once and enabled in one place.
//
// Adding a command: its id (shell/command_ids.h), its record and its place
// in a menu or in the toolbar list (shell/actions.cpp); a member below
// only when code names the action. Its handler gets the main window and
// reaches the project and the window's services through it.
//
// Checkable commands come in exclusive groups: small / large selection;
// new / add / remove selection; tabbed / mixed / 3D display. Residuals is
// checked while its dock shows. Ctrl+N, Ctrl+O, Ctrl+S, Ctrl+Z, Ctrl+Y and
// F1 run their commands anywhere in the window.

#include <QKeyCombination>
#include <QObject>
#include <map>

#include "shell/command_ids.h"
#include "shell/toolbar_icons.h"

class QAction;
class QMenuBar;
class QToolBar;

namespace plenvista {

class Actions;
class MainWindow;

struct Command {
  enum class Check { None, Toggle, SelectionSize, SelectionMode, Display };

  CommandId id;
  QAction* Actions::*member = nullptr;  // nullptr: reached through Actions::action only
  const char* text = "";                // the menu text (its keys after a tab), or the button's tooltip
  QKeyCombination key{};
  const char* tip = nullptr;  // the toolbar button's tooltip; nullptr: as `text`
  ButtonImage image{};
  Check check = Check::None;
  void (*run)(MainWindow& window) = nullptr;
  bool (*enabled)(const MainWindow& window) = nullptr;  // nullptr: always
};

// The record of `id`; nullptr for none.
const Command* find_command(CommandId id);

class Actions {
 public:
  // The actions are children of `owner`.
  explicit Actions(QObject* owner);

  // Adds the menus with their entries and separators.
  void fill_menu_bar(QMenuBar* bar) const;
  // Adds the toolbar's buttons with their separators and images.
  void fill_toolbar(QToolBar* toolbar) const;
  // Runs each command's handler on `window` when its action is triggered.
  void connect_handlers(MainWindow& window) const;
  // Applies every command's enabling rule.
  void update_enabled(const MainWindow& window) const;
  // The action of `id`.
  QAction* action(CommandId id) const;

  // Menu "&File".
  QAction* file_new;
  QAction* file_open;
  QAction* file_close;
  QAction* file_save;
  QAction* file_save_as;
  QAction* file_exit;
  // Menu "&Edit".
  QAction* edit_undo;
  QAction* edit_redo;
  // Menu "Project".
  QAction* project_translations;
  QAction* project_materials;
  QAction* project_layers;
  QAction* project_properties;
  QAction* project_import_control_points;
  QAction* project_import_gcp_list;
  QAction* project_import_marks;
  QAction* project_orient;
  // Menu "&Tools".
  QAction* tools_export;
  QAction* tools_export_points;
  QAction* tools_export_gcp_list;
  QAction* tools_export_cameras;
  QAction* tools_export_marks;
  QAction* tools_make_points;
  QAction* tools_camera_editor;
  QAction* tools_residuals;  // shows or hides the "Residuals" dock
  QAction* tools_measure;    // shows or hides the "Measure" dock
  // Menu "&View" (the main window's, beside the docks' entries).
  QAction* view_fit_to_window;
  // Menu "&Help".
  QAction* help_contents;
  QAction* help_open_sample;
  QAction* help_about;
  // On the toolbar only.
  QAction* tool_delete;
  QAction* tool_set_material;
  QAction* tool_set_layer;
  QAction* tool_commit_mirror;
  QAction* tool_apply_texture;
  QAction* tool_small_selection;
  QAction* tool_large_selection;
  QAction* tool_new_selection;
  QAction* tool_add_to_selection;
  QAction* tool_remove_from_selection;
  QAction* tool_tabbed_display;
  QAction* tool_mixed_display;
  QAction* tool_3d_display;

 private:
  std::map<CommandId, QAction*> by_id_;
};

}  // namespace plenvista
