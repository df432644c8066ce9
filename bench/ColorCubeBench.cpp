#include "bench/BenchComparison.h"
#include "bench/BenchImages.h"
#include "bench/PairedTiming.h"
#include "imaging/CCColorCube.h"
#include "platform/graphics/CGImage.h"
#include "platform/uikit/UIImage.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

namespace {

constexpr long kWidth = 1242;
constexpr long kHeight = 2208;

void bareCount(const std::vector<uint8_t>& pixels, std::vector<uint32_t>& counts) {
    std::fill(counts.begin(), counts.end(), 0);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        const unsigned r = pixels[i] * 29u / 255u;
        const unsigned g = pixels[i + 1] * 29u / 255u;
        const unsigned b = pixels[i + 2] * 29u / 255u;
        ++counts[r + g * 30 + b * 900];
    }
    benchmark::DoNotOptimize(counts.data());
}

// The reference: the simplest 30 x 30 x 30 count of the same pixels.
void BM_BareCubeCount(benchmark::State& state) {
    const std::vector<uint8_t> pixels = photoLikePixels(kWidth, kHeight);
    std::vector<uint32_t> counts(27000);
    for (auto _ : state)
        bareCount(pixels, counts);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_BareCubeCount)->Unit(benchmark::kMicrosecond);

// Times the work against the bare count of the pixels, in alternation, so
// that both see the same load on the machine.
template <class Work>
void timeAgainstBareCount(benchmark::State& state, const std::vector<uint8_t>& pixels,
                          Work&& ours) {
    std::vector<uint32_t> counts(27000);
    PairedTiming timing;
    for (auto _ : state) {
        const double oursSeconds = PairedTiming::cpuSeconds(ours);
        const double reference = PairedTiming::cpuSeconds([&] { bareCount(pixels, counts); });
        timing.add(oursSeconds, reference);
    }
    timing.report(state);
}

// The cube's histogram and maxima against the bare count.
void BM_ColorCubeAgainstBareCount(benchmark::State& state) {
    const std::vector<uint8_t> pixels = photoLikePixels(kWidth, kHeight);
    auto cube = CCColorCube::create();
    timeAgainstBareCount(state, pixels, [&] {
        auto maxima = cube->findLocalMaximaInImage(std::span<const uint8_t>(pixels), 0);
        benchmark::DoNotOptimize(maxima);
    });
}

// The cube's histogram with its sums, and the scan for local maxima.
void BM_ColorCubeLocalMaxima(benchmark::State& state) {
    const std::vector<uint8_t> pixels = photoLikePixels(kWidth, kHeight);
    auto cube = CCColorCube::create();
    for (auto _ : state) {
        auto maxima = cube->findLocalMaximaInImage(std::span<const uint8_t>(pixels), 0);
        benchmark::DoNotOptimize(maxima);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

std::shared_ptr<UIImage> photoLikeImage() {
    std::vector<uint8_t> pixels = photoLikePixels(kWidth, kHeight);
    // The image layout: blue, green, red, alpha in memory.
    for (size_t i = 0; i < pixels.size(); i += 4)
        std::swap(pixels[i], pixels[i + 2]);
    return UIImage::imageWithCGImage(CGImage::create(kWidth, kHeight, kWidth * 4, std::move(pixels),
                                                     kCGImageAlphaNoneSkipFirst));
}

// Whole extractions from an image: the pixel read, the histogram, the
// maxima, their filters and the colours.
void BM_ColorCubeExtractColors(benchmark::State& state) {
    const auto image = photoLikeImage();
    auto cube = CCColorCube::create();
    const auto flags = static_cast<CCColorFlags>(state.range(0));
    for (auto _ : state) {
        auto colors = cube->extractColorsFromImage(image, flags);
        benchmark::DoNotOptimize(colors);
    }
}

void BM_ColorCubeExtractFiveColors(benchmark::State& state) {
    const auto image = photoLikeImage();
    auto cube = CCColorCube::create();
    for (auto _ : state) {
        auto colors = cube->extractColorsFromImage(image, 0, 5ul);
        benchmark::DoNotOptimize(colors);
    }
}

// The whole extraction (flags 0) from the image against the bare count: the
// goal's ratio.
void BM_ColorCubeExtractAgainstBareCount(benchmark::State& state) {
    const auto image = photoLikeImage();
    const std::vector<uint8_t> pixels = photoLikePixels(kWidth, kHeight);
    auto cube = CCColorCube::create();
    timeAgainstBareCount(state, pixels, [&] {
        auto colors = cube->extractColorsFromImage(image, 0);
        benchmark::DoNotOptimize(colors);
    });
}

void inMicroseconds(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMicrosecond);
}

const bool registered =
    (registerAtEachLevel("BM_ColorCubeAgainstBareCount", BM_ColorCubeAgainstBareCount,
                         inMicroseconds),
     registerAtEachLevel("BM_ColorCubeLocalMaxima", BM_ColorCubeLocalMaxima, inMicroseconds),
     registerAtEachLevel("BM_ColorCubeExtractColors", BM_ColorCubeExtractColors,
                         [](benchmark::internal::Benchmark* b) {
                             b->Arg(0)
                                 ->Arg(CCFlagBrightOnly | CCFlagDistinct | CCFlagOrderBrightFirst)
                                 ->Arg(CCFlagDistinct | CCFlagAvoidBlack | CCFlagAvoidWhite)
                                 ->Unit(benchmark::kMicrosecond);
                         }),
     registerAtEachLevel("BM_ColorCubeExtractFiveColors", BM_ColorCubeExtractFiveColors,
                         inMicroseconds),
     registerAtEachLevel("BM_ColorCubeExtractAgainstBareCount", BM_ColorCubeExtractAgainstBareCount,
                         inMicroseconds),
     // bare / ours at least 1 / 1.3: ours takes at most 1.3 times the bare count.
     requireRatioAtWiderLevels("BM_ColorCubeExtractAgainstBareCount", 1 / 1.3,
                               "whole extraction (flags 0) within 1.3x a bare 30x30x30 count, "
                               "in alternation (ratio = bare / ours)"),
     true);

} // namespace
