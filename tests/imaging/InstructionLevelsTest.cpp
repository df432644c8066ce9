#include "imaging/CCColorCube.h"
#include "imaging/ImageEffects.h"
#include "platform/accelerate/InstructionLevel.h"
#include "platform/accelerate/vImage.h"
#include "platform/graphics/CGImage.h"
#include "platform/uikit/UIImage.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

// Every instruction level the machine has must give the same pixels and the
// same palette: each level's kernels run on the same generated images and
// are compared with the baseline's.
namespace {

// Smooth ramps with grain, as photographs are, and some fully random rows
// for the extremes; odd sides leave tails after every vector step.
std::vector<uint8_t> generated(long width, long height, unsigned seed) {
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 4);
    std::mt19937 random(seed);
    for (long y = 0; y < height; ++y)
        for (long x = 0; x < width; ++x) {
            uint8_t* p = &bytes[(y * width + x) * 4];
            const int grain = static_cast<int>(random() % 24);
            const bool noisy = y % 7 == 3;
            p[0] = static_cast<uint8_t>(noisy ? random() : x * 255 / width + grain);
            p[1] = static_cast<uint8_t>(noisy ? random() : y * 255 / height + grain);
            p[2] = static_cast<uint8_t>(noisy ? random() : (x + y) * 127 / (width + height));
            p[3] = static_cast<uint8_t>(y % 5 == 0 ? random() : 255);
        }
    return bytes;
}

// Runs the work at every level the machine has and hands back its results,
// the baseline's first; the supported level is restored afterwards.
template <class Work>
auto atEveryLevel(Work&& work) {
    std::vector<decltype(work())> results;
    for (InstructionLevel level : kAllInstructionLevels) {
        if (level > supportedInstructionLevel())
            continue;
        EXPECT_EQ(setActiveInstructionLevel(level), level);
        results.push_back(work());
    }
    setActiveInstructionLevel(supportedInstructionLevel());
    return results;
}

vImage_Buffer bufferOf(std::vector<uint8_t>& bytes, long width, long height) {
    return {bytes.data(), static_cast<vImagePixelCount>(height),
            static_cast<vImagePixelCount>(width), static_cast<size_t>(width) * 4};
}

std::vector<uint8_t> threeBoxPasses(long width, long height, uint32_t kernelHeight,
                                    uint32_t kernelWidth) {
    std::vector<uint8_t> a = generated(width, height, 11);
    std::vector<uint8_t> b(a.size());
    vImage_Buffer first = bufferOf(a, width, height);
    vImage_Buffer second = bufferOf(b, width, height);
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_EQ(vImageBoxConvolve_ARGB8888(pass % 2 ? &second : &first,
                                             pass % 2 ? &first : &second, nullptr, 0, 0,
                                             kernelHeight, kernelWidth, nullptr, kvImageEdgeExtend),
                  kvImageNoError);
    }
    return b;
}

TEST(InstructionLevels, BoxPassesGiveTheSamePixels) {
    struct Case {
        long width, height;
        uint32_t kernelHeight, kernelWidth;
    };
    for (const Case& c : {Case{150, 150, 19, 19}, Case{331, 97, 57, 57}, Case{37, 53, 3, 201},
                          Case{5, 3, 255, 9}, Case{64, 64, 1, 1}, Case{300, 260, 251, 251}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " box " << c.kernelHeight
                                        << "x" << c.kernelWidth);
        const auto results = atEveryLevel(
            [&] { return threeBoxPasses(c.width, c.height, c.kernelHeight, c.kernelWidth); });
        for (size_t i = 1; i < results.size(); ++i)
            EXPECT_TRUE(results[i] == results[0]) << "level " << i << " differs";
    }
}

TEST(InstructionLevels, ColourMatrixGivesTheSamePixels) {
    const long width = 203;
    const long height = 31;
    const std::vector<uint8_t> source = generated(width, height, 12);
    const int16_t biased[16] = {300, -20, 7, 0, -512, 256, 0, 3, 33, 1000, -256, 0, 0, 0, 0, 256};
    const int16_t large[16] = {20000,  -20000, 9000,  -32768, 32767, 12000, -7000, 0,
                               -15000, 30000,  20000, 1000,   16384, -1,    2,     16384};
    const int16_t preBias[4] = {-10, 4, 0, 100};
    const int32_t postBias[4] = {128, -4000, 0, 77};
    for (double factor : {1.8, 0.0, -1.0}) {
        SCOPED_TRACE(factor);
        const std::array<int16_t, 16> matrix = ImageEffects::saturationMatrix(factor);
        const auto results = atEveryLevel([&] {
            std::vector<uint8_t> in = source;
            std::vector<uint8_t> out(in.size());
            vImage_Buffer src = bufferOf(in, width, height);
            vImage_Buffer dest = bufferOf(out, width, height);
            EXPECT_EQ(vImageMatrixMultiply_ARGB8888(&src, &dest, matrix.data(), 256, nullptr,
                                                    nullptr, kvImageNoFlags),
                      kvImageNoError);
            // Biases and another power of two go through the same vector path.
            std::vector<uint8_t> biasedOut(in.size());
            vImage_Buffer biasedDest = bufferOf(biasedOut, width, height);
            EXPECT_EQ(vImageMatrixMultiply_ARGB8888(&src, &biasedDest, biased, 128, preBias,
                                                    postBias, kvImageNoFlags),
                      kvImageNoError);
            out.insert(out.end(), biasedOut.begin(), biasedOut.end());
            // Sums beyond 2^24, past the baseline's exact floats.
            std::vector<uint8_t> largeOut(in.size());
            vImage_Buffer largeDest = bufferOf(largeOut, width, height);
            EXPECT_EQ(vImageMatrixMultiply_ARGB8888(&src, &largeDest, large, 16384, nullptr,
                                                    nullptr, kvImageNoFlags),
                      kvImageNoError);
            out.insert(out.end(), largeOut.begin(), largeOut.end());
            return out;
        });
        for (size_t i = 1; i < results.size(); ++i)
            EXPECT_TRUE(results[i] == results[0]) << "level " << i << " differs";
    }
}

