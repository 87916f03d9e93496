#pragma once

// RecoveryWriter: writes and removes recovery copies on a worker thread, in
// the order asked, so the window never waits for the disk. A copy is
// written atomically (a temporary file renamed over the copy). A write
// still waiting when a newer one for the same path arrives is replaced by
// it; a removal always runs after the writes asked before it, so a slow
// write never brings back a copy that Save removed. The destructor
// finishes every job asked before it returns.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "persistence/recovery.h"

namespace plenvista {

class RecoveryWriter {
 public:
  RecoveryWriter();
  ~RecoveryWriter();
  RecoveryWriter(const RecoveryWriter&) = delete;
  RecoveryWriter& operator=(const RecoveryWriter&) = delete;

  void write(RecoveryCopy copy);
  void remove(const std::string& path);
  // Waits until every job asked so far has been done.
  void wait_idle();
  // How many writes failed so far (disk full, folder not writable).
  int failures() const;

 private:
  struct Job {
    RecoveryCopy copy;  // an empty header: remove copy.path
  };
  void run();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Job> jobs_;
  bool busy_ = false;
  bool stopping_ = false;
  int failures_ = 0;
  std::thread worker_;
};

}  // namespace plenvista
