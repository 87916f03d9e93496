#include "shell/dialogs/set_camera_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/text.h"
#include "model/project.h"
#include "photogrammetry/project_camera.h"
#include "shell/shell_seams.h"

namespace plenvista {

SetCameraDialog::SetCameraDialog(Project& project, FileChooser& files, QWidget* parent)
    : QDialog(parent),
      project_(project),
      files_(files),
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
    if (path) camera_->setText(QString::fromStdString(std::string(bare_file_name(*path))));
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
  set_camera_file(project_, name_);
  QDialog::accept();
}

}  // namespace plenvista
