#include "platform/uikit/UIImage.h"

#include "platform/GraphicsTestSupport.h"
#include "platform/device/DeviceRoot.h"
#include "platform/graphics/CGImageIO.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIScreenScale.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <png.h>
#include <random>
#include <turbojpeg.h>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Straight-alpha pixels in libpng's simplified formats (PNG_FORMAT_RGBA etc.).
Bytes encodePNG(std::uint32_t width, std::uint32_t height, std::uint32_t format,
                const Bytes& pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
    out.resize(size);
    return out;
}

Bytes encodeJPEG(int width, int height, Pixel colour, bool pattern = false) {
    Bytes rgb(std::size_t(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
            p[0] = std::uint8_t(pattern ? x * 16 : colour.r);
            p[1] = std::uint8_t(pattern ? y * 16 : colour.g);
            p[2] = std::uint8_t(pattern ? (x ^ y) * 16 : colour.b);
        }
    }
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_444,
                          95, 0),
              0);
    Bytes out(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(handle);
    return out;
}

// Rewrites the frame size a JPEG's start-of-frame segment declares.
Bytes withJPEGSize(Bytes jpeg, int width, int height) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2) {
            jpeg[i + 5] = std::uint8_t(height >> 8);
            jpeg[i + 6] = std::uint8_t(height);
            jpeg[i + 7] = std::uint8_t(width >> 8);
            jpeg[i + 8] = std::uint8_t(width);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no start of frame";
    return jpeg;
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void appendBigEndian(Bytes& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(std::uint8_t(value >> shift));
}

// A well-formed PNG header (with correct checksums) and no pixel data.
Bytes craftedPNGHeader(std::uint32_t width, std::uint32_t height) {
    Bytes bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&bytes](const char* type, const Bytes& data) {
        appendBigEndian(bytes, std::uint32_t(data.size()));
        std::size_t start = bytes.size();
        bytes.insert(bytes.end(), type, type + 4);
        bytes.insert(bytes.end(), data.begin(), data.end());
        appendBigEndian(bytes, crc32(&bytes[start], bytes.size() - start));
    };
    Bytes header;
    appendBigEndian(header, width);
    appendBigEndian(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA, not interlaced
    chunk("IHDR", header);
    chunk("IEND", {});
    return bytes;
}

Bytes gradientRGBA(std::uint32_t width, std::uint32_t height) {
    Bytes pixels;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            pixels.insert(pixels.end(), {std::uint8_t(x * 30), std::uint8_t(y * 30),
                                         std::uint8_t(x * y), std::uint8_t(255 - x * 20)});
    return pixels;
}

CGImageDecodeFailure failureOf(const Bytes& bytes) {
    return CGImageDecode(bytes).failure;
}

TEST(UIImageDecodeTest, PNGWithAlphaIsPremultiplied) {
    Bytes png = encodePNG(2, 1, PNG_FORMAT_RGBA, {255, 0, 0, 128, 0, 255, 0, 255});
    std::shared_ptr<UIImage> image = UIImage::imageWithData(png);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 1);
    EXPECT_EQ(image->size(), CGSizeMake(2, 1));
    EXPECT_FALSE(image->CGImage()->isOpaque());
    EXPECT_TRUE(near(pixelAt(image->CGImage(), 0, 0), {128, 0, 0, 128}, 1));
    EXPECT_EQ(pixelAt(image->CGImage(), 1, 0), kGreen);
}

TEST(UIImageDecodeTest, PNGWithoutAlphaIsOpaqueAndGreyKeepsItsLevel) {
    std::shared_ptr<UIImage> rgb =
        UIImage::imageWithData(encodePNG(1, 1, PNG_FORMAT_RGB, {10, 20, 30}));
    ASSERT_TRUE(rgb);
    EXPECT_TRUE(rgb->CGImage()->isOpaque());
    EXPECT_EQ(pixelAt(rgb->CGImage(), 0, 0), (Pixel{10, 20, 30, 255}));

    std::shared_ptr<UIImage> grey =
        UIImage::imageWithData(encodePNG(2, 1, PNG_FORMAT_GRAY, {0, 200}));
    ASSERT_TRUE(grey);
    EXPECT_TRUE(grey->CGImage()->isOpaque());
    EXPECT_EQ(pixelAt(grey->CGImage(), 1, 0), (Pixel{200, 200, 200, 255}));
}

