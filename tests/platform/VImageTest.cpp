#include "platform/accelerate/vImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// An image in its own memory, with optional padding at the end of each row.
struct Image {
    long width = 0;
    long height = 0;
    size_t rowBytes = 0;
    std::vector<uint8_t> bytes;

    Image(long w, long h, size_t padding = 0)
        : width(w), height(h), rowBytes(w * 4 + padding), bytes(std::max<size_t>(1, rowBytes * h)) {
    }

    uint8_t& at(long x, long y, int channel) { return bytes[y * rowBytes + x * 4 + channel]; }
    uint8_t at(long x, long y, int channel) const { return bytes[y * rowBytes + x * 4 + channel]; }
    vImage_Buffer buffer() {
        return {bytes.data(), static_cast<vImagePixelCount>(height),
                static_cast<vImagePixelCount>(width), rowBytes};
    }
};

Image randomImage(long width, long height, unsigned seed, size_t padding = 0) {
    Image image(width, height, padding);
    std::mt19937 random(seed);
    for (auto& byte : image.bytes)
        byte = static_cast<uint8_t>(random());
    return image;
}

// The exact rounded means of every box, by definition: the sum of every
// pixel of the box, coordinates outside the image clamped to its edge. The
// sums go row by row so that even very large boxes stay quick.
std::vector<uint8_t> exactBoxMeans(const Image& src, long width, long height, long offsetX,
                                   long offsetY, long kernelHeight, long kernelWidth) {
    std::vector<uint64_t> rowSums(src.height * width * 4);
    for (long y = 0; y < src.height; ++y)
        for (long x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                uint64_t sum = 0;
                for (long dx = -kernelWidth / 2; dx <= kernelWidth / 2; ++dx)
                    sum += src.at(std::clamp(offsetX + x + dx, 0L, src.width - 1), y, c);
                rowSums[(y * width + x) * 4 + c] = sum;
            }
    const uint64_t area = kernelHeight * kernelWidth;
    std::vector<uint8_t> means(height * width * 4);
    for (long y = 0; y < height; ++y)
        for (long i = 0; i < width * 4; ++i) {
            uint64_t sum = 0;
            for (long dy = -kernelHeight / 2; dy <= kernelHeight / 2; ++dy)
                sum += rowSums[std::clamp(offsetY + y + dy, 0L, src.height - 1) * width * 4 + i];
            means[y * width * 4 + i] = static_cast<uint8_t>((sum + area / 2) / area);
        }
    return means;
}

// Largest difference between the convolution's result and the exact means.
int worstError(Image& src, Image& dest, long kernelHeight, long kernelWidth, long offsetX = 0,
               long offsetY = 0) {
    vImage_Buffer in = src.buffer();
    vImage_Buffer out = dest.buffer();
    EXPECT_EQ(vImageBoxConvolve_ARGB8888(&in, &out, nullptr, offsetX, offsetY, kernelHeight,
                                         kernelWidth, nullptr, kvImageEdgeExtend),
              kvImageNoError);
    const std::vector<uint8_t> exact =
        exactBoxMeans(src, dest.width, dest.height, offsetX, offsetY, kernelHeight, kernelWidth);
    int worst = 0;
    for (long y = 0; y < dest.height; ++y)
        for (long x = 0; x < dest.width; ++x)
            for (int c = 0; c < 4; ++c)
                worst = std::max(worst,
                                 std::abs(dest.at(x, y, c) - exact[(y * dest.width + x) * 4 + c]));
    return worst;
}

TEST(VImageBoxConvolve, MatchesExactMeansForBoxesUpToThePlayersSize) {
    // Sizes chosen so that groups of four rows and four columns end partly
    // filled, and boxes both smaller and larger than the image.
    const long sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {2, 3}, {5, 7}, {13, 6}, {37, 23}};
    for (auto [width, height] : sizes) {
        for (long kernel : {1L, 3L, 5L, 19L, 57L}) {
            Image src = randomImage(width, height, static_cast<unsigned>(width * 131 + kernel));
            Image dest(width, height);
            EXPECT_EQ(worstError(src, dest, kernel, kernel), 0)
                << width << "x" << height << " box " << kernel;
        }
    }
}

