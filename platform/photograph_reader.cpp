#include "platform/photograph_reader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <span>

#include "base/binary_io.h"
#include "base/file_io.h"

namespace plenvista {
namespace {

enum class Format { Unknown, Bmp, Jpeg, Png, Tiff };

const char* format_name(Format f) {
  switch (f) {
    case Format::Bmp:
      return "BMP";
    case Format::Jpeg:
      return "JPEG";
    case Format::Png:
      return "PNG";
    case Format::Tiff:
      return "TIFF";
    case Format::Unknown:
      break;
  }
  return "unknown";
}

const char* qt_format(Format f) {
  switch (f) {
    case Format::Bmp:
      return "bmp";
    case Format::Jpeg:
      return "jpeg";
    case Format::Png:
      return "png";
    case Format::Tiff:
      return "tiff";
    case Format::Unknown:
      break;
  }
  return "";
}

constexpr std::size_t kSignatureBytes = 8;

Format format_of_content(std::span<const std::uint8_t> head) {
  const auto starts = [&](std::initializer_list<std::uint8_t> sig) {
    return head.size() >= sig.size() && std::equal(sig.begin(), sig.end(), head.begin());
  };
  if (starts({'B', 'M'})) return Format::Bmp;
  if (starts({0xFF, 0xD8, 0xFF})) return Format::Jpeg;
  if (starts({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return Format::Png;
  if (starts({'I', 'I', 42, 0}) || starts({'M', 'M', 0, 42})) return Format::Tiff;
  return Format::Unknown;
}

// The format the file's extension promises, Unknown for any other name.
Format format_of_name(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t separator = path.find_last_of("/\\");
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return Format::Unknown;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "bmp") return Format::Bmp;
  if (ext == "jpg" || ext == "jpeg") return Format::Jpeg;
  if (ext == "png") return Format::Png;
  if (ext == "tif" || ext == "tiff") return Format::Tiff;
  return Format::Unknown;
}

// The content's format, or none with the reason.
std::optional<Format> recognise(const std::string& path, std::span<const std::uint8_t> head, std::string& reason) {
  const Format content = format_of_content(head);
  if (content == Format::Unknown) {
    reason = "it is not a BMP, JPEG, PNG or TIFF file";
    return std::nullopt;
  }
  const Format named = format_of_name(path);
  if (named != Format::Unknown && named != content) {
    reason = std::string("it is a ") + format_name(content) + " file named as a " + format_name(named) + " file";
    return std::nullopt;
  }
  return content;
}

bool fail(std::string* error, const std::string& path, const std::string& reason) {
  if (error) *error = "Cannot read the photograph " + path + ": " + reason;
  return false;
}

std::string too_large(BitmapSize size) {
  return "it is " + std::to_string(size.width) + " x " + std::to_string(size.height) +
         " pixels, more than the 100 megapixels a photograph may have";
}

bool within_limit(BitmapSize size) { return std::int64_t{size.width} * size.height <= kMaxPhotographPixels; }

bool read_u16(ByteReader& in, std::int32_t& out) {
  std::uint8_t b[2];
  if (!in.read_bytes(b, 2)) return false;
  out = b[0] | (b[1] << 8);
  return true;
}

// Whether the file and info headers describe pixel data that lies wholly
// inside the file. The decoder itself accepts pixel data cut short and
// makes up the missing rows.
bool bmp_complete(std::span<const std::uint8_t> file) {
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

// Whether the JPEG stream runs from its start marker through its segments
// and entropy-coded scans to the end marker. The decoder itself makes up
// the rest of a stream cut short.
bool jpeg_complete(std::span<const std::uint8_t> file) {
  const std::size_t n = file.size();
  std::size_t pos = 2;  // past the start marker
  while (true) {
    if (pos >= n || file[pos] != 0xFF) return false;
    while (pos < n && file[pos] == 0xFF) ++pos;
    if (pos >= n) return false;
    const std::uint8_t marker = file[pos++];
    if (marker == 0xD9) return true;
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
    if (pos + 2 > n) return false;
    const std::size_t length = (std::size_t{file[pos]} << 8) | file[pos + 1];
    if (length < 2 || pos + length > n) return false;
    pos += length;
    if (marker != 0xDA) continue;
    // Entropy-coded data: 0xFF is followed by a stuffed 0, a restart marker,
    // more fill bytes, or the marker that ends the scan.
    while (true) {
      const void* found = std::memchr(file.data() + pos, 0xFF, n - pos);
      if (!found) return false;
      pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - file.data());
      if (pos + 1 >= n) return false;
      const std::uint8_t next = file[pos + 1];
      if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
        pos += 2;
      } else if (next == 0xFF) {
        ++pos;
      } else {
        break;
      }
    }
  }
}

// Whether the PNG chunks lie wholly inside the file up to the closing IEND.
bool png_complete(std::span<const std::uint8_t> file) {
  std::size_t pos = kSignatureBytes;
  while (pos + 12 <= file.size()) {
    const std::uint32_t length = (std::uint32_t{file[pos]} << 24) | (std::uint32_t{file[pos + 1]} << 16) |
                                 (std::uint32_t{file[pos + 2]} << 8) | file[pos + 3];
    if (length > 0x7FFFFFFFu || length > file.size() - pos - 12) return false;
    if (std::memcmp(file.data() + pos + 4, "IEND", 4) == 0) return true;
    pos += 12 + length;
  }
  return false;
}

bool complete(Format format, std::span<const std::uint8_t> file) {
  switch (format) {
    case Format::Bmp:
      return bmp_complete(file);
    case Format::Jpeg:
      return jpeg_complete(file);
    case Format::Png:
      return png_complete(file);
    case Format::Tiff:
      return true;  // the decoder fails on strips or tiles past the end
    case Format::Unknown:
      break;
  }
  return false;
}

// The size from the headers of a format other than BMP.
std::optional<BitmapSize> header_size(QImageReader& reader) {
  const QSize size = reader.size();
  if (!size.isValid() || size.width() <= 0 || size.height() <= 0) return std::nullopt;
  return BitmapSize{size.width(), size.height()};
}

// Qt looks for its image format plugins the first time a reader needs
// one, and photographs are decoded on several threads at once (tie finding
// reads one on every core): one thread looks, the others wait for it.
void load_format_plugins() {
  static std::once_flag once;
  std::call_once(once, [] { QImageReader::supportedImageFormats(); });
}

void prepare(QImageReader& reader) {
  load_format_plugins();
  reader.setAutoDetectImageFormat(false);
  reader.setAutoTransform(false);
  // Decoding buffers of the largest photograph allowed, in MiB, at 8 bytes
  // a pixel (16-bit channels decode through 64-bit pixels).
  reader.setAllocationLimit(static_cast<int>(kMaxPhotographPixels * 8 / (1024 * 1024) + 1));
}

// The reduction, 1 or a power of two up to `wanted` (at most 8), that
// divides both sides of the photograph.
int exact_reduction(BitmapSize size, int wanted) {
  int reduction = 1;
  while (reduction < 8 && reduction * 2 <= wanted && size.width % (reduction * 2) == 0 &&
         size.height % (reduction * 2) == 0)
    reduction *= 2;
  return reduction;
}

// The photograph decoded at 1/`wanted` of its size or finer (only JPEG
// decodes reduced), into `recycled`'s pixel memory when it has the size and
// format the decoder gives.
DrawnPhotograph decode(const std::string& path, std::string* error, int wanted, QImage recycled = {}) {
  const ReadResult file = read_whole_file(path);
  if (!file.bytes) {
    fail(error, path, "the file cannot be opened");
    return {};
  }
  const std::span<const std::uint8_t> bytes(*file.bytes);
  std::string reason;
  const std::optional<Format> format = recognise(path, bytes.first(std::min(bytes.size(), kSignatureBytes)), reason);
  if (!format) {
    fail(error, path, reason);
    return {};
  }
  QByteArray data =
      QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, qt_format(*format));
  prepare(reader);
  const std::optional<BitmapSize> size = *format == Format::Bmp ? read_bitmap_size(path) : header_size(reader);
  if (!size) {
    fail(error, path, "its headers are damaged");
    return {};
  }
  if (!within_limit(*size)) {
    fail(error, path, too_large(*size));
    return {};
  }
  if (!complete(*format, bytes)) {
    fail(error, path, "the file is cut short or damaged");
    return {};
  }
  // The decoder scales by whole eighths when the size asked is an exact
  // fraction of the picture; any other size would be resampled afterwards.
  const int reduction = *format == Format::Jpeg ? exact_reduction(*size, wanted) : 1;
  if (reduction > 1) reader.setScaledSize(QSize(size->width / reduction, size->height / reduction));
  QImage image = std::move(recycled);
  if (!reader.read(&image)) image = QImage();
  if (image.isNull() || image.width() != size->width / reduction || image.height() != size->height / reduction) {
    fail(error, path, "its pixel data is damaged");
    return {};
  }
  if (image.format() != QImage::Format_RGB32) image = image.convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) {
    fail(error, path, "there is not enough memory to hold it");
    return {};
  }
  return {std::move(image), reduction, size->width, size->height};
}

QImage decode_whole(const std::string& path, std::string* error) { return decode(path, error, 1).pixels; }

std::optional<BitmapSize> installed_size_reader(const std::string& path) { return read_photograph_size(path); }

}  // namespace

