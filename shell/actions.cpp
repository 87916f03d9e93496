#include "shell/actions.h"

#include <QAction>
#include <QActionGroup>
#include <QDockWidget>
#include <QMenuBar>
#include <QToolBar>
#include <initializer_list>

#include "model/edit_actions.h"
#include "model/translation.h"
#include "model/undo_commands.h"
#include "platform/project_photograph.h"
#include "shell/dialogs/camera_edit_dialog.h"
#include "shell/dialogs/export_dialog.h"
#include "shell/dialogs/find_ties_dialog.h"
#include "shell/dialogs/layers_dialog.h"
#include "shell/dialogs/materials_dialog.h"
#include "shell/dialogs/orient_dialog.h"
#include "shell/dialogs/set_layer_dialog.h"
#include "shell/dialogs/set_material_dialog.h"
#include "shell/dialogs/set_textures_dialog.h"
#include "shell/dialogs/translation_editor_dialog.h"
#include "shell/exchange_commands.h"
#include "shell/main_window.h"
#include "shell/panels/image_list_panel.h"
#include "shell/panels/tie_points_panel.h"

namespace plenvista {

namespace {

using Check = Command::Check;

template <typename Dialog, typename... Args>
int run_dialog(Args&&... args) {
  Dialog dialog(std::forward<Args>(args)...);
  return dialog.exec();
}

ExchangeSeams exchange(MainWindow& w) { return {w.project(), w.files(), w.questions(), &w}; }

void set_selection_size(Project& project, SelectionSize size) {
  project.model.selection_size = size;
  project.post(Notification::ImagesChanged);
}

bool any_point_selected(const MainWindow& w) {
  for (const ModelPoint* p : w.project().model.points)
    if (p->selected) return true;
  return false;
}

// The menu texts name their keys; Qt adds nothing to a text that has them.
const Command kCommands[] = {
    {.id = CommandId::New,
     .member = &Actions::file_new,
     .text = "&New\tCtrl+N",
     .key = Qt::CTRL | Qt::Key_N,
     .tip = "New Project",
     .image = {"document-new", 0xffffff, ""},
     .run = [](MainWindow& w) { w.new_project(); }},
    {.id = CommandId::Open,
     .member = &Actions::file_open,
     .text = "&Open...\tCtrl+O",
     .key = Qt::CTRL | Qt::Key_O,
     .tip = "Open",
     .image = {"document-open", 0xe6b43c, ""},
     .run = [](MainWindow& w) { w.open_project(); },
     .enabled = [](const MainWindow& w) { return w.can_open(); }},
    {.id = CommandId::Close, .member = &Actions::file_close, .text = "&Close", .run = [](MainWindow& w) { w.close(); }},
    {.id = CommandId::Save,
     .member = &Actions::file_save,
     .text = "&Save\tCtrl-S",
     .key = Qt::CTRL | Qt::Key_S,
     .tip = "Save",
     .image = {"document-save", 0x3c5aaa, ""},
     .run = [](MainWindow& w) { w.save(); },
     .enabled = [](const MainWindow& w) { return w.can_save(); }},
    {.id = CommandId::SaveAs,
     .member = &Actions::file_save_as,
     .text = "Save &As...",
     .run = [](MainWindow& w) { w.save_as(); },
     .enabled = [](const MainWindow& w) { return w.can_save(); }},
    {.id = CommandId::Exit, .member = &Actions::file_exit, .text = "E&xit", .run = [](MainWindow& w) { w.close(); }},
    {.id = CommandId::Undo,
     .member = &Actions::edit_undo,
     .text = "&Undo\tCtrl-Z",
     .key = Qt::CTRL | Qt::Key_Z,
     .tip = "Undo",
     .image = {"edit-undo", 0x28823c, ""},
     .run = [](MainWindow& w) { undo_command(w.project()); }},
    {.id = CommandId::Redo,
     .member = &Actions::edit_redo,
     .text = "&Redo\tCtrl-Y",
     .key = Qt::CTRL | Qt::Key_Y,
     .tip = "Redo",
     .image = {"edit-redo", 0x28823c, ""},
     .run = [](MainWindow& w) { redo_command(w.project()); }},
    {.id = CommandId::Delete,
     .member = &Actions::tool_delete,
     .text = "Delete",
     .image = {"edit-delete", 0xc82828, ""},
     .run = [](MainWindow& w) { delete_command(w.project()); },
     .enabled = any_point_selected},
    {.id = CommandId::Translations,
     .member = &Actions::project_translations,
     .text = "Translations",
     .tip = "Translation / Scaling",
     .image = {nullptr, 0x5a3ca0, "T"},
     .run =
         [](MainWindow& w) {
           TranslationEditorDialog dialog(w.project().model.transform, w.questions(), &w);
           if (dialog.exec() == QDialog::Accepted) apply_translation(w.project(), dialog.edit());
         }},
    // The layer and material pages refresh on the ImagesChanged that the
    // dialogs post with OK.
    {.id = CommandId::Materials,
     .member = &Actions::project_materials,
     .text = "Materials",
     .image = {nullptr, 0xbe781e, "M"},
     .run = [](MainWindow& w) { run_dialog<MaterialsDialog>(w.project(), w.choosers(), w.questions(), &w); }},
    {.id = CommandId::Layers,
     .member = &Actions::project_layers,
     .text = "Layers",
     .image = {nullptr, 0x1e8296, "L"},
     .run =
         [](MainWindow& w) {
           if (run_dialog<LayersDialog>(w.project(), w.choosers(), w.questions(), &w) == QDialog::Accepted)
             w.repaint_views();
         }},
    {.id = CommandId::Properties,
     .member = &Actions::project_properties,
     .text = "Properties",
     .run = [](MainWindow& w) { w.edit_properties(); }},
    {.id = CommandId::ImportControlPoints,
     .member = &Actions::project_import_control_points,
     .text = "Import Control Points...",
     .run = [](MainWindow& w) { import_control_points_command(exchange(w)); }},
    {.id = CommandId::ImportGcpList,
     .member = &Actions::project_import_gcp_list,
     .text = "Import GCP List...",
     .run = [](MainWindow& w) { import_gcp_list_command(exchange(w)); }},
    {.id = CommandId::ImportMarks,
     .member = &Actions::project_import_marks,
     .text = "Import Marks...",
     .run = [](MainWindow& w) { import_marks_command(exchange(w)); }},
    // The dialog's result rows make their point the tie points panel's
    // current one.
    {.id = CommandId::OrientPhotographs,
     .member = &Actions::project_orient,
     .text = "Orient Photographs...",
     .run =
         [](MainWindow& w) {
           OrientDialog dialog(w.project(), &w);
           if (auto* panel = w.findChild<TiePointsPanel*>())
             QObject::connect(&dialog, &OrientDialog::pointChosen, panel, &TiePointsPanel::choose_point);
           dialog.exec();
         }},
    {.id = CommandId::SetMaterial,
     .member = &Actions::tool_set_material,
     .text = "Set Material",
     .image = {nullptr, 0x965a14, "SM"},
     .run = [](MainWindow& w) { run_dialog<SetMaterialDialog>(w.project(), &w); }},
    {.id = CommandId::SetLayer,
     .member = &Actions::tool_set_layer,
     .text = "Set Layer",
     .image = {nullptr, 0x146478, "SL"},
     .run = [](MainWindow& w) { run_dialog<SetLayerDialog>(w.project(), &w); }},
    {.id = CommandId::CommitMirror,
     .member = &Actions::tool_commit_mirror,
     .text = "Commit Mirror",
     .image = {nullptr, 0x782878, "|"},
     .run = [](MainWindow& w) { commit_mirror(w.project()); }},
    {.id = CommandId::ApplyTexture,
     .member = &Actions::tool_apply_texture,
     .text = "Apply Texture",
     .image = {nullptr, 0x96643c, "Tx"},
     .run = [](MainWindow& w) { run_dialog<SetTexturesDialog>(w.project(), &w); }},
    {.id = CommandId::SmallSelection,
     .member = &Actions::tool_small_selection,
     .text = "Small Selection",
     .image = {nullptr, 0x000000, ""},
     .check = Check::SelectionSize,
     .run = [](MainWindow& w) { set_selection_size(w.project(), SelectionSize::Small); }},
    {.id = CommandId::LargeSelection,
     .member = &Actions::tool_large_selection,
     .text = "Large Selection",
     .image = {nullptr, 0x000000, ""},
     .check = Check::SelectionSize,
     .run = [](MainWindow& w) { set_selection_size(w.project(), SelectionSize::Large); }},
    {.id = CommandId::NewSelection,
     .member = &Actions::tool_new_selection,
     .text = "New selection",
     .image = {nullptr, 0x1e50c8, "="},
     .check = Check::SelectionMode,
     .run = [](MainWindow& w) { w.project().model.selection_mode = SelectionMode::New; }},
    {.id = CommandId::AddToSelection,
     .member = &Actions::tool_add_to_selection,
     .text = "Add to selection",
     .image = {nullptr, 0x1e961e, "+"},
     .check = Check::SelectionMode,
     .run = [](MainWindow& w) { w.project().model.selection_mode = SelectionMode::Add; }},
    {.id = CommandId::RemoveFromSelection,
     .member = &Actions::tool_remove_from_selection,
     .text = "Remove from selection",
     .image = {nullptr, 0xc82828, "-"},
     .check = Check::SelectionMode,
     .run = [](MainWindow& w) { w.project().model.selection_mode = SelectionMode::Remove; }},
    {.id = CommandId::TabbedDisplay,
     .member = &Actions::tool_tabbed_display,
     .text = "Tabbed Image / CAD display",
     .image = {nullptr, 0x505050, ""},
     .check = Check::Display,
     .run = [](MainWindow& w) { w.set_display_mode(DisplayMode::Tabbed); }},
    // The mixed display shows the image view: not from the CAD or 3D page.
    {.id = CommandId::MixedDisplay,
     .member = &Actions::tool_mixed_display,
     .text = "Mixed Image / CAD display",
     .image = {nullptr, 0x505050, ""},
     .check = Check::Display,
     .run = [](MainWindow& w) { w.set_display_mode(DisplayMode::Mixed); },
     .enabled =
         [](const MainWindow& w) {
           return !w.image_list_panel()->cad_page_shown() && !w.image_list_panel()->model_3d_page_shown();
         }},
    {.id = CommandId::Model3dDisplay,
     .member = &Actions::tool_3d_display,
     .text = "3D display",
     .tip = "3D view of the model",
     .image = {nullptr, 0x505050, "3D"},
     .check = Check::Display,
     .run = [](MainWindow& w) { w.set_display_mode(DisplayMode::Model3d); }},
    {.id = CommandId::Export,
     .member = &Actions::tools_export,
     .text = "Export",
     .image = {"document-export", 0x287828, ""},
     .run = [](MainWindow& w) { run_dialog<ExportDialog>(w.project(), w.files(), &w); }},
    {.id = CommandId::ExportPoints,
     .member = &Actions::tools_export_points,
     .text = "Export Points...",
     .run = [](MainWindow& w) { export_points_command(exchange(w)); }},
    {.id = CommandId::ExportGcpList,
     .member = &Actions::tools_export_gcp_list,
     .text = "Export GCP List...",
     .run = [](MainWindow& w) { export_gcp_list_command(exchange(w)); }},
    {.id = CommandId::ExportCameras,
     .member = &Actions::tools_export_cameras,
     .text = "Export Cameras...",
     .run = [](MainWindow& w) { export_cameras_command(exchange(w)); }},
    {.id = CommandId::ExportMarks,
     .member = &Actions::tools_export_marks,
     .text = "Export Marks...",
     .run = [](MainWindow& w) { export_marks_command(exchange(w)); }},
    {.id = CommandId::MakePointsFromTiePoints,
     .member = &Actions::tools_make_points,
     .text = "Make Points from Tie Points",
     .run =
         [](MainWindow& w) {
           if (auto* panel = w.findChild<TiePointsPanel*>()) panel->make_points();
         }},
    {.id = CommandId::CameraEditor,
     .member = &Actions::tools_camera_editor,
     .text = "Camera Setup / Calibration",
     .tip = "Camera Editor",
     .image = {"camera-photo", 0x3c3c3c, ""},
     .run = [](MainWindow& w) { run_dialog<CameraEditDialog>(w.files(), w.questions(), &w); }},
    {.id = CommandId::Residuals,
     .member = &Actions::tools_residuals,
     .text = "Residuals",
     .check = Check::Toggle,
     .run = [](MainWindow& w) { w.residuals_dock()->setVisible(w.actions().tools_residuals->isChecked()); }},
    {.id = CommandId::Measure,
     .member = &Actions::tools_measure,
     .text = "Measure",
     .check = Check::Toggle,
     .run = [](MainWindow& w) { w.measure_dock()->setVisible(w.actions().tools_measure->isChecked()); }},
    {.id = CommandId::FindTiePoints,
     .text = "Find Tie Points...",
     .run =
         [](MainWindow& w) {
           run_dialog<FindTiesDialog>(w.project(), read_project_photograph, std::vector<int>{}, &w);
         },
     .enabled = [](const MainWindow& w) { return w.project().images().images.count() >= 2; }},
    // HOME reaches the command from the views; a text field keeps its own HOME.
    {.id = CommandId::FitToWindow,
     .member = &Actions::view_fit_to_window,
     .text = "&Fit to Window\tHome",
     .key = Qt::Key_Home,
     .run = [](MainWindow& w) { w.fit_views(); }},
    {.id = CommandId::Contents,
     .member = &Actions::help_contents,
     .text = "Contents",
     .key = Qt::Key_F1,
     .run = [](MainWindow& w) { w.show_help(); }},
    {.id = CommandId::OpenSample,
     .member = &Actions::help_open_sample,
     .text = "Open Sample Project",
     .run = [](MainWindow& w) { w.open_sample_project(); }},
    {.id = CommandId::About,
     .member = &Actions::help_about,
     .text = "&About",
     .run = [](MainWindow& w) { w.show_about(); }},
};

// A separator in the menu and toolbar lists.
constexpr auto kSeparator = static_cast<CommandId>(-1);

struct MenuList {
  const char* title;
  std::initializer_list<CommandId> entries;
};

const MenuList kMenus[] = {
    {"&File",
     {CommandId::New, CommandId::Open, CommandId::Close, kSeparator, CommandId::Save, CommandId::SaveAs, kSeparator,
      CommandId::Exit}},
    {"&Edit", {CommandId::Undo, CommandId::Redo}},
    {"Project",
     {CommandId::Translations, CommandId::Materials, CommandId::Layers, CommandId::Properties, kSeparator,
      CommandId::ImportControlPoints, CommandId::ImportGcpList, CommandId::ImportMarks, kSeparator,
      CommandId::OrientPhotographs}},
    {"&Tools",
     {CommandId::Export, CommandId::ExportPoints, CommandId::ExportGcpList, CommandId::ExportCameras,
      CommandId::ExportMarks, CommandId::MakePointsFromTiePoints, CommandId::CameraEditor, CommandId::Residuals,
      CommandId::Measure, CommandId::FindTiePoints}},
    {"&Help", {CommandId::Contents, CommandId::OpenSample, kSeparator, CommandId::About}},
};

const CommandId kToolbar[] = {
    CommandId::New,
    CommandId::Open,
    CommandId::Save,
    kSeparator,
    CommandId::Undo,
    CommandId::Redo,
    kSeparator,
    CommandId::Delete,
    kSeparator,
    CommandId::Translations,
    CommandId::Materials,
    CommandId::Layers,
    kSeparator,
    CommandId::SetMaterial,
    CommandId::SetLayer,
    kSeparator,
    CommandId::CommitMirror,
    CommandId::ApplyTexture,
    kSeparator,
    CommandId::SmallSelection,
    CommandId::LargeSelection,
    kSeparator,
    CommandId::NewSelection,
    CommandId::AddToSelection,
    CommandId::RemoveFromSelection,
    kSeparator,
    CommandId::TabbedDisplay,
    CommandId::MixedDisplay,
    CommandId::Model3dDisplay,
    kSeparator,
    CommandId::CameraEditor,
    CommandId::Export,
};

}  // namespace

const Command* find_command(CommandId id) {
  for (const Command& command : kCommands)
    if (command.id == id) return &command;
  return nullptr;
}

Actions::Actions(QObject* owner) {
  std::map<Check, QActionGroup*> groups;
  for (const Command& command : kCommands) {
    auto* made = new QAction(QString::fromLatin1(command.text), owner);
    made->setData(static_cast<int>(command.id));
    if (command.key != QKeyCombination()) made->setShortcut(QKeySequence(command.key));
    // The menus keep to their texts; the images belong to the buttons.
    made->setIconVisibleInMenu(false);
    if (command.check != Check::None) made->setCheckable(true);
    if (command.check != Check::None && command.check != Check::Toggle) {
      QActionGroup*& group = groups[command.check];
      if (group == nullptr) group = new QActionGroup(owner);
      group->addAction(made);
    }
    by_id_[command.id] = made;
    if (command.member != nullptr) this->*command.member = made;
  }
  for (CommandId id : kToolbar) {
    if (id == kSeparator) continue;
    const Command* command = find_command(id);
    QAction* button = by_id_.at(id);
    button->setToolTip(QString::fromLatin1(command->tip != nullptr ? command->tip : command->text));
    button->setIcon(toolbar_icon(id, command->image));
  }
  tool_tabbed_display->setChecked(true);
}

void Actions::fill_menu_bar(QMenuBar* bar) const {
  for (const MenuList& list : kMenus) {
    QMenu* menu = bar->addMenu(QString::fromLatin1(list.title));
    for (CommandId id : list.entries) {
      if (id == kSeparator)
        menu->addSeparator();
      else
        menu->addAction(action(id));
    }
  }
}

void Actions::fill_toolbar(QToolBar* toolbar) const {
  for (CommandId id : kToolbar) {
    if (id == kSeparator)
      toolbar->addSeparator();
    else
      toolbar->addAction(action(id));
  }
}

void Actions::connect_handlers(MainWindow& window) const {
  for (const Command& command : kCommands)
    QObject::connect(action(command.id), &QAction::triggered, &window, [&window, run = command.run] { run(window); });
}

void Actions::update_enabled(const MainWindow& window) const {
  for (const Command& command : kCommands)
    if (command.enabled != nullptr) action(command.id)->setEnabled(command.enabled(window));
}

QAction* Actions::action(CommandId id) const {
  const auto found = by_id_.find(id);
  return found == by_id_.end() ? nullptr : found->second;
}

}  // namespace plenvista
