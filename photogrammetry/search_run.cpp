#include "photogrammetry/search_run.h"

#include "base/number_text.h"
#include "model/image_management.h"
#include "photogrammetry/camera_search.h"

namespace plenvista {
namespace {

constexpr int kFirstSearchTick = 50;
constexpr int kRedrawEvery = 20;

}  // namespace

SearchRun::State SearchRun::tick() {
  if (state_ == State::Ended) return state_;
  ++ticks_;
  if (ticks_ < kFirstSearchTick) return state_;
  ++redraw_ticks_;
  if (ticks_ == kFirstSearchTick) {
    image_ = first_image_ready_for_search(project_.images());
    if (!image_) return state_ = State::Ended;
    search_.emplace(*image_);
    record_search_results(project_);
    state_ = State::Searching;
  }
  const bool ended = search_->run_batch();
  show_progress();
  if (redraw_ticks_ % kRedrawEvery == 0) project_.post(Notification::RedrawViews);
  if (ended) state_ = State::Ended;
  return state_;
}

void SearchRun::run_to_end() {
  while (tick() != State::Ended) {
  }
}

void SearchRun::show_progress() {
  image_->search_score = search_score_for(search_->shown_error(), image_->reference_points.count());
  score_text_ = "Score = " + format_fixed(image_->search_score, 2) + "%";
  const Vec3& offset = image_->pose.offset;
  offset_text_ =
      "X : " + format_fixed(offset.x, 2) + ", Y : " + format_fixed(offset.y, 2) + ", Z : " + format_fixed(offset.z, 2);
}

}  // namespace plenvista
