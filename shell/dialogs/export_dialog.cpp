#include "shell/dialogs/export_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "export/export_paths.h"
#include "shell/shell_seams.h"

namespace plenvista {

ExportDialog::ExportDialog(Project& project, FileChooser& files, QWidget* parent)
    : QDialog(parent),
      project_(project),
      files_(files),
      format_list_(new QComboBox(this)),
      path_field_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("Browse"), this)) {
  setWindowTitle(QStringLiteral("Export"));
  const ExportSettings& settings = project.export_settings;
  const QString texts[5] = {QStringLiteral("Use Textures"), QStringLiteral("Reverse Z axis"),
                            QStringLiteral("Use Translations"), QStringLiteral("Use Scaling"),
                            QStringLiteral("Use Mirror")};
  const bool checked[5] = {settings.use_textures != 0, settings.reverse_z != 0, true, settings.use_scaling != 0,
                           settings.use_mirror != 0};
  for (int o = 0; o < 5; ++o) {
    options_[o] = new QCheckBox(texts[o], this);
    options_[o]->setChecked(checked[o]);
  }

  format_list_->addItem(QStringLiteral("Directx .x file"));
  format_list_->addItem(QStringLiteral("OBJ/MTL file"));
  format_list_->addItem(QStringLiteral("glTF binary .glb file"));
  format_list_->addItem(QStringLiteral("DXF drawing .dxf file"));
  format_list_->addItem(QStringLiteral("PLY mesh .ply file"));
  format_list_->addItem(QStringLiteral("STL mesh .stl file"));
  const int format = settings.format > 0 && settings.format < kExportFormatCount ? settings.format : 0;
  format_list_->setCurrentIndex(format);
  // The project keeps no path of the single-file formats: that field starts empty.
  const std::optional<std::string> none;
  const auto& last = format == 0 ? settings.last_x_path : format == 1 ? settings.last_obj_path : none;
  path_field_->setMaxLength(127);
  path_field_->setText(QString::fromStdString(last.value_or(std::string())));
  connect(browse_, &QPushButton::clicked, this, [this] { browse(); });

  auto* file_row = new QHBoxLayout;
  file_row->addWidget(path_field_, 1);
  file_row->addWidget(browse_);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Format:"), format_list_);
  form->addRow(QStringLiteral("File:"), file_row);
  for (QCheckBox* box : options_) form->addRow(box);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ExportDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void ExportDialog::browse() {
  const QString filters[kExportFormatCount] = {
      QStringLiteral("x Files (*.x);;All Files (*.*)"),     QStringLiteral("OBJ Files (*.OBJ);;All Files (*.*)"),
      QStringLiteral("glb Files (*.glb);;All Files (*.*)"), QStringLiteral("DXF Files (*.dxf);;All Files (*.*)"),
      QStringLiteral("PLY Files (*.ply);;All Files (*.*)"), QStringLiteral("STL Files (*.stl);;All Files (*.*)")};
  const QString& filter = filters[std::clamp(format_list_->currentIndex(), 0, kExportFormatCount - 1)];
  if (const auto path = files_.open_file(this, filter)) path_field_->setText(QString::fromStdString(*path));
}

void ExportDialog::accept() {
  const auto flag = [this](Option o) { return options_[o]->isChecked() ? 1 : 0; };
  const ExportOptions chosen{flag(UseTextures), flag(ReverseZ), flag(UseScaling), flag(UseMirror)};
  const auto format = static_cast<ExportFormat>(std::clamp(format_list_->currentIndex(), 0, kExportFormatCount - 1));
  export_from_dialog(project_, format, path_field_->text().toStdString(), chosen);
  QDialog::accept();
}

}  // namespace plenvista
