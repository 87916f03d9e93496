#include "shell/dialogs/exchange_import_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "base/number_text.h"
#include "persistence/exchange_text.h"

namespace plenvista {

namespace {

QString number_text(double value) { return QString::fromStdString(format_shortest(value)); }

void set_row(QTableWidget* table, int row, const QStringList& cells) {
  for (int column = 0; column < cells.size(); ++column) {
    auto* item = new QTableWidgetItem(cells[column]);
    item->setFlags(Qt::ItemIsEnabled);
    table->setItem(row, column, item);
  }
}

}  // namespace

ExchangeImportDialog::ExchangeImportDialog(Kind kind, const std::string& text, const Project& project, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(kind == Kind::ControlPoints ? QStringLiteral("Import Control Points")
                 : kind == Kind::GcpList     ? QStringLiteral("Import GCP List")
                                             : QStringLiteral("Import Marks"));
  table_ = new QTableWidget(this);
  table_->verticalHeader()->hide();
  messages_ = new QPlainTextEdit(this);
  messages_->setReadOnly(true);
  messages_->setMaximumHeight(120);
  skip_ = new QCheckBox(QStringLiteral("Skip the lines that cannot be read"), this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &ExchangeImportDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ExchangeImportDialog::reject);
  connect(skip_, &QCheckBox::toggled, this, [this] { update_ok(); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(new QLabel(QStringLiteral("Messages:"), this));
  layout->addWidget(messages_);
  layout->addWidget(skip_);
  layout->addWidget(buttons);
  resize(640, 480);
  if (kind == Kind::ControlPoints)
    fill_control_points(text);
  else if (kind == Kind::GcpList)
    fill_gcp_list(text, project);
  else
    fill_marks_list(text, project);
  update_ok();
}

void ExchangeImportDialog::fill_control_points(const std::string& text) {
  ControlPointList list = parse_control_point_list(text);
  entries_ = std::move(list.entries);
  table_->setColumnCount(5);
  table_->setHorizontalHeaderLabels({"Line", "Label", "X", "Y", "Z"});
  table_->setRowCount(static_cast<int>(entries_.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const ControlPointEntry& e = entries_[static_cast<std::size_t>(row)];
    set_row(table_, row,
            {QString::number(e.line), QString::fromStdString(e.label), number_text(e.position.x),
             number_text(e.position.y), number_text(e.position.z)});
  }
  show_problems(list.problems, {});
}

void ExchangeImportDialog::fill_gcp_list(const std::string& text, const Project& project) {
  GcpList list = parse_gcp_list(text);
  std::vector<LineProblem> problems = list.problems;
  const std::vector<LineProblem> conflicts = drop_conflicting_marks(project.model, list.marks);
  problems.insert(problems.end(), conflicts.begin(), conflicts.end());
  std::sort(problems.begin(), problems.end(),
            [](const LineProblem& a, const LineProblem& b) { return a.line < b.line; });
  std::move(list.marks.begin(), list.marks.end(), std::back_inserter(marks_));

  std::vector<std::string> notes;
  if (list.coordinate_system) notes.push_back("Coordinate system: " + *list.coordinate_system);
  table_->setColumnCount(8);
  table_->setHorizontalHeaderLabels({"Line", "Photograph", "Pixel x", "Pixel y", "X", "Y", "Z", "Control point"});
  table_->setRowCount(static_cast<int>(marks_.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const ImageMark& m = marks_[static_cast<std::size_t>(row)];
    const bool found = find_image_by_file_name(project.images(), m.image_name) != nullptr;
    set_row(table_, row,
            {QString::number(m.line), QString::fromStdString(m.image_name) + (found ? "" : " (not in the project)"),
             number_text(m.pixel.x), number_text(m.pixel.y), number_text(m.world.x), number_text(m.world.y),
             number_text(m.world.z), QString::fromStdString(m.label.value_or(""))});
    const std::string note = "No photograph named " + m.image_name + " in the project";
    if (!found && std::find(notes.begin(), notes.end(), note) == notes.end()) notes.push_back(note);
  }
  show_problems(problems, notes);
}

void ExchangeImportDialog::fill_marks_list(const std::string& text, const Project& project) {
  MarksList list = parse_marks_list(text);
  labelled_marks_ = std::move(list.marks);
  std::vector<std::string> notes;
  table_->setColumnCount(5);
  table_->setHorizontalHeaderLabels({"Line", "Label", "Pixel x", "Pixel y", "Photograph"});
  table_->setRowCount(static_cast<int>(labelled_marks_.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const LabelledMark& m = labelled_marks_[static_cast<std::size_t>(row)];
    const bool found = find_image_by_file_name(project.images(), m.image_name) != nullptr;
    set_row(table_, row,
            {QString::number(m.line), QString::fromStdString(m.label), number_text(m.pixel.x), number_text(m.pixel.y),
             QString::fromStdString(m.image_name) + (found ? "" : " (not in the project)")});
    const std::string note = "No photograph named " + m.image_name + " in the project";
    if (!found && std::find(notes.begin(), notes.end(), note) == notes.end()) notes.push_back(note);
  }
  show_problems(list.problems, notes);
}

void ExchangeImportDialog::show_problems(const std::vector<LineProblem>& problems,
                                         const std::vector<std::string>& notes) {
  has_problems_ = !problems.empty();
  std::string text = problems_text(problems);
  for (const std::string& note : notes) text += note + "\n";
  messages_->setPlainText(QString::fromStdString(text));
  skip_->setEnabled(has_problems_);
  table_->resizeColumnsToContents();
}

void ExchangeImportDialog::update_ok() {
  const bool usable = !entries_.empty() || !marks_.empty() || !labelled_marks_.empty();
  ok_->setEnabled(usable && (!has_problems_ || skip_->isChecked()));
}

}  // namespace plenvista
