#pragma once

// ExportDialog ("Export"): the export format ("Directx .x file",
// "OBJ/MTL file", "glTF binary .glb file", "DXF drawing .dxf file", "PLY
// mesh .ply file" or "STL mesh .stl file"), the target path and the
// options, shown from and stored into the project's export settings. At
// opening the path field holds the path last exported in the selected
// format (the OBJ one without ".obj"; empty for glb, DXF, PLY and STL,
// which the project does not keep);
// changing the format leaves the field as it is. "Browse" fills it with a
// chosen file. OK stores the choices and writes the files (".obj" cut from
// an OBJ path, ".x", ".glb", ".dxf", ".ply" or ".stl" added to a path that
// lacks it; a path without a
// directory goes to the project directory) and closes even when a file
// could not be written (the user has been told). Cancel keeps the stored
// settings. "Use Translations" is always shown checked and read by nobody:
// the exports always add the origin offset.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace plenvista {

class FileChooser;
struct Project;

class ExportDialog : public QDialog {
 public:
  ExportDialog(Project& project, FileChooser& files, QWidget* parent);

  enum Option { UseTextures, ReverseZ, UseTranslations, UseScaling, UseMirror };
  QComboBox* format_list() const { return format_list_; }
  QLineEdit* path_field() const { return path_field_; }
  QPushButton* browse_button() const { return browse_; }
  QCheckBox* option(Option o) const { return options_[o]; }

  void accept() override;

 private:
  void browse();

  Project& project_;
  FileChooser& files_;
  QComboBox* format_list_;
  QLineEdit* path_field_;
  QPushButton* browse_;
  QCheckBox* options_[5] = {};
};

}  // namespace plenvista