TEST(VImageBoxConvolve, MatchesExactMeansAtThePlayersBackgroundSize) {
    // The blurred background is 150 pixels a side, blurred with boxes of 19
    // (scale 1) and 57 (scale 2); padding as image contexts may have.
    for (long kernel : {19L, 57L}) {
        Image src = randomImage(150, 150, static_cast<unsigned>(kernel), 32);
        Image dest(150, 150, 32);
        EXPECT_EQ(worstError(src, dest, kernel, kernel), 0) << kernel;
    }
}

TEST(VImageBoxConvolve, StaysWithinOneLevelForLargeAndWideBoxes) {
    Image src = randomImage(21, 17, 7);
    for (auto [kh, kw] : {std::pair{255L, 255L}, {257L, 3L}, {3L, 301L}, {401L, 401L}}) {
        Image dest(21, 17);
        EXPECT_LE(worstError(src, dest, kh, kw), 1) << kh << "x" << kw;
    }
}

TEST(VImageBoxConvolve, NonSquareBoxesUseEachSideForItsAxis) {
    Image src = randomImage(30, 20, 3);
    Image dest(30, 20);
    EXPECT_EQ(worstError(src, dest, 3, 9), 0);
    EXPECT_EQ(worstError(src, dest, 11, 1), 0);
}

TEST(VImageBoxConvolve, ExtendsEdgesInsteadOfDarkening) {
    // One row: 0 0 0 255. The last pixel's box is (0, 255, 255 repeated).
    Image src(4, 1);
    src.at(3, 0, 0) = 255;
    src.at(3, 0, 3) = 255;
    Image dest(4, 1);
    vImage_Buffer in = src.buffer();
    vImage_Buffer out = dest.buffer();
    ASSERT_EQ(
        vImageBoxConvolve_ARGB8888(&in, &out, nullptr, 0, 0, 1, 3, nullptr, kvImageEdgeExtend),
        kvImageNoError);
    EXPECT_EQ(dest.at(0, 0, 0), 0);
    EXPECT_EQ(dest.at(1, 0, 0), 0);
    EXPECT_EQ(dest.at(2, 0, 0), 85);
    EXPECT_EQ(dest.at(3, 0, 0), 170);
    EXPECT_EQ(dest.at(3, 0, 3), 170);
    EXPECT_EQ(dest.at(3, 0, 1), 0);

    // A uniform image stays uniform under any box, however far it reaches.
    Image flat(6, 5);
    std::fill(flat.bytes.begin(), flat.bytes.end(), 200);
    Image blurred(6, 5);
    in = flat.buffer();
    out = blurred.buffer();
    ASSERT_EQ(
        vImageBoxConvolve_ARGB8888(&in, &out, nullptr, 0, 0, 75, 75, nullptr, kvImageEdgeExtend),
        kvImageNoError);
    EXPECT_TRUE(std::all_of(blurred.bytes.begin(), blurred.bytes.end(),
                            [](uint8_t b) { return b == 200; }));
}

TEST(VImageBoxConvolve, ReadsTheRegionAtTheOffsetAndLeavesRowPaddingAlone) {
    Image src = randomImage(40, 30, 11, 12);
    Image dest(17, 9, 8);
    std::fill(dest.bytes.begin(), dest.bytes.end(), 0xAB);
    EXPECT_EQ(worstError(src, dest, 19, 19, 20, 19), 0);
    for (long y = 0; y < dest.height; ++y)
        for (size_t i = dest.width * 4; i < dest.rowBytes; ++i)
            EXPECT_EQ(dest.bytes[y * dest.rowBytes + i], 0xAB);

    // A wide box whose reach ends inside the source on both sides.
    Image wideSource = randomImage(330, 3, 12);
    Image small(5, 3);
    EXPECT_LE(worstError(wideSource, small, 3, 257, 100, 0), 1);
}

TEST(VImageBoxConvolve, InPlaceGivesTheSameResultAsTwoBuffers) {
    Image src = randomImage(23, 19, 5);
    Image separate(23, 19);
    vImage_Buffer in = src.buffer();
    vImage_Buffer out = separate.buffer();
    ASSERT_EQ(
        vImageBoxConvolve_ARGB8888(&in, &out, nullptr, 0, 0, 5, 5, nullptr, kvImageEdgeExtend),
        kvImageNoError);
    ASSERT_EQ(vImageBoxConvolve_ARGB8888(&in, &in, nullptr, 0, 0, 5, 5, nullptr, kvImageEdgeExtend),
              kvImageNoError);
    EXPECT_EQ(src.bytes, separate.bytes);
}

