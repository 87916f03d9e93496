#include "shell/dialogs/translation_editor_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/shell_seams.h"

namespace plenvista {

TranslationEditorDialog::TranslationEditorDialog(const ProjectTransform& current, QuestionAsker& questions,
                                                 QWidget* parent)
    : QDialog(parent), current_plane_(current.mirror_plane), questions_(questions), form_(this) {
  setWindowTitle(QStringLiteral("Translation Editor"));
  // The plane stays None in edit() until OK has read it.
  edit_.origin_offset = current.origin_offset;
  edit_.scale = current.scale;
  edit_.mirror_buffer = current.mirror_buffer;
  fields_[OriginX] = form_.add_double(QStringLiteral("Origin X:"), edit_.origin_offset.x, 2);
  fields_[OriginY] = form_.add_double(QStringLiteral("Origin Y:"), edit_.origin_offset.y, 2);
  fields_[OriginZ] = form_.add_double(QStringLiteral("Origin Z:"), edit_.origin_offset.z, 2);
  fields_[Scale] = form_.add_double(QStringLiteral("Scale:"), edit_.scale, 2);
  fields_[Buffer] = form_.add_double(QStringLiteral("Mirror Buffer:"), edit_.mirror_buffer, 2);

  auto* group = new QGroupBox(QStringLiteral("Mirror"), this);
  auto* radios = new QHBoxLayout(group);
  const std::array<const char*, 4> names{"None", "X Plane", "Y Plane", "Z Plane"};
  for (std::size_t i = 0; i < planes_.size(); ++i) {
    planes_[i] = new QRadioButton(QString::fromLatin1(names[i]), group);
    radios->addWidget(planes_[i]);
  }
  const int plane = static_cast<int>(current.mirror_plane);
  planes_[static_cast<std::size_t>(plane >= 0 && plane <= 3 ? plane : 0)]->setChecked(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &TranslationEditorDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TranslationEditorDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form_.layout());
  layout->addWidget(group);
  layout->addWidget(buttons);
}

MirrorPlane TranslationEditorDialog::checked_plane() const {
  for (std::size_t i = 1; i < planes_.size(); ++i)
    if (planes_[i]->isChecked()) return static_cast<MirrorPlane>(i);
  return MirrorPlane::None;
}

void TranslationEditorDialog::accept() {
  const MirrorPlane plane = checked_plane();
  if (plane != MirrorPlane::None && current_plane_ == MirrorPlane::None) {
    const auto answer = questions_.ask(
        this,
        QStringLiteral("Applying a mirror will cause all points and faces on the mirrored side to be deleted, "
                       "continue ?"),
        QStringLiteral("Warning"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning);
    if (answer != QMessageBox::Yes) return;
  }
  form_.read();
  edit_.plane = plane;
  QDialog::accept();
}

}  // namespace plenvista
