#include "shell/translation_editor_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/number_text.h"
#include "shell/shell_seams.h"

namespace plenvista {

namespace {
constexpr int kFieldLength = 127;
}

TranslationEditorDialog::TranslationEditorDialog(const ProjectTransform& current, QuestionAsker& questions,
                                                 QWidget* parent)
    : QDialog(parent), current_plane_(current.mirror_plane), questions_(questions) {
  setWindowTitle(QStringLiteral("Translation Editor"));
  auto* form = new QFormLayout;
  const std::array<double, 5> values{current.origin_offset.x, current.origin_offset.y, current.origin_offset.z,
                                     current.scale, current.mirror_buffer};
  const std::array<const char*, 5> labels{"Origin X:", "Origin Y:", "Origin Z:", "Scale:", "Mirror Buffer:"};
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    fields_[i] = new QLineEdit(QString::fromStdString(format_fixed(values[i], 2)), this);
    fields_[i]->setMaxLength(kFieldLength);
    form->addRow(QString::fromLatin1(labels[i]), fields_[i]);
  }

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
  layout->addLayout(form);
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
  const auto read = [this](Field f) { return parse_number(fields_[f]->text().toStdString()); };
  edit_.scale = read(Scale);
  edit_.origin_offset = {read(OriginX), read(OriginY), read(OriginZ)};
  edit_.mirror_buffer = read(Buffer);
  edit_.plane = plane;
  QDialog::accept();
}

}  // namespace plenvista
