#include "imaging/CCColorCube.h"

#include "platform/graphics/CGImage.h"
#include "platform/uikit/UIImage.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

struct RGBA {
    uint8_t r, g, b, a;
};

// The same picture as RGBA bytes and as an image whose bitmap holds it (blue,
// green, red, alpha in memory, with padding at the end of every row).
struct Picture {
    std::vector<uint8_t> rgba;
    std::shared_ptr<UIImage> image;
};

Picture picture(size_t width, size_t height, const std::vector<RGBA>& pixels) {
    Picture result;
    const size_t bytesPerRow = width * 4 + 8;
    std::vector<uint8_t> bitmap(bytesPerRow * height, 0xEE);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const RGBA& p = pixels[i];
        result.rgba.insert(result.rgba.end(), {p.r, p.g, p.b, p.a});
        uint8_t* q = &bitmap[(i / width) * bytesPerRow + (i % width) * 4];
        q[0] = p.b;
        q[1] = p.g;
        q[2] = p.r;
        q[3] = p.a;
    }
    result.image = UIImage::imageWithCGImage(CGImage::create(
        width, height, bytesPerRow, std::move(bitmap), kCGImageAlphaPremultipliedFirst));
    return result;
}

Picture uniform(size_t width, size_t height, RGBA colour) {
    return picture(width, height, std::vector<RGBA>(width * height, colour));
}

std::shared_ptr<CCLocalMaximum> maximum(double red, double green, double blue,
                                        uint32_t hitCount = 1) {
    auto m = CCLocalMaximum::create();
    m->setRed(red);
    m->setGreen(green);
    m->setBlue(blue);
    m->setBrightness(std::max({red, green, blue}));
    m->setHitCount(hitCount);
    return m;
}

std::vector<uint32_t> cellsOf(const CCLocalMaximumList& maxima) {
    std::vector<uint32_t> cells;
    for (const auto& m : maxima)
        cells.push_back(m->cellIndex());
    return cells;
}

uint32_t cellOf(int ri, int gi, int bi) {
    return ri + gi * 30 + bi * 900;
}

TEST(CCColorCubeNeighbours, TableRunsZeroPlusMinusWithTheFirstOffsetSlowest) {
    const int order[3] = {0, 1, -1};
    int i = 0;
    for (int dr : order)
        for (int dg : order)
            for (int db : order) {
                EXPECT_EQ(neighbourIndices[i][0], dr) << i;
                EXPECT_EQ(neighbourIndices[i][1], dg) << i;
                EXPECT_EQ(neighbourIndices[i][2], db) << i;
                ++i;
            }
}

TEST(CCColorCubeHistogram, OneOpaqueColourGivesOneMaximumWithEveryPixel) {
    auto cube = CCColorCube::create();
    const Picture red = uniform(7, 5, {255, 0, 0, 255});
    auto maxima = cube->findLocalMaximaInImage(red.image, 0);
    ASSERT_TRUE(maxima);
    ASSERT_EQ(maxima->size(), 1u);
    const auto& m = *maxima->front();
    EXPECT_EQ(m.hitCount(), 35u);
    EXPECT_EQ(m.cellIndex(), 29u);
    EXPECT_EQ(m.red(), 1.0);
    EXPECT_EQ(m.green(), 0.0);
    EXPECT_EQ(m.blue(), 0.0);
    EXPECT_EQ(m.brightness(), 1.0);
}

TEST(CCColorCubeHistogram, FullLevelAloneReachesTheLastStep) {
    auto cube = CCColorCube::create();
    const Picture p = picture(3, 1, {{254, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 254, 255}});
    // Scan order: red slowest, then green, blue fastest; all counts equal.
    auto maxima = cube->findLocalMaximaInImage(p.image, 0);
    ASSERT_TRUE(maxima);
    EXPECT_EQ(cellsOf(*maxima),
              (std::vector<uint32_t>{cellOf(0, 0, 28), cellOf(0, 29, 0), cellOf(28, 0, 0)}));
}

