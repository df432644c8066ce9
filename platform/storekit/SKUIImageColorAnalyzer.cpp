#include "platform/storekit/SKUIImageColorAnalyzer.h"

#include "platform/graphics/CGImage.h"
#include "platform/uikit/UIImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

namespace {

// Colours are counted in 16 levels a channel: fine enough to tell artwork's
// colours apart, coarse enough that a photograph's dominant colour gathers in
// one bin.
constexpr int kLevelBits = 4;
constexpr int kBinCount = 1 << (3 * kLevelBits);
// Large artwork is sampled on a grid of about this many pixels.
constexpr size_t kMaximumSamples = 1 << 16;
// Pixels more transparent than this show little of their colour.
constexpr unsigned kVisibleAlpha = 128;
// A colour is frequent when this share of the visible pixels has it.
constexpr double kFrequentShare = 0.01;
constexpr double kPrimaryContrast = 4.5;
constexpr double kSecondaryContrast = 3.0;
constexpr double kSecondaryFallbackAlpha = 0.7;

struct Bin {
    uint32_t count = 0;
    uint64_t red = 0;
    uint64_t green = 0;
    uint64_t blue = 0;

    UIColor meanColor() const {
        const double scale = 255.0 * count;
        return UIColor::colorWithRed(red / scale, green / scale, blue / scale, 1.0);
    }
};

// Sampling step that keeps the grid within kMaximumSamples pixels.
size_t sampleStep(size_t width, size_t height) {
    size_t step = 1;
    while ((width + step - 1) / step * ((height + step - 1) / step) > kMaximumSamples)
        ++step;
    return step;
}

// Counts the visible pixels of the bitmap, with their colours unpremultiplied.
uint32_t countColors(const CGImageRef& bitmap, std::array<Bin, kBinCount>& bins) {
    const size_t width = CGImageGetWidth(bitmap);
    const size_t height = CGImageGetHeight(bitmap);
    const size_t bytesPerRow = CGImageGetBytesPerRow(bitmap);
    const uint8_t* bytes = CGImageGetBytes(bitmap).data();
    const size_t step = sampleStep(width, height);
    uint32_t counted = 0;
    for (size_t y = 0; y < height; y += step) {
        for (size_t x = 0; x < width; x += step) {
            // Blue, green, red, alpha in memory.
            const uint8_t* p = bytes + y * bytesPerRow + x * 4;
            const unsigned alpha = p[3];
            if (alpha < kVisibleAlpha)
                continue;
            auto straight = [alpha](unsigned c) {
                return std::min(255u, (c * 255 + alpha / 2) / alpha);
            };
            const unsigned red = straight(p[2]);
            const unsigned green = straight(p[1]);
            const unsigned blue = straight(p[0]);
            const int shift = 8 - kLevelBits;
            Bin& bin = bins[(red >> shift) << (2 * kLevelBits) | (green >> shift) << kLevelBits |
                            (blue >> shift)];
            bin.count += 1;
            bin.red += red;
            bin.green += green;
            bin.blue += blue;
            ++counted;
        }
    }
    return counted;
}

double linearComponent(double c) {
    c = std::clamp(std::isfinite(c) ? c : 0.0, 0.0, 1.0);
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double relativeLuminance(const UIColor& color) {
    return 0.2126 * linearComponent(color.red()) + 0.7152 * linearComponent(color.green()) +
           0.0722 * linearComponent(color.blue());
}

std::shared_ptr<SKUIAnalyzedImageColors> defaultColors() {
    return SKUIAnalyzedImageColors::create(UIColor::whiteColor(), UIColor::blackColor(),
                                           UIColor::grayColor());
}

} // namespace

double SKUIImageColorAnalyzer::contrastRatio(const UIColor& a, const UIColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::shared_ptr<SKUIAnalyzedImageColors>
SKUIImageColorAnalyzer::analyzeImage(const std::shared_ptr<UIImage>& image) {
    if (!image || !image->CGImage())
        return defaultColors();
    std::array<Bin, kBinCount> bins{};
    const uint32_t counted = countColors(image->CGImage(), bins);
    if (counted == 0)
        return defaultColors();

    // Occupied bins, most frequent first; equal counts in bin order, so the
    // choice never depends on anything but the pixels.
    std::vector<int> order;
    for (int i = 0; i < kBinCount; ++i)
        if (bins[i].count > 0)
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return bins[a].count > bins[b].count; });
    const auto frequent = static_cast<uint32_t>(std::max(1.0, std::ceil(counted * kFrequentShare)));

    const UIColor background = bins[order.front()].meanColor();
    // The most frequent colour after the background that reaches the contrast.
    auto findColor = [&](double contrast, std::optional<size_t> skip) -> std::optional<size_t> {
        for (size_t i = 1; i < order.size() && bins[order[i]].count >= frequent; ++i) {
            if (i == skip)
                continue;
            if (contrastRatio(bins[order[i]].meanColor(), background) >= contrast)
                return i;
        }
        return std::nullopt;
    };

    const std::optional<size_t> primaryIndex = findColor(kPrimaryContrast, std::nullopt);
    UIColor primary = UIColor::whiteColor();
    if (primaryIndex)
        primary = bins[order[*primaryIndex]].meanColor();
    else if (contrastRatio(UIColor::blackColor(), background) >
             contrastRatio(UIColor::whiteColor(), background))
        primary = UIColor::blackColor();

    const std::optional<size_t> secondaryIndex = findColor(kSecondaryContrast, primaryIndex);
    const UIColor secondary = secondaryIndex
                                  ? bins[order[*secondaryIndex]].meanColor()
                                  : primary.colorWithAlphaComponent(kSecondaryFallbackAlpha);
    return SKUIAnalyzedImageColors::create(background, primary, secondary);
}
