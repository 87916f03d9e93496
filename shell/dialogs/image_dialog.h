#pragma once

// ImageDialog ("Image"): a photograph's file, description, size correction
// and a typed-in camera pose. Opened with no image it makes a new one (for
// "Add"), otherwise it edits the given image in place (for "Edit").
//
// The texture edits (approximate centre in photograph pixels, "%0.0f"; scale
// 0..1, "%0.2f") are enabled only for an image whose photograph differs from
// the camera's native size; the six pose edits (offset in model units and
// rotation in degrees, "%0.3f") only while "Override camera" is checked.
// Numbers are read locale-free (leading numeric part, else 0).
//
// "Partner:" chooses the photograph SHIFT shows beside an edited image
// ("(none)" or another image, by description and id); it is disabled for a
// new image, which starts without a partner.
//
// OK first offers to add the folder of a full path that exists but that the
// directories do not reach (shell/dialogs/folder_question.h). It then keeps
// only what follows the last '/' or '\' of "File:" and looks that name up
// in the project's image directories. When it is not there (or the name is
// empty) the message "Cannot open image file. ..." (caption "Error") goes
// to the project's message sink, nothing changes and the dialog stays open.
// A new photograph the reader refuses (not a readable photograph, over the
// size limit) is added all the same, with a warning that says why and that
// it will show no picture. Otherwise the name, description, the enabled texture values and,
// with "Override camera", the pose (score 100, pose known, marks unchanged)
// are stored through set_image_details (the caller then notes the change)
// and the dialog closes with OK. A new image is handed out by
// take_new_image() for the caller to add to the project.

#include <QDialog>
#include <array>
#include <memory>
#include <string>

#include "model/project.h"
#include "shell/dialogs/form.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace plenvista {

class FileChooser;
class QuestionAsker;

class ImageDialog : public QDialog {
 public:
  // `image` null: a new image.
  ImageDialog(Project& project, ProjectImage* image, FileChooser& files, QuestionAsker& questions, QWidget* parent);

  // The image made by OK on a new image (null before, or when editing).
  std::unique_ptr<ProjectImage> take_new_image() { return std::move(new_image_); }
  void accept() override;

  enum Field { File, Description, CentreX, CentreY, Scale, PosX, PosY, PosZ, RotX, RotY, RotZ, kFieldCount };
  QLineEdit* field(Field f) const { return fields_[f]; }
  QCheckBox* override_box() const { return override_; }
  QPushButton* browse_button() const { return browse_; }
  QComboBox* partner_list() const { return partner_; }

 private:
  void browse();

  Project& project_;
  ProjectImage* image_;
  FileChooser& files_;
  QuestionAsker& questions_;
  std::unique_ptr<ProjectImage> new_image_;

  // The values the fields show and are read back into.
  std::string file_;
  std::string description_;
  double centre_x_ = 0.0;
  double centre_y_ = 0.0;
  double scale_ = 1.0;
  Vec3 offset_;
  Vec3 rotation_;
  bool size_differs_ = false;

  Form file_form_;
  Form texture_form_;
  Form pose_form_;
  std::array<QLineEdit*, kFieldCount> fields_{};
  QCheckBox* override_ = nullptr;
  QPushButton* browse_ = nullptr;
  QComboBox* partner_ = nullptr;
  int partner_shown_ = 0;  // the partner line shown at first
};

}  // namespace plenvista