TEST(UIImageDecodeTest, JPEGDecodesOpaqueInItsColours) {
    Bytes jpeg = encodeJPEG(16, 8, {200, 40, 90, 255});
    auto data = std::make_shared<const Bytes>(jpeg);
    std::shared_ptr<UIImage> image = UIImage::imageWithData(CFData(data));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), CGSizeMake(16, 8));
    EXPECT_TRUE(image->CGImage()->isOpaque());
    for (std::size_t y = 0; y < 8; ++y)
        for (std::size_t x = 0; x < 16; ++x)
            ASSERT_TRUE(near(pixelAt(image->CGImage(), x, y), {200, 40, 90, 255}, 4))
                << pixelAt(image->CGImage(), x, y);
}

TEST(UIImageDecodeTest, OnePixelImagesDecodeAndZeroSidesDoNot) {
    EXPECT_TRUE(UIImage::imageWithData(encodePNG(1, 1, PNG_FORMAT_RGBA, {1, 2, 3, 255})));
    EXPECT_TRUE(UIImage::imageWithData(encodeJPEG(1, 1, kRed)));
    EXPECT_EQ(failureOf(craftedPNGHeader(0, 0)), CGImageDecodeFailure::Malformed);
    EXPECT_EQ(failureOf(craftedPNGHeader(5, 0)), CGImageDecodeFailure::Malformed);
    EXPECT_EQ(failureOf(withJPEGSize(encodeJPEG(8, 8, kRed), 8, 0)),
              CGImageDecodeFailure::Malformed);
}

TEST(UIImageDecodeLimitsTest, SixteenMebibytesOfBytesAndNotOneMore) {
    Bytes padded = encodePNG(2, 2, PNG_FORMAT_RGBA, gradientRGBA(2, 2));
    padded.resize(kCGImageMaximumDataSize, 0);
    EXPECT_TRUE(CGImageDecode(padded).image) << "bytes after the end are ignored";

    padded.push_back(0);
    CGImageDecodeResult refused = CGImageDecode(padded);
    EXPECT_FALSE(refused.image);
    EXPECT_EQ(refused.failure, CGImageDecodeFailure::TooManyBytes);
}

TEST(UIImageDecodeLimitsTest, SidesOfUpTo8192Pixels) {
    CGImageDecodeResult widest =
        CGImageDecode(encodePNG(8192, 1, PNG_FORMAT_RGBA, Bytes(8192 * 4, 7)));
    ASSERT_TRUE(widest.image);
    EXPECT_EQ(CGImageGetWidth(widest.image), 8192u);

    EXPECT_EQ(failureOf(craftedPNGHeader(8193, 1)), CGImageDecodeFailure::SideTooLong);
    EXPECT_EQ(failureOf(craftedPNGHeader(1, 8193)), CGImageDecodeFailure::SideTooLong);
    EXPECT_EQ(failureOf(craftedPNGHeader(0xFFFFFFFF, 0xFFFFFFFF)),
              CGImageDecodeFailure::SideTooLong);
    Bytes jpeg = encodeJPEG(16, 16, kBlue);
    EXPECT_EQ(failureOf(withJPEGSize(jpeg, 8193, 8)), CGImageDecodeFailure::SideTooLong);
    EXPECT_EQ(failureOf(withJPEGSize(jpeg, 8, 8193)), CGImageDecodeFailure::SideTooLong);
}

