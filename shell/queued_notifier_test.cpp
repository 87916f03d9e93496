#include "shell/queued_notifier.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <utility>
#include <vector>

namespace plenvista {
namespace {

using Received = std::vector<std::pair<Notification, int>>;

TEST(QueuedNotifier, DeliversAfterThePosterReturnsInPostingOrder) {
  QObject receiver;
  QueuedNotifier notifier;
  Received received;
  notifier.bind(&receiver, [&](Notification n, int a) {
    received.emplace_back(n, a);
    if (n == Notification::ModelChanged) notifier.post(Notification::RedrawViews, 7);  // queued behind the rest
  });
  notifier.post(Notification::ModelChanged, 0);
  notifier.post(Notification::SelectionChanged, 1);
  EXPECT_TRUE(received.empty());
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();  // a post made while handling may wait for the next round
  EXPECT_EQ(
      received,
      (Received{{Notification::ModelChanged, 0}, {Notification::SelectionChanged, 1}, {Notification::RedrawViews, 7}}));
}

TEST(QueuedNotifier, DropsPostsWithoutAReceiver) {
  QueuedNotifier notifier;
  Received received;
  notifier.post(Notification::ImagesChanged, 0);  // not bound yet
  auto receiver = std::make_unique<QObject>();
  notifier.bind(receiver.get(), [&](Notification n, int a) { received.emplace_back(n, a); });
  notifier.post(Notification::CursorMoved, 0);
  receiver.reset();
  notifier.post(Notification::DisplayChanged, 0);
  QCoreApplication::processEvents();
  EXPECT_TRUE(received.empty());
}

}  // namespace
}  // namespace plenvista
