#pragma once

// RecordNumbers: the export numbers of one list of records, rebuilt for
// every export. The record at position i of the list has number first + i;
// a record listed twice has the number of its later position, and a record
// not listed (or null) reads as the fallback the caller gives.
//
// A lookup goes from the record's id to the list positions holding that id
// (a model record and its mirror share an id) and compares addresses. Ids
// spread over a range no wider than a few times the list index a flat
// table directly, which keeps lookups of neighbouring records in
// neighbouring memory; wider spreads go through an open-addressing hash.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plenvista {

template <class Record>
class RecordNumbers {
 public:
  RecordNumbers(const std::vector<Record*>& records, int first)
      : records_(records), first_(first), next_(records.size(), -1) {
    if (records.empty()) return;
    const auto [low, high] = std::minmax_element(records.begin(), records.end(),
                                                 [](const Record* a, const Record* b) { return a->id < b->id; });
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>((*high)->id) - (*low)->id) + 1;
    if (span <= 4 * records.size() + 64) {
      low_id_ = (*low)->id;
      heads_.assign(static_cast<std::size_t>(span), -1);
    } else {
      std::size_t size = 16;
      while (size < 2 * records.size()) size *= 2;
      hashed_.assign(size, Entry{});
      mask_ = size - 1;
      while ((std::size_t{1} << (64 - shift_)) < size) --shift_;
    }
    // Each position links to the previous one with the same id, so a
    // lookup meets later positions first.
    for (std::size_t i = 0; i < records.size(); ++i) {
      int& head = head_of(records[i]->id);
      next_[i] = head;
      head = static_cast<int>(i);
    }
  }

  int find(const Record* record, int fallback) const {
    if (record == nullptr) return fallback;
    for (int i = head_for(record->id); i >= 0; i = next_[static_cast<std::size_t>(i)])
      if (records_[static_cast<std::size_t>(i)] == record) return first_ + i;
    return fallback;
  }

 private:
  struct Entry {
    int id = 0;
    int head = -1;  // -1: an empty slot
  };

  std::size_t home(int id) const {
    return static_cast<std::size_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(id)) * 0x9E3779B97F4A7C15ull) >> shift_);
  }

  // The first position for an id, creating its table entry.
  int& head_of(int id) {
    if (hashed_.empty()) return heads_[static_cast<std::size_t>(static_cast<std::int64_t>(id) - low_id_)];
    std::size_t slot = home(id);
    while (hashed_[slot].head >= 0 && hashed_[slot].id != id) slot = (slot + 1) & mask_;
    hashed_[slot].id = id;
    return hashed_[slot].head;
  }

  // The first position for an id, or -1.
  int head_for(int id) const {
    if (hashed_.empty()) {
      const auto offset = static_cast<std::uint64_t>(static_cast<std::int64_t>(id) - low_id_);
      return offset < heads_.size() ? heads_[static_cast<std::size_t>(offset)] : -1;
    }
    for (std::size_t slot = home(id);; slot = (slot + 1) & mask_) {
      if (hashed_[slot].head < 0) return -1;
      if (hashed_[slot].id == id) return hashed_[slot].head;
    }
  }

  const std::vector<Record*>& records_;
  int first_;
  std::vector<int> next_;
  std::int64_t low_id_ = 0;
  std::vector<int> heads_;     // flat: first position per id - low_id_
  std::vector<Entry> hashed_;  // hashed: id and first position
  std::size_t mask_ = 0;
  int shift_ = 64;
};

}  // namespace plenvista
