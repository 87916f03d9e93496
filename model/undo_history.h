#pragma once

// UndoHistory: the named edit actions since the last New, Open or Save, and a
// baseline copy of the points, texture coordinates and faces taken then.
// Layers and materials are recorded by id: replay of a record whose layer or
// material was deleted since uses the current one.
// Undo and redo do not reverse entries: they rebuild the three lists from the
// baseline and replay the actions up to the wanted position. Layers,
// materials, images, reference points and the transform are outside it,
// except for the actions that carry a MarksState before and after them
// (model/marks_state.h): undo_command and redo_command put those back.
// Replay skips ids that are not found; a face whose corner cannot be found is
// not re-created, so no face ever refers to a point outside the points list.
// The history is never saved and has no size limit.

#include <array>
#include <memory>
#include <string>

#include "model/id_list.h"
#include "model/model_data.h"
#include "model/model_records.h"

namespace plenvista {

enum class UndoKind : int {
  AddPoint = 1,
  DeletePoint = 2,
  SetPoint = 3,
  AddFace = 4,
  DeleteFace = 5,
  SetFace = 6,
  AddTextureCoord = 7,
  // Apply Texture discards every texture coordinate and every face corner's
  // reference to one; these two make that and the new attachments replayable.
  ClearTextureCoords = 8,    // no fields
  SetFaceTextureCoords = 9,  // record id, texture ids (after the edit)
  SetControlPoint = 10,      // record id, x, y, z (after the edit)
};

struct UndoEntry {
  int id = 0;  // entries live in an unsorted list; this field is unused
  UndoKind kind = UndoKind::AddPoint;
  int record_id = 0;
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  double u = 0.0;
  double v = 0.0;
  int layer_id = -1;     // by id, so a layer deleted since is detected on replay
  int material_id = -1;  // likewise
  int point_id = 0;
  std::array<int, 3> corner_ids{-1, -1, -1};
  std::array<int, 3> texture_ids{-1, -1, -1};
};

struct MarksState;

struct UndoAction {
  int id = 0;  // actions live in an unsorted list; this field is unused
  std::string name;
  IdList<UndoEntry> entries{20, 20, ListOrder::Unsorted};
  // The photographs' marks and poses and the tie points before and after an
  // action that changed them; both null for every other action.
  std::shared_ptr<const MarksState> marks_before;
  std::shared_ptr<const MarksState> marks_after;
};

// Baseline copy of a point: its layer by id.
struct BaselinePoint {
  int id = 0;
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  int layer_id = -1;
  int reserved = 0;
};

// Baseline copy of a face: material, corners and texture coordinates by id
// (-1 none), and where those corners and coordinates stand in the baseline
// lists (-1 none), so that restoring the baseline needs no search.
struct BaselineFace {
  int id = 0;
  int material_id = -1;
  std::array<int, 3> corner_ids{-1, -1, -1};
  std::array<int, 3> texture_ids{-1, -1, -1};
  std::array<int, 3> corner_slots{-1, -1, -1};
  std::array<int, 3> texture_slots{-1, -1, -1};
};

// Baseline copy of a texture coordinate: its point by id.
struct BaselineTextureCoord {
  int id = 0;
  double u = 0.0;
  double v = 0.0;
  int point_id = -1;
};

// Baseline copy of a control point's coordinates.
struct BaselineControlPoint {
  int id = 0;
  Vec3 position;
};

struct UndoHistory {
  UndoAction* recording = nullptr;
  IdList<UndoAction> actions{20, 20, ListOrder::Unsorted};
  IdList<BaselinePoint> baseline_points{100, 100};
  IdList<BaselineFace> baseline_faces{100, 100};
  IdList<BaselineTextureCoord> baseline_texture_coords{100, 100};
  IdList<BaselineControlPoint> baseline_control_points{10, 10};
  int position = 0;  // number of actions applied to the model

  // Takes the model as the new baseline and forgets every action.
  void reset_baseline(const ModelData& model);

  // Deletes the redo tail, appends a new empty action with that name, moves
  // the position to the end and makes the action the recording one.
  UndoAction& begin_action(const std::string& name);
  // Appends an entry of that kind to the recording action. Only between
  // begin_action and end_action.
  UndoEntry& record(UndoKind kind);
  void end_action() { recording = nullptr; }

  // A control point added (or, with `present` false, removed) outside the
  // history: its coordinates as they are now become its baseline, so that
  // undo and redo keep it where it was put. Entries naming a removed one are
  // skipped on replay.
  void note_control_point(const ControlPoint& point, bool present);

  // Undo is move(-1), redo move(+1). A position outside 0..actions is
  // clamped and the model left alone (false). Otherwise the points,
  // texture coordinates and faces are rebuilt from the baseline (selection
  // and derived flags 0, mirror lists emptied) and the actions up to the new
  // position replayed (true); the control points take their baseline
  // coordinates and the replayed ones. `next_id` is not touched.
  bool move(ModelData& model, int delta);
  // Whether move(delta) would rebuild the model (the new position is in range).
  bool can_move(int delta) const;
};

}  // namespace plenvista
