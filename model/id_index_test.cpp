#include "model/id_index.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <utility>

namespace plenvista {
namespace {

struct Rec {
  int id;
};

// The index answers as the list's own lookup does, for every id in and
// around the list: ids close together (a flat table) and far apart (a hash),
// ids several records share, and an empty list.
TEST(IdIndex, AnswersAsTheListsLookupForNarrowWideAndSharedIds) {
  std::mt19937 rng(7);
  for (const int stride : {1, 3, 1000003}) {
    IdList<Rec> list(10, 10);
    std::vector<int> ids;
    for (int i = 0; i < 300; ++i) ids.push_back(static_cast<int>(rng() % 200) * stride - 500);
    for (int id : ids) list.insert(std::make_unique<Rec>(Rec{id}));
    const IdIndex<Rec> records(list);
    const IdIndex<Rec, int> slots(list);
    for (int k = -3; k < 203; ++k) {
      const int id = k * stride - 500;
      const IdLookup expected = list.lookup(id);
      EXPECT_EQ(slots.find(id), expected.found() ? expected.slot : -1) << id;
      EXPECT_EQ(records.find(id), list.find(id)) << id;
    }
  }
  const IdList<Rec> empty(10, 10);
  EXPECT_EQ(IdIndex<Rec>(empty).find(0), nullptr);
  EXPECT_EQ((IdIndex<Rec, int>(empty).find(5)), -1);
}

// The ids beside the pointers follow every change of the list, including
// a re-sort after two records exchanged their ids.
TEST(IdIndex, ListIdsFollowInsertRemoveTakeAndResort) {
  IdList<Rec> list(4, 4);
  for (int id : {5, 1, 9, 3, 7}) list.insert(std::make_unique<Rec>(Rec{id}));
  list.remove_at(1);
  std::unique_ptr<Rec> taken = list.take_at(0);
  EXPECT_EQ(taken->id, 1);
  std::swap(list.at(0)->id, list.at(2)->id);
  list.sort_by_id();
  ASSERT_EQ(list.count(), 3);
  for (int slot = 0; slot < list.count(); ++slot) {
    EXPECT_EQ(list.ids()[static_cast<std::size_t>(slot)], list.at(slot)->id);
    EXPECT_EQ(list.lookup(list.at(slot)->id).slot, slot);
  }
  IdList<Rec> moved = std::move(list);
  EXPECT_EQ(moved.ids().size(), 3u);
  EXPECT_TRUE(list.ids().empty());
  EXPECT_EQ(moved.find(9)->id, 9);
}

}  // namespace
}  // namespace plenvista
