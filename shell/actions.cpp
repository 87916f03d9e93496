#include "shell/actions.h"

#include <QAction>
#include <QActionGroup>
#include <QMenuBar>
#include <QToolBar>
#include <initializer_list>

#include "shell/command_ids.h"
#include "shell/toolbar_icons.h"

namespace plenvista {

namespace {

using Member = QAction* Actions::*;

struct Entry {
  Member member;  // nullptr: a separator
  CommandId id;
  const char* text;  // menu text, or the button's text and tooltip
};

constexpr Entry kSeparator{nullptr, CommandId{}, nullptr};

struct MenuTable {
  const char* title;
  std::initializer_list<Entry> entries;
};

// The menu texts name their keys; Qt adds nothing to a text that has them.
const MenuTable kMenus[] = {
    {"&File",
     {{&Actions::file_new, CommandId::FileNew, "&New\tCtrl+N"},
      {&Actions::file_open, CommandId::FileOpen, "&Open...\tCtrl+O"},
      {&Actions::file_close, CommandId::FileClose, "&Close"},
      kSeparator,
      {&Actions::file_save, CommandId::FileSave, "&Save\tCtrl-S"},
      {&Actions::file_save_as, CommandId::FileSaveAs, "Save &As..."},
      kSeparator,
      {&Actions::file_exit, CommandId::FileExit, "E&xit"}}},
    {"&Edit",
     {{&Actions::edit_undo, CommandId::EditUndo, "&Undo\tCtrl-Z"},
      {&Actions::edit_redo, CommandId::EditRedo, "&Redo\tCtrl-Y"}}},
    {"Project",
     {{&Actions::project_translations, CommandId::ProjectTranslations, "Translations"},
      {&Actions::project_materials, CommandId::ProjectMaterials, "Materials"},
      {&Actions::project_layers, CommandId::ProjectLayers, "Layers"},
      {&Actions::project_properties, CommandId::ProjectProperties, "Properties"},
      kSeparator,
      {&Actions::project_import_control_points, CommandId::ProjectImportControlPoints, "Import Control Points..."},
      {&Actions::project_import_gcp_list, CommandId::ProjectImportGcpList, "Import GCP List..."}}},
    {"&Tools",
     {{&Actions::tools_export, CommandId::ToolsExport, "Export"},
      {&Actions::tools_export_points, CommandId::ToolsExportPoints, "Export Points..."},
      {&Actions::tools_export_gcp_list, CommandId::ToolsExportGcpList, "Export GCP List..."},
      {&Actions::tools_export_cameras, CommandId::ToolsExportCameras, "Export Cameras..."},
      {&Actions::tools_camera_editor, CommandId::ToolsCameraEditor, "Camera Setup / Calibration"},
      {&Actions::tools_residuals, CommandId::ToolsResiduals, "Residuals"},
      {&Actions::tools_measure, CommandId::ToolsMeasure, "Measure"}}},
    {"&Help",
     {{&Actions::help_contents, CommandId::HelpContents, "Contents"},
      {&Actions::help_open_sample, CommandId::HelpOpenSample, "Open Sample Project"},
      kSeparator,
      {&Actions::help_about, CommandId::HelpAbout, "&About"}}},
};

const Entry kToolbar[] = {
    {&Actions::tool_new, CommandId::ToolNew, "New Project"},
    {&Actions::tool_open, CommandId::ToolOpen, "Open"},
    {&Actions::tool_save, CommandId::ToolSave, "Save"},
    kSeparator,
    {&Actions::tool_undo, CommandId::ToolUndo, "Undo"},
    {&Actions::tool_redo, CommandId::ToolRedo, "Redo"},
    kSeparator,
    {&Actions::tool_delete, CommandId::ToolDelete, "Delete"},
    kSeparator,
    {&Actions::tool_translations, CommandId::ToolTranslations, "Translation / Scaling"},
    {&Actions::tool_materials, CommandId::ToolMaterials, "Materials"},
    {&Actions::tool_layers, CommandId::ToolLayers, "Layers"},
    kSeparator,
    {&Actions::tool_set_material, CommandId::ToolSetMaterial, "Set Material"},
    {&Actions::tool_set_layer, CommandId::ToolSetLayer, "Set Layer"},
    kSeparator,
    {&Actions::tool_commit_mirror, CommandId::ToolCommitMirror, "Commit Mirror"},
    {&Actions::tool_apply_texture, CommandId::ToolApplyTexture, "Apply Texture"},
    kSeparator,
    {&Actions::tool_small_selection, CommandId::ToolSmallSelection, "Small Selection"},
    {&Actions::tool_large_selection, CommandId::ToolLargeSelection, "Large Selection"},
    kSeparator,
    {&Actions::tool_new_selection, CommandId::ToolNewSelection, "New selection"},
    {&Actions::tool_add_to_selection, CommandId::ToolAddToSelection, "Add to selection"},
    {&Actions::tool_remove_from_selection, CommandId::ToolRemoveFromSelection, "Remove from selection"},
    kSeparator,
    {&Actions::tool_tabbed_display, CommandId::ToolTabbedDisplay, "Tabbed Image / CAD display"},
    {&Actions::tool_mixed_display, CommandId::ToolMixedDisplay, "Mixed Image / CAD display"},
    kSeparator,
    {&Actions::tool_camera_editor, CommandId::ToolCameraEditor, "Camera Editor"},
    {&Actions::tool_export, CommandId::ToolExport, "Export"},
};

// Buttons that stay pressed until another of their group is.
const std::initializer_list<Member> kCheckGroups[] = {
    {&Actions::tool_small_selection, &Actions::tool_large_selection},
    {&Actions::tool_new_selection, &Actions::tool_add_to_selection, &Actions::tool_remove_from_selection},
    {&Actions::tool_tabbed_display, &Actions::tool_mixed_display},
};

QAction* make(QObject* owner, const Entry& entry) {
  auto* action = new QAction(QString::fromLatin1(entry.text), owner);
  action->setData(static_cast<int>(entry.id));
  return action;
}

}  // namespace

Actions::Actions(QObject* owner) {
  for (const MenuTable& menu : kMenus)
    for (const Entry& entry : menu.entries)
      if (entry.member != nullptr) this->*entry.member = make(owner, entry);
  for (const Entry& entry : kToolbar) {
    if (entry.member == nullptr) continue;
    QAction* action = make(owner, entry);
    action->setToolTip(QString::fromLatin1(entry.text));
    action->setIcon(toolbar_icon(entry.id));
    this->*entry.member = action;
  }
  file_new->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  file_open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  file_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  edit_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  edit_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
  for (const auto& members : kCheckGroups) {
    auto* group = new QActionGroup(owner);
    group->setExclusive(true);
    for (Member member : members) {
      (this->*member)->setCheckable(true);
      group->addAction(this->*member);
    }
  }
  tool_tabbed_display->setChecked(true);
  tools_residuals->setCheckable(true);
  tools_measure->setCheckable(true);
}

void Actions::fill_menu_bar(QMenuBar* bar) const {
  for (const MenuTable& menu_table : kMenus) {
    QMenu* menu = bar->addMenu(QString::fromLatin1(menu_table.title));
    for (const Entry& entry : menu_table.entries) {
      if (entry.member == nullptr)
        menu->addSeparator();
      else
        menu->addAction(this->*entry.member);
    }
  }
}

void Actions::fill_toolbar(QToolBar* toolbar) const {
  for (const Entry& entry : kToolbar) {
    if (entry.member == nullptr)
      toolbar->addSeparator();
    else
      toolbar->addAction(this->*entry.member);
  }
}

}  // namespace plenvista
