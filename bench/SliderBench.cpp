#include "platform/corefoundation/CFPreferences.h"
#include "platform/device/DeviceRoot.h"
#include "platform/graphics/CGContext.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "slider/UICircularSlider.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <random>
#include <string>

namespace {

constexpr CGFloat kSide = 330;
constexpr CGFloat kScale = 3;

// A device root of its own with "radius" stored, so every draw pays for the
// synchronise and the read it makes on the phone.
class BenchDeviceRoot {
public:
    BenchDeviceRoot() {
        std::random_device random;
        m_root = std::filesystem::temp_directory_path() /
                 ("rotix-bench-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_root);
        m_previous = DeviceRoot::current();
        DeviceRoot::set(m_root);
        CFPreferencesResetForTesting();
        CFPreferencesSetAppValue("radius", 12, "com.varlo.rotixsettings");
        CFPreferencesAppSynchronize("com.varlo.rotixsettings");
    }
    ~BenchDeviceRoot() {
        DeviceRoot::set(m_previous);
        CFPreferencesResetForTesting();
        std::error_code error;
        std::filesystem::remove_all(m_root, error);
    }
    BenchDeviceRoot(const BenchDeviceRoot&) = delete;
    BenchDeviceRoot& operator=(const BenchDeviceRoot&) = delete;

private:
    std::filesystem::path m_root;
    std::filesystem::path m_previous;
};

std::shared_ptr<UICircularSlider> makeSlider(int style) {
    auto slider = UICircularSlider::create({{0, 0}, {kSide, kSide}});
    slider->setSliderStyle(style);
    slider->setValue(0.37f);
    return slider;
}

// drawRect alone, into one 990 x 990 pixel context cleared between frames.
void BM_SliderDrawRect(benchmark::State& state) {
    BenchDeviceRoot root;
    auto slider = makeSlider(static_cast<int>(state.range(0)));
    UIGraphicsBeginImageContextWithOptions({kSide, kSide}, false, kScale);
    CGContextRef context = UIGraphicsGetCurrentContext();
    for (auto _ : state) {
        CGContextClearRect(context, slider->bounds());
        slider->drawRect(slider->bounds());
        benchmark::DoNotOptimize(slider->thumbCenterPoint());
    }
    UIGraphicsEndImageContext();
}
BENCHMARK(BM_SliderDrawRect)
    ->Arg(0)
    ->Arg(UICircularSlider::kSliderStylePie)
    ->Unit(benchmark::kMicrosecond);

// One whole frame as the display pass makes it: a new image context, the
// drawing, and the image taken from it.
void BM_SliderFrame(benchmark::State& state) {
    BenchDeviceRoot root;
    auto slider = makeSlider(0);
    for (auto _ : state) {
        UIGraphicsBeginImageContextWithOptions({kSide, kSide}, false, kScale);
        slider->drawRect(slider->bounds());
        auto image = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_SliderFrame)->Unit(benchmark::kMicrosecond);

} // namespace