std::vector<uint8_t> pixelsOf(const std::shared_ptr<UIImage>& image) {
    EXPECT_TRUE(image);
    if (!image)
        return {};
    const std::span<const uint8_t> bytes = CGImageGetBytes(image->CGImage());
    return {bytes.begin(), bytes.end()};
}

TEST(InstructionLevels, BlurSaturationAndTintGiveTheSameImage) {
    std::vector<uint8_t> bytes = generated(120, 90, 13);
    const auto image = UIImage::imageWithCGImage(
        CGImage::create(120, 90, 120 * 4, std::move(bytes), kCGImageAlphaPremultipliedFirst));
    const auto results = atEveryLevel([&] {
        return pixelsOf(ImageEffects::applyBlurWithRadius(
            image, 6, UIColor::colorWithRed(0.2, 0.5, 0.9, 0.4), 1.8, nullptr));
    });
    for (size_t i = 1; i < results.size(); ++i)
        EXPECT_TRUE(results[i] == results[0]) << "level " << i << " differs";
}

struct Palette {
    std::vector<uint32_t> cells;
    std::vector<uint32_t> counts;
    std::vector<std::array<double, 3>> colours;
};

Palette paletteOf(const CCLocalMaximumList& maxima) {
    Palette palette;
    for (const auto& m : maxima) {
        palette.cells.push_back(m->cellIndex());
        palette.counts.push_back(m->hitCount());
        palette.colours.push_back({m->red(), m->green(), m->blue()});
    }
    return palette;
}

TEST(InstructionLevels, PaletteHasTheSameOrderCountsAndColours) {
    // Large enough that the count does not note cells as it goes, and small
    // enough that it does, through both byte orders.
    for (long side : {40L, 700L}) {
        std::vector<uint8_t> rgba = generated(side, side, 14);
        std::vector<uint8_t> bgra = rgba;
        for (size_t i = 0; i < bgra.size(); i += 4)
            std::swap(bgra[i], bgra[i + 2]);
        const auto image = UIImage::imageWithCGImage(
            CGImage::create(side, side, side * 4, std::move(bgra), kCGImageAlphaNoneSkipFirst));
        for (CCColorFlags flags : {CCColorFlags{0}, CCColorFlags{CCFlagBrightOnly},
                                   CCColorFlags{CCFlagDarkOnly | CCFlagOrderBrightFirst}}) {
            SCOPED_TRACE(testing::Message() << "side " << side << " flags " << flags);
            const auto results = atEveryLevel([&] {
                auto cube = CCColorCube::create();
                auto direct = cube->findAndSortMaximaInImage(std::span<const uint8_t>(rgba), flags);
                auto fromImage = cube->findAndSortMaximaInImage(image, flags);
                EXPECT_TRUE(direct && fromImage);
                return std::pair{paletteOf(direct.value_or(CCLocalMaximumList{})),
                                 paletteOf(fromImage.value_or(CCLocalMaximumList{}))};
            });
            for (size_t i = 0; i < results.size(); ++i)
                for (const Palette* p : {&results[i].first, &results[i].second}) {
                    const Palette& base = results[0].first;
                    ASSERT_FALSE(base.cells.empty());
                    EXPECT_EQ(p->cells, base.cells) << "level " << i;
                    EXPECT_EQ(p->counts, base.counts) << "level " << i;
                    ASSERT_EQ(p->colours.size(), base.colours.size());
                    for (size_t m = 0; m < base.colours.size(); ++m)
                        for (int c = 0; c < 3; ++c)
                            EXPECT_NEAR(p->colours[m][c], base.colours[m][c], 1e-9)
                                << "level " << i;
                }
        }
    }
}

TEST(InstructionLevels, NamesRoundTripAndAnUnsupportedLevelFallsToTheBest) {
    for (InstructionLevel level : kAllInstructionLevels)
        EXPECT_EQ(instructionLevelNamed(instructionLevelName(level)), level);
    EXPECT_EQ(instructionLevelNamed("x86-64-v5"), std::nullopt);
    EXPECT_EQ(setActiveInstructionLevel(InstructionLevel::X86_64_V4), supportedInstructionLevel());
    EXPECT_EQ(activeInstructionLevel(), supportedInstructionLevel());
}

} // namespace
