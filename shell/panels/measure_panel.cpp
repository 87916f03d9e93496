#include "shell/panels/measure_panel.h"

#include <QAction>
#include <QClipboard>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "model/project.h"
#include "shell/project_signals.h"

namespace plenvista {

namespace {

const QString kHint = QStringLiteral("Select two or three points, or the three corners of faces.");

}  // namespace

MeasurePanel::MeasurePanel(Project& project, QWidget* parent)
    : QWidget(parent),
      project_(project),
      text_(new QPlainTextEdit(this)),
      copy_(new QPushButton(QStringLiteral("Copy"), this)) {
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  connect(copy_, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setText(text_->toPlainText()); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_, 1);
  layout->addWidget(copy_, 0, Qt::AlignRight);
  refresh();
}

void MeasurePanel::refresh() {
  const ModelData& model = project_.model;
  std::vector<int> selected;
  for (const ModelPoint* p : model.points)
    if (p->selected) selected.push_back(p->id);
  order_.update(selected);

  std::optional<PointMeasurement> points;
  if (order_.ids().size() == 2 || order_.ids().size() == 3) {
    std::vector<const ModelPoint*> chosen;
    for (const int id : order_.ids()) chosen.push_back(model.points.find(id));
    points = measure_points(chosen, model.transform);
  }
  std::optional<FaceMeasurement> faces;
  if (const std::vector<const ModelFace*> chosen = selected_faces(model); !chosen.empty())
    faces = measure_faces(chosen, model.transform);

  const std::vector<std::string> lines = measurement_lines(points, faces);
  QStringList shown;
  for (const std::string& line : lines) shown << QString::fromStdString(line);
  text_->setPlainText(shown.isEmpty() ? kHint : shown.join(QLatin1Char('\n')));
  copy_->setEnabled(!shown.isEmpty());
  summary_ = shown.join(QStringLiteral("   "));
  if (status_) status_->setText(summary_);
}

MeasurePanel* add_measure_dock(QMainWindow& window, Project& project, ProjectSignals& notifications, QAction& toggle,
                               QStatusBar& status_bar) {
  auto* dock = new QDockWidget(QStringLiteral("Measure"), &window);
  dock->setObjectName(QStringLiteral("MeasureDock"));
  auto* panel = new MeasurePanel(project, dock);
  dock->setWidget(panel);
  window.addDockWidget(Qt::RightDockWidgetArea, dock);
  dock->hide();
  auto* label = new QLabel(&status_bar);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_bar.addPermanentWidget(label);
  panel->set_status_label(label);
  QObject::connect(dock, &QDockWidget::visibilityChanged, &toggle,
                   [dock, &toggle] { toggle.setChecked(!dock->isHidden()); });
  QObject::connect(&notifications, &ProjectSignals::selectionChanged, panel, [panel] { panel->refresh(); });
  QObject::connect(&notifications, &ProjectSignals::modelChanged, panel, [panel] { panel->refresh(); });
  QObject::connect(&notifications, &ProjectSignals::imagesChanged, panel, [panel] { panel->refresh(); });
  return panel;
}

}  // namespace plenvista
