#pragma once

// Id tables for passes that look up many records by id: a decoder resolving
// every face corner of a file, the undo baseline, the mirror rebuild and the
// exporters' record numbers. Built once per pass in time linear in the
// records, each lookup then costs one or two memory reads wherever the ids
// lie, where a bisection costs a dozen or more scattered reads per lookup.
//
// IdTable maps ids to ints (-1: absent). Ids spread over a range
// no wider than a few times the number of entries index a flat array; wider
// spreads go through an open-addressing hash. Its size is fixed when made.
//
// IdIndex gives for a sorted IdList exactly what the list's own lookup gives:
// the slot (or record) with an id, -1 (or null) when there is none. An id
// that several records share is left to the list's bisection, which decides
// between them as it always has.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/id_list.h"

namespace plenvista {

class IdTable {
 public:
  // A table for up to `count` distinct ids between `low` and `high`.
  IdTable(int low, int high, std::size_t count) {
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low) + 1;
    if (span <= 4 * count + 64) {
      low_ = low;
      flat_.assign(static_cast<std::size_t>(span), -1);
      return;
    }
    std::size_t size = 16;
    while (size < 2 * count) size *= 2;
    hashed_.assign(size, Entry{});
    mask_ = size - 1;
    while ((std::size_t{1} << (64 - shift_)) < size) --shift_;
  }

  // The value of an id, made -1 (absent) when the id is new. The id must lie
  // between the low and high given at construction, and a hashed table
  // holds no more than `count` ids.
  int& entry(int id) {
    if (hashed_.empty()) return flat_[static_cast<std::size_t>(static_cast<std::int64_t>(id) - low_)];
    std::size_t slot = home(id);
    while (hashed_[slot].value != -1 && hashed_[slot].id != id) slot = (slot + 1) & mask_;
    hashed_[slot].id = id;
    return hashed_[slot].value;
  }

  // The value of an id, or -1.
  int get(int id) const {
    if (hashed_.empty()) {
      const auto offset = static_cast<std::uint64_t>(static_cast<std::int64_t>(id) - low_);
      return offset < flat_.size() ? flat_[static_cast<std::size_t>(offset)] : -1;
    }
    for (std::size_t slot = home(id);; slot = (slot + 1) & mask_) {
      if (hashed_[slot].value == -1) return -1;
      if (hashed_[slot].id == id) return hashed_[slot].value;
    }
  }

 private:
  struct Entry {
    int id = 0;
    int value = -1;  // -1: an empty slot
  };

  std::size_t home(int id) const {
    return static_cast<std::size_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(id)) * 0x9E3779B97F4A7C15ull) >> shift_);
  }

  std::int64_t low_ = 0;
  std::vector<int> flat_;      // flat: value per id - low_
  std::vector<Entry> hashed_;  // hashed: id and value
  std::size_t mask_ = 0;
  int shift_ = 64;
};

template <class T>
class IdIndex {
 public:
  // The list must stay unchanged while the index is used.
  explicit IdIndex(const IdList<T>& list) : list_(list), table_(make_table(list)) {
    const std::span<const int> ids = list.ids();
    for (std::size_t i = 0; i < ids.size(); ++i) {
      int& value = table_.entry(ids[i]);
      value = value == -1 ? static_cast<int>(i) : kShared;
    }
  }

  // The slot of the record with that id, or -1.
  int slot(int id) const {
    const int value = table_.get(id);
    if (value != kShared) return value;
    const IdLookup found = list_.lookup(id);
    return found.found() ? found.slot : -1;
  }

  // The record with that id, or null.
  T* find(int id) const { return list_.at(slot(id)); }

 private:
  static constexpr int kShared = -2;  // an id of several records

  static IdTable make_table(const IdList<T>& list) {
    const std::span<const int> ids = list.ids();
    if (ids.empty()) return IdTable(0, 0, 0);
    const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
    return IdTable(*low, *high, ids.size());
  }

  const IdList<T>& list_;
  IdTable table_;
};

}  // namespace plenvista
