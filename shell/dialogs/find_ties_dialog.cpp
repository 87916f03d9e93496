#include "shell/dialogs/find_ties_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "model/auto_ties.h"
#include "model/run_edit.h"
#include "photogrammetry/tie_finding_project.h"

namespace plenvista {

namespace {

QString file_of(const ProjectImage& image) { return QString::fromStdString(std::string(shown(image.file_name))); }

}  // namespace

FindTiesDialog::FindTiesDialog(Project& project, PhotographRead read, const std::vector<int>& checked, QWidget* parent,
                               int tick_ms)
    : QDialog(parent),
      project_(project),
      read_(std::move(read)),
      tick_ms_(tick_ms),
      list_(new QListWidget(this)),
      guided_(new QCheckBox(QStringLiteral("Guided: match oriented photographs along their epipolar lines"), this)),
      bar_(new QProgressBar(this)),
      report_(new QPlainTextEdit(this)),
      find_(new QPushButton(QStringLiteral("Find"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      timer_(new QTimer(this)) {
  setWindowTitle(QStringLiteral("Find Tie Points"));
  for (const ProjectImage* image : project.images().images) {
    auto* item = new QListWidgetItem(QString::number(image->id) + QStringLiteral("  ") + file_of(*image), list_);
    item->setData(Qt::UserRole, image->id);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    const bool on = checked.empty() || std::ranges::find(checked, image->id) != checked.end();
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  bar_->setRange(0, 100);
  bar_->setValue(0);
  report_->setReadOnly(true);
  find_->setDefault(true);
  connect(find_, &QPushButton::clicked, this, &FindTiesDialog::start);
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (running()) {
      stop();
      report_->appendPlainText(QStringLiteral("Cancelled: no tie points added."));
    } else {
      reject();
    }
  });
  connect(timer_, &QTimer::timeout, this, &FindTiesDialog::tick);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Photographs:"), this));
  layout->addWidget(list_);
  layout->addWidget(guided_);
  layout->addWidget(bar_);
  layout->addWidget(report_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(find_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
}

FindTiesDialog::~FindTiesDialog() = default;

void FindTiesDialog::start() {
  images_.clear();
  for (int row = 0; row < list_->count(); ++row)
    if (list_->item(row)->checkState() == Qt::Checked)
      if (const ProjectImage* image = project_.images().images.find(list_->item(row)->data(Qt::UserRole).toInt()))
        images_.push_back(image);
  report_->clear();
  if (images_.size() < 2) {
    report_->setPlainText(QStringLiteral("Check two photographs or more."));
    return;
  }
  if (!project_.images().camera.has_tables()) {
    report_->setPlainText(QStringLiteral("The project has no calibrated camera: finding tie points needs its grid."));
    return;
  }
  TieFinderOptions options;
  options.guided = guided_->isChecked();
  options.guided_matching.known_points = known_points(project_.model);
  finder_ = std::make_unique<TieFinder>(images_, read_, options);
  find_->setEnabled(false);
  list_->setEnabled(false);
  guided_->setEnabled(false);
  bar_->setValue(0);
  report_->setPlainText(QStringLiteral("Finding tie points ..."));
  timer_->start(tick_ms_);
}

void FindTiesDialog::tick() {
  if (!finder_) return;
  const bool more = finder_->step();
  bar_->setValue(static_cast<int>(100 * finder_->progress()));
  if (!more) finish();
}

void FindTiesDialog::finish() {
  const TieFinderResult& result = finder_->result();
  std::optional<std::vector<std::string>> labels;
  run_edit(project_, [&] { labels = add_automatic_ties_as_action(project_, found_ties(images_, result)); });
  QStringList lines;
  for (const std::string& e : result.errors) lines << QString::fromStdString(e);
  for (const PairReport& p : result.pairs)
    lines << QStringLiteral("%1 and %2: %3 and %4 features, %5 candidates, %6 verified%7")
                 .arg(file_of(*images_[static_cast<std::size_t>(p.image_a)]),
                      file_of(*images_[static_cast<std::size_t>(p.image_b)]))
                 .arg(p.features_a)
                 .arg(p.features_b)
                 .arg(p.candidates)
                 .arg(p.verified)
                 .arg(p.guided ? QStringLiteral(" (guided)") : QString());
  if (result.second_pass)
    lines << QStringLiteral("Second search, with squeezed views: the first left photographs apart");
  lines << QStringLiteral("Tracks: %1 made, %2 conflicting dropped, %3 inconsistent dropped")
               .arg(result.ties.size())
               .arg(result.conflicts)
               .arg(result.inconsistent);
  if (!labels)
    lines << QStringLiteral("No tie points added: the project has run out of ids.");
  else if (labels->empty())
    lines << QStringLiteral("No tie points added.");
  else
    lines << QStringLiteral("Added %1 tie points, %2 to %3.")
                 .arg(labels->size())
                 .arg(QString::fromStdString(labels->front()), QString::fromStdString(labels->back()));
  report_->setPlainText(lines.join(QLatin1Char('\n')));
  bar_->setValue(100);
  stop();
  cancel_->setText(QStringLiteral("Close"));
}

void FindTiesDialog::stop() {
  timer_->stop();
  finder_.reset();
  find_->setEnabled(true);
  list_->setEnabled(true);
  guided_->setEnabled(true);
}

void FindTiesDialog::done(int result) {
  stop();
  QDialog::done(result);
}

}  // namespace plenvista
