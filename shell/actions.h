#pragma once

// Actions: every command of the main window as a named QAction, made here
// and nowhere else. Menu entries and toolbar buttons are actions of their
// own (their texts and keys differ); both carry their CommandId as data.
// The owner (the main window) connects each action to its effect; panels
// and dialogs that need a command (to enable it, check it or run it) take
// the Actions and name the member.
//
// Checkable toolbar buttons come in exclusive groups: small / large
// selection; new / add / remove selection; tabbed / mixed display. The
// menu keys Ctrl+N, Ctrl+O, Ctrl+S, Ctrl+Z and Ctrl+Y belong to the menu
// entries.

#include <QObject>

class QAction;
class QMenuBar;
class QToolBar;

namespace plenvista {

class Actions {
 public:
  // The actions are children of `owner`.
  explicit Actions(QObject* owner);

  // Adds the five menus with their entries and separators.
  void fill_menu_bar(QMenuBar* bar) const;
  // Adds the 22 buttons with their separators and images.
  void fill_toolbar(QToolBar* toolbar) const;

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
  // Menu "&Tools".
  QAction* tools_export;
  QAction* tools_export_points;
  QAction* tools_export_gcp_list;
  QAction* tools_export_cameras;
  QAction* tools_camera_editor;
  QAction* tools_residuals;  // shows or hides the "Residuals" dock
  QAction* tools_measure;    // shows or hides the "Measure" dock
  // Menu "&Help".
  QAction* help_contents;
  QAction* help_open_sample;
  QAction* help_about;

  // Toolbar buttons, left to right.
  QAction* tool_new;
  QAction* tool_open;
  QAction* tool_save;
  QAction* tool_undo;
  QAction* tool_redo;
  QAction* tool_delete;
  QAction* tool_translations;
  QAction* tool_materials;
  QAction* tool_layers;
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
  QAction* tool_camera_editor;
  QAction* tool_export;
};

}  // namespace plenvista
