#include "shell/dialogs/image_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/text.h"
#include "model/find_file.h"
#include "model/image_management.h"
#include "platform/photograph_problem.h"
#include "platform/photograph_reader.h"
#include "shell/dialogs/folder_question.h"
#include "shell/shell_seams.h"

namespace plenvista {

namespace {

constexpr int kNumberLength = 23;

const char* const kNotFound =
    "Cannot open image file. Check the file name and that the file exists in one of the directories listed in "
    "Project Properties";

}  // namespace

ImageDialog::ImageDialog(Project& project, ProjectImage* image, FileChooser& files, QuestionAsker& questions,
                         QWidget* parent)
    : QDialog(parent),
      project_(project),
      image_(image),
      files_(files),
      questions_(questions),
      file_form_(this),
      texture_form_(this),
      pose_form_(this) {
  setWindowTitle(QStringLiteral("Image"));
  if (image_) {
    file_ = shown(image_->file_name);
    description_ = shown(image_->description);
    centre_x_ = image_->texture_centre_x;
    centre_y_ = image_->texture_centre_y;
    scale_ = image_->texture_scale;
    offset_ = image_->pose.offset;
    rotation_ = image_->pose.rotation;
    size_differs_ = image_->size_differs != 0;
  }

  fields_[File] = file_form_.add_text(QStringLiteral("File:"), file_);
  fields_[File]->setEnabled(image_ == nullptr);
  browse_ = new QPushButton(QStringLiteral("Browse"), this);
  browse_->setEnabled(image_ == nullptr);
  connect(browse_, &QPushButton::clicked, this, [this] { browse(); });
  fields_[Description] = file_form_.add_text(QStringLiteral("Description:"), description_);
  partner_ = new QComboBox(this);
  partner_->addItem(QStringLiteral("(none)"), 0);
  for (const ProjectImage* other : project_.images().images) {
    if (other == image_) continue;
    partner_->addItem(
        QStringLiteral("%1 (%2)").arg(QString::fromStdString(std::string(shown(other->description)))).arg(other->id),
        other->id);
    if (image_ && image_->partner == other) partner_->setCurrentIndex(partner_->count() - 1);
  }
  partner_->setEnabled(image_ != nullptr);
  partner_shown_ = partner_->currentIndex();
  file_form_.layout()->addRow(QStringLiteral("Partner:"), partner_);

  auto* texture = new QGroupBox(QStringLiteral("Texture Images"), this);
  fields_[CentreX] = texture_form_.add_double(QStringLiteral("Approx Centre :  X"), centre_x_, 0, kNumberLength);
  fields_[CentreY] = texture_form_.add_double(QStringLiteral("Y"), centre_y_, 0, kNumberLength);
  fields_[Scale] = texture_form_.add_double(QStringLiteral("Scale (0..1) :"), scale_, 2, kNumberLength);
  for (Field f : {CentreX, CentreY, Scale}) fields_[f]->setEnabled(size_differs_);
  texture->setLayout(texture_form_.layout());

  auto* pose = new QGroupBox(QStringLiteral("Camera Position / Orientation"), this);
  override_ = new QCheckBox(QStringLiteral("Override camera"), this);
  pose_form_.layout()->addRow(override_);
  fields_[PosX] = pose_form_.add_double(QStringLiteral("Pos:  X"), offset_.x, 3, kNumberLength);
  fields_[PosY] = pose_form_.add_double(QStringLiteral("Y"), offset_.y, 3, kNumberLength);
  fields_[PosZ] = pose_form_.add_double(QStringLiteral("Z"), offset_.z, 3, kNumberLength);
  fields_[RotX] = pose_form_.add_double(QStringLiteral("Rot:  X"), rotation_.x, 3, kNumberLength);
  fields_[RotY] = pose_form_.add_double(QStringLiteral("Y"), rotation_.y, 3, kNumberLength);
  fields_[RotZ] = pose_form_.add_double(QStringLiteral("Z"), rotation_.z, 3, kNumberLength);
  const auto enable_pose = [this](bool on) {
    for (Field f : {PosX, PosY, PosZ, RotX, RotY, RotZ}) fields_[f]->setEnabled(on);
  };
  enable_pose(false);
  connect(override_, &QCheckBox::toggled, this, enable_pose);
  pose->setLayout(pose_form_.layout());

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ImageDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ImageDialog::reject);

  auto* file_row = new QHBoxLayout;
  file_row->addLayout(file_form_.layout(), 1);
  file_row->addWidget(browse_, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(file_row);
  layout->addWidget(texture);
  layout->addWidget(pose);
  layout->addWidget(buttons);
}

void ImageDialog::browse() {
  const auto path = files_.open_file(this, QString::fromLatin1(kPhotographFileFilter));
  if (path) fields_[File]->setText(QString::fromStdString(*path));
}

void ImageDialog::accept() {
  file_form_.read();
  texture_form_.read();
  pose_form_.read();
  if (!image_) {
    std::string directories(shown(project_.model.image_directories));
    const std::string typed = name_to_look_up(file_, directories, project_.directory, questions_, this);
    if (directories != shown(project_.model.image_directories)) set_image_directories(project_, directories);
    file_ = typed;
  }
  const std::string name(bare_file_name(file_));
  const auto found =
      name.empty() ? std::nullopt
                   : find_file_along_directories(shown(project_.model.image_directories), project_.directory, name);
  if (!found) {
    project_.messages.show(kNotFound, "Error");
    return;
  }
  ImageDetails details;
  details.file_name = name;
  details.resolved_path = *found;
  details.description = description_;
  details.texture_centre = {centre_x_, centre_y_};
  details.texture_scale = scale_;
  if (override_->isChecked()) details.pose = CameraPose{offset_, rotation_};
  if (image_) {
    set_image_details(project_, *image_, details);
    // An image that is its own partner keeps that unless another is chosen.
    if (partner_->currentIndex() != partner_shown_)
      set_partner(project_, *image_, project_.images().images.find(partner_->currentData().toInt()));
  } else {
    if (const std::optional<std::string> refusal = photograph_refusal(*found))
      project_.messages.show(added_anyway_warning(*refusal), "Warning");
    new_image_ = std::make_unique<ProjectImage>();
    apply_image_details(*new_image_, details);
  }
  QDialog::accept();
}

}  // namespace plenvista
