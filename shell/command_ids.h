#pragma once

// The ids of the main window's commands, one for each command whether it
// has a menu entry, a toolbar button or both. Each action carries its id as
// data; code names the actions themselves (shell/actions.h).

namespace plenvista {

enum class CommandId : int {
  New,
  Open,
  Close,
  Save,
  SaveAs,
  Exit,
  Undo,
  Redo,
  Delete,
  Translations,
  Materials,
  Layers,
  Properties,
  ImportControlPoints,
  ImportGcpList,
  ImportMarks,
  OrientPhotographs,
  SetMaterial,
  SetLayer,
  CommitMirror,
  ApplyTexture,
  SmallSelection,
  LargeSelection,
  NewSelection,
  AddToSelection,
  RemoveFromSelection,
  TabbedDisplay,
  MixedDisplay,
  Model3dDisplay,
  Export,
  ExportPoints,
  ExportGcpList,
  ExportCameras,
  ExportMarks,
  MakePointsFromTiePoints,
  CameraEditor,
  Residuals,
  Measure,
  FindTiePoints,
  FitToWindow,
  Contents,
  OpenSample,
  About,
};

}  // namespace plenvista