TEST(VImageBoxConvolve, RejectsEvenZeroAndOversizedKernels) {
    Image src = randomImage(8, 8, 1);
    Image dest(8, 8);
    const std::vector<uint8_t> before = dest.bytes;
    vImage_Buffer in = src.buffer();
    vImage_Buffer out = dest.buffer();
    for (auto [kh, kw] : {std::pair{0u, 3u}, {3u, 0u}, {2u, 3u}, {3u, 56u}, {65537u, 3u}})
        EXPECT_EQ(vImageBoxConvolve_ARGB8888(&in, &out, nullptr, 0, 0, kh, kw, nullptr,
                                             kvImageEdgeExtend),
                  kvImageInvalidKernelSize)
            << kh << "x" << kw;
    EXPECT_EQ(dest.bytes, before);
}

TEST(VImageBoxConvolve, RejectsBadArguments) {
    Image src = randomImage(8, 8, 1);
    Image dest(8, 8);
    Image wide(9, 8);
    vImage_Buffer in = src.buffer();
    vImage_Buffer out = dest.buffer();
    vImage_Buffer tooWide = wide.buffer();
    vImage_Buffer empty{nullptr, 8, 8, 32};
    EXPECT_EQ(
        vImageBoxConvolve_ARGB8888(nullptr, &out, nullptr, 0, 0, 3, 3, nullptr, kvImageEdgeExtend),
        kvImageNullPointerArgument);
    EXPECT_EQ(
        vImageBoxConvolve_ARGB8888(&in, &empty, nullptr, 0, 0, 3, 3, nullptr, kvImageEdgeExtend),
        kvImageNullPointerArgument);
    EXPECT_EQ(vImageBoxConvolve_ARGB8888(&in, &out, nullptr, 0, 0, 3, 3, nullptr, kvImageNoFlags),
              kvImageInvalidEdgeStyle);
    EXPECT_EQ(vImageBoxConvolve_ARGB8888(&in, &out, nullptr, 0, 0, 3, 3, nullptr,
                                         kvImageEdgeExtend | kvImageBackgroundColorFill),
              kvImageInvalidEdgeStyle);
    EXPECT_EQ(vImageBoxConvolve_ARGB8888(&in, &out, nullptr, 0, 0, 3, 3, nullptr,
                                         kvImageEdgeExtend | 0x10000),
              kvImageUnknownFlagsBit);
    EXPECT_EQ(
        vImageBoxConvolve_ARGB8888(&in, &tooWide, nullptr, 0, 0, 3, 3, nullptr, kvImageEdgeExtend),
        kvImageRoiLargerThanInputBuffer);
    EXPECT_EQ(
        vImageBoxConvolve_ARGB8888(&in, &out, nullptr, 1, 0, 3, 3, nullptr, kvImageEdgeExtend),
        kvImageRoiLargerThanInputBuffer);
    vImage_Buffer shortRows{src.bytes.data(), 8, 8, 31};
    EXPECT_EQ(vImageBoxConvolve_ARGB8888(&shortRows, &out, nullptr, 0, 0, 3, 3, nullptr,
                                         kvImageEdgeExtend),
              kvImageInvalidParameter);
}

struct Pixel {
    uint8_t c[4];
};

Pixel multiplyOne(Pixel p, const int16_t matrix[16], int32_t divisor,
                  const int16_t* preBias = nullptr, const int32_t* postBias = nullptr) {
    Image src(1, 1);
    std::copy(p.c, p.c + 4, src.bytes.begin());
    Image dest(1, 1);
    vImage_Buffer in = src.buffer();
    vImage_Buffer out = dest.buffer();
    EXPECT_EQ(vImageMatrixMultiply_ARGB8888(&in, &out, matrix, divisor, preBias, postBias,
                                            kvImageNoFlags),
              kvImageNoError);
    return {{dest.bytes[0], dest.bytes[1], dest.bytes[2], dest.bytes[3]}};
}

TEST(VImageMatrixMultiply, RowsAreSourceChannelsAndColumnsDestinationChannels) {
    // Channel 0 feeds destination 1, channel 1 feeds 2, channel 2 feeds 0.
    const int16_t rotate[16] = {0, 256, 0, 0, 0, 0, 256, 0, 256, 0, 0, 0, 0, 0, 0, 256};
    const Pixel p = multiplyOne({{10, 20, 30, 40}}, rotate, 256);
    EXPECT_EQ(p.c[0], 30);
    EXPECT_EQ(p.c[1], 10);
    EXPECT_EQ(p.c[2], 20);
    EXPECT_EQ(p.c[3], 40);
}

