#pragma once

// Id tables for passes that look up many records by id: a decoder resolving
// every face corner of a file, the undo baseline, the mirror rebuild and the
// exporters' record numbers. Built once per pass in time linear in the
// records, each lookup then costs one or two memory reads wherever the ids
// lie, where a bisection costs a dozen or more scattered reads per lookup.
//
// IdTable maps ids to values (records or slots), with one value for absent
// ids. Ids spread over a range no wider than a few times the number of
// entries index a flat array; wider spreads go through an open-addressing
// hash. Its size is fixed when made.
//
// IdIndex gives for an IdList exactly what the list's own lookup gives: the
// record (or slot) with an id, null (or -1) when there is none. For an id
// that several records share the list's lookup is asked once, when the
// index is made, and its answer kept.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "model/id_list.h"

namespace plenvista {

template <class V>
class IdTable {
 public:
  // A table for up to `count` distinct ids between `low` and `high`;
  // `absent` is the value of every id not entered.
  IdTable(int low, int high, std::size_t count, V absent) : absent_(absent) {
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low) + 1;
    if (span <= 4 * count + 64) {
      low_ = low;
      flat_.assign(static_cast<std::size_t>(span), absent);
      return;
    }
    std::size_t size = 16;
    while (size < 2 * count) size *= 2;
    hashed_.assign(size, Entry{0, absent});
    mask_ = size - 1;
    while ((std::size_t{1} << (64 - shift_)) < size) --shift_;
  }

  // The value of an id, made `absent` when the id is new. The id must lie
  // between the low and high given at construction, and a hashed table
  // holds no more than `count` ids.
  V& entry(int id) {
    if (hashed_.empty()) return flat_[static_cast<std::size_t>(static_cast<std::int64_t>(id) - low_)];
    std::size_t slot = home(id);
    while (hashed_[slot].value != absent_ && hashed_[slot].id != id) slot = (slot + 1) & mask_;
    hashed_[slot].id = id;
    return hashed_[slot].value;
  }

  // Asks the memory for the place of an id's value, ahead of a get.
  void prefetch(int id) const {
    if (hashed_.empty()) {
      const auto offset = static_cast<std::uint64_t>(static_cast<std::int64_t>(id) - low_);
      if (offset < flat_.size()) __builtin_prefetch(&flat_[static_cast<std::size_t>(offset)]);
    } else {
      __builtin_prefetch(&hashed_[home(id)]);
    }
  }

  // The value of an id, or `absent`.
  V get(int id) const {
    if (hashed_.empty()) {
      const auto offset = static_cast<std::uint64_t>(static_cast<std::int64_t>(id) - low_);
      return offset < flat_.size() ? flat_[static_cast<std::size_t>(offset)] : absent_;
    }
    for (std::size_t slot = home(id);; slot = (slot + 1) & mask_) {
      if (hashed_[slot].value == absent_) return absent_;
      if (hashed_[slot].id == id) return hashed_[slot].value;
    }
  }

 private:
  struct Entry {
    int id;
    V value;  // absent_: an empty slot
  };

  std::size_t home(int id) const {
    return static_cast<std::size_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(id)) * 0x9E3779B97F4A7C15ull) >> shift_);
  }

  V absent_;
  std::int64_t low_ = 0;
  std::vector<V> flat_;        // flat: value per id - low_
  std::vector<Entry> hashed_;  // hashed: id and value
  std::size_t mask_ = 0;
  int shift_ = 64;
};

// By default an index gives records (null: none); IdIndex<T, int> gives
// slots (-1: none).
template <class T, class V = T*>
class IdIndex {
 public:
  // The list's records must stay while the index is used.
  explicit IdIndex(const IdList<T>& list) : table_(make_table(list)) {
    const std::span<const int> ids = list.ids();
    std::vector<int> shared;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      V& value = table_.entry(ids[i]);
      if (value == absent())
        value = value_at(list, static_cast<int>(i));
      else
        shared.push_back(ids[i]);
    }
    // The list's own lookup decides between records that share an id.
    for (const int id : shared) {
      const IdLookup found = list.lookup(id);
      if (found.found()) table_.entry(id) = value_at(list, found.slot);
    }
  }

  // The record (or slot) with that id.
  V find(int id) const { return table_.get(id); }
  // Asks the memory for what find(id) reads, when many lookups are known ahead.
  void prefetch(int id) const { table_.prefetch(id); }

 private:
  static V absent() {
    if constexpr (std::is_same_v<V, int>)
      return -1;
    else
      return nullptr;
  }
  static V value_at(const IdList<T>& list, int slot) {
    if constexpr (std::is_same_v<V, int>)
      return slot;
    else
      return list.at(slot);
  }

  static IdTable<V> make_table(const IdList<T>& list) {
    const std::span<const int> ids = list.ids();
    if (ids.empty()) return IdTable<V>(0, 0, 0, absent());
    const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
    return IdTable<V>(*low, *high, ids.size(), absent());
  }

  IdTable<V> table_;
};

}  // namespace plenvista
