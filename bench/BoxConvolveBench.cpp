#include "bench/BenchComparison.h"
#include "bench/BenchImages.h"
#include "bench/PairedTiming.h"
#include "platform/accelerate/vImage.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

#if ROTIX_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

// One box pass computed the slow, obviously exact way: 64-bit sums of every
// clamped pixel of the box, rounded to nearest. Used to report how far the
// measured code is from exact on the very images it is timed on.
int worstErrorOfOnePass(const std::vector<uint8_t>& src, long width, long height, long box) {
    std::vector<uint8_t> dest(src.size());
    vImage_Buffer in{const_cast<uint8_t*>(src.data()), static_cast<vImagePixelCount>(height),
                     static_cast<vImagePixelCount>(width), static_cast<size_t>(width) * 4};
    vImage_Buffer out{dest.data(), in.height, in.width, in.rowBytes};
    vImageBoxConvolve_ARGB8888(&in, &out, nullptr, 0, 0, box, box, nullptr, kvImageEdgeExtend);

    const long r = box / 2;
    const uint64_t area = static_cast<uint64_t>(box) * box;
    std::vector<uint64_t> columns(static_cast<size_t>(width) * 4);
    int worst = 0;
    for (long y = 0; y < height; ++y) {
        std::fill(columns.begin(), columns.end(), 0);
        for (long dy = -r; dy <= r; ++dy) {
            const uint8_t* row = &src[std::clamp(y + dy, 0L, height - 1) * width * 4];
            for (long i = 0; i < width * 4; ++i)
                columns[i] += row[i];
        }
        for (long x = 0; x < width; ++x) {
            for (int c = 0; c < 4; ++c) {
                uint64_t sum = 0;
                for (long dx = -r; dx <= r; ++dx)
                    sum += columns[std::clamp(x + dx, 0L, width - 1) * 4 + c];
                const int exact = static_cast<int>((sum + area / 2) / area);
                worst = std::max(worst, std::abs(exact - dest[(y * width + x) * 4 + c]));
            }
        }
    }
    return worst;
}

// The frosted-glass effect's blur: three box passes back and forth between
// two buffers.
void BM_BoxConvolveThreePasses(benchmark::State& state) {
    const long width = state.range(0);
    const long height = state.range(1);
    const auto box = static_cast<uint32_t>(state.range(2));
    std::vector<uint8_t> first = photoLikePixels(width, height);
    std::vector<uint8_t> second(first.size());
    vImage_Buffer a{first.data(), static_cast<vImagePixelCount>(height),
                    static_cast<vImagePixelCount>(width), static_cast<size_t>(width) * 4};
    vImage_Buffer b{second.data(), a.height, a.width, a.rowBytes};
    for (auto _ : state) {
        vImageBoxConvolve_ARGB8888(&a, &b, nullptr, 0, 0, box, box, nullptr, kvImageEdgeExtend);
        vImageBoxConvolve_ARGB8888(&b, &a, nullptr, 0, 0, box, box, nullptr, kvImageEdgeExtend);
        vImageBoxConvolve_ARGB8888(&a, &b, nullptr, 0, 0, box, box, nullptr, kvImageEdgeExtend);
        benchmark::DoNotOptimize(second.data());
    }
    state.SetItemsProcessed(state.iterations() * width * height);
    // The exact check is slow for the widest box on the largest image, where
    // the same code paths are already checked at the smaller sizes.
    if (width * height * box <= 1242L * 2208 * 57)
        state.counters["worst_error"] =
            worstErrorOfOnePass(photoLikePixels(width, height), width, height, box);
}

void boxSizes(benchmark::internal::Benchmark* b) {
    for (long box : {19, 57}) {
        b->Args({150, 150, box});
        b->Args({1242, 2208, box});
        b->Args({4000, 3000, box});
    }
    b->Unit(benchmark::kMillisecond);
}
const bool threePassesRegistered =
    (registerAtEachLevel("BM_BoxConvolveThreePasses", BM_BoxConvolveThreePasses, boxSizes), true);

