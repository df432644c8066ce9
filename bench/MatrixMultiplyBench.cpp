#include "bench/BenchComparison.h"
#include "bench/PairedTiming.h"
#include "imaging/ImageEffects.h"
#include "platform/accelerate/vImage.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

#if ROTIX_BENCH_OPENCV
#include <opencv2/core.hpp>
#endif

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

// The matrix from one context's bitmap into another's, then the tint over
// the second, as the effect runs them, on a repeating byte pattern.
struct SaturationAndTint {
    const CGContextRef source = CGBitmapContextCreate(kWidth, kHeight);
    const CGContextRef saturated = CGBitmapContextCreate(kWidth, kHeight);
    const std::vector<uint8_t> pattern = patternPixels(kWidth, kHeight);
    const std::array<int16_t, 16> matrix = ImageEffects::saturationMatrix(0.8);
    vImage_Buffer src{};
    vImage_Buffer dest{};

    SaturationAndTint() {
        auto* sourceBytes = static_cast<uint8_t*>(CGBitmapContextGetData(source));
        for (long y = 0; y < kHeight; ++y)
            std::copy_n(&pattern[y * kWidth * 4], kWidth * 4,
                        sourceBytes + y * CGBitmapContextGetBytesPerRow(source));
        src = {sourceBytes, kHeight, kWidth, CGBitmapContextGetBytesPerRow(source)};
        dest = {CGBitmapContextGetData(saturated), kHeight, kWidth,
                CGBitmapContextGetBytesPerRow(saturated)};
    }

    void run() {
        vImageMatrixMultiply_ARGB8888(&src, &dest, matrix.data(), 256, nullptr, nullptr,
                                      kvImageNoFlags);
        CGContextSaveGState(saturated);
        CGContextSetFillColorWithColor(saturated, UIColor::colorWithRed(0, 0, 0, 0.4));
        CGContextFillRect(saturated, CGRectMake(0, 0, kWidth, kHeight));
        CGContextRestoreGState(saturated);
        benchmark::DoNotOptimize(CGBitmapContextGetData(saturated));
    }
};

// Both, as the effect runs them.
void BM_SaturationAndTint(benchmark::State& state) {
    SaturationAndTint effect;
    for (auto _ : state) {
        effect.run();
    }
    countPixels(state, kWidth * kHeight);
}

#if ROTIX_BENCH_OPENCV
// The matrix and the tint as the effect runs them, against OpenCV's
// cv::transform with the same 4x4 matrix over the same pixels, in alternation.
void BM_SaturationAndTintAgainstTransform(benchmark::State& state) {
    cv::setNumThreads(1);
    SaturationAndTint effect;

    // cv::transform's matrix has a row per destination channel; ours a row
    // per source channel, in units of 1/256.
    cv::Mat transform(4, 4, CV_32F);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            transform.at<float>(j, i) = static_cast<float>(effect.matrix[i * 4 + j]) / 256.0f;
    cv::Mat cvIn(kHeight, kWidth, CV_8UC4, const_cast<uint8_t*>(effect.pattern.data()));
    cv::Mat cvOut(kHeight, kWidth, CV_8UC4);

    PairedTiming timing;
    for (auto _ : state) {
        const double ours = PairedTiming::cpuSeconds([&] { effect.run(); });
        const double reference = PairedTiming::cpuSeconds([&] {
            cv::transform(cvIn, cvOut, transform);
            benchmark::DoNotOptimize(cvOut.data);
        });
        timing.add(ours, reference);
    }
    timing.report(state);
}
#endif

void inMicroseconds(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMicrosecond);
}

const bool registered =
    (registerAtEachLevel("BM_MatrixMultiplySaturation", BM_MatrixMultiplySaturation,
                         inMicroseconds),
     registerAtEachLevel("BM_TintFill", BM_TintFill, inMicroseconds),
     registerAtEachLevel("BM_SaturationAndTint", BM_SaturationAndTint, inMicroseconds),
#if ROTIX_BENCH_OPENCV
     registerAtEachLevel("BM_SaturationAndTintAgainstTransform",
                         BM_SaturationAndTintAgainstTransform, inMicroseconds),
     requireRatioAtWiderLevels("BM_SaturationAndTintAgainstTransform", 3.0,
                               "saturation matrix and tint >= 3x cv::transform (4x4), "
                               "in alternation"),
#endif
     true);

} // namespace
