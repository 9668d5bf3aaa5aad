// Cost of the texture engine per pixel: a template pass and a colouring pass
// for every template, beside a bare loop of the same formulas and libm calls
// over the same pixels (the floor).
//
//   template_bench --benchmark_filter=/1024   (seconds per pixel: 5.1n = 5.1 ns)
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/renderer.h"
#include "model/param_record.h"

namespace {

// The floor: each template's formulas and libm calls alone, in a bare loop
// over flat arrays (no image buffers, no rows, no progress or Escape polls).
using Floor = void (*)(const double*, const double*, double*, double*, size_t,
                       const TemplateConstants&);

template <int T>
void floorLoop(const double* x, const double* y, double* rx, double* ry, size_t n,
               const TemplateConstants& c) {
  for (size_t i = 0; i < n; ++i) tmpl::apply<T>(x[i], y[i], c, rx[i], ry[i]);
}

template <int... Ts>
constexpr std::array<Floor, sizeof...(Ts)> makeFloors(std::integer_sequence<int, Ts...>) {
  return {&floorLoop<Ts>...};
}

constexpr auto kFloors = makeFloors(std::make_integer_sequence<int, kTemplateCount>{});

// Renderer with its maps made at size x size and warped once, so the pixels
// carry the varied values a real storyboard gives.
struct Setup {
  explicit Setup(int size) {
    buf32Alloc(&dest, 24, size, size, 0, nullptr);
    record = DefaultRecordForHost();
    record.ramp = DefaultRamp();
    record.templateIndex = 8;
    renderer.Render({dest, dest, &record, DecodeRenderMode(record), nullptr});
    renderer.CommitMaps();
  }
  ~Setup() { buf32Free(dest); }
  RenderSession renderer;
  Buf32Handle dest = 0;
  ParamRecord record{};
};

void TemplatePass(benchmark::State& state) {
  const int t = static_cast<int>(state.range(0));
  const int size = static_cast<int>(state.range(1));
  Setup s(size);
  for (auto _ : state) benchmark::DoNotOptimize(s.renderer.TemplatePass(t, nullptr));
  const double pixels = double(size) * size;
  state.counters["s/px"] =
      benchmark::Counter(pixels * double(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void FloorLoop(benchmark::State& state) {
  const int t = static_cast<int>(state.range(0));
  const int size = static_cast<int>(state.range(1));
  Setup s(size);
  // The same pixel values, held in plain arrays.
  const size_t n = size_t(size) * size;
  std::vector<double> x(n), y(n), rx(n), ry(n);
  for (int row = 0; row < size; ++row)
    for (int col = 0; col < size; ++col) {
      double m[4];
      s.renderer.mapValues(col, row, m);
      x[size_t(row) * size + col] = m[0];
      y[size_t(row) * size + col] = m[1];
    }
  s.renderer.FreeMaps();
  const TemplateConstants c = MakeTemplateConstants();
  for (auto _ : state) {
    kFloors[static_cast<size_t>(t)](x.data(), y.data(), rx.data(), ry.data(), n, c);
    benchmark::ClobberMemory();
  }
  state.counters["s/px"] =
      benchmark::Counter(double(n) * double(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void ColouringPass(benchmark::State& state) {
  const int t = static_cast<int>(state.range(0));
  const int size = static_cast<int>(state.range(1));
  Setup s(size);
  s.renderer.TemplatePass(t, nullptr);
  for (auto _ : state)
    benchmark::DoNotOptimize(s.renderer.EvaluateImage(s.record, s.dest, nullptr));
  state.counters["s/px"] =
      benchmark::Counter(double(size) * size * double(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int size : {1024, 4096})
    for (int t = 0; t < 19; ++t) b->Args({t, size});
  b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(TemplatePass)->Apply(Sizes)->UseRealTime();
BENCHMARK(FloorLoop)->Apply(Sizes);
BENCHMARK(ColouringPass)->Apply(Sizes)->UseRealTime();
BENCHMARK_MAIN();
