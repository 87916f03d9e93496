#include "shell/dialogs/set_camera_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/text.h"
#include "model/image_management.h"
#include "model/project.h"
#include "photogrammetry/project_camera.h"
#include "shell/dialogs/folder_question.h"
#include "shell/shell_seams.h"

namespace plenvista {

SetCameraDialog::SetCameraDialog(Project& project, FileChooser& files, QuestionAsker& questions, QWidget* parent)
    : QDialog(parent),
      project_(project),
      files_(files),
      questions_(questions),
      name_(project.camera_file_name.value_or(std::string())),
      form_(this) {
  setWindowTitle(QStringLiteral("Set Camera"));
  auto* text = new QLabel(QStringLiteral("The project needs a camera to be selected. Please select the camera that "
                                         "was used to create the images."),
                          this);
  text->setWordWrap(true);
  camera_ = form_.add_text(QStringLiteral("Camera:"), name_);
  browse_ = new QPushButton(QStringLiteral("Browse"), this);
  connect(browse_, &QPushButton::clicked, this, [this] {
    const auto path = files_.open_file(this, QStringLiteral("cal Files (*.cal)"));
    if (!path) return;
    browsed_ = *path;
    camera_->setText(QString::fromStdString(std::string(bare_file_name(*path))));
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &SetCameraDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SetCameraDialog::reject);
  auto* row = new QHBoxLayout;
  row->addLayout(form_.layout(), 1);
  row->addWidget(browse_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addLayout(row);
  layout->addWidget(buttons);
}

void SetCameraDialog::accept() {
  form_.read();
  // The field shows a browsed file by its bare name: look up its full path.
  const std::string typed = !browsed_.empty() && name_ == bare_file_name(browsed_) ? browsed_ : name_;
  std::string directories(shown(project_.model.image_directories));
  const std::string name = name_to_look_up(typed, directories, project_.directory, questions_, this);
  if (directories != shown(project_.model.image_directories)) set_image_directories(project_, directories);
  set_camera_file(project_, name == typed ? name_ : name);
  QDialog::accept();
}

}  // namespace plenvista