TEST(UIImageDecodeLimitsTest, AtMostTwoToTheTwentyFourPixels) {
    EXPECT_EQ(failureOf(craftedPNGHeader(4097, 4097)), CGImageDecodeFailure::TooManyPixels);
    EXPECT_EQ(failureOf(craftedPNGHeader(8192, 2049)), CGImageDecodeFailure::TooManyPixels);
    Bytes jpeg = encodeJPEG(16, 16, kBlue);
    EXPECT_EQ(failureOf(withJPEGSize(jpeg, 4097, 4097)), CGImageDecodeFailure::TooManyPixels);

    CGImageDecodeResult largest =
        CGImageDecode(encodePNG(4096, 4096, PNG_FORMAT_GRAY, Bytes(4096 * 4096, 0)));
    ASSERT_TRUE(largest.image) << int(largest.failure);
    EXPECT_EQ(CGImageGetHeight(largest.image), 4096u);
}

TEST(UIImageDecodeLimitsTest, HeadersClaimingMorePixelsThanTheBytesCanHoldAreRefused) {
    // Refused before a 64 MB bitmap is allocated for them.
    EXPECT_EQ(failureOf(craftedPNGHeader(4000, 4000)), CGImageDecodeFailure::TooFewBytes);
    EXPECT_EQ(failureOf(withJPEGSize(encodeJPEG(16, 16, kBlue), 4000, 4000)),
              CGImageDecodeFailure::TooFewBytes);
}

TEST(UIImageDecodeLimitsTest, EveryTruncationGivesNoImage) {
    Bytes png = encodePNG(8, 8, PNG_FORMAT_RGBA, gradientRGBA(8, 8));
    // The IEND chunk is the last 12 bytes; cutting into it loses nothing
    // libpng needs, so stop before it.
    for (std::size_t length = 0; length + 12 < png.size(); ++length)
        EXPECT_FALSE(CGImageDecode(Bytes(png.begin(), png.begin() + length)).image) << length;

    Bytes jpeg = encodeJPEG(16, 16, {}, true);
    for (std::size_t length = 0; length + 2 < jpeg.size(); ++length)
        EXPECT_FALSE(CGImageDecode(Bytes(jpeg.begin(), jpeg.begin() + length)).image) << length;
}

TEST(UIImageDecodeLimitsTest, GarbageGivesNoImage) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    for (Bytes prefix :
         {Bytes{}, Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, Bytes{0xFF, 0xD8, 0xFF}}) {
        for (int round = 0; round < 50; ++round) {
            Bytes bytes = prefix;
            for (int i = 0; i < 300; ++i)
                bytes.push_back(std::uint8_t(byte(random)));
            EXPECT_FALSE(CGImageDecode(bytes).image);
        }
    }
    EXPECT_EQ(failureOf({}), CGImageDecodeFailure::UnknownFormat);
    Bytes text{'h', 'e', 'l', 'l', 'o'};
    EXPECT_EQ(failureOf(text), CGImageDecodeFailure::UnknownFormat);
    EXPECT_FALSE(UIImage::imageWithData(CFData()));
}

TEST(UIImageDecodeLimitsTest, CorruptedBytesNeverCrash) {
    for (const Bytes& original :
         {encodePNG(8, 8, PNG_FORMAT_RGBA, gradientRGBA(8, 8)), encodeJPEG(16, 16, {}, true)}) {
        for (std::size_t i = 0; i < original.size(); ++i) {
            Bytes corrupted = original;
            corrupted[i] ^= 0xFF;
            CGImageDecodeResult result = CGImageDecode(corrupted);
            if (result.image) {
                EXPECT_LE(CGImageGetWidth(result.image), kCGImageMaximumSide);
                EXPECT_LE(CGImageGetHeight(result.image), kCGImageMaximumSide);
            }
        }
    }
}

TEST(UIImageTest, ImagesWithoutABitmap) {
    std::shared_ptr<UIImage> empty = UIImage::imageWithSize(CGSizeZero);
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->CGImage());
    EXPECT_EQ(empty->size(), CGSizeZero);
    EXPECT_EQ(empty->contentHash(), "");
    EXPECT_FALSE(UIImagePNGRepresentation(empty));

    std::shared_ptr<UIImage> sized = UIImage::imageWithSize({3, 2}, 2);
    EXPECT_EQ(sized->size(), CGSizeMake(3, 2));
    EXPECT_EQ(sized->scale(), 2);
    EXPECT_EQ(sized->className(), "UIImage");

    EXPECT_FALSE(UIImage::imageWithCGImage(nullptr));
}

