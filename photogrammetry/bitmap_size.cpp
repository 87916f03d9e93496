#include "photogrammetry/bitmap_size.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "base/binary_io.h"
#include "model/find_file.h"

namespace plenvista {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytesRead = 12;  // size field, width and height
constexpr std::int32_t kCoreInfoHeaderBytes = 12;
constexpr std::int32_t kMinInfoHeaderBytes = 16;
constexpr std::int32_t kMaxInfoHeaderBytes = 124;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::int32_t u16_at(const std::uint8_t* bytes) { return static_cast<std::int32_t>(bytes[0] | (bytes[1] << 8)); }

PhotographSizeReader size_reader = &read_bitmap_size;

}  // namespace

std::optional<BitmapSize> read_bitmap_size(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t file_size = std::filesystem::file_size(path, ec);
  if (ec) return std::nullopt;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  std::uint8_t header[kFileHeaderBytes + kInfoHeaderBytesRead] = {};
  const std::size_t got = std::fread(header, 1, sizeof header, file.get());

  ByteReader in(std::span<const std::uint8_t>(header, got));
  std::uint8_t signature[2];
  std::int32_t data_offset = 0;
  std::int32_t info_size = 0;
  in.read_bytes(signature, 2);
  in.skip(8);  // file size and reserved fields
  in.read_i32(data_offset);
  in.read_i32(info_size);
  if (!in.ok() || signature[0] != 'B' || signature[1] != 'M') return std::nullopt;
  const bool core = info_size == kCoreInfoHeaderBytes;
  if (!core && (info_size < kMinInfoHeaderBytes || info_size > kMaxInfoHeaderBytes)) return std::nullopt;
  if (data_offset < static_cast<std::int32_t>(kFileHeaderBytes) + info_size ||
      static_cast<std::uintmax_t>(data_offset) > file_size)
    return std::nullopt;

  BitmapSize size;
  if (core) {
    std::uint8_t sizes[4];
    if (!in.read_bytes(sizes, 4)) return std::nullopt;
    size.width = u16_at(sizes);
    size.height = u16_at(sizes + 2);
  } else {
    in.read_i32(size.width);
    in.read_i32(size.height);
    if (!in.ok() || size.height == INT_MIN) return std::nullopt;
    if (size.height < 0) size.height = -size.height;
  }
  if (size.width <= 0 || size.height <= 0) return std::nullopt;
  return size;
}

void set_photograph_size_reader(PhotographSizeReader reader) { size_reader = reader ? reader : &read_bitmap_size; }

bool matches_native_size(const Project& project, ProjectImage& image) {
  const std::optional<std::string> path =
      find_file_along_directories(shown(project.model.image_directories), project.directory, shown(image.file_name));
  if (path) {
    if (const std::optional<BitmapSize> size = size_reader(*path)) {
      image.pixel_width = size->width;
      image.pixel_height = size->height;
    }
  }
  const CameraModel& camera = image.camera ? *image.camera : project.images().camera;
  return image.pixel_width == camera.native_width && image.pixel_height == camera.native_height;
}

}  // namespace plenvista
