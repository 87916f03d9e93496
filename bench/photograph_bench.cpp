// Reading photographs: the size of a 4000 x 3000 JPEG from its headers, the
// same photograph decoded for drawing, and a 2272 x 1704 24-bit BMP decoded
// into the packed RGB buffer of the grid calibration.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QTemporaryDir>

#include "platform/photograph_reader.h"

namespace plenvista {
namespace {

// A photograph-like picture: smooth shading with fine detail, so the JPEG
// has the size and entropy of a real one.
std::string make_photograph(QTemporaryDir& dir, const char* name, int width, int height, const char* format) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) row[x] = qRgb((x / 7 + y / 5) & 255, (x * y / 97) & 255, ((x ^ y) * 3) & 255);
  }
  const QString path = dir.filePath(QString::fromLatin1(name));
  if (!image.save(path, format, 92)) return {};
  return path.toStdString();
}

const std::string& camera_jpeg() {
  static QTemporaryDir dir;
  static const std::string path = make_photograph(dir, "camera.jpg", 4000, 3000, "JPEG");
  return path;
}

void BM_JpegSizeFromHeaders(benchmark::State& state) {
  const std::string& file = camera_jpeg();
  for (auto _ : state) benchmark::DoNotOptimize(read_photograph_size(file));
  if (!read_photograph_size(file)) state.SkipWithError("cannot read the photograph");
}
BENCHMARK(BM_JpegSizeFromHeaders)->Unit(benchmark::kMicrosecond);

void BM_JpegDecodeForDrawing(benchmark::State& state) {
  const std::string& file = camera_jpeg();
  for (auto _ : state) benchmark::DoNotOptimize(read_photograph_image(file));
  if (read_photograph_image(file).isNull()) state.SkipWithError("cannot decode the photograph");
}
BENCHMARK(BM_JpegDecodeForDrawing)->Unit(benchmark::kMillisecond);

void BM_BmpDecodePixels(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string file = make_photograph(dir, "grid.bmp", 2272, 1704, "BMP");
  for (auto _ : state) benchmark::DoNotOptimize(read_photograph_pixels(file));
  if (!read_photograph_pixels(file)) state.SkipWithError("cannot decode the photograph");
}
BENCHMARK(BM_BmpDecodePixels)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plenvista
