#include "platform/accelerate/vImage.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

namespace {

// The frosted-glass effect's saturation change (factor 1.8) over a
// full-screen image.
void BM_MatrixMultiplySaturation(benchmark::State& state) {
    const long width = state.range(0);
    const long height = state.range(1);
    std::vector<uint8_t> in(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint8_t> out(in.size());
    const int16_t matrix[16] = {445, -16, -16, 0, -147, 331, -147, 0,
                                -44, -44, 417, 0, 0,    0,   0,    256};
    vImage_Buffer src{in.data(), static_cast<vImagePixelCount>(height),
                      static_cast<vImagePixelCount>(width), static_cast<size_t>(width) * 4};
    vImage_Buffer dest{out.data(), src.height, src.width, src.rowBytes};
    for (auto _ : state) {
        vImageMatrixMultiply_ARGB8888(&src, &dest, matrix, 256, nullptr, nullptr, kvImageNoFlags);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * width * height);
    state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(width * height) / 1e6,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MatrixMultiplySaturation)->Args({1242, 2208})->Unit(benchmark::kMicrosecond);

// The effect's last step: a translucent tint filled over the whole image.
void BM_TintFill(benchmark::State& state) {
    const long width = state.range(0);
    const long height = state.range(1);
    const CGContextRef context = CGBitmapContextCreate(width, height);
    const CGRect rect = CGRectMake(0, 0, width, height);
    for (auto _ : state) {
        CGContextSaveGState(context);
        CGContextSetFillColorWithColor(context, UIColor::colorWithWhite(0.11, 0.73));
        CGContextFillRect(context, rect);
        CGContextRestoreGState(context);
        benchmark::DoNotOptimize(CGBitmapContextGetData(context));
    }
    state.SetItemsProcessed(state.iterations() * width * height);
    state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(width * height) / 1e6,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_TintFill)->Args({1242, 2208})->Unit(benchmark::kMicrosecond);

} // namespace
