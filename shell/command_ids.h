#pragma once

// The command ids of the main window's menu entries and toolbar buttons:
// the one table of their numbers. Each action carries its id as data, and
// the toolbar images are looked up by it; code names the actions
// themselves (shell/actions.h) and never these numbers.

namespace plenvista {

enum class CommandId : int {
  // Menu entries.
  FileNew = 57600,
  FileOpen = 57601,
  FileClose = 57602,
  FileSave = 57603,
  FileSaveAs = 32776,
  FileExit = 32771,
  EditUndo = 32777,
  EditRedo = 32778,
  ProjectTranslations = 32780,
  ProjectMaterials = 32792,
  ProjectLayers = 32781,
  ProjectProperties = 32791,
  ToolsExport = 32786,
  ToolsCameraEditor = 32787,
  ProjectImportControlPoints = 32830,
  ProjectImportGcpList = 32831,
  ToolsExportPoints = 32832,
  ToolsExportGcpList = 32833,
  ToolsExportCameras = 32834,
  ToolsResiduals = 32835,
  ToolsMeasure = 32836,
  HelpContents = 32789,
  HelpAbout = 32790,
  HelpOpenSample = 32819,
  // Toolbar buttons.
  ToolNew = 32797,
  ToolOpen = 32798,
  ToolSave = 32799,
  ToolUndo = 32800,
  ToolRedo = 32801,
  ToolDelete = 32802,
  ToolTranslations = 32803,
  ToolMaterials = 32804,
  ToolLayers = 32805,
  ToolSetMaterial = 32806,
  ToolSetLayer = 32807,
  ToolCommitMirror = 32808,
  ToolApplyTexture = 32809,
  ToolSmallSelection = 32810,
  ToolLargeSelection = 32811,
  ToolNewSelection = 32812,
  ToolAddToSelection = 32813,
  ToolRemoveFromSelection = 32814,
  ToolTabbedDisplay = 32815,
  ToolMixedDisplay = 32816,
  ToolCameraEditor = 32817,
  ToolExport = 32818,
};

}  // namespace plenvista