TEST(CCColorCubeHistogram, TransparentPixelsCountAsBlackUnlessOnlyBrightCounts) {
    auto cube = CCColorCube::create();
    const Picture p =
        picture(4, 1, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {255, 255, 255, 255}});
    auto all = cube->findLocalMaximaInImage(p.image, 0);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 2u);
    EXPECT_EQ(all->front()->cellIndex(), 0u);
    EXPECT_EQ(all->front()->hitCount(), 3u);
    auto bright = cube->findLocalMaximaInImage(p.image, CCFlagBrightOnly);
    ASSERT_TRUE(bright);
    ASSERT_EQ(bright->size(), 1u);
    EXPECT_EQ(bright->front()->cellIndex(), cellOf(29, 29, 29));
}

TEST(CCColorCubeHistogram, BrightAndDarkThresholdsAreInclusiveAndExclusive) {
    auto cube = CCColorCube::create();
    // 153 / 255 is 0.6 (bright); 152 is below; 101 is below 0.4 (dark); 102 is 0.4.
    const Picture p = picture(
        4, 1, {{0, 153, 0, 255}, {152, 152, 152, 255}, {101, 101, 101, 255}, {0, 0, 102, 255}});
    auto bright = cube->findLocalMaximaInImage(p.image, CCFlagBrightOnly);
    ASSERT_TRUE(bright);
    ASSERT_EQ(bright->size(), 1u);
    EXPECT_EQ(bright->front()->green(), 153 / 255.0);
    auto dark = cube->findLocalMaximaInImage(p.image, CCFlagDarkOnly);
    ASSERT_TRUE(dark);
    ASSERT_EQ(dark->size(), 1u);
    EXPECT_EQ(dark->front()->red(), 101 / 255.0);
    // Both flags: only the bright test applies.
    auto both = cube->findLocalMaximaInImage(p.image, CCFlagBrightOnly | CCFlagDarkOnly);
    ASSERT_TRUE(both);
    EXPECT_EQ(cellsOf(*both), cellsOf(*bright));
}

TEST(CCColorCubeHistogram, EqualNeighboursAreBothMaximaInScanOrder) {
    auto cube = CCColorCube::create();
    // Cells (1, 0, 0) and (0, 0, 1) are diagonal neighbours with two pixels
    // each; the scan meets (0, 0, 1) first although its index is larger.
    const RGBA a{9, 0, 0, 255};
    const RGBA b{0, 0, 9, 255};
    const RGBA c{0, 200, 0, 255}; // step 22
    const Picture p = picture(5, 1, {a, b, a, b, c});
    auto maxima = cube->findLocalMaximaInImage(p.image, 0);
    ASSERT_TRUE(maxima);
    EXPECT_EQ(cellsOf(*maxima),
              (std::vector<uint32_t>{cellOf(0, 0, 1), cellOf(1, 0, 0), cellOf(0, 22, 0)}));
    EXPECT_EQ((*maxima)[0]->hitCount(), 2u);
    EXPECT_EQ((*maxima)[2]->hitCount(), 1u);
}

TEST(CCColorCubeHistogram, LargeImagesListEqualMaximaInScanOrderToo) {
    // Past a hundred thousand pixels the occupied cells are found by a look
    // at the whole cube rather than while counting; the order must not change.
    const RGBA a{9, 0, 0, 255};  // cell (1, 0, 0), index 1
    const RGBA b{0, 0, 9, 255};  // cell (0, 0, 1), index 900
    const RGBA c{0, 40, 0, 255}; // cell (0, 4, 0), index 120
    std::vector<RGBA> pixels;
    for (int i = 0; i < 60000; ++i)
        pixels.insert(pixels.end(), {a, b, c});
    const Picture p = picture(600, 300, pixels);
    auto cube = CCColorCube::create();
    auto maxima = cube->findLocalMaximaInImage(p.image, 0);
    ASSERT_TRUE(maxima);
    EXPECT_EQ(cellsOf(*maxima),
              (std::vector<uint32_t>{cellOf(0, 0, 1), cellOf(0, 4, 0), cellOf(1, 0, 0)}));
    EXPECT_EQ((*maxima)[0]->hitCount(), 60000u);
    // The same pixels counted while noting cells give the same list.
    auto fromBytes =
        cube->findLocalMaximaInImage(std::span<const uint8_t>(p.rgba).first(4 * 3 * 1000), 0);
    ASSERT_TRUE(fromBytes);
    EXPECT_EQ(cellsOf(*fromBytes), cellsOf(*maxima));
}

