#pragma once

// Project: the one document of the running program. It owns the model, the
// image set (replaced by New only), the export settings, the undo history
// and the three CAD view records, and refers to the settings store, the
// notifier that carries its notifications to the main window and the sink
// for messages to the user. New and Open replace its content, never the
// object, so holders may keep a reference for the program's lifetime.
//
// `changed` is set only by the model's operations (through ProjectEdit,
// model/project_edit.h); windows and the command-line tool read it and call
// Note change, which turns it into `modified` and posts ModelChanged. Save
// clears `modified`. Both are flags held in memory only.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/settings_store.h"
#include "model/cad_view_state.h"
#include "model/export_settings.h"
#include "model/image_set.h"
#include "model/model_data.h"
#include "model/notifications.h"
#include "model/undo_history.h"
#include "model/user_messages.h"

namespace plenvista {

// Mouse position over the image view it last moved over.
struct CursorPosition {
  double image_x = 0.0;
  double image_y = 0.0;
  double window_x = 0.0;
  double window_y = 0.0;
};

// What clicks and bands in the views work on: the points, or the faces
// (the layer and material panel's "Faces" page).
enum class PointMode { Faces, Points };
// Whether a click or band selects ("Select") or makes points and faces
// ("Create").
enum class SelectMode { Create, Select };

inline constexpr const char* kOutOfIdsMessage =
    "This project has used up its record ids: nothing more can be added to it";

struct Project {
  // Create: the defaults and the preferences from the store.
  Project(SettingsStore& settings, Notifier& notifier, MessageSink& messages);
  Project(const Project&) = delete;
  Project& operator=(const Project&) = delete;

  CursorPosition cursor;
  ModelPoint* single_selected = nullptr;
  ModelPoint single_selected_transformed;
  PointMode point_mode = PointMode::Points;
  SelectMode select_mode = SelectMode::Create;
  int cad_page_shown = 0;
  bool modified = false;
  std::unique_ptr<ImageSet> image_set = std::make_unique<ImageSet>();
  ExportSettings export_settings;
  UndoHistory undo;
  SettingsStore& settings;
  std::array<CadViewState, 3> cad_views{};
  int active_cad_view = 0;
  ModelData model;
  std::optional<std::string> path;
  std::string directory;  // up to and including the last separator; empty while untitled
  std::string file_name;
  int file_version = 0;  // of the file last opened or saved; 0 before either
  std::optional<std::string> camera_file_name;
  std::optional<std::string> camera_file_path;
  Notifier& notifier;
  MessageSink& messages;

  ImageSet& images() { return *image_set; }
  const ImageSet& images() const { return *image_set; }

  void post(Notification n, int argument = 0) { notifier.post(n, argument); }

  // Whether an operation changed the project since the last Note change.
  bool changed() const { return changed_; }

  // Clears the project to the defaults (New). Does not ask to save.
  void new_project();
  // Stores the path and splits it at its last '/' or '\' into directory and
  // file name; without a separator the whole path is the file name and the
  // directory is left as it was.
  void set_path(const std::string& new_path);
  // If `changed`: `modified` set, refresh the single selection, post
  // ModelChanged, `changed` cleared.
  void note_change();
  // Whether `count` more ids can be given. When not, tells the user
  // (kOutOfIdsMessage, caption "Error") and the edit asking is refused.
  bool has_ids_for(std::int64_t count);
  void refresh_single_selection();
  // Clears every point's selected and picked flags, posts SelectionChanged 0
  // and sets `changed`.
  void clear_selection();
  // Toggle or set the selected flag of the point at a slot; out of range ignored.
  void toggle_selection(int slot);
  void set_selection(int slot, bool value);

 private:
  friend class ProjectEdit;

  void apply_defaults();
  void load_preferences();

  bool changed_ = false;
};

}  // namespace plenvista
