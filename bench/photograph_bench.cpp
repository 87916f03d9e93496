// Reading photographs: the size of a 4000 x 3000 JPEG from its headers, the
// same photograph decoded for the image view (shown whole in a 1600 x 1000
// view, and zoomed in to full size), and a 2272 x 1704 24-bit BMP decoded
// into the packed RGB buffer of the grid calibration.
//
// Two 4000 x 3000 JPEGs at quality 92: "camera" is shaded surfaces, edges,
// fine texture and sensor noise, about 3.3 MB (2.2 bits a pixel, as a
// phone's or compact camera's JPEGs); "detailed" has detail everywhere, about 8.7 MB (5.8
// bits a pixel), the worst case a photograph gets near.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/photograph_reader.h"
#include "views/photo_stretch.h"

namespace plenvista {
namespace {

std::string save(const QImage& image, QTemporaryDir& dir, const char* name, const char* format) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  if (!image.save(path, format, 92)) return {};
  return path.toStdString();
}

QImage detailed_picture(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) row[x] = qRgb((x / 7 + y / 5) & 255, (x * y / 97) & 255, ((x ^ y) * 3) & 255);
  }
  return image;
}

QImage camera_picture(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  std::uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const double shading = 60 * std::sin(x * 0.003) * std::cos(y * 0.004);
      const double facets = ((x / 230 + y / 170) % 3) * 35 - 35;
      const double texture = 18 * std::sin(x * 0.9 + std::sin(y * 0.7) * 3) * (((x / 400 + y / 300) % 2) ? 1 : 0.2);
      const int v = static_cast<int>(120 + shading + facets + texture) + static_cast<int>(noise >> 29) - 4;
      row[x] = qRgb(std::clamp(v + 12, 0, 255), std::clamp(v, 0, 255), std::clamp(v - 18, 0, 255));
    }
  }
  return image;
}

const std::string& jpeg(bool detailed) {
  static QTemporaryDir dir;
  static const std::string camera = save(camera_picture(4000, 3000), dir, "camera.jpg", "JPEG");
  static const std::string worst = save(detailed_picture(4000, 3000), dir, "detailed.jpg", "JPEG");
  return detailed ? worst : camera;
}

void BM_JpegSizeFromHeaders(benchmark::State& state) {
  const std::string& file = jpeg(false);
  for (auto _ : state) benchmark::DoNotOptimize(read_photograph_size(file));
  if (!read_photograph_size(file)) state.SkipWithError("cannot read the photograph");
}
BENCHMARK(BM_JpegSizeFromHeaders)->Unit(benchmark::kMicrosecond);

// Arguments: the picture (0 camera, 1 detailed) and the view's zoom in
// hundredths: 40 shows the whole photograph in 1600 x 1000, 100 is full
// size. Each decoding reuses the memory of the one before, as the view does
// when it moves on to another photograph of the same camera.
void BM_JpegDecodeForImageView(benchmark::State& state) {
  const std::string& file = jpeg(state.range(0) == 1);
  const int reduction = reduction_for_zoom(static_cast<double>(state.range(1)) / 100.0);
  QImage held;
  for (auto _ : state) {
    DrawnPhotograph photo = read_photograph_for_drawing(file, reduction, nullptr, std::move(held));
    held = std::move(photo.pixels);
  }
  if (held.isNull()) state.SkipWithError("cannot decode the photograph");
  state.SetLabel(std::string(state.range(0) == 1 ? "detailed" : "camera") + ", reduction " + std::to_string(reduction));
}
BENCHMARK(BM_JpegDecodeForImageView)->ArgsProduct({{0, 1}, {40, 100}})->Unit(benchmark::kMillisecond);

// The first photograph the view shows, at full size: fresh memory.
void BM_JpegDecodeFirstAtFullSize(benchmark::State& state) {
  const std::string& file = jpeg(false);
  for (auto _ : state) benchmark::DoNotOptimize(read_photograph_for_drawing(file, 1));
  if (read_photograph_for_drawing(file, 1).pixels.isNull()) state.SkipWithError("cannot decode the photograph");
}
BENCHMARK(BM_JpegDecodeFirstAtFullSize)->Unit(benchmark::kMillisecond);

void BM_BmpDecodePixels(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string file = save(detailed_picture(2272, 1704), dir, "grid.bmp", "BMP");
  for (auto _ : state) benchmark::DoNotOptimize(read_photograph_pixels(file));
  if (!read_photograph_pixels(file)) state.SkipWithError("cannot decode the photograph");
}
BENCHMARK(BM_BmpDecodePixels)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plenvista