TEST(CCColorCubeHistogram, ANeighbourWithMorePixelsSuppressesACell) {
    auto cube = CCColorCube::create();
    const RGBA a{0, 0, 0, 255};
    const RGBA b{9, 9, 9, 255}; // cell (1, 1, 1), a diagonal neighbour of (0, 0, 0)
    const Picture p = picture(3, 1, {a, b, b});
    auto maxima = cube->findLocalMaximaInImage(p.image, 0);
    ASSERT_TRUE(maxima);
    EXPECT_EQ(cellsOf(*maxima), (std::vector<uint32_t>{cellOf(1, 1, 1)}));
}

TEST(CCColorCubeHistogram, MeansAreTheSumsOfComponentsOverTheCount) {
    std::mt19937 random(5);
    std::vector<RGBA> pixels(40 * 30);
    for (auto& p : pixels)
        p = {static_cast<uint8_t>(random() % 64), static_cast<uint8_t>(128 + random() % 64),
             static_cast<uint8_t>(random()), 255};
    const Picture p = picture(40, 30, pixels);
    auto cube = CCColorCube::create();
    auto maxima = cube->findLocalMaximaInImage(p.image, 0);
    ASSERT_TRUE(maxima);
    ASSERT_FALSE(maxima->empty());
    for (const auto& m : *maxima) {
        double red = 0, green = 0, blue = 0;
        uint32_t count = 0;
        for (const RGBA& q : pixels) {
            const uint32_t cell = static_cast<uint32_t>(q.r / 255.0 * 29.0) +
                                  static_cast<uint32_t>(q.g / 255.0 * 29.0) * 30 +
                                  static_cast<uint32_t>(q.b / 255.0 * 29.0) * 900;
            if (cell != m->cellIndex())
                continue;
            red += q.r / 255.0;
            green += q.g / 255.0;
            blue += q.b / 255.0;
            ++count;
        }
        EXPECT_EQ(m->hitCount(), count);
        EXPECT_NEAR(m->red(), red / count, 1e-12);
        EXPECT_NEAR(m->green(), green / count, 1e-12);
        EXPECT_NEAR(m->blue(), blue / count, 1e-12);
        EXPECT_EQ(m->brightness(), std::max({m->red(), m->green(), m->blue()}));
    }
    // Sorted by hit count, most first.
    for (size_t i = 1; i < maxima->size(); ++i)
        EXPECT_GE((*maxima)[i - 1]->hitCount(), (*maxima)[i]->hitCount());
}

TEST(CCColorCubeHistogram, EveryAnalysisStartsFromEmptyCells) {
    auto cube = CCColorCube::create();
    cube->findLocalMaximaInImage(uniform(4, 4, {0, 0, 255, 255}).image, 0);
    auto second = cube->findLocalMaximaInImage(uniform(2, 2, {255, 0, 0, 255}).image, 0);
    ASSERT_TRUE(second);
    ASSERT_EQ(second->size(), 1u);
    EXPECT_EQ(second->front()->hitCount(), 4u);
    EXPECT_EQ(cube->cells()[cellOf(0, 0, 29)].hitCount, 0u);
}

