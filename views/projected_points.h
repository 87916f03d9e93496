#pragma once

// ProjectedPoints: the client positions of every record of one point list
// (the model's points or their mirror copies), projected once for a paint or
// a click and then looked up by slot or by record. Positions are client
// pixels as doubles; a projection that fails is not finite and is never
// drawn nor hit.

#include <cmath>
#include <vector>

#include "base/vec3.h"
#include "model/id_list.h"
#include "model/model_records.h"

namespace plenvista {

class ProjectedPoints {
 public:
  // `project` maps a model position to client pixels. The list must stay
  // unchanged while this is used.
  template <class Projection>
  void build(const IdList<ModelPoint>& list, Projection&& project) {
    list_ = &list;
    positions_.resize(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i) positions_[static_cast<std::size_t>(i)] = project(list.at(i)->position());
    index_ids();
  }

  const IdList<ModelPoint>& list() const { return *list_; }
  int count() const { return static_cast<int>(positions_.size()); }
  Point2 at(int slot) const { return positions_[static_cast<std::size_t>(slot)]; }
  // The position of `point` when it is a record of this list, else null.
  const Point2* find(const ModelPoint* point) const;

 private:
  void index_ids();

  const IdList<ModelPoint>* list_ = nullptr;
  std::vector<Point2> positions_;
  int first_id_ = 0;
  std::vector<int> slot_of_id_;  // id - first_id_ -> slot or -1; empty when ids are sparse
};

inline bool is_finite(Point2 p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace plenvista
