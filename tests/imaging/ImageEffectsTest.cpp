#include "imaging/ImageEffects.h"

#include "platform/graphics/CGImage.h"
#include "platform/system/SystemLog.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIScreenScale.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

constexpr double kEpsilon = 1.1920928955078125e-07;

// Pixels as 0xAARRGGBB words, premultiplied.
std::shared_ptr<UIImage> imageOf(size_t width, size_t height,
                                 const std::function<uint32_t(size_t, size_t)>& pixel,
                                 CGFloat scale = 1,
                                 CGImageAlphaInfo alpha = kCGImageAlphaPremultipliedFirst) {
    std::vector<uint8_t> bytes(width * height * 4);
    for (size_t y = 0; y < height; ++y)
        for (size_t x = 0; x < width; ++x) {
            const uint32_t word = pixel(x, y);
            std::memcpy(&bytes[(y * width + x) * 4], &word, 4);
        }
    return UIImage::imageWithCGImage(
        CGImage::create(width, height, width * 4, std::move(bytes), alpha), scale);
}

std::shared_ptr<UIImage> filled(size_t width, size_t height, uint32_t word, CGFloat scale = 1) {
    return imageOf(
        width, height, [word](size_t, size_t) { return word; }, scale);
}

int channel(uint32_t word, int shift) {
    return static_cast<int>((word >> shift) & 0xFF);
}
int alphaOf(uint32_t word) {
    return channel(word, 24);
}
int redOf(uint32_t word) {
    return channel(word, 16);
}
int greenOf(uint32_t word) {
    return channel(word, 8);
}
int blueOf(uint32_t word) {
    return channel(word, 0);
}

uint32_t pixelAt(const std::shared_ptr<UIImage>& image, size_t x, size_t y) {
    return image->CGImage()->pixelAt(x, y);
}

// Every test runs at a known screen scale, restored afterwards, and checks
// that the image-context stack is as it found it.
class ImageEffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_scale = UIScreenMainScale();
        UIScreenSetMainScale(1);
        m_depth = UIGraphicsGetContextStackDepth();
        SystemLog::shared().clear();
    }
    void TearDown() override {
        EXPECT_EQ(UIGraphicsGetContextStackDepth(), m_depth);
        UIScreenSetMainScale(m_scale);
    }

    static std::vector<std::string> logLines() {
        std::vector<std::string> lines;
        for (const auto& line : SystemLog::shared().lines())
            lines.push_back(line.text);
        return lines;
    }

private:
    double m_scale = 1;
    size_t m_depth = 0;
};

TEST(ImageEffectsKernels, BoxSizesAreOddAndMatchTheGaussian) {
    EXPECT_EQ(ImageEffects::boxSizeForInputRadius(15 * 2.0), 57u); // 56.899 floors to even 56
    EXPECT_EQ(ImageEffects::boxSizeForInputRadius(10 * 1.0), 19u);
    EXPECT_EQ(ImageEffects::boxSizeForInputRadius(20 * 2.0), 75u);
    EXPECT_EQ(ImageEffects::boxSizeForInputRadius(30 * 3.0), 169u);
    EXPECT_EQ(ImageEffects::boxSizeForInputRadius(kEpsilon * 2), 1u);
    EXPECT_EQ(ImageEffects::boxSizeForInputRadius(INFINITY), 65535u);
    EXPECT_EQ(ImageEffects::boxSizeForInputRadius(NAN), 1u);
}

TEST(ImageEffectsKernels, SaturationMatricesRoundAsSinglePrecisionHalvesAway) {
    using M = std::array<int16_t, 16>;
    EXPECT_EQ(ImageEffects::saturationMatrix(0.8),
              (M{208, 4, 4, 0, 37, 241, 37, 0, 11, 11, 216, 0, 0, 0, 0, 256}));
    EXPECT_EQ(ImageEffects::saturationMatrix(0.0),
              (M{18, 18, 18, 0, 183, 183, 183, 0, 54, 54, 54, 0, 0, 0, 0, 256}));
    EXPECT_EQ(ImageEffects::saturationMatrix(1.8),
              (M{446, -15, -15, 0, -146, 314, -146, 0, -44, -44, 417, 0, 0, 0, 0, 256}));
    // Far out of range the coefficients saturate rather than wrap.
    const M huge = ImageEffects::saturationMatrix(1e9);
    EXPECT_EQ(huge[0], 32767);
    EXPECT_EQ(huge[1], -32768);
}

