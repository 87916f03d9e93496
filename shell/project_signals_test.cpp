#include "shell/project_signals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <string>
#include <vector>

namespace plenvista {
namespace {

TEST(ProjectSignals, EmitsAfterThePosterReturnsInPostingOrder) {
  ProjectSignals signals_object;
  std::vector<std::string> received;
  QObject::connect(&signals_object, &ProjectSignals::modelChanged, [&] {
    received.push_back("model");
    signals_object.post(Notification::RedrawViews, 0);  // queued behind the rest
  });
  QObject::connect(&signals_object, &ProjectSignals::selectionChanged,
                   [&](bool single) { received.push_back(single ? "selection single" : "selection"); });
  QObject::connect(&signals_object, &ProjectSignals::redrawViews, [&] { received.push_back("redraw"); });
  QObject::connect(&signals_object, &ProjectSignals::cursorMoved, [&] { received.push_back("cursor"); });
  signals_object.post(Notification::ModelChanged, 0);
  signals_object.post(Notification::SelectionChanged, 1);
  signals_object.post(Notification::CursorMoved, 0);
  EXPECT_TRUE(received.empty());
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();  // a post made while handling may wait for the next round
  EXPECT_EQ(received, (std::vector<std::string>{"model", "selection single", "cursor", "redraw"}));
}

TEST(ProjectSignals, PostsPendingAtDestructionAreDropped) {
  auto signals_object = std::make_unique<ProjectSignals>();
  int emitted = 0;
  QObject::connect(signals_object.get(), &ProjectSignals::imagesChanged, [&] { ++emitted; });
  signals_object->post(Notification::ImagesChanged, 0);
  signals_object.reset();
  QCoreApplication::processEvents();
  EXPECT_EQ(emitted, 0);
}

}  // namespace
}  // namespace plenvista
