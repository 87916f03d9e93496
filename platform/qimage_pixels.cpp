#include "platform/qimage_pixels.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <cstdint>
#include <cstring>
#include <span>

#include "base/binary_io.h"
#include "base/file_io.h"

namespace plenvista {
namespace {

bool read_u16(ByteReader& in, std::int32_t& out) {
  std::uint8_t b[2];
  if (!in.read_bytes(b, 2)) return false;
  out = b[0] | (b[1] << 8);
  return true;
}

// Whether the file and info headers describe pixel data that lies wholly
// inside the file. The decoder itself accepts pixel data cut short and
// makes up the missing rows.
bool pixel_data_complete(std::span<const std::uint8_t> file) {
  ByteReader in(file);
  std::uint8_t magic[2] = {};
  std::int32_t file_size = 0, reserved = 0, offset = 0, header_size = 0;
  in.read_bytes(magic, 2);
  in.read_i32(file_size);
  in.read_i32(reserved);
  in.read_i32(offset);
  in.read_i32(header_size);
  if (!in.ok() || magic[0] != 'B' || magic[1] != 'M') return false;

  std::int32_t width = 0, height = 0, planes = 0, bits = 0, compression = 0, image_size = 0;
  if (header_size == 12) {
    read_u16(in, width);
    read_u16(in, height);
    read_u16(in, planes);
    read_u16(in, bits);
  } else if (header_size >= 40) {
    in.read_i32(width);
    in.read_i32(height);
    read_u16(in, planes);
    read_u16(in, bits);
    in.read_i32(compression);
    in.read_i32(image_size);
  } else {
    return false;
  }
  if (!in.ok() || width <= 0 || height == 0 || height == INT32_MIN || bits <= 0 || bits > 32) return false;
  const std::int64_t headers_end = std::int64_t{14} + header_size;
  if (offset < headers_end || static_cast<std::uint64_t>(offset) > file.size()) return false;
  const auto available = static_cast<std::int64_t>(file.size()) - offset;

  std::int64_t needed = 0;
  switch (compression) {
    case 0:  // plain rows, each padded to a multiple of four bytes
    case 3:  // plain rows with bit-field masks
    case 6:
      needed = (std::int64_t{width} * bits + 31) / 32 * 4 * (height < 0 ? -std::int64_t{height} : height);
      break;
    case 1:  // run-length encoded: the header gives the size
    case 2:
      if (image_size <= 0) return false;
      needed = image_size;
      break;
    default:
      return false;
  }
  return needed <= available;
}

}  // namespace

std::optional<QImage> load_bmp_image(const std::string& path) {
  const ReadResult file = read_whole_file(path);
  if (!file.bytes || !pixel_data_complete(*file.bytes)) return std::nullopt;
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(file.bytes->data()),
                                            static_cast<qsizetype>(file.bytes->size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  reader.setAutoDetectImageFormat(false);
  QImage image = reader.read();
  if (image.isNull()) return std::nullopt;
  image = image.convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) return std::nullopt;
  return image;
}

std::optional<RgbImage> load_bmp_pixels(const std::string& path) {
  std::optional<QImage> decoded = load_bmp_image(path);
  if (!decoded) return std::nullopt;
  const QImage image = decoded->convertToFormat(QImage::Format_RGB888);
  if (image.isNull()) return std::nullopt;
  RgbImage pixels(image.width(), image.height());
  const auto row_bytes = static_cast<std::size_t>(image.width()) * 3;
  for (int y = 0; y < image.height(); ++y) std::memcpy(pixels.row(y), image.constScanLine(y), row_bytes);
  return pixels;
}

}  // namespace plenvista