TEST(VImageMatrixMultiply, ClampsBelowZeroAndAboveFullLevel) {
    const int16_t matrix[16] = {512, -256, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 256};
    const Pixel p = multiplyOne({{200, 7, 9, 255}}, matrix, 256);
    EXPECT_EQ(p.c[0], 255); // 400
    EXPECT_EQ(p.c[1], 0);   // -200
    EXPECT_EQ(p.c[2], 0);
    EXPECT_EQ(p.c[3], 255);

    // Large coefficients whose products only fit 64 bits still clamp rather than wrap.
    const int16_t huge[16] = {32767, -32768, 0, 0, 32767, -32768, 0, 0,
                              32767, -32768, 0, 0, 32767, -32768, 0, 0};
    const int16_t preBias[4] = {32767, 32767, 32767, 32767};
    const int32_t postBias[4] = {0, 0, 0, 0};
    const Pixel q = multiplyOne({{255, 255, 255, 255}}, huge, 1, preBias, postBias);
    EXPECT_EQ(q.c[0], 255);
    EXPECT_EQ(q.c[1], 0);
}

TEST(VImageMatrixMultiply, AppliesBiasesAndAnyDivisor) {
    const int16_t identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const int16_t preBias[4] = {10, -10, 0, 0};
    const int32_t postBias[4] = {0, 0, 6, -3};
    const Pixel p = multiplyOne({{100, 100, 100, 100}}, identity, 3, preBias, postBias);
    EXPECT_EQ(p.c[0], 36); // 110 / 3
    EXPECT_EQ(p.c[1], 30); // 90 / 3
    EXPECT_EQ(p.c[2], 35); // 106 / 3
    EXPECT_EQ(p.c[3], 32); // 97 / 3
}

TEST(VImageMatrixMultiply, EveryPixelOfARowIsConverted) {
    // Widths around the four-pixel step, with a matrix that turns pixels grey.
    const int16_t grey[16] = {18, 18, 18, 0, 183, 183, 183, 0, 54, 54, 54, 0, 0, 0, 0, 256};
    for (long width : {1L, 3L, 4L, 5L, 11L}) {
        Image src = randomImage(width, 3, static_cast<unsigned>(width), 4);
        Image dest(width, 3, 4);
        vImage_Buffer in = src.buffer();
        vImage_Buffer out = dest.buffer();
        ASSERT_EQ(
            vImageMatrixMultiply_ARGB8888(&in, &out, grey, 256, nullptr, nullptr, kvImageNoFlags),
            kvImageNoError);
        for (long y = 0; y < 3; ++y) {
            for (long x = 0; x < width; ++x) {
                const int expected =
                    (src.at(x, y, 0) * 18 + src.at(x, y, 1) * 183 + src.at(x, y, 2) * 54) >> 8;
                EXPECT_EQ(dest.at(x, y, 0), expected);
                EXPECT_EQ(dest.at(x, y, 1), expected);
                EXPECT_EQ(dest.at(x, y, 2), expected);
                EXPECT_EQ(dest.at(x, y, 3), src.at(x, y, 3));
            }
        }
    }
}

TEST(VImageMatrixMultiply, RejectsBadArguments) {
    const int16_t identity[16] = {256, 0, 0, 0, 0, 256, 0, 0, 0, 0, 256, 0, 0, 0, 0, 256};
    Image src(4, 4);
    Image dest(4, 3);
    vImage_Buffer in = src.buffer();
    vImage_Buffer out = dest.buffer();
    EXPECT_EQ(
        vImageMatrixMultiply_ARGB8888(&in, &out, identity, 256, nullptr, nullptr, kvImageNoFlags),
        kvImageBufferSizeMismatch);
    EXPECT_EQ(
        vImageMatrixMultiply_ARGB8888(&in, &in, identity, 0, nullptr, nullptr, kvImageNoFlags),
        kvImageInvalidParameter);
    EXPECT_EQ(
        vImageMatrixMultiply_ARGB8888(&in, &in, nullptr, 256, nullptr, nullptr, kvImageNoFlags),
        kvImageNullPointerArgument);
}

} // namespace
