#pragma once

// RecordNumbers: the export numbers of one export, a map from a record's
// address to its number, rebuilt for every export. Open addressing keeps a
// lookup at one or two cache lines, which matters when every face corner of
// a large model is looked up. A record that was never numbered reads as the
// fallback the caller gives.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plenvista {

class RecordNumbers {
 public:
  // Room for `expected` records without rehashing (more may be added).
  explicit RecordNumbers(std::size_t expected) { reserve(expected); }

  // Numbers a record; a record numbered twice keeps the later number.
  void assign(const void* record, int number) {
    if ((count_ + 1) * 2 > keys_.size()) reserve(keys_.size());
    std::size_t slot = slot_of(record);
    while (keys_[slot] != nullptr && keys_[slot] != record) slot = (slot + 1) & mask_;
    if (keys_[slot] == nullptr) ++count_;
    keys_[slot] = record;
    numbers_[slot] = number;
  }

  int find(const void* record, int fallback) const {
    if (record == nullptr) return fallback;
    for (std::size_t slot = slot_of(record);; slot = (slot + 1) & mask_) {
      if (keys_[slot] == record) return numbers_[slot];
      if (keys_[slot] == nullptr) return fallback;
    }
  }

 private:
  std::size_t slot_of(const void* record) const {
    const auto address = reinterpret_cast<std::uintptr_t>(record);
    return static_cast<std::size_t>((static_cast<std::uint64_t>(address >> 3) * 0x9E3779B97F4A7C15ull) >> shift_);
  }

  // Grows to at least twice `expected` slots (a power of two) and re-inserts.
  void reserve(std::size_t expected) {
    std::size_t size = 16;
    int bits = 4;
    while (size < expected * 2 + 2) {
      size *= 2;
      ++bits;
    }
    if (size <= keys_.size()) return;
    std::vector<const void*> old_keys(size, nullptr);
    std::vector<int> old_numbers(size, 0);
    old_keys.swap(keys_);
    old_numbers.swap(numbers_);
    mask_ = size - 1;
    shift_ = 64 - bits;
    count_ = 0;
    for (std::size_t i = 0; i < old_keys.size(); ++i)
      if (old_keys[i] != nullptr) assign(old_keys[i], old_numbers[i]);
  }

  std::vector<const void*> keys_;
  std::vector<int> numbers_;
  std::size_t mask_ = 0;
  int shift_ = 64;
  std::size_t count_ = 0;
};

}  // namespace plenvista
