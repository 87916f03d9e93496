#pragma once

// The camera and bitmap readers take a path: a fuzz input is written to a
// file of this process's own before each run.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <unistd.h>

namespace plenvista::fuzzing {

inline const std::string& input_path() {
  static const std::string path = "/tmp/plenvista-fuzz-" + std::to_string(::getpid()) + ".bin";
  return path;
}

inline const std::string& write_input(const std::uint8_t* data, std::size_t size) {
  std::ofstream(input_path(), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return input_path();
}

}  // namespace plenvista::fuzzing