TEST(CCColorCubePixels, ImageBitmapIsReadAsRGBABytesAtItsOwnSize) {
    const Picture p = picture(3, 2,
                              {{1, 2, 3, 4},
                               {5, 6, 7, 8},
                               {9, 10, 11, 12},
                               {13, 14, 15, 16},
                               {17, 18, 19, 20},
                               {21, 22, 23, 24}});
    auto cube = CCColorCube::create();
    uint32_t count = 77;
    auto bytes = cube->rawPixelDataFromImage(p.image, &count);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.get(), bytes.get() + 24), p.rgba);

    // The bitmap and the same bytes given directly give the same maxima.
    auto fromImage = cube->findLocalMaximaInImage(p.image, 0);
    auto fromBytes = cube->findLocalMaximaInImage(std::span<const uint8_t>(p.rgba), 0);
    ASSERT_TRUE(fromImage && fromBytes);
    EXPECT_EQ(cellsOf(*fromImage), cellsOf(*fromBytes));
}

TEST(CCColorCubePixels, BitmapIsCountedAtItsPixelSizeWhateverTheImagesScale) {
    auto cube = CCColorCube::create();
    std::vector<uint8_t> bitmap(4 * 3 * 4, 0xFF);
    const CGImageRef pixels =
        CGImage::create(4, 3, 16, std::move(bitmap), kCGImageAlphaPremultipliedFirst);
    // Six by eight points at a third of a pixel each, turned on its side: still
    // twelve pixels, counted as stored.
    const auto turned = UIImage::imageWithCGImage(pixels, 0.5, UIImageOrientationLeft);
    auto maxima = cube->findLocalMaximaInImage(turned, 0);
    ASSERT_TRUE(maxima);
    ASSERT_EQ(maxima->size(), 1u);
    EXPECT_EQ(maxima->front()->hitCount(), 12u);
    uint32_t count = 0;
    EXPECT_TRUE(cube->rawPixelDataFromImage(turned, &count));
    EXPECT_EQ(count, 12u);
}

TEST(CCColorCubePixels, NoBitmapGivesNoListAndEmptyColours) {
    auto cube = CCColorCube::create();
    const auto withoutBitmap = UIImage::imageWithSize({10, 10});
    uint32_t count = 77;
    EXPECT_FALSE(cube->rawPixelDataFromImage(withoutBitmap, &count));
    EXPECT_EQ(count, 77u);
    EXPECT_FALSE(cube->findLocalMaximaInImage(withoutBitmap, 0));
    EXPECT_FALSE(cube->findLocalMaximaInImage(std::shared_ptr<UIImage>(), 0));
    EXPECT_FALSE(cube->findAndSortMaximaInImage(withoutBitmap, CCFlagDistinct));
    EXPECT_FALSE(cube->extractAndFilterMaximaFromImage(withoutBitmap, CCFlagDistinct));
    // After a colour filter the missing list is an empty one.
    auto filtered = cube->extractAndFilterMaximaFromImage(withoutBitmap, CCFlagAvoidBlack);
    ASSERT_TRUE(filtered);
    EXPECT_TRUE(filtered->empty());
    EXPECT_TRUE(cube->extractColorsFromImage(withoutBitmap, 0).empty());
    EXPECT_TRUE(cube->extractColorsFromImage(withoutBitmap, 0, 3ul).empty());
    EXPECT_TRUE(cube->extractBrightColorsFromImage(withoutBitmap, UIColor::redColor(), 3).empty());
    EXPECT_TRUE(cube->extractDarkColorsFromImage(nullptr, std::nullopt, 3).empty());
}

TEST(CCColorCubePixels, TinyAndEmptyPixelBuffers) {
    auto cube = CCColorCube::create();
    const Picture one = uniform(1, 1, {10, 200, 30, 255});
    auto colours = cube->extractColorsFromImage(one.image, 0);
    ASSERT_EQ(colours.size(), 1u);
    EXPECT_EQ(colours.front(), UIColor::colorWithRed(10 / 255.0, 200 / 255.0, 30 / 255.0, 1.0));
    auto none = cube->findLocalMaximaInImage(std::span<const uint8_t>(), 0);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
    // A trailing partial pixel is not a pixel.
    const std::vector<uint8_t> ragged{255, 0, 0, 255, 1, 2};
    auto maxima = cube->findLocalMaximaInImage(std::span<const uint8_t>(ragged), 0);
    ASSERT_TRUE(maxima);
    ASSERT_EQ(maxima->size(), 1u);
    EXPECT_EQ(maxima->front()->hitCount(), 1u);
}

