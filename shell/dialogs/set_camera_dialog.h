#pragma once

// SetCameraDialog ("Set Camera"): the project's camera file, asked before
// the first photograph is added. "Camera:" shows the project's camera file
// name; "Browse" ("cal Files (*.cal)") puts the chosen file's bare name
// there. OK stores the name as the project's camera file name and loads the
// camera found along the image directories; a name that is not found or
// does not load is still stored, the camera stays as it was and no message
// is shown (Project Properties reports it). A browsed file (or a full path
// typed) in a folder the directories do not reach first asks whether to add
// the folder (shell/dialogs/folder_question.h), so that the camera loads.

#include <QDialog>
#include <string>

#include "shell/dialogs/form.h"

class QLineEdit;
class QPushButton;

namespace plenvista {

class FileChooser;
class QuestionAsker;
struct Project;

class SetCameraDialog : public QDialog {
 public:
  SetCameraDialog(Project& project, FileChooser& files, QuestionAsker& questions, QWidget* parent);

  void accept() override;

  QLineEdit* camera_field() const { return camera_; }
  QPushButton* browse_button() const { return browse_; }

 private:
  Project& project_;
  FileChooser& files_;
  QuestionAsker& questions_;
  std::string name_;
  std::string browsed_;  // the full path Browse chose, empty when none
  Form form_;
  QLineEdit* camera_ = nullptr;
  QPushButton* browse_ = nullptr;
};

}  // namespace plenvista