const bool accuracyRegistered =
    (requireCounterAtMost("BM_BoxConvolveThreePasses", "worst_error", 1,
                          "every box mean within one level of the exact mean"),
     true);

#if ROTIX_BENCH_OPENCV
void BM_OpenCVBoxFilterThreeTimes(benchmark::State& state) {
    cv::setNumThreads(1);
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int box = static_cast<int>(state.range(2));
    std::vector<uint8_t> pixels = photoLikePixels(width, height);
    cv::Mat a(height, width, CV_8UC4, pixels.data());
    cv::Mat b(height, width, CV_8UC4);
    const cv::Size size(box, box);
    for (auto _ : state) {
        cv::boxFilter(a, b, -1, size, cv::Point(-1, -1), true, cv::BORDER_REPLICATE);
        cv::boxFilter(b, a, -1, size, cv::Point(-1, -1), true, cv::BORDER_REPLICATE);
        cv::boxFilter(a, b, -1, size, cv::Point(-1, -1), true, cv::BORDER_REPLICATE);
        benchmark::DoNotOptimize(b.data);
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(BM_OpenCVBoxFilterThreeTimes)->Apply(boxSizes);

// Both in alternation on copies of the same picture: the ratio that holds
// however busy the machine is while the two run.
void BM_BoxPassesAgainstOpenCV(benchmark::State& state) {
    cv::setNumThreads(1);
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int box = static_cast<int>(state.range(2));
    std::vector<uint8_t> first = photoLikePixels(width, height);
    std::vector<uint8_t> second(first.size());
    std::vector<uint8_t> cvPixels = first;
    vImage_Buffer a{first.data(), static_cast<vImagePixelCount>(height),
                    static_cast<vImagePixelCount>(width), static_cast<size_t>(width) * 4};
    vImage_Buffer b{second.data(), a.height, a.width, a.rowBytes};
    cv::Mat ca(height, width, CV_8UC4, cvPixels.data());
    cv::Mat cb(height, width, CV_8UC4);
    const cv::Size size(box, box);
    const auto kernel = static_cast<uint32_t>(box);
    PairedTiming timing;
    for (auto _ : state) {
        const double ours = PairedTiming::cpuSeconds([&] {
            vImageBoxConvolve_ARGB8888(&a, &b, nullptr, 0, 0, kernel, kernel, nullptr,
                                       kvImageEdgeExtend);
            vImageBoxConvolve_ARGB8888(&b, &a, nullptr, 0, 0, kernel, kernel, nullptr,
                                       kvImageEdgeExtend);
            vImageBoxConvolve_ARGB8888(&a, &b, nullptr, 0, 0, kernel, kernel, nullptr,
                                       kvImageEdgeExtend);
            benchmark::DoNotOptimize(second.data());
        });
        const double reference = PairedTiming::cpuSeconds([&] {
            cv::boxFilter(ca, cb, -1, size, cv::Point(-1, -1), true, cv::BORDER_REPLICATE);
            cv::boxFilter(cb, ca, -1, size, cv::Point(-1, -1), true, cv::BORDER_REPLICATE);
            cv::boxFilter(ca, cb, -1, size, cv::Point(-1, -1), true, cv::BORDER_REPLICATE);
            benchmark::DoNotOptimize(cb.data);
        });
        timing.add(ours, reference);
    }
    timing.report(state);
}

const bool registered =
    (registerAtEachLevel("BM_BoxPassesAgainstOpenCV", BM_BoxPassesAgainstOpenCV, boxSizes),
     requireRatioAtWiderLevels("BM_BoxPassesAgainstOpenCV", 2.0,
                               "three box passes >= 2x OpenCV boxFilter x3, "
                               "in alternation"),
     true);
#endif

} // namespace