TEST(CCColorCubeFilters, DistinctFilterComparesWithDroppedMaximaToo) {
    auto cube = CCColorCube::create();
    // b is close to a and dropped; c is far from a but close to the dropped b.
    auto a = maximum(0, 0, 0);
    auto b = maximum(0.15, 0, 0);
    auto c = maximum(0.3, 0, 0);
    auto d = maximum(0, 0.5, 0);
    const CCLocalMaximumList input{a, b, c, d};
    EXPECT_EQ(cube->filterDistinctMaxima(input, 0.2), (CCLocalMaximumList{a, d}));
    EXPECT_EQ(input.size(), 4u);
}

// The filter as stated: each maximum against every earlier one of the input.
CCLocalMaximumList distinctByDefinition(const CCLocalMaximumList& maxima, double threshold) {
    CCLocalMaximumList kept;
    for (size_t i = 0; i < maxima.size(); ++i) {
        bool distinct = true;
        for (size_t j = 0; j < i && distinct; ++j) {
            const double dr = maxima[i]->red() - maxima[j]->red();
            const double dg = maxima[i]->green() - maxima[j]->green();
            const double db = maxima[i]->blue() - maxima[j]->blue();
            distinct = !(std::sqrt(dr * dr + dg * dg + db * db) < threshold);
        }
        if (distinct)
            kept.push_back(maxima[i]);
    }
    return kept;
}

TEST(CCColorCubeFilters, LongListsFilterExactlyAsEveryPairCompared) {
    auto cube = CCColorCube::create();
    std::mt19937 random(17);
    // Points on a lattice of twentieths, so that many distances equal a
    // threshold exactly or sit on the edge of a bucket, and points anywhere.
    CCLocalMaximumList lattice, anywhere;
    for (int i = 0; i < 600; ++i) {
        lattice.push_back(
            maximum((random() % 21) / 20.0, (random() % 21) / 20.0, (random() % 21) / 20.0));
        anywhere.push_back(maximum(std::generate_canonical<double, 53>(random),
                                   std::generate_canonical<double, 53>(random),
                                   std::generate_canonical<double, 53>(random)));
    }
    for (double threshold :
         {0.01, 0.05, 0.1, 0.15000000000000002, 0.2, 0.25, 0.35, 0.55, 1.0, 2.0}) {
        EXPECT_EQ(cube->filterDistinctMaxima(lattice, threshold),
                  distinctByDefinition(lattice, threshold))
            << threshold;
        EXPECT_EQ(cube->filterDistinctMaxima(anywhere, threshold),
                  distinctByDefinition(anywhere, threshold))
            << threshold;
    }
    // Thresholds that nothing is below keep everything.
    EXPECT_EQ(cube->filterDistinctMaxima(lattice, 0.0), lattice);
    EXPECT_EQ(cube->filterDistinctMaxima(lattice, NAN), lattice);
}

TEST(CCColorCubeFilters, DistancesExactlyAtTheThresholdKeep) {
    auto cube = CCColorCube::create();
    auto a = maximum(0, 0, 0);
    auto b = maximum(0.5, 0, 0);
    EXPECT_EQ(cube->filterDistinctMaxima({a, b}, 0.5), (CCLocalMaximumList{a, b}));
    EXPECT_EQ(cube->filterDistinctMaxima({a, b}, std::nextafter(0.5, 1.0)),
              (CCLocalMaximumList{a}));

    auto nearBlack = maximum(0, 0, std::nextafter(0.5, 0.0));
    EXPECT_EQ(cube->filterMaxima({b, nearBlack}, UIColor::colorWithRed(0, 0, 0, 1)),
              (CCLocalMaximumList{b}));
    auto nearWhite = maximum(1, 1, 0.5);
    EXPECT_EQ(cube->filterMaxima({nearWhite}, UIColor::colorWithRed(1, 1, 1, 1)),
              (CCLocalMaximumList{nearWhite}));
}

