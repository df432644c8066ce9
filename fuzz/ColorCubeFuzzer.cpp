// The palette on arbitrary pixels. The first bytes choose the flags, the
// count, an avoid colour and the image's width; the rest are the pixels, read
// both as RGBA bytes and as an image's bitmap.
#include "imaging/CCColorCube.h"
#include "platform/graphics/CGImage.h"
#include "platform/uikit/UIImage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

constexpr size_t kHeaderSize = 8;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeaderSize)
        return 0;
    const CCColorFlags flags = data[0] & 0x7F;
    const unsigned long count = data[1] % 16;
    const UIColorRef avoid =
        data[2] & 1   ? UIColorRef(UIColor::colorWithRed(data[3] / 255.0, data[4] / 255.0,
                                                         data[5] / 255.0, 1))
        : data[2] & 2 ? UIColorRef(UIColor::colorWithWhite(data[3] / 255.0, 1))
                      : UIColorRef();
    const size_t width = 1 + data[6] % 64;
    const std::span<const uint8_t> pixels(data + kHeaderSize, size - kHeaderSize);

    static const auto cube = CCColorCube::create();
    const auto colors = cube->extractColorsFromImage(pixels, flags);
    const auto counted = cube->extractColorsFromImage(pixels, flags, count);
    if (counted.size() > count)
        __builtin_trap();
    cube->extractColorsFromImage(pixels, flags, avoid);
    cube->extractBrightColorsFromImage(pixels, avoid, count);
    cube->extractDarkColorsFromImage(pixels, avoid, count);
    for (const UIColor& c : colors)
        if (!(c.red() >= 0 && c.red() <= 1 && c.green() >= 0 && c.green() <= 1 && c.blue() >= 0 &&
              c.blue() <= 1))
            __builtin_trap();

    // The same bytes as the bitmap of an image, blue first, as many whole
    // rows as there are.
    const size_t height = pixels.size() / 4 / width;
    if (height > 0) {
        std::vector<uint8_t> bitmap(pixels.begin(), pixels.begin() + width * height * 4);
        const auto image = UIImage::imageWithCGImage(CGImage::create(
            width, height, width * 4, std::move(bitmap), kCGImageAlphaPremultipliedFirst));
        cube->extractColorsFromImage(image, flags, count);
        uint32_t pixelCount = 0;
        if (cube->rawPixelDataFromImage(image, &pixelCount) && pixelCount != width * height)
            __builtin_trap();
    }
    return 0;
}
