#include "shell/dialogs/project_properties_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/text.h"
#include "model/find_file.h"
#include "persistence/diagnostic_dump.h"
#include "persistence/recovery.h"
#include "photogrammetry/project_camera.h"
#include "shell/dialogs/dialog_choosers.h"
#include "shell/dialogs/folder_question.h"
#include "shell/shell_seams.h"

namespace plenvista {

namespace {

constexpr int kPathLength = 255;

// Puts `button` to the right of `field` in its form row.
void put_beside(QFormLayout* form, QLineEdit* field, QPushButton* button) {
  int row = -1;
  QFormLayout::ItemRole role{};
  form->getWidgetPosition(field, &row, &role);
  form->removeWidget(field);
  auto* pair = new QHBoxLayout;
  pair->addWidget(field, 1);
  pair->addWidget(button);
  form->setLayout(row, QFormLayout::FieldRole, pair);
}

std::string file_name_part(const std::string& path) {
  const std::size_t separator = last_separator(path);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace

ProjectPropertiesDialog::ProjectPropertiesDialog(Project& project, DialogChoosers& choosers, FileChooser& files,
                                                 QuestionAsker& questions, std::function<bool(Project&)> save,
                                                 QWidget* parent)
    : QDialog(parent),
      project_(project),
      files_(files),
      questions_(questions),
      save_(std::move(save)),
      path_(project.path.value_or(std::string())),
      camera_(project.camera_file_name.value_or(std::string())),
      directories_(shown(project.model.image_directories)),
      use_last_project_(project.settings.read_int("UseLastProject", 0) != 0),
      autosave_minutes_(project.settings.read_int("AutosaveMinutes", kDefaultAutosaveMinutes)),
      colours_{project.model.face_line_colour, project.model.mirror_face_line_colour,
               project.model.reference_point_colour},
      form_(this),
      path_field_(form_.add_text(QStringLiteral("Project :"), path_, kPathLength)),
      camera_field_(form_.add_text(QStringLiteral("Camera :"), camera_, kPathLength)),
      directories_field_(form_.add_text(QStringLiteral("Directories :"), directories_, kPathLength)),
      path_browse_(new QPushButton(QStringLiteral("Browse ..."), this)),
      camera_browse_(new QPushButton(QStringLiteral("Browse ..."), this)),
      use_last_(form_.add_check(QStringLiteral("Automatically load last project"), use_last_project_)),
      autosave_field_(form_.add_int(QStringLiteral("Autosave every (minutes, 0 = off) :"), autosave_minutes_, 4)),
      set_default_(new QPushButton(QStringLiteral("Set as Default"), this)),
      dump_(new QPushButton(QStringLiteral("Dump to File"), this)) {
  setWindowTitle(QStringLiteral("Project"));
  // Room for a path of some length.
  for (QLineEdit* field : {path_field_, camera_field_, directories_field_})
    field->setMinimumWidth(40 * fontMetrics().averageCharWidth());
  put_beside(form_.layout(), path_field_, path_browse_);
  put_beside(form_.layout(), camera_field_, camera_browse_);

  auto* group = new QGroupBox(QStringLiteral("Colours"), this);
  auto* grid = new QGridLayout(group);
  const QString labels[3] = {QStringLiteral("Face Line :"), QStringLiteral("Mirror Face Line :"),
                             QStringLiteral("Reference Point :")};
  for (int role = 0; role < 3; ++role) {
    colour_fields_[role] = std::make_unique<ColourField>(QStringLiteral("Edit ..."), colours_[role], choosers, group);
    grid->addWidget(new QLabel(labels[role], group), role, 0);
    grid->addWidget(colour_fields_[role]->swatch(), role, 1);
    grid->addWidget(colour_fields_[role]->button(), role, 2);
  }

  connect(path_browse_, &QPushButton::clicked, this, [this] {
    const auto chosen = files_.save_file(this, QStringLiteral("op2 Files (*.op2)"), QStringLiteral("op2"),
                                         path_field_->text().toStdString());
    if (chosen) path_field_->setText(QString::fromStdString(*chosen));
  });
  connect(camera_browse_, &QPushButton::clicked, this, [this] {
    const auto chosen = files_.open_file(this, QStringLiteral("cal Files (*.cal)"));
    if (!chosen) return;
    // The name alone when the directories find this file; else the whole
    // path, whose folder OK offers to add.
    const FullPathReach reach = reach_full_path(directories_field_->text().toStdString(), project_.directory, *chosen);
    camera_field_->setText(
        QString::fromStdString(reach.state == FullPathReach::State::FolderMissing ? *chosen : file_name_part(*chosen)));
  });
  connect(set_default_, &QPushButton::clicked, this, [this] { store_defaults(); });
  connect(dump_, &QPushButton::clicked, this, [this] { write_diagnostic_dump(project_); });

  auto* extra = new QHBoxLayout;
  extra->addWidget(set_default_);
  extra->addWidget(dump_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ProjectPropertiesDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ProjectPropertiesDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form_.layout());
  layout->addWidget(group);
  layout->addLayout(extra);
  layout->addWidget(buttons);
}

void ProjectPropertiesDialog::store_defaults() {
  SettingsStore& settings = project_.settings;
  settings.write_int("ColourFaceLine", static_cast<int>(colours_[FaceLine]));
  settings.write_int("ColourMirrorLine", static_cast<int>(colours_[MirrorFaceLine]));
  settings.write_int("ColourCalPoint", static_cast<int>(colours_[ReferencePoint]));
  settings.write_text("MainDirs", directories_field_->text().toStdString());
}

void ProjectPropertiesDialog::accept() {
  form_.read();
  project_.model.image_directories = directories_;
  if (path_.empty()) {
    project_.path.reset();
    project_.directory.clear();
    project_.file_name.clear();
  } else {
    project_.set_path(path_);
  }
  const std::string camera = name_to_look_up(camera_, directories_, project_.directory, questions_, this);
  if (directories_ != shown(project_.model.image_directories)) {
    project_.model.image_directories = directories_;
    directories_field_->setText(QString::fromStdString(directories_));
  }
  if (set_camera_file(project_, camera) != 1) {
    questions_.tell(this, QStringLiteral("Invalid camera file"), QStringLiteral("Error"));
    return;
  }
  project_.model.face_line_colour = colours_[FaceLine];
  project_.model.mirror_face_line_colour = colours_[MirrorFaceLine];
  project_.model.reference_point_colour = colours_[ReferencePoint];
  if (project_.path && save_) save_(project_);
  project_.settings.write_int("UseLastProject", use_last_project_ ? 1 : 0);
  project_.settings.write_int("AutosaveMinutes", std::clamp(autosave_minutes_, 0, kMaxAutosaveMinutes));
  QDialog::accept();
}

}  // namespace plenvista
