#include "base/file_io.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

namespace plenvista {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path)
    : path_(std::move(path)), temp_(path_ + ".plenvista-part"), file_(std::fopen(temp_.c_str(), "wb")) {}

AtomicFileWriter::~AtomicFileWriter() {
  if (!file_) return;  // never opened, or finish() has dealt with it
  std::fclose(file_);
  std::error_code ec;
  std::filesystem::remove(temp_, ec);
}

bool AtomicFileWriter::write(std::string_view bytes) {
  if (!file_) failed_ = true;
  if (failed_ || bytes.empty()) return !failed_;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
  return !failed_;
}

WriteResult AtomicFileWriter::finish() {
  if (!file_) return WriteResult::CannotOpen;
  const bool flushed = std::fflush(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  std::error_code ec;
  if (!failed_ && flushed && closed) {
    std::filesystem::rename(temp_, path_, ec);
    if (!ec) return WriteResult::Ok;
  }
  std::filesystem::remove(temp_, ec);
  return WriteResult::WriteFailed;
}

WriteResult write_file_atomically(const std::string& path, std::string_view bytes) {
  AtomicFileWriter writer(path);
  writer.write(bytes);
  return writer.finish();
}

ReadResult read_whole_file(const std::string& path, std::size_t max_bytes) {
  ReadResult result;
  errno = 0;
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    result.error = errno;
    return result;
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  for (;;) {
    const std::size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
    if (bytes.size() + n > max_bytes) {
      result.error = EFBIG;
      return result;
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (n < sizeof chunk) break;
  }
  if (std::ferror(file.get())) {
    result.error = EIO;
    return result;
  }
  result.bytes = std::move(bytes);
  return result;
}

bool file_is_readable(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  FilePtr file(std::fopen(path.c_str(), "rb"));
  return file != nullptr;
}

}  // namespace plenvista
