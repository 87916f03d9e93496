#pragma once

// Whole-file reads and atomic whole-file writes.
//
// write_file_atomically writes the bytes to a temporary file beside the
// target and renames it over the target only after every write and the
// close succeeded; on any failure the temporary file is removed and the
// target is left exactly as it was. AtomicFileWriter does the same for a
// file written piece by piece, so a large file never has to be held whole
// in memory.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plenvista {

enum class WriteResult {
  Ok,
  CannotOpen,   // the temporary file could not be created
  WriteFailed,  // a write, the close or the rename failed (disk full, ...)
};

WriteResult write_file_atomically(const std::string& path, std::string_view bytes);

// A file written in pieces into a temporary file beside `path`. The
// temporary file is created on construction; finish() closes it and renames
// it over the target. Without a successful finish() (a failed open, write,
// close or rename, or destruction before finish) the temporary file is
// removed and the target is left as it was.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Whether the temporary file was created and is not yet finished.
  bool is_open() const { return file_ != nullptr; }
  // Appends bytes; false (and every later write false) once a write failed
  // or the file is not open.
  bool write(std::string_view bytes);
  // CannotOpen when the temporary file was never created, WriteFailed when
  // a write, the close or the rename failed, else Ok. Once finished the
  // writer takes nothing more (a second finish() gives CannotOpen).
  WriteResult finish();

 private:
  std::string path_;
  std::string temp_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

struct ReadResult {
  std::optional<std::vector<std::uint8_t>> bytes;  // absent when the file could not be opened or read
  int error = 0;                                   // errno of the failed open or read
};

// Reads a whole file. Refuses files larger than `max_bytes`.
ReadResult read_whole_file(const std::string& path, std::size_t max_bytes = std::size_t{1} << 31);

// Whether a file of that path can be opened for reading.
bool file_is_readable(const std::string& path);

}  // namespace plenvista