TEST(UIImageTest, SizeIsInPointsAndTurnedByTheOrientation) {
    CGImageRef bitmap = solidImage(4, 2, kRed);
    EXPECT_EQ(UIImage::imageWithCGImage(bitmap, 2)->size(), CGSizeMake(2, 1));
    EXPECT_EQ(UIImage::imageWithCGImage(bitmap, 0)->scale(), 1) << "no scale counts as 1";
    for (UIImageOrientation turned :
         {UIImageOrientationLeft, UIImageOrientationRight, UIImageOrientationLeftMirrored,
          UIImageOrientationRightMirrored})
        EXPECT_EQ(UIImage::imageWithCGImage(bitmap, 2, turned)->size(), CGSizeMake(1, 2));
    for (UIImageOrientation upright :
         {UIImageOrientationUp, UIImageOrientationDown, UIImageOrientationUpMirrored,
          UIImageOrientationDownMirrored})
        EXPECT_EQ(UIImage::imageWithCGImage(bitmap, 2, upright)->size(), CGSizeMake(2, 1));
}

// What each orientation shows at display pixel (x, y) of a w x h bitmap S,
// from the orientations' definitions (EXIF orientations 1 to 8).
struct Source {
    std::size_t x, y;
};
Source shownAt(UIImageOrientation orientation, std::size_t x, std::size_t y, std::size_t w,
               std::size_t h) {
    switch (orientation) {
    case UIImageOrientationUp:
        return {x, y};
    case UIImageOrientationDown:
        return {w - 1 - x, h - 1 - y};
    case UIImageOrientationUpMirrored:
        return {w - 1 - x, y};
    case UIImageOrientationDownMirrored:
        return {x, h - 1 - y};
    case UIImageOrientationRight: // turned a quarter clockwise for display
        return {y, h - 1 - x};
    case UIImageOrientationLeft: // turned a quarter counterclockwise
        return {w - 1 - y, x};
    case UIImageOrientationLeftMirrored: // transposed
        return {y, x};
    case UIImageOrientationRightMirrored: // transversed
        return {w - 1 - y, h - 1 - x};
    }
    return {0, 0};
}

TEST(UIImageTest, DrawInRectShowsEachOrientationUpright) {
    constexpr std::size_t w = 2, h = 3;
    std::vector<Pixel> pixels;
    for (int i = 0; i < int(w * h); ++i)
        pixels.push_back({i * 40, 255 - i * 40, (i * 97) % 256, 255});
    CGImageRef bitmap = imageFromPixels(w, h, pixels);

    for (int value = 0; value <= 7; ++value) {
        auto orientation = static_cast<UIImageOrientation>(value);
        std::shared_ptr<UIImage> image = UIImage::imageWithCGImage(bitmap, 1, orientation);
        CGSize size = image->size();
        UIGraphicsBeginImageContext(size);
        image->drawAtPoint(CGPointZero);
        std::shared_ptr<UIImage> shown = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        ASSERT_TRUE(shown);
        for (std::size_t y = 0; y < std::size_t(size.height); ++y) {
            for (std::size_t x = 0; x < std::size_t(size.width); ++x) {
                Source s = shownAt(orientation, x, y, w, h);
                EXPECT_EQ(pixelAt(shown->CGImage(), x, y), pixels[s.y * w + s.x])
                    << "orientation " << value << " at " << x << ", " << y;
            }
        }
    }
}

