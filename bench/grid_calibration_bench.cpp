// calculateGrid on a synthetic 2272 x 1704 grid photograph: 20 x 14 cells
// of 100 pixels and 30 x 30 cells of 50 pixels. Each run starts from an
// empty grey cache, as the first calculation after loading does; the
// "WarmCache" runs measure the search alone.

#include <benchmark/benchmark.h>

#include <memory>

#include "photogrammetry/grid_calibration.h"
#include "testing/synthetic_grid.h"

namespace plenvista {
namespace {

struct Setup {
  GridPhoto photo;
  CameraModel camera;
};

Setup& setup(int columns, int rows, double cell) {
  static Setup grids[2];
  Setup& s = grids[columns == 30 ? 1 : 0];
  if (!s.photo.photograph) {
    test_support::SyntheticGrid grid;
    grid.width = 2272;
    grid.height = 1704;
    grid.line_x = test_support::evenly((2272 - columns * cell) / 2 + 0.3, cell, columns + 1);
    grid.line_y = test_support::evenly((1704 - rows * cell) / 2 - 0.4, cell, rows + 1);
    grid.cross_width = 7;
    grid.cross_arm = cell / 2;
    grid.barrel = 0.03;
    grid.noise = 8;
    set_grid_photograph(s.photo, s.camera, std::make_unique<RgbImage>(test_support::draw_grid(grid)));
    s.photo.columns = columns;
    s.photo.rows = rows;
    s.photo.corner_clicks = {test_support::true_intersection(grid, 0, 0), test_support::true_intersection(grid, 0, 1),
                             test_support::true_intersection(grid, 1, 1), test_support::true_intersection(grid, 1, 0)};
  }
  return s;
}

void run(benchmark::State& state, bool cold) {
  const int columns = static_cast<int>(state.range(0));
  const int rows = static_cast<int>(state.range(1));
  Setup& s = setup(columns, rows, columns == 30 ? 50.0 : 100.0);
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      s.photo.grey.assign(s.photo.grey.size(), -1);
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(calculateGrid(s.photo, s.camera));
  }
}

void BM_CalculateGrid(benchmark::State& state) { run(state, true); }
void BM_CalculateGridWarmCache(benchmark::State& state) { run(state, false); }

BENCHMARK(BM_CalculateGrid)->Args({20, 14})->Args({30, 30})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalculateGridWarmCache)->Args({20, 14})->Args({30, 30})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plenvista
