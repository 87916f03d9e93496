#pragma once

// RecordNumbers: the export numbers of one list of records, rebuilt for
// every export. The record at position i of the list has number first + i;
// a record listed twice has the number of its later position, and a record
// not listed (or null) reads as the fallback the caller gives.
//
// A lookup goes through an id table from the record's id to the list
// positions holding that id (a model record and its mirror share an id) and
// compares addresses.

#include <algorithm>
#include <cstddef>
#include <vector>

#include "model/id_index.h"

namespace plenvista {

template <class Record>
class RecordNumbers {
 public:
  RecordNumbers(const std::vector<Record*>& records, int first)
      : records_(records), first_(first), next_(records.size(), -1), heads_(make_table(records)) {
    // Each position links to the previous one with the same id, so a
    // lookup meets later positions first.
    for (std::size_t i = 0; i < records.size(); ++i) {
      int& head = heads_.entry(records[i]->id);
      next_[i] = head;
      head = static_cast<int>(i);
    }
  }

  int find(const Record* record, int fallback) const {
    if (record == nullptr) return fallback;
    for (int i = heads_.get(record->id); i >= 0; i = next_[static_cast<std::size_t>(i)])
      if (records_[static_cast<std::size_t>(i)] == record) return first_ + i;
    return fallback;
  }

 private:
  static IdTable<int> make_table(const std::vector<Record*>& records) {
    if (records.empty()) return IdTable<int>(0, 0, 0, -1);
    const auto [low, high] = std::minmax_element(records.begin(), records.end(),
                                                 [](const Record* a, const Record* b) { return a->id < b->id; });
    return IdTable<int>((*low)->id, (*high)->id, records.size(), -1);
  }

  const std::vector<Record*>& records_;
  int first_;
  std::vector<int> next_;
  IdTable<int> heads_;  // the last position of each id
};

}  // namespace plenvista
