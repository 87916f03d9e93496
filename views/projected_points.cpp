#include "views/projected_points.h"

namespace plenvista {

void ProjectedPoints::index_ids() {
  slot_of_id_.clear();
  if (list_->empty() || list_->order() != ListOrder::Sorted) return;
  first_id_ = list_->first()->id;
  const long long range = static_cast<long long>(list_->last()->id) - first_id_ + 1;
  // A table by id while the ids are dense enough; a search otherwise.
  if (range > 8LL * list_->count() + 1024) return;
  slot_of_id_.assign(static_cast<std::size_t>(range), -1);
  for (int i = 0; i < list_->count(); ++i) slot_of_id_[static_cast<std::size_t>(list_->at(i)->id - first_id_)] = i;
}

const Point2* ProjectedPoints::find(const ModelPoint* point) const {
  if (list_ == nullptr || point == nullptr) return nullptr;
  int slot = -1;
  if (!slot_of_id_.empty()) {
    const long long index = static_cast<long long>(point->id) - first_id_;
    if (index >= 0 && index < static_cast<long long>(slot_of_id_.size()))
      slot = slot_of_id_[static_cast<std::size_t>(index)];
  } else {
    const IdLookup found = list_->lookup(point->id);
    if (found.found()) slot = found.slot;
  }
  // Mirror copies share their original's id: only this list's record counts.
  if (slot < 0 || list_->at(slot) != point) return nullptr;
  return &positions_[static_cast<std::size_t>(slot)];
}

}  // namespace plenvista
