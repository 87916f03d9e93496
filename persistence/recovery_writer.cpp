#include "persistence/recovery_writer.h"

#include <filesystem>
#include <system_error>

#include "base/file_io.h"

namespace plenvista {

RecoveryWriter::RecoveryWriter() : worker_([this] { run(); }) {}

RecoveryWriter::~RecoveryWriter() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  worker_.join();
}

void RecoveryWriter::write(RecoveryCopy copy) {
  {
    const std::lock_guard lock(mutex_);
    // Only the last waiting job may be replaced: an earlier one may have a
    // removal of the same path after it.
    if (!jobs_.empty() && !jobs_.back().copy.header.empty() && jobs_.back().copy.path == copy.path)
      jobs_.back().copy = std::move(copy);
    else
      jobs_.push_back({std::move(copy)});
  }
  wake_.notify_one();
}

void RecoveryWriter::remove(const std::string& path) {
  {
    const std::lock_guard lock(mutex_);
    jobs_.push_back({RecoveryCopy{path, {}, {}}});
  }
  wake_.notify_one();
}

void RecoveryWriter::wait_idle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

int RecoveryWriter::failures() const {
  const std::lock_guard lock(mutex_);
  return failures_;
}

void RecoveryWriter::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping, nothing left
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    lock.unlock();
    bool ok = true;
    if (job.copy.header.empty()) {
      std::error_code ec;
      std::filesystem::remove(job.copy.path, ec);
    } else {
      std::error_code ec;
      std::filesystem::create_directories(std::filesystem::path(job.copy.path).parent_path(), ec);
      AtomicFileWriter file(job.copy.path);
      file.write(job.copy.header);
      file.write(job.copy.project_bytes);
      ok = file.finish() == WriteResult::Ok;
    }
    lock.lock();
    busy_ = false;
    if (!ok) ++failures_;
    if (jobs_.empty()) idle_.notify_all();
  }
}

}  // namespace plenvista