TEST_F(ImageEffectsTest, SizeCheckLogsTheSizeWithTwoDecimals) {
    // One pixel wide at scale 2 is half a point.
    const auto narrow = filled(1, 4, 0xFF000000, 2);
    EXPECT_EQ(ImageEffects::applyBlurWithRadius(narrow, 10, std::nullopt, 1.8, nullptr), nullptr);
    EXPECT_EQ(logLines(),
              std::vector<std::string>{"*** error: invalid size: (0.50 x 2.00). Both dimensions "
                                       "must be >= 1: " +
                                       narrow->description()});
}

TEST_F(ImageEffectsTest, ImagesAndMasksWithoutBitmapsAreRefused) {
    const auto empty = UIImage::imageWithSize({20, 20});
    EXPECT_EQ(ImageEffects::applyBlurWithRadius(empty, 10, std::nullopt, 1.8, nullptr), nullptr);
    const auto image = filled(8, 8, 0xFFFFFFFF);
    EXPECT_EQ(ImageEffects::applyBlurWithRadius(image, 10, std::nullopt, 1.8, empty), nullptr);
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{
                  "*** error: image must be backed by a CGImage: " + empty->description(),
                  "*** error: maskImage must be backed by a CGImage: " + empty->description()}));
    // No image at all answers nothing, silently.
    EXPECT_EQ(ImageEffects::applyDarkEffect(nullptr), nullptr);
    EXPECT_EQ(logLines().size(), 2u);
}

TEST_F(ImageEffectsTest, NoEffectRedrawsTheImageAtTheScreenScaleUnderTheTint) {
    UIScreenSetMainScale(2);
    const auto image = filled(10, 6, 0xFF0000FF); // opaque blue, 10 x 6 points at scale 1
    const auto plain = ImageEffects::applyBlurWithRadius(image, 0, std::nullopt, 1.0, nullptr);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->scale(), 2);
    EXPECT_EQ(plain->size(), CGSizeMake(10, 6));
    EXPECT_EQ(CGImageGetWidth(plain->CGImage()), 20u);
    EXPECT_EQ(pixelAt(plain, 7, 7), 0xFF0000FFu);

    const auto tinted = ImageEffects::applyBlurWithRadius(
        image, -5, UIColor::colorWithRed(1, 0, 0, 0.5), 1.0, nullptr);
    ASSERT_TRUE(tinted);
    const uint32_t p = pixelAt(tinted, 3, 3);
    EXPECT_NEAR(redOf(p), 128, 1);
    EXPECT_NEAR(blueOf(p), 128, 1);
    EXPECT_EQ(greenOf(p), 0);
}

// A half-transparent image shows whether the effect layer was drawn over it:
// the layer's own alpha adds up with the image's.
TEST_F(ImageEffectsTest, RadiusAtEpsilonSkipsTheBlurAndJustAboveBlurs) {
    const auto glass = filled(6, 6, 0x80000080);
    const auto skipped =
        ImageEffects::applyBlurWithRadius(glass, kEpsilon, std::nullopt, 1.0, nullptr);
    ASSERT_TRUE(skipped);
    EXPECT_EQ(alphaOf(pixelAt(skipped, 2, 2)), 0x80);
    const auto blurred = ImageEffects::applyBlurWithRadius(glass, std::nextafter(kEpsilon, 1.0),
                                                           std::nullopt, 1.0, nullptr);
    ASSERT_TRUE(blurred);
    EXPECT_NEAR(alphaOf(pixelAt(blurred, 2, 2)), 0xC0, 1);
}

TEST_F(ImageEffectsTest, FactorWithinEpsilonOfOneSkipsTheMatrix) {
    const auto glass = filled(6, 6, 0x80000080);
    for (double factor : {1.0, 1.0 + kEpsilon, 1.0 - kEpsilon, double(NAN), double(INFINITY)}) {
        const auto result =
            ImageEffects::applyBlurWithRadius(glass, 0, std::nullopt, factor, nullptr);
        ASSERT_TRUE(result);
        EXPECT_EQ(alphaOf(pixelAt(result, 1, 1)), 0x80) << factor;
    }
    const auto changed =
        ImageEffects::applyBlurWithRadius(glass, 0, std::nullopt, 1.0 + 4 * kEpsilon, nullptr);
    ASSERT_TRUE(changed);
    EXPECT_NEAR(alphaOf(pixelAt(changed, 1, 1)), 0xC0, 1);
}