TEST(CCColorCubeFilters, GreyColoursCannotBeComparedAndFilterNothing) {
    auto cube = CCColorCube::create();
    auto black = maximum(0, 0, 0);
    EXPECT_EQ(cube->filterMaxima({black}, UIColor::blackColor()), (CCLocalMaximumList{black}));
}

TEST(CCColorCubeOrder, BrightnessOrdersKeepTiesInTheirOrder) {
    auto cube = CCColorCube::create();
    auto dim = maximum(0.2, 0.1, 0);
    auto mid1 = maximum(0.5, 0, 0);
    auto mid2 = maximum(0, 0.5, 0.1);
    auto top = maximum(0, 0, 0.9);
    const CCLocalMaximumList input{mid1, dim, top, mid2};
    EXPECT_EQ(cube->orderByBrightness(input), (CCLocalMaximumList{top, mid1, mid2, dim}));
    EXPECT_EQ(cube->orderByDarkness(input), (CCLocalMaximumList{dim, mid1, mid2, top}));
    EXPECT_EQ(input, (CCLocalMaximumList{mid1, dim, top, mid2}));
}

TEST(CCColorCubeOrder, FlagsChooseTheOrderBrightFirstWinning) {
    auto cube = CCColorCube::create();
    // Most pixels dark grey, fewer white, fewest mid grey.
    std::vector<RGBA> pixels(6, RGBA{40, 40, 40, 255});
    pixels.insert(pixels.end(), 4, RGBA{255, 255, 255, 255});
    pixels.insert(pixels.end(), 2, RGBA{128, 128, 128, 255});
    const Picture p = picture(12, 1, pixels);
    const uint32_t dark = cellOf(4, 4, 4), white = cellOf(29, 29, 29), mid = cellOf(14, 14, 14);
    EXPECT_EQ(cellsOf(*cube->findAndSortMaximaInImage(p.image, 0)),
              (std::vector<uint32_t>{dark, white, mid}));
    EXPECT_EQ(cellsOf(*cube->findAndSortMaximaInImage(p.image, CCFlagOrderBrightFirst)),
              (std::vector<uint32_t>{white, mid, dark}));
    EXPECT_EQ(cellsOf(*cube->findAndSortMaximaInImage(p.image, CCFlagOrderDarkFirst)),
              (std::vector<uint32_t>{dark, mid, white}));
    EXPECT_EQ(cellsOf(*cube->findAndSortMaximaInImage(p.image, CCFlagOrderBrightFirst |
                                                                   CCFlagOrderDarkFirst)),
              (std::vector<uint32_t>{white, mid, dark}));
}

TEST(CCColorCubeFilters, DistinctFlagKeepsTheMoreFrequentOfTwoCloseColours) {
    auto cube = CCColorCube::create();
    std::vector<RGBA> pixels(2, RGBA{200, 0, 0, 255});
    pixels.insert(pixels.end(), 5, RGBA{230, 0, 0, 255});
    pixels.insert(pixels.end(), 1, RGBA{0, 0, 255, 255});
    const Picture p = picture(8, 1, pixels);
    auto maxima = cube->findAndSortMaximaInImage(p.image, CCFlagDistinct);
    ASSERT_TRUE(maxima);
    ASSERT_EQ(maxima->size(), 2u);
    EXPECT_DOUBLE_EQ((*maxima)[0]->red(), 230 / 255.0);
    EXPECT_EQ((*maxima)[1]->blue(), 1.0);
}

