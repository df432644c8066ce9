#include "platform/graphics/CGImage.h"
#include "platform/storekit/SKUIImageColorAnalyzer.h"
#include "platform/uikit/UIImage.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

// An image of horizontal bands, each a share of the rows in one 0xAARRGGBB
// colour (premultiplied).
std::shared_ptr<UIImage> bands(const std::vector<std::pair<int, uint32_t>>& rowsAndColours,
                               size_t width = 10) {
    std::vector<uint8_t> bytes;
    size_t height = 0;
    for (auto [rows, colour] : rowsAndColours) {
        for (int r = 0; r < rows; ++r, ++height)
            for (size_t x = 0; x < width; ++x) {
                uint8_t word[4];
                std::memcpy(word, &colour, 4);
                bytes.insert(bytes.end(), word, word + 4);
            }
    }
    return UIImage::imageWithCGImage(CGImage::create(width, height, width * 4, std::move(bytes),
                                                     kCGImageAlphaPremultipliedFirst));
}

UIColor rgb(int r, int g, int b, double alpha = 1.0) {
    return UIColor::colorWithRed(r / 255.0, g / 255.0, b / 255.0, alpha);
}

void expectColor(const UIColor& actual, const UIColor& expected) {
    EXPECT_NEAR(actual.red(), expected.red(), 1e-9);
    EXPECT_NEAR(actual.green(), expected.green(), 1e-9);
    EXPECT_NEAR(actual.blue(), expected.blue(), 1e-9);
    EXPECT_NEAR(actual.alpha(), expected.alpha(), 1e-9);
}

TEST(SKUIImageColorAnalyzer, ContrastRatiosFollowRelativeLuminance) {
    EXPECT_NEAR(SKUIImageColorAnalyzer::contrastRatio(UIColor::whiteColor(), UIColor::blackColor()),
                21.0, 1e-9);
    EXPECT_NEAR(SKUIImageColorAnalyzer::contrastRatio(UIColor::redColor(), UIColor::redColor()),
                1.0, 1e-12);
    // #777777 is the grey on which white just misses 4.5 and black reaches it.
    EXPECT_NEAR(SKUIImageColorAnalyzer::contrastRatio(rgb(0x77, 0x77, 0x77), UIColor::whiteColor()),
                4.48, 0.01);
    EXPECT_NEAR(SKUIImageColorAnalyzer::contrastRatio(UIColor::blackColor(), rgb(0x77, 0x77, 0x77)),
                4.69, 0.01);
}

TEST(SKUIImageColorAnalyzer, NoBitmapGivesDefaults) {
    for (const auto& image : {std::shared_ptr<UIImage>(), UIImage::imageWithSize({30, 30})}) {
        const auto colors = SKUIImageColorAnalyzer::analyzeImage(image);
        ASSERT_TRUE(colors);
        EXPECT_EQ(colors->backgroundColor(), UIColor::whiteColor());
        EXPECT_EQ(colors->textPrimaryColor(), UIColor::blackColor());
        EXPECT_EQ(colors->textSecondaryColor(), UIColor::grayColor());
    }
    // Nothing visible counts as no picture either.
    const auto clear = SKUIImageColorAnalyzer::analyzeImage(bands({{5, 0x00000000}}));
    EXPECT_EQ(clear->backgroundColor(), UIColor::whiteColor());
}

TEST(SKUIImageColorAnalyzer, OneColourFallsBackToWhiteOrBlackText) {
    const auto navy = SKUIImageColorAnalyzer::analyzeImage(bands({{4, 0xFF101040}}));
    expectColor(navy->backgroundColor(), rgb(0x10, 0x10, 0x40));
    EXPECT_EQ(navy->textPrimaryColor(), UIColor::whiteColor());
    EXPECT_EQ(navy->textSecondaryColor(), UIColor::whiteColor().colorWithAlphaComponent(0.7));

    const auto cream = SKUIImageColorAnalyzer::analyzeImage(bands({{4, 0xFFF0E8D0}}));
    EXPECT_EQ(cream->textPrimaryColor(), UIColor::blackColor());
    EXPECT_EQ(cream->textSecondaryColor(), UIColor::blackColor().colorWithAlphaComponent(0.7));
}

TEST(SKUIImageColorAnalyzer, PrimaryIsTheMostFrequentColourThatReads) {
    // Background black; dark grey is frequent but too close; yellow reads, and
    // so does the less frequent white, which becomes the secondary.
    const auto colors = SKUIImageColorAnalyzer::analyzeImage(
        bands({{50, 0xFF000000}, {25, 0xFF303030}, {15, 0xFFFFE000}, {10, 0xFFFFFFFF}}));
    expectColor(colors->backgroundColor(), rgb(0, 0, 0));
    expectColor(colors->textPrimaryColor(), rgb(0xFF, 0xE0, 0x00));
    expectColor(colors->textSecondaryColor(), rgb(0xFF, 0xFF, 0xFF));
}

TEST(SKUIImageColorAnalyzer, ThresholdsDecideBetweenImageColoursAndFallbacks) {
    // White on #777777 reaches 3 but not 4.5: black is the primary (it
    // contrasts more than white), white the secondary.
    const auto colors =
        SKUIImageColorAnalyzer::analyzeImage(bands({{80, 0xFF777777}, {20, 0xFFFFFFFF}}));
    expectColor(colors->backgroundColor(), rgb(0x77, 0x77, 0x77));
    EXPECT_EQ(colors->textPrimaryColor(), UIColor::blackColor());
    expectColor(colors->textSecondaryColor(), rgb(0xFF, 0xFF, 0xFF));
}

TEST(SKUIImageColorAnalyzer, RareColoursAndTransparentPixelsDoNotCount) {
    // One row in 200 is white: too rare to be chosen. The transparent half
    // does not make the background black.
    const auto colors = SKUIImageColorAnalyzer::analyzeImage(
        bands({{199, 0xFF800000}, {1, 0xFFFFFFFF}, {300, 0x00000000}}));
    expectColor(colors->backgroundColor(), rgb(0x80, 0, 0));
    EXPECT_EQ(colors->textPrimaryColor(), UIColor::whiteColor());
    EXPECT_EQ(colors->textSecondaryColor(), UIColor::whiteColor().colorWithAlphaComponent(0.7));
}

TEST(SKUIImageColorAnalyzer, PremultipliedPixelsAreReadAsTheirStraightColour) {
    // Red at alpha 0.8, stored premultiplied (204 of 204).
    const auto colors = SKUIImageColorAnalyzer::analyzeImage(bands({{4, 0xCCCC0000}}));
    expectColor(colors->backgroundColor(), rgb(255, 0, 0));
}

TEST(SKUIImageColorAnalyzer, LargeImagesAreSampled) {
    const auto colors =
        SKUIImageColorAnalyzer::analyzeImage(bands({{1500, 0xFF204060}, {500, 0xFFF0F0F0}}, 1000));
    expectColor(colors->backgroundColor(), rgb(0x20, 0x40, 0x60));
    expectColor(colors->textPrimaryColor(), rgb(0xF0, 0xF0, 0xF0));
}

} // namespace
