#include "model/id_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace plenvista {
namespace {

struct Rec {
  int id;
};

std::vector<int> ids(const IdList<Rec>& list) {
  std::vector<int> out;
  for (const Rec* r : list) out.push_back(r->id);
  return out;
}

TEST(IdListInsert, KeepsSortedOrderWithEqualIdBeforeExisting) {
  IdList<Rec> list(10, 10);
  Rec* first3 = list.insert(std::make_unique<Rec>(Rec{5}));
  first3 = list.insert(std::make_unique<Rec>(Rec{3}));
  list.insert(std::make_unique<Rec>(Rec{9}));
  Rec* second3 = list.insert(std::make_unique<Rec>(Rec{3}));
  EXPECT_EQ(ids(list), (std::vector<int>{3, 3, 5, 9}));
  EXPECT_EQ(list.at(0), second3);
  EXPECT_EQ(list.at(1), first3);
}

TEST(IdListInsert, EqualToLastGoesBeforeLastAndBisectsInTheMiddle) {
  IdList<Rec> list(10, 10);
  for (int id : {10, 20, 30, 40, 50, 60}) list.insert(std::make_unique<Rec>(Rec{id}));
  Rec* dup = list.insert(std::make_unique<Rec>(Rec{60}));
  EXPECT_EQ(list.at(5), dup);
  list.insert(std::make_unique<Rec>(Rec{35}));
  list.insert(std::make_unique<Rec>(Rec{1}));
  EXPECT_EQ(ids(list), (std::vector<int>{1, 10, 20, 30, 35, 40, 50, 60, 60}));
}

TEST(IdListInsert, UnsortedListAppends) {
  IdList<Rec> list(2, 2, ListOrder::Unsorted);
  for (int id : {5, 3, 9}) list.insert(std::make_unique<Rec>(Rec{id}));
  EXPECT_EQ(ids(list), (std::vector<int>{5, 3, 9}));
  EXPECT_EQ(list.capacity(), 4);
}

TEST(IdListLookup, ReportsFoundNotFoundAndBeyondEnd) {
  IdList<Rec> list(10, 10);
  EXPECT_EQ(list.lookup(4).status, IdLookup::Status::NotFound);
  for (int id : {2, 4, 6, 8, 10}) list.insert(std::make_unique<Rec>(Rec{id}));
  const IdLookup beyond = list.lookup(11);
  EXPECT_EQ(beyond.status, IdLookup::Status::BeyondEnd);
  EXPECT_EQ(beyond.slot, -1);
  const IdLookup between = list.lookup(5);
  EXPECT_EQ(between.status, IdLookup::Status::NotFound);
  EXPECT_EQ(between.slot, 2);  // the slot of the larger id
  EXPECT_EQ(list.lookup(1).slot, 0);
  EXPECT_FALSE(list.lookup(1).found());
  for (int slot = 0; slot < 5; ++slot) {
    const IdLookup l = list.lookup(2 * slot + 2);
    EXPECT_TRUE(l.found());
    EXPECT_EQ(l.slot, slot);
  }
  EXPECT_EQ(list.find(7), nullptr);
  EXPECT_EQ(list.find(8)->id, 8);
}

TEST(IdListLookup, UnsortedScanTakesLastMatch) {
  IdList<Rec> list(10, 10, ListOrder::Unsorted);
  list.insert(std::make_unique<Rec>(Rec{4}));
  list.insert(std::make_unique<Rec>(Rec{1}));
  list.insert(std::make_unique<Rec>(Rec{4}));
  EXPECT_EQ(list.lookup(4).slot, 2);
}

TEST(IdListGrowth, GrowsByItsStepAndKeepsRecords) {
  IdList<Rec> list(100, 100);
  for (int id = 0; id < 100; ++id) list.insert(std::make_unique<Rec>(Rec{id}));
  EXPECT_EQ(list.capacity(), 100);
  list.insert(std::make_unique<Rec>(Rec{100}));
  EXPECT_EQ(list.capacity(), 200);
  EXPECT_EQ(list.count(), 101);
  EXPECT_EQ(list.at(57)->id, 57);
}

TEST(IdListRemove, RefusesOutOfRangeAndShiftsLaterSlots) {
  IdList<Rec> list(10, 10);
  for (int id : {1, 2, 3}) list.insert(std::make_unique<Rec>(Rec{id}));
  EXPECT_FALSE(list.remove_at(3));
  EXPECT_FALSE(list.remove_at(-1));
  EXPECT_TRUE(list.remove_at(1));
  EXPECT_EQ(ids(list), (std::vector<int>{1, 3}));
  EXPECT_EQ(list.at(2), nullptr);
  list.clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.capacity(), 10);
}

TEST(IdListRemove, BorrowingListNeverDeletes) {
  IdList<Rec> owner(10, 10);
  Rec* r = owner.insert(std::make_unique<Rec>(Rec{7}));
  {
    IdList<Rec> view(10, 10, ListOrder::Sorted, ListOwnership::Borrowed);
    view.insert(r);
    EXPECT_TRUE(view.remove_at(0));
    view.insert(r);
  }
  EXPECT_EQ(owner.at(0)->id, 7);  // still alive: the sanitizer build catches a double delete
}

}  // namespace
}  // namespace plenvista
