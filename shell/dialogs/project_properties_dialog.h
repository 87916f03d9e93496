#pragma once

// ProjectPropertiesDialog ("Project"): the project file path, the camera
// file name, the ";"-separated image directories, the three drawing colours
// (face line, mirror face line, reference point) and two preferences:
// "UseLastProject" and "AutosaveMinutes" (minutes between recovery copies,
// 0 to 1440; 0 turns autosave off). "Browse ..." beside the path chooses a project file to save
// to (its full path); beside the camera, a camera file (its name only when
// the directories find it, else its full path). "Set as Default" stores the shown
// colours and directories as the preferences for new projects; "Dump to
// File" writes the diagnostic dump to "PlenDebug.txt" in the working
// directory. Both act at once and stay done after Cancel.
//
// OK: the directories and the path are taken; a camera file given by a
// full path whose folder the directories do not reach brings the question
// of shell/dialogs/folder_question.h (Yes adds the folder to the
// directories); then the camera file is set; if it cannot be found or read the user is told "Invalid camera file" and
// the dialog stays open (directories and path remain taken). Otherwise the
// colours are taken, the project is saved (an untitled project, with an
// empty path field, is not saved), the preference is written and the dialog
// closes. Cancel leaves the model as it was. Colours are 24-bit values, red
// in the low byte, kept bit for bit unless the user changes them.

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "base/colour.h"
#include "shell/dialogs/colour_field.h"
#include "shell/dialogs/form.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace plenvista {

class DialogChoosers;
class FileChooser;
class QuestionAsker;
struct Project;

class ProjectPropertiesDialog : public QDialog {
 public:
  // `save` writes the project at its path (true on success; it reports its own
  // failures); empty when saving is not available.
  ProjectPropertiesDialog(Project& project, DialogChoosers& choosers, FileChooser& files, QuestionAsker& questions,
                          std::function<bool(Project&)> save, QWidget* parent);

  enum ColourRole { FaceLine, MirrorFaceLine, ReferencePoint };
  QLineEdit* path_field() const { return path_field_; }
  QLineEdit* camera_field() const { return camera_field_; }
  QLineEdit* directories_field() const { return directories_field_; }
  QPushButton* path_browse() const { return path_browse_; }
  QPushButton* camera_browse() const { return camera_browse_; }
  const ColourField& colour_field(ColourRole role) const { return *colour_fields_[role]; }
  QCheckBox* use_last_project() const { return use_last_; }
  QLineEdit* autosave_minutes() const { return autosave_field_; }
  QPushButton* set_as_default() const { return set_default_; }
  QPushButton* dump_to_file() const { return dump_; }

  void accept() override;

 private:
  void store_defaults();

  Project& project_;
  FileChooser& files_;
  QuestionAsker& questions_;
  std::function<bool(Project&)> save_;
  std::string path_;
  std::string camera_;
  std::string directories_;
  bool use_last_project_ = false;
  int autosave_minutes_ = 0;
  Colour colours_[3] = {0, 0, 0};
  Form form_;
  QLineEdit* path_field_;
  QLineEdit* camera_field_;
  QLineEdit* directories_field_;
  QPushButton* path_browse_;
  QPushButton* camera_browse_;
  std::unique_ptr<ColourField> colour_fields_[3];
  QCheckBox* use_last_;
  QLineEdit* autosave_field_;
  QPushButton* set_default_;
  QPushButton* dump_;
};

}  // namespace plenvista