TEST(UIImageTest, MaskFillAndDownMirroredGiveAnUprightSilhouette) {
    // A shape with alpha: an upward arrow head, rows widening downwards.
    constexpr std::size_t side = 6;
    std::vector<Pixel> shape;
    for (std::size_t y = 0; y < side; ++y)
        for (std::size_t x = 0; x < side; ++x)
            shape.push_back(x + 1 >= side / 2 - y / 2 && x <= side / 2 + y / 2 ? kBlack : kClear);
    std::shared_ptr<UIImage> arrow = UIImage::imageWithCGImage(imageFromPixels(side, side, shape));

    // The steps of tinting an image's shape with one colour.
    CGSize size = arrow->size();
    UIGraphicsBeginImageContext(size);
    CGContextRef context = UIGraphicsGetCurrentContext();
    CGRect area{{0, 0}, size};
    CGContextClipToMask(context, area, arrow->CGImage());
    CGContextSetFillColorWithColor(context, UIColor::whiteColor());
    CGContextFillRect(context, area);
    std::shared_ptr<UIImage> filled = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    std::shared_ptr<UIImage> tinted =
        UIImage::imageWithCGImage(filled->CGImage(), 1.0, UIImageOrientationDownMirrored);

    // The bitmap itself is upside down...
    EXPECT_EQ(pixelAt(tinted->CGImage(), 0, 0), kWhite);
    EXPECT_EQ(pixelAt(tinted->CGImage(), 0, side - 1), kClear);
    // ...and shows upright, at the same size in points.
    EXPECT_EQ(tinted->size(), size);
    UIGraphicsBeginImageContext(size);
    tinted->drawInRect(area);
    std::shared_ptr<UIImage> shown = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    for (std::size_t y = 0; y < side; ++y)
        for (std::size_t x = 0; x < side; ++x)
            EXPECT_EQ(pixelAt(shown->CGImage(), x, y),
                      shape[y * side + x] == kClear ? kClear : kWhite)
                << x << ", " << y;
}

TEST(UIImageTest, ContentHashFollowsThePixels) {
    EXPECT_EQ(UIImage::imageWithCGImage(solidImage(1, 1, kBlue))->contentHash(),
              "1f2de58ace71d5f3");
    std::vector<Pixel> four{kRed, kGreen, kBlue, kWhite};
    std::string row = imageFromPixels(4, 1, four)->contentHash();
    EXPECT_NE(row, imageFromPixels(1, 4, four)->contentHash());
    four[3] = kBlack;
    EXPECT_NE(row, imageFromPixels(4, 1, four)->contentHash());

    // Row padding is not content.
    Bytes padded(2 * 12, 0xEE);
    for (std::size_t y = 0; y < 2; ++y)
        for (std::size_t x = 0; x < 2; ++x) {
            std::uint32_t word = wordFromPixel(kRed);
            std::memcpy(&padded[y * 12 + x * 4], &word, 4);
        }
    CGImageRef withPadding = CGImage::create(2, 2, 12, padded, kCGImageAlphaPremultipliedFirst);
    ASSERT_TRUE(withPadding);
    EXPECT_EQ(withPadding->contentHash(), solidImage(2, 2, kRed)->contentHash());
}

TEST(UIImageTest, PNGRoundTripKeepsThePixels) {
    CGImageRef original = imageFromPixels(3, 1, {kRed, kClear, {64, 0, 32, 128}});
    CFData png = UIImagePNGRepresentation(UIImage::imageWithCGImage(original));
    ASSERT_TRUE(png);
    std::shared_ptr<UIImage> decoded = UIImage::imageWithData(png);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(pixelAt(decoded->CGImage(), 0, 0), kRed);
    EXPECT_EQ(pixelAt(decoded->CGImage(), 1, 0), kClear);
    EXPECT_TRUE(near(pixelAt(decoded->CGImage(), 2, 0), {64, 0, 32, 128}, 1));

    CGImageRef opaque = imageFromPixels(2, 1, {kGreen, {1, 2, 3, 255}}, true);
    std::shared_ptr<UIImage> opaqueDecoded = UIImage::imageWithData(CGImageCreatePNGData(opaque));
    ASSERT_TRUE(opaqueDecoded);
    EXPECT_TRUE(opaqueDecoded->CGImage()->isOpaque()) << "written without alpha";
    EXPECT_EQ(opaqueDecoded->contentHash(), opaque->contentHash());
}

class UIImageFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "rotix-uiimage-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        DeviceRoot::set(m_root);
        fs::create_directories(m_root / "Library");
        m_savedScale = UIScreenMainScale();
        UIScreenSetMainScale(2);
    }
    void TearDown() override {
        UIScreenSetMainScale(m_savedScale);
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    void writeImage(const std::string& name, CGImageRef image) {
        ASSERT_TRUE(
            UIImageWritePNGToFile(UIImage::imageWithCGImage(image), m_root / "Library" / name));
    }
    void writeBytes(const std::string& name, const Bytes& bytes) {
        std::ofstream(m_root / "Library" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    fs::path m_root;
    double m_savedScale = 2;
};

TEST_F(UIImageFileTest, ScaleComesFromTheFileName) {
    writeImage("a@2x.png", solidImage(4, 4, kRed));
    writeImage("c@3x.png", solidImage(6, 3, kRed));
    writeImage("plain.png", solidImage(4, 4, kRed));

    std::shared_ptr<UIImage> two = UIImage::imageWithContentsOfFile("/Library/a@2x.png");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->scale(), 2);
    EXPECT_EQ(two->size(), CGSizeMake(2, 2));
    EXPECT_EQ(UIImage::initWithContentsOfFile("/Library/c@3x.png")->size(), CGSizeMake(2, 1));
    EXPECT_EQ(UIImage::imageWithContentsOfFile("/Library/plain.png")->scale(), 1);
}

TEST_F(UIImageFileTest, TheScreensOwnVariantIsPreferred) {
    writeImage("b.png", solidImage(2, 2, kRed));
    writeImage("b@2x.png", solidImage(4, 4, kBlue));

    std::shared_ptr<UIImage> image = UIImage::imageWithContentsOfFile("/Library/b.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(pixelAt(image->CGImage(), 0, 0), kBlue);

    UIScreenSetMainScale(3); // no @3x: the @2x one is next best
    EXPECT_EQ(UIImage::imageWithContentsOfFile("/Library/b.png")->scale(), 2);

    UIScreenSetMainScale(1);
    image = UIImage::imageWithContentsOfFile("/Library/b.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 1);
    EXPECT_EQ(pixelAt(image->CGImage(), 0, 0), kRed);
}

TEST_F(UIImageFileTest, ContentDecidesTheFormatNotTheName) {
    writeBytes("photo.png", encodeJPEG(8, 8, kGreen));
    std::shared_ptr<UIImage> image = UIImage::imageWithContentsOfFile("/Library/photo.png");
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->CGImage()->isOpaque());
}

TEST_F(UIImageFileTest, MissingUnreachableAndOversizedFilesGiveNothing) {
    EXPECT_FALSE(UIImage::imageWithContentsOfFile("/Library/missing.png"));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile("Library/relative.png"));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile("/../outside.png"));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile("/Library"));

    writeImage("big.png", solidImage(2, 2, kRed));
    fs::resize_file(m_root / "Library/big.png", kCGImageMaximumDataSize);
    EXPECT_TRUE(UIImage::imageWithContentsOfFile("/Library/big.png"));
    fs::resize_file(m_root / "Library/big.png", kCGImageMaximumDataSize + 1);
    EXPECT_FALSE(UIImage::imageWithContentsOfFile("/Library/big.png"));

    writeBytes("broken.png", {0x89, 'P', 'N', 'G'});
    EXPECT_FALSE(UIImage::imageWithContentsOfFile("/Library/broken.png"));
}

TEST_F(UIImageFileTest, WrittenFileReadsBackIdentical) {
    CGImageRef original = imageFromPixels(2, 2, {kRed, kGreen, kBlue, kWhite});
    writeImage("round.png", original);
    std::shared_ptr<UIImage> read = UIImage::imageWithContentsOfFile("/Library/round.png");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->contentHash(), original->contentHash());
    EXPECT_FALSE(UIImageWritePNGToFile(UIImage::imageWithCGImage(original),
                                       m_root / "no-such-folder" / "x.png"));
}

} // namespace
