#include "persistence/file_io.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace plenvista {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

WriteResult write_file_atomically(const std::string& path, std::string_view bytes) {
  const std::string temp = path + ".plenvista-part";
  std::FILE* raw = std::fopen(temp.c_str(), "wb");
  if (!raw) return WriteResult::CannotOpen;
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), raw) == bytes.size();
  const bool flushed = std::fflush(raw) == 0;
  const bool closed = std::fclose(raw) == 0;
  std::error_code ec;
  if (written && flushed && closed) {
    std::filesystem::rename(temp, path, ec);
    if (!ec) return WriteResult::Ok;
  }
  std::filesystem::remove(temp, ec);
  return WriteResult::WriteFailed;
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