TEST_F(ImageEffectsTest, SaturationWithoutBlurIsShown) {
    const auto red = filled(4, 4, 0xFFFF0000);
    const auto grey = ImageEffects::applyBlurWithRadius(red, 0, std::nullopt, 0.0, nullptr);
    ASSERT_TRUE(grey);
    // The red row of the grey matrix is 54, 54, 54: 255 * 54 / 256.
    const uint32_t p = pixelAt(grey, 1, 1);
    EXPECT_EQ(alphaOf(p), 255);
    EXPECT_EQ(redOf(p), 53);
    EXPECT_EQ(greenOf(p), 53);
    EXPECT_EQ(blueOf(p), 53);
}

TEST_F(ImageEffectsTest, BlurSpreadsAnEdgeOverTheBoxAndLeavesFlatAreasAlone) {
    // Left half black, right half white, 60 x 8 points at scale 1: radius 10
    // gives a box of 19 pixels, three passes spread the edge 27 pixels each way.
    const auto edge =
        imageOf(60, 8, [](size_t x, size_t) { return x < 30 ? 0xFF000000u : 0xFFFFFFFFu; });
    const auto blurred = ImageEffects::applyBlurWithRadius(edge, 10, std::nullopt, 1.0, nullptr);
    ASSERT_TRUE(blurred);
    EXPECT_EQ(redOf(pixelAt(blurred, 1, 4)), 0);
    EXPECT_EQ(redOf(pixelAt(blurred, 58, 4)), 255);
    EXPECT_NEAR(redOf(pixelAt(blurred, 29, 4)), 122, 2);
    EXPECT_NEAR(redOf(pixelAt(blurred, 30, 4)), 133, 2);
    EXPECT_LT(redOf(pixelAt(blurred, 20, 4)), redOf(pixelAt(blurred, 25, 4)));
    // The blurred picture stays upright: the same top and bottom rows.
    EXPECT_EQ(pixelAt(blurred, 25, 0), pixelAt(blurred, 25, 7));
}

TEST_F(ImageEffectsTest, MaskLetsTheBlurThroughOnlyWhereWhite) {
    // One-pixel stripes blur to grey; the mask (of another size, scaled to
    // the image) is white on the left half and black on the right.
    const auto stripes =
        imageOf(40, 40, [](size_t x, size_t) { return x % 2 ? 0xFFFFFFFFu : 0xFF000000u; });
    const auto mask = imageOf(
        4, 2, [](size_t x, size_t) { return x < 2 ? 0xFFFFFFFFu : 0xFF000000u; }, 1,
        kCGImageAlphaNoneSkipFirst);
    const auto result = ImageEffects::applyBlurWithRadius(stripes, 5, std::nullopt, 1.0, mask);
    ASSERT_TRUE(result);
    // Away from the left edge, where the black first column is extended.
    for (size_t x : {10u, 11u, 12u, 13u}) {
        EXPECT_NEAR(redOf(pixelAt(result, x, 20)), 128, 3) << x;
    }
    for (size_t x : {26u, 27u, 34u, 35u}) {
        EXPECT_EQ(redOf(pixelAt(result, x, 20)), x % 2 ? 255 : 0) << x;
    }
}

TEST_F(ImageEffectsTest, TheTintCoversTheWholeRectangleThroughAMask) {
    const auto white = filled(20, 20, 0xFFFFFFFF);
    const auto black = filled(5, 5, 0xFF000000, 1);
    const auto result = ImageEffects::applyBlurWithRadius(
        white, 3, UIColor::colorWithRed(0, 0, 1, 0.5), 1.0, black);
    ASSERT_TRUE(result);
    for (size_t x : {0u, 10u, 19u}) {
        const uint32_t p = pixelAt(result, x, x);
        EXPECT_NEAR(redOf(p), 128, 1) << x;
        EXPECT_NEAR(blueOf(p), 255, 1) << x;
    }
}

TEST_F(ImageEffectsTest, RadiiThatAreNotNumbersDoNotBlurAndEndlessOnesStillEnd) {
    const auto glass = filled(6, 6, 0x80000080);
    const auto notANumber =
        ImageEffects::applyBlurWithRadius(glass, NAN, std::nullopt, 1.0, nullptr);
    ASSERT_TRUE(notANumber);
    EXPECT_EQ(alphaOf(pixelAt(notANumber, 2, 2)), 0x80);
    // The widest box on a flat picture: flat again, drawn over the picture.
    const auto endless =
        ImageEffects::applyBlurWithRadius(glass, INFINITY, std::nullopt, 1.0, nullptr);
    ASSERT_TRUE(endless);
    EXPECT_NEAR(alphaOf(pixelAt(endless, 0, 5)), 0xC0, 1);
    EXPECT_EQ(pixelAt(endless, 0, 5), pixelAt(endless, 5, 0));
}

