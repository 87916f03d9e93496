#pragma once

// IdList: the one container of the model. A growable array of record pointers,
// either kept sorted by ascending id (every record type has an `int id` as its
// first field) or unsorted (appended). An owning list deletes its records when
// they are removed or the list is cleared or destroyed; a borrowing list only
// refers to records owned elsewhere.
//
// Capacity is observable: a list starts with an initial number of slots and
// grows by a fixed step when full (the 101st point grows the points list from
// 100 to 200 slots). The storage underneath grows geometrically, so filling
// a list of n records costs O(n), not O(n^2 / step). Out-of-range slots are
// refused, never undefined.
//
// The list keeps a copy of every record's id in one contiguous array beside
// the pointers, so a lookup bisects that array and never follows a record
// pointer. A record's id therefore must not change while it is in a list,
// unless sort_by_id is called right after (it takes the ids afresh).

#include <algorithm>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace plenvista {

enum class ListOrder : unsigned char { Unsorted = 1, Sorted = 2 };
enum class ListOwnership : unsigned char { Borrowed = 0, Owning = 1 };

// Result of a lookup by id.
struct IdLookup {
  enum class Status { Found, NotFound, BeyondEnd };
  Status status = Status::NotFound;
  int slot = -1;  // the matching slot, or the insertion slot when not found; -1 beyond the end
  bool found() const { return status == Status::Found; }
};

template <class T>
class IdList {
 public:
  IdList(int initial_capacity, int growth, ListOrder order = ListOrder::Sorted,
         ListOwnership ownership = ListOwnership::Owning)
      : capacity_(initial_capacity), growth_(growth), order_(order), ownership_(ownership) {
    slots_.reserve(static_cast<std::size_t>(initial_capacity));
    ids_.reserve(static_cast<std::size_t>(initial_capacity));
  }
  ~IdList() { clear(); }

  IdList(const IdList&) = delete;
  IdList& operator=(const IdList&) = delete;
  IdList(IdList&& other) noexcept { *this = std::move(other); }
  IdList& operator=(IdList&& other) noexcept {
    if (this != &other) {
      clear();
      slots_ = std::move(other.slots_);
      other.slots_.clear();
      ids_ = std::move(other.ids_);
      other.ids_.clear();
      count_ = std::exchange(other.count_, 0);
      capacity_ = other.capacity_;
      growth_ = other.growth_;
      order_ = other.order_;
      ownership_ = other.ownership_;
    }
    return *this;
  }

  int count() const { return count_; }
  int capacity() const { return capacity_; }
  bool empty() const { return count_ == 0; }
  bool owns() const { return ownership_ == ListOwnership::Owning; }
  ListOrder order() const { return order_; }

  // The record at a slot, or null for a slot out of range.
  T* at(int slot) const { return in_range(slot) ? slots_[static_cast<std::size_t>(slot)] : nullptr; }
  T* operator[](int slot) const { return at(slot); }
  T* first() const { return at(0); }
  T* last() const { return at(count_ - 1); }

  T* const* begin() const { return slots_.data(); }
  T* const* end() const { return slots_.data() + count_; }
  // The records' ids, slot by slot.
  std::span<const int> ids() const { return ids_; }

  // Inserts a record (an owning list takes ownership) and returns it. In a
  // sorted list an id equal to an existing one goes before it.
  T* insert(T* record) {
    if (count_ == capacity_) capacity_ += std::max(growth_, 1);
    const int slot = order_ == ListOrder::Unsorted ? count_ : insertion_slot(record->id);
    slots_.insert(slots_.begin() + slot, record);
    ids_.insert(ids_.begin() + slot, record->id);
    ++count_;
    return record;
  }
  T* insert(std::unique_ptr<T> record) { return insert(record.release()); }

  // Lookup by id. Sorted lists bisect; unsorted lists scan and take the last match.
  IdLookup lookup(int id) const {
    using S = IdLookup::Status;
    if (count_ == 0) return {S::NotFound, 0};
    if (order_ == ListOrder::Unsorted) {
      for (int i = count_ - 1; i >= 0; --i)
        if (id_at(i) == id) return {S::Found, i};
      return {S::NotFound, count_};
    }
    const int last_slot = count_ - 1;
    if (id > id_at(last_slot)) return {S::BeyondEnd, -1};
    if (id == id_at(last_slot)) return {S::Found, last_slot};
    if (id < id_at(0)) return {S::NotFound, 0};
    if (id == id_at(0)) return {S::Found, 0};
    int lo = 0;
    int hi = last_slot;
    while (hi - lo > 1) {
      const int mid = lo + (hi - lo) / 2;
      const int mid_id = id_at(mid);
      if (mid_id == id) return {S::Found, mid};
      if (mid_id < id)
        lo = mid;
      else
        hi = mid;
    }
    return {S::NotFound, hi};
  }

  // The record with that id, or null.
  T* find(int id) const {
    const IdLookup l = lookup(id);
    return l.found() ? at(l.slot) : nullptr;
  }

  // Slot of a record by identity, or -1.
  int index_of(const T* record) const {
    for (int i = 0; i < count_; ++i)
      if (slots_[static_cast<std::size_t>(i)] == record) return i;
    return -1;
  }
  bool contains(const T* record) const { return index_of(record) >= 0; }

  // Removes the record at a slot (deleting it when owning). False for a
  // slot out of range.
  bool remove_at(int slot) {
    if (!in_range(slot)) return false;
    std::unique_ptr<T> taken = take_at(slot);
    if (!owns()) (void)taken.release();
    return true;
  }

  // Removes the record at a slot without deleting it and hands it over.
  // Null for a slot out of range.
  std::unique_ptr<T> take_at(int slot) {
    if (!in_range(slot)) return nullptr;
    T* record = slots_[static_cast<std::size_t>(slot)];
    slots_.erase(slots_.begin() + slot);
    ids_.erase(ids_.begin() + slot);
    --count_;
    return std::unique_ptr<T>(record);
  }

  // Deletes (when owning) and nulls every slot; the capacity is kept.
  void clear() {
    if (owns())
      for (T* record : slots_) delete record;
    slots_.clear();
    ids_.clear();
    count_ = 0;
  }

  // Re-sorts the used slots by ascending id (stable), after ids were exchanged.
  void sort_by_id() {
    std::stable_sort(slots_.begin(), slots_.begin() + count_, [](const T* a, const T* b) { return a->id < b->id; });
    for (std::size_t i = 0; i < slots_.size(); ++i) ids_[i] = slots_[i]->id;
  }

 private:
  bool in_range(int slot) const { return slot >= 0 && slot < count_; }
  int id_at(int slot) const { return ids_[static_cast<std::size_t>(slot)]; }

  int insertion_slot(int id) const {
    if (count_ == 0 || id > id_at(count_ - 1)) return count_;
    if (id == id_at(count_ - 1)) return count_ - 1;
    if (id <= id_at(0)) return 0;
    int lo = 0;
    int hi = count_ - 1;
    while (hi - lo > 1) {
      const int mid = lo + (hi - lo) / 2;
      const int mid_id = id_at(mid);
      if (mid_id == id) return mid;
      if (mid_id < id)
        lo = mid;
      else
        hi = mid;
    }
    return hi;
  }

  std::vector<T*> slots_;  // exactly the used slots
  std::vector<int> ids_;   // slots_[i]->id, for lookups that touch no record
  int count_ = 0;
  int capacity_ = 0;
  int growth_ = 10;
  ListOrder order_ = ListOrder::Sorted;
  ListOwnership ownership_ = ListOwnership::Owning;
};

}  // namespace plenvista
