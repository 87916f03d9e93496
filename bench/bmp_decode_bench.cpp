// Decoding a 2272 x 1704 24-bit BMP photograph into the packed RGB buffer.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QTemporaryDir>

#include "platform/photograph_reader.h"

namespace plenvista {
namespace {

void BM_LoadBmpPixels(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath("grid.bmp");
  QImage image(2272, 1704, QImage::Format_RGB888);
  image.fill(QColor(200, 190, 180));
  if (!image.save(path, "BMP")) {
    state.SkipWithError("cannot write the photograph");
    return;
  }
  const std::string file = path.toStdString();
  for (auto _ : state) benchmark::DoNotOptimize(read_photograph_pixels(file));
}

BENCHMARK(BM_LoadBmpPixels)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plenvista
