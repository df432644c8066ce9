#include "bench/BenchComparison.h"
#include "imaging/ImageEffects.h"
#include "platform/accelerate/vImage.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

namespace {

constexpr long kWidth = 1242;
constexpr long kHeight = 2208;

std::vector<uint8_t> patternPixels(long width, long height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 7);
    return pixels;
}

void countPixels(benchmark::State& state, long pixels) {
    state.SetItemsProcessed(state.iterations() * pixels);
}

// The frosted-glass effect's saturation change (the presets' factor 1.8)
// over a full-screen image.
void BM_MatrixMultiplySaturation(benchmark::State& state) {
    std::vector<uint8_t> in = patternPixels(kWidth, kHeight);
    std::vector<uint8_t> out(in.size());
    const std::array<int16_t, 16> matrix = ImageEffects::saturationMatrix(1.8);
    vImage_Buffer src{in.data(), kHeight, kWidth, kWidth * 4};
    vImage_Buffer dest{out.data(), src.height, src.width, src.rowBytes};
    for (auto _ : state) {
        vImageMatrixMultiply_ARGB8888(&src, &dest, matrix.data(), 256, nullptr, nullptr,
                                      kvImageNoFlags);
        benchmark::DoNotOptimize(out.data());
    }
    countPixels(state, kWidth * kHeight);
}
BENCHMARK(BM_MatrixMultiplySaturation)->Unit(benchmark::kMicrosecond);

// The effect's last step: a translucent tint filled over the whole image.
void BM_TintFill(benchmark::State& state) {
    const CGContextRef context = CGBitmapContextCreate(kWidth, kHeight);
    const CGRect rect = CGRectMake(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        CGContextSaveGState(context);
        CGContextSetFillColorWithColor(context, UIColor::colorWithWhite(0.11, 0.73));
        CGContextFillRect(context, rect);
        CGContextRestoreGState(context);
        benchmark::DoNotOptimize(CGBitmapContextGetData(context));
    }
    countPixels(state, kWidth * kHeight);
}
BENCHMARK(BM_TintFill)->Unit(benchmark::kMicrosecond);

// Both, as the effect runs them: the matrix from one context's bitmap into
// another's, then the tint over a context of the same size.
void BM_SaturationAndTint(benchmark::State& state) {
    const CGContextRef source = CGBitmapContextCreate(kWidth, kHeight);
    const CGContextRef saturated = CGBitmapContextCreate(kWidth, kHeight);
    const std::vector<uint8_t> pattern = patternPixels(kWidth, kHeight);
    auto* sourceBytes = static_cast<uint8_t*>(CGBitmapContextGetData(source));
    for (long y = 0; y < kHeight; ++y)
        std::copy_n(&pattern[y * kWidth * 4], kWidth * 4,
                    sourceBytes + y * CGBitmapContextGetBytesPerRow(source));
    vImage_Buffer src{sourceBytes, kHeight, kWidth, CGBitmapContextGetBytesPerRow(source)};
    vImage_Buffer dest{CGBitmapContextGetData(saturated), kHeight, kWidth,
                       CGBitmapContextGetBytesPerRow(saturated)};
    const std::array<int16_t, 16> matrix = ImageEffects::saturationMatrix(0.8);
    const CGRect rect = CGRectMake(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        vImageMatrixMultiply_ARGB8888(&src, &dest, matrix.data(), 256, nullptr, nullptr,
                                      kvImageNoFlags);
        CGContextSaveGState(saturated);
        CGContextSetFillColorWithColor(saturated, UIColor::colorWithRed(0, 0, 0, 0.4));
        CGContextFillRect(saturated, rect);
        CGContextRestoreGState(saturated);
        benchmark::DoNotOptimize(CGBitmapContextGetData(saturated));
    }
    countPixels(state, kWidth * kHeight);
}
BENCHMARK(BM_SaturationAndTint)->Unit(benchmark::kMicrosecond);

const bool registered = (requireRate("BM_SaturationAndTint", 1000e6,
                                     "saturation matrix and tint over 1242x2208 >= 1000 Mpixel/s"),
                         true);

} // namespace
