#pragma once

// Whole-file reads and atomic whole-file writes.
//
// write_file_atomically writes the bytes to a temporary file beside the
// target and renames it over the target only after every write and the
// close succeeded; on any failure the temporary file is removed and the
// target is left exactly as it was.

#include <cstdint>
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

struct ReadResult {
  std::optional<std::vector<std::uint8_t>> bytes;  // absent when the file could not be opened or read
  int error = 0;                                   // errno of the failed open or read
};

// Reads a whole file. Refuses files larger than `max_bytes`.
ReadResult read_whole_file(const std::string& path, std::size_t max_bytes = std::size_t{1} << 31);

// Whether a file of that path can be opened for reading.
bool file_is_readable(const std::string& path);

}  // namespace plenvista