TEST(CCColorCubeFilters, AvoidFlagsDropColoursNearBlackAndWhite) {
    auto cube = CCColorCube::create();
    std::vector<RGBA> pixels(3, RGBA{10, 10, 10, 255});
    pixels.insert(pixels.end(), 2, RGBA{250, 250, 250, 255});
    pixels.insert(pixels.end(), 1, RGBA{255, 0, 0, 255});
    const Picture p = picture(6, 1, pixels);
    EXPECT_EQ(cube->extractColorsFromImage(p.image, 0).size(), 3u);
    EXPECT_EQ(cube->extractColorsFromImage(p.image, CCFlagAvoidBlack).size(), 2u);
    const auto colours = cube->extractColorsFromImage(p.image, CCFlagAvoidBlack | CCFlagAvoidWhite);
    ASSERT_EQ(colours.size(), 1u);
    EXPECT_EQ(colours.front(), UIColor::colorWithRed(1, 0, 0, 1));

    // The avoid colour of the entry point filters after the flags.
    const auto avoided =
        cube->extractColorsFromImage(p.image, CCFlagAvoidBlack, UIColor::colorWithRed(1, 0, 0, 1));
    ASSERT_EQ(avoided.size(), 1u);
    EXPECT_EQ(avoided.front().red(), 250 / 255.0);
    EXPECT_EQ(cube->extractColorsFromImage(p.image, 0, UIColorRef{}).size(), 3u);
    EXPECT_EQ(cube->extractColorsFromImage(p.image, 0, UIColor::blackColor()).size(), 3u);
}

TEST(CCColorCubeAdaptive, ShortListsComeBackUnchanged) {
    auto cube = CCColorCube::create();
    auto a = maximum(0, 0, 0);
    auto b = maximum(0.01, 0, 0);
    EXPECT_EQ(cube->performAdaptiveDistinctFilteringForMaxima({a, b}, 2),
              (CCLocalMaximumList{a, b}));
    EXPECT_EQ(cube->performAdaptiveDistinctFilteringForMaxima({a, b}, 5),
              (CCLocalMaximumList{a, b}));
    EXPECT_TRUE(cube->performAdaptiveDistinctFilteringForMaxima({a, b}, 0).empty());
}

TEST(CCColorCubeAdaptive, TakesTheListFromBeforeThePassThatLeftTooFew) {
    auto cube = CCColorCube::create();
    // 0.12 apart: the 0.1 pass keeps all nine, the 0.15 pass only the first,
    // so the nine are trimmed to the count.
    CCLocalMaximumList line;
    for (int i = 0; i < 9; ++i)
        line.push_back(maximum(0.12 * i, 0, 0));
    const CCLocalMaximumList result = cube->performAdaptiveDistinctFilteringForMaxima(line, 4);
    EXPECT_EQ(result, (CCLocalMaximumList{line[0], line[1], line[2], line[3]}));
}

TEST(CCColorCubeAdaptive, AfterTenPassesTakesTheLastFilteredList) {
    auto cube = CCColorCube::create();
    CCLocalMaximumList corners;
    for (int i = 0; i < 8; ++i)
        corners.push_back(maximum(i & 1, (i >> 1) & 1, (i >> 2) & 1));
    corners.insert(corners.begin() + 1, maximum(0, 0, 0.5)); // dropped from 0.55 on
    const CCLocalMaximumList result = cube->performAdaptiveDistinctFilteringForMaxima(corners, 3);
    EXPECT_EQ(result, (CCLocalMaximumList{corners[0], corners[2], corners[3]}));
}

TEST(CCColorCubeAdaptive, ThresholdsAreSummedInDoublePrecision) {
    auto cube = CCColorCube::create();
    // The seventh pass uses 0.1 + 0.05 * 6 summed step by step,
    // 0.39999999999999997, which keeps b at exactly that distance from a
    // (0.4 would drop it and stop there with d still in the list).
    const double seventh = 0.39999999999999997;
    auto a = maximum(0, 0, 0);
    auto d = maximum(0, 0, 0.38);
    auto b = maximum(seventh, 0, 0);
    auto c = maximum(0, 1, 0);
    const CCLocalMaximumList result =
        cube->performAdaptiveDistinctFilteringForMaxima({a, d, b, c}, 2);
    EXPECT_EQ(result, (CCLocalMaximumList{a, b}));
}