TEST_F(ImageEffectsTest, OnePixelPicturesKeepTheirColour) {
    const auto dot = filled(1, 1, 0xFF336699);
    const auto result = ImageEffects::applyBlurWithRadius(dot, 30, std::nullopt, 1.0, nullptr);
    ASSERT_TRUE(result);
    EXPECT_EQ(pixelAt(result, 0, 0), 0xFF336699u);
    const auto saturated = ImageEffects::applyBlurWithRadius(dot, 30, std::nullopt, 1.8, nullptr);
    ASSERT_TRUE(saturated);
    EXPECT_EQ(alphaOf(pixelAt(saturated, 0, 0)), 255);
}

TEST_F(ImageEffectsTest, PicturesTooLargeForAnImageContextGiveNothing) {
    // Twenty thousand points wide passes the size check but no image context
    // can hold it: nothing comes back, and every context pushed is popped.
    const auto wide = filled(20000, 1, 0xFFFFFFFF);
    EXPECT_EQ(ImageEffects::applyBlurWithRadius(wide, 10, UIColor::redColor(), 0.5, nullptr),
              nullptr);
}

TEST_F(ImageEffectsTest, TintEffectUsesTheColourAtSixTenths) {
    const auto white = filled(30, 30, 0xFFFFFFFF);
    const auto red =
        ImageEffects::applyTintEffectWithColor(white, UIColor::colorWithRed(1, 0, 0, 1));
    ASSERT_TRUE(red);
    const uint32_t p = pixelAt(red, 15, 15);
    EXPECT_NEAR(redOf(p), 255, 1);
    EXPECT_NEAR(greenOf(p), 102, 2);
    EXPECT_NEAR(blueOf(p), 102, 2);

    // A grey keeps its level: 0.2 at 0.6 over white is 0.52.
    const auto grey =
        ImageEffects::applyTintEffectWithColor(white, UIColor::colorWithWhite(0.2, 1));
    ASSERT_TRUE(grey);
    EXPECT_NEAR(redOf(pixelAt(grey, 15, 15)), 133, 2);

    // No colour, no tint: white stays white.
    const auto none = ImageEffects::applyTintEffectWithColor(white, std::nullopt);
    ASSERT_TRUE(none);
    EXPECT_NEAR(greenOf(pixelAt(none, 15, 15)), 255, 1);
}

TEST_F(ImageEffectsTest, PresetsBlurSaturateAndTint) {
    const auto white = filled(40, 40, 0xFFFFFFFF);
    const auto dark = ImageEffects::applyDarkEffect(white);
    ASSERT_TRUE(dark);
    EXPECT_NEAR(redOf(pixelAt(dark, 20, 20)), 89, 2); // 0.11 at 0.73 over white
    const auto extraLight = ImageEffects::applyExtraLightEffect(white);
    ASSERT_TRUE(extraLight);
    EXPECT_NEAR(redOf(pixelAt(extraLight, 20, 20)), 249, 2); // 0.97 at 0.82 over white
    const auto light = ImageEffects::applyLightEffect(white);
    ASSERT_TRUE(light);
    EXPECT_NEAR(redOf(pixelAt(light, 20, 20)), 255, 1);
    EXPECT_EQ(light->size(), white->size());
}

TEST_F(ImageEffectsTest, InputIsNeverChanged) {
    const auto image =
        imageOf(20, 20, [](size_t x, size_t y) { return (x + y) % 3 ? 0xFF123456u : 0xFFABCDEFu; });
    const std::string before = image->contentHash();
    ASSERT_TRUE(ImageEffects::applyBlurWithRadius(image, 4, UIColor::redColor(), 0.3, nullptr));
    EXPECT_EQ(image->contentHash(), before);
}

TEST_F(ImageEffectsTest, ThreadsBlurWithTheirOwnContextStacks) {
    const auto image = imageOf(
        50, 50, [](size_t x, size_t y) { return (x / 5 + y / 5) % 2 ? 0xFFFF8000u : 0xFF0080FFu; });
    std::vector<std::shared_ptr<UIImage>> results(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] {
            results[i] = ImageEffects::applyBlurWithRadius(
                image, 8, UIColor::colorWithWhite(0, 0.2), 1.8, nullptr);
        });
    for (auto& thread : threads)
        thread.join();
    for (const auto& result : results) {
        ASSERT_TRUE(result);
        EXPECT_EQ(result->contentHash(), results.front()->contentHash());
    }
}

} // namespace
