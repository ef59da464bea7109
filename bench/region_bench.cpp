// Building a window region from a 3840x2160 background with many runs:
// the pure scan, the one-pass build (runs collected, rows coalesced,
// QRegion::setRects once) and joining one rectangle at a time.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QRect>
#include <QRegion>
#include <random>

#include "skin/Skin_windowshape.h"
#include "skin/qt/qt_window_shape.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

// Alternating key and non-key runs of 1 to 16 pixels, new lengths per row:
// about 450 runs per row, nearly a million over the picture.
const QImage& NoisyPicture() {
  static const QImage picture = [] {
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    std::mt19937 random(1234);
    for (int y = 0; y < kHeight; ++y) {
      uchar* row = image.scanLine(y);
      bool key = true;
      int x = 0;
      while (x < kWidth) {
        const int length = 1 + static_cast<int>(random() % 16);
        for (int i = 0; i < length && x < kWidth; ++i, ++x) {
          row[x * 3 + 0] = key ? 0 : 200;
          row[x * 3 + 1] = key ? 0 : 40;
          row[x * 3 + 2] = 0;
        }
        key = !key;
      }
    }
    return image;
  }();
  return picture;
}

PixelView ViewOf(const QImage& image, int rows) {
  return PixelView{image.constBits(), image.width(), rows,
                   static_cast<size_t>(image.bytesPerLine()), 3};
}

void BM_ScanRunsOnly(benchmark::State& state) {
  const PixelView view = ViewOf(NoisyPicture(), kHeight);
  int64_t runs = 0;
  for (auto _ : state) {
    runs = 0;
    ForEachWindowShapeRun(view, [&runs](const Rect&) { ++runs; });
    benchmark::DoNotOptimize(runs);
  }
  state.counters["runs"] = static_cast<double>(runs);
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_ScanRunsOnly)->Unit(benchmark::kMillisecond);

void BM_RegionOnePass(benchmark::State& state) {
  const QImage& picture = NoisyPicture();
  for (auto _ : state) {
    QRegion region = WindowShapeRegion(picture);
    benchmark::DoNotOptimize(region);
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_RegionOnePass)->Unit(benchmark::kMillisecond);

// QRegion's += has a fast path for a rectangle that lies after everything
// already in the region, which the top-down scan order always hits.
void BM_RegionAppendEachRun(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const PixelView view = ViewOf(NoisyPicture(), rows);
  for (auto _ : state) {
    QRegion region;
    ForEachWindowShapeRun(view, [&region](const Rect& r) {
      region += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    });
    benchmark::DoNotOptimize(region);
  }
  state.SetItemsProcessed(state.iterations() * kWidth * rows);
}
BENCHMARK(BM_RegionAppendEachRun)->Arg(16)->Arg(kHeight)->Unit(benchmark::kMillisecond);

// A general union per run, as a region API without an append path does it:
// each join copies the region built so far, so the cost grows with the
// square of the run count. Measured on the top rows only.
void BM_RegionUniteEachRun(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const PixelView view = ViewOf(NoisyPicture(), rows);
  for (auto _ : state) {
    QRegion region;
    ForEachWindowShapeRun(view, [&region](const Rect& r) {
      region = region.united(QRegion(r.left, r.top, r.right - r.left, r.bottom - r.top));
    });
    benchmark::DoNotOptimize(region);
  }
  state.SetItemsProcessed(state.iterations() * kWidth * rows);
}
BENCHMARK(BM_RegionUniteEachRun)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond);

void BM_RegionOnePassTopRows(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const QImage top = NoisyPicture().copy(0, 0, kWidth, rows);
  for (auto _ : state) {
    QRegion region = WindowShapeRegion(top);
    benchmark::DoNotOptimize(region);
  }
  state.SetItemsProcessed(state.iterations() * kWidth * rows);
}
BENCHMARK(BM_RegionOnePassTopRows)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