std::optional<BitmapSize> read_photograph_size(const std::string& path, std::string* error) {
  std::array<std::uint8_t, kSignatureBytes> head{};
  std::size_t got = 0;
  {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
      fail(error, path, "the file cannot be opened");
      return std::nullopt;
    }
    got = std::fread(head.data(), 1, head.size(), file.get());
  }
  std::string reason;
  const std::optional<Format> format = recognise(path, std::span(head).first(got), reason);
  if (!format) {
    fail(error, path, reason);
    return std::nullopt;
  }
  std::optional<BitmapSize> size;
  if (*format == Format::Bmp) {
    size = read_bitmap_size(path);
  } else {
    QImageReader reader(QString::fromStdString(path), qt_format(*format));
    prepare(reader);
    size = header_size(reader);
  }
  if (!size) fail(error, path, "its headers are damaged");
  return size;
}

std::optional<std::string> photograph_refusal(const std::string& path) {
  std::string error;
  const std::optional<BitmapSize> size = read_photograph_size(path, &error);
  if (!size) return error;
  if (!within_limit(*size)) {
    fail(&error, path, too_large(*size));
    return error;
  }
  return std::nullopt;
}

std::optional<RgbImage> read_photograph_pixels(const std::string& path, std::string* error) {
  const QImage image = decode_whole(path, error);
  if (image.isNull()) return std::nullopt;
  RgbImage pixels(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    std::uint8_t* out = pixels.row(y);
    for (int x = 0; x < image.width(); ++x, out += 3) {
      out[0] = static_cast<std::uint8_t>(qRed(in[x]));
      out[1] = static_cast<std::uint8_t>(qGreen(in[x]));
      out[2] = static_cast<std::uint8_t>(qBlue(in[x]));
    }
  }
  return pixels;
}

QImage read_photograph_image(const std::string& path, std::string* error) { return decode_whole(path, error); }

DrawnPhotograph read_photograph_for_drawing(const std::string& path, int reduction, std::string* error,
                                            QImage recycled) {
  return decode(path, error, reduction, std::move(recycled));
}

std::optional<EmbeddedImage> embeddable_photograph(const std::string& path, std::string& error) {
  if (!read_photograph_size(path, &error)) return std::nullopt;
  std::optional<EmbeddedImage> stored = embed_as_stored(path, error);
  if (stored) return stored;
  const QImage image = decode_whole(path, &error);
  if (image.isNull()) return std::nullopt;
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    error = "The photograph " + path + " cannot be converted to PNG";
    return std::nullopt;
  }
  return EmbeddedImage{png.toStdString(), "image/png"};
}

void install_photograph_readers() {
  set_photograph_size_reader(&installed_size_reader);
  set_image_embedder(&embeddable_photograph);
}

}  // namespace plenvista
