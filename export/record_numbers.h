#pragma once

// RecordNumbers: the export numbers of one export, a map from a record to
// its number, rebuilt for every export. Records are keyed by address and
// placed by a hash of their id in an open-addressing table (a model record
// and its mirror share an id and simply take neighbouring slots). A lookup
// touches one or two cache lines, which matters when every face corner of a
// large model is looked up. A record never numbered reads as the fallback
// the caller gives.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plenvista {

class RecordNumbers {
 public:
  // Room for `expected` records without regrowth (more may be added).
  explicit RecordNumbers(std::size_t expected) { resize(2 * expected + 2); }

  // Numbers a record; a record numbered twice keeps the later number.
  template <class Record>
  void assign(const Record* record, int number) {
    if ((count_ + 1) * 2 > keys_.size()) resize(2 * keys_.size());
    std::size_t slot = home(record->id);
    while (keys_[slot] != nullptr && keys_[slot] != record) slot = (slot + 1) & mask_;
    if (keys_[slot] == nullptr) {
      ++count_;
      keys_[slot] = record;
      ids_[slot] = record->id;
    }
    numbers_[slot] = number;
  }

  template <class Record>
  int find(const Record* record, int fallback) const {
    if (record == nullptr) return fallback;
    for (std::size_t slot = home(record->id);; slot = (slot + 1) & mask_) {
      if (keys_[slot] == record) return numbers_[slot];
      if (keys_[slot] == nullptr) return fallback;
    }
  }

 private:
  std::size_t home(int id) const {
    return static_cast<std::size_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(id)) * 0x9E3779B97F4A7C15ull) >>
                                    shift_);
  }

  // Grows to a power of two of at least `slots` and re-inserts.
  void resize(std::size_t slots) {
    std::size_t size = 16;
    int bits = 4;
    while (size < slots) {
      size *= 2;
      ++bits;
    }
    std::vector<const void*> old_keys(size, nullptr);
    std::vector<int> old_ids(size, 0);
    std::vector<int> old_numbers(size, 0);
    old_keys.swap(keys_);
    old_ids.swap(ids_);
    old_numbers.swap(numbers_);
    mask_ = size - 1;
    shift_ = 64 - bits;
    count_ = 0;
    for (std::size_t i = 0; i < old_keys.size(); ++i) {
      if (old_keys[i] == nullptr) continue;
      std::size_t slot = home(old_ids[i]);
      while (keys_[slot] != nullptr) slot = (slot + 1) & mask_;
      keys_[slot] = old_keys[i];
      ids_[slot] = old_ids[i];
      numbers_[slot] = old_numbers[i];
      ++count_;
    }
  }

  std::vector<const void*> keys_;
  std::vector<int> ids_;
  std::vector<int> numbers_;
  std::size_t mask_ = 0;
  int shift_ = 64;
  std::size_t count_ = 0;
};

// The records of a list numbered in list order from `first`.
template <class Record>
RecordNumbers numbered(const std::vector<Record*>& records, int first) {
  RecordNumbers numbers(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) numbers.assign(records[i], first + static_cast<int>(i));
  return numbers;
}

}  // namespace plenvista