TEST(CCColorCubeEntryPoints, CountedVariantsReturnExactlyTheCount) {
    std::mt19937 random(9);
    std::vector<RGBA> pixels(64 * 64);
    for (auto& p : pixels)
        p = {static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
             static_cast<uint8_t>(random()), 255};
    const Picture p = picture(64, 64, pixels);
    auto cube = CCColorCube::create();
    EXPECT_EQ(cube->extractColorsFromImage(p.image, CCFlagDistinct, 5ul).size(), 5u);
    const auto bright = cube->extractBrightColorsFromImage(p.image, std::nullopt, 4);
    ASSERT_EQ(bright.size(), 4u);
    for (const UIColor& c : bright) {
        EXPECT_EQ(c.alpha(), 1.0);
        EXPECT_GE(std::max({c.red(), c.green(), c.blue()}), 0.6);
    }
    const auto dark =
        cube->extractDarkColorsFromImage(p.image, UIColor::colorWithRed(0, 0, 0, 1), 4);
    ASSERT_EQ(dark.size(), 4u);
    for (const UIColor& c : dark) {
        EXPECT_LT(std::max({c.red(), c.green(), c.blue()}), 0.4);
        EXPECT_GE(std::sqrt(c.red() * c.red() + c.green() * c.green() + c.blue() * c.blue()), 0.5);
    }
}

TEST(CCColorCubeEntryPoints, VariantsWithoutAnAvoidColourFilterNoColour) {
    auto cube = CCColorCube::create();
    // Black and white are the most frequent colours; neither is filtered when
    // no avoid colour is given, though a filter with either would drop it.
    std::vector<RGBA> pixels(5, RGBA{0, 0, 0, 255});
    pixels.insert(pixels.end(), 4, RGBA{255, 255, 255, 255});
    pixels.insert(pixels.end(), 2, RGBA{60, 0, 0, 255});
    pixels.insert(pixels.end(), 2, RGBA{200, 200, 0, 255});
    const Picture p = picture(13, 1, pixels);
    const auto dark = cube->extractDarkColorsFromImage(p.image, std::nullopt, 5);
    ASSERT_EQ(dark.size(), 2u);
    EXPECT_EQ(dark[0], UIColor::colorWithRed(0, 0, 0, 1));
    const auto bright = cube->extractBrightColorsFromImage(p.image, std::nullopt, 5);
    ASSERT_EQ(bright.size(), 2u);
    EXPECT_EQ(bright[0], UIColor::colorWithRed(1, 1, 1, 1));
    // With the colour given, it goes.
    const auto avoided =
        cube->extractDarkColorsFromImage(p.image, UIColor::colorWithRed(0, 0, 0, 1), 5);
    ASSERT_EQ(avoided.size(), 0u);
}

TEST(CCColorCubeEntryPoints, BrightAndDarkVariantsKeepHitCountOrder) {
    auto cube = CCColorCube::create();
    std::vector<RGBA> pixels(2, RGBA{255, 255, 255, 255});
    pixels.insert(pixels.end(), 3, RGBA{200, 0, 0, 255});
    pixels.insert(pixels.end(), 1, RGBA{0, 0, 220, 255});
    const Picture p = picture(6, 1, pixels);
    const auto colours = cube->extractBrightColorsFromImage(p.image, std::nullopt, 5);
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_DOUBLE_EQ(colours[0].red(), 200 / 255.0);
    EXPECT_EQ(colours[1].red(), 1.0);
    EXPECT_EQ(colours[2].blue(), 220 / 255.0);
}

} // namespace
