#include "platform/graphics/CGBitmapContext.h"

#include "platform/graphics/CGCairo.h"

#include <bit>
#include <cmath>
#include <optional>

namespace {

// Cairo addresses pixels with ints; this keeps every bitmap well inside that.
constexpr std::size_t kMaximumSide = 16384;

std::optional<CGContext::Bitmap> describe(void* data, std::size_t width, std::size_t height,
                                          std::size_t bitsPerComponent, std::size_t bytesPerRow,
                                          std::uint32_t bitmapInfo) {
    if (width == 0 || height == 0 || width > kMaximumSide || height > kMaximumSide ||
        bitsPerComponent != 8)
        return std::nullopt;
    CGContext::Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bytesPerRow = bytesPerRow == 0 ? width * 4 : bytesPerRow;
    bitmap.bitmapInfo = bitmapInfo;
    bitmap.external = static_cast<std::uint8_t*>(data);
    if (bitmap.bytesPerRow < width * 4 || bitmap.bytesPerRow % 4 != 0)
        return std::nullopt;

    std::uint32_t alpha = bitmapInfo & kCGBitmapAlphaInfoMask;
    std::uint32_t order = bitmapInfo & kCGBitmapByteOrderMask;
    // The order in which the bytes of a native 32-bit word lie in memory.
    std::uint32_t nativeOrder = std::endian::native == std::endian::little
                                    ? kCGBitmapByteOrder32Little
                                    : kCGBitmapByteOrder32Big;
    bool bigOrder = order == kCGBitmapByteOrder32Big || order == kCGBitmapByteOrderDefault;
    if ((alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaNoneSkipFirst) &&
        (order == nativeOrder || (bigOrder && nativeOrder == kCGBitmapByteOrder32Big))) {
        bitmap.opaque = alpha == kCGImageAlphaNoneSkipFirst;
        return bitmap;
    }
    if ((alpha == kCGImageAlphaPremultipliedLast || alpha == kCGImageAlphaNoneSkipLast) &&
        bigOrder) {
        bitmap.redFirst = true;
        bitmap.opaque = alpha == kCGImageAlphaNoneSkipLast;
        return bitmap;
    }
    return std::nullopt;
}

} // namespace

CGContextRef CGBitmapContextCreate(void* data, std::size_t width, std::size_t height,
                                   std::size_t bitsPerComponent, std::size_t bytesPerRow,
                                   const CGColorSpaceRef&, std::uint32_t bitmapInfo) {
    auto bitmap = describe(data, width, height, bitsPerComponent, bytesPerRow, bitmapInfo);
    if (!bitmap)
        return nullptr;
    CGContextRef context = CGContext::create(*bitmap);
    if (!context)
        return nullptr;
    // The platform's bitmap user space: y up from the bottom-left corner.
    cairo_translate(context->cairo(), 0, double(height));
    cairo_scale(context->cairo(), 1, -1);
    return context;
}

CGContextRef CGBitmapContextCreate(std::size_t width, std::size_t height) {
    std::uint32_t nativeOrder = std::endian::native == std::endian::little
                                    ? kCGBitmapByteOrder32Little
                                    : kCGBitmapByteOrder32Big;
    return CGBitmapContextCreate(nullptr, width, height, 8, 0, CGColorSpaceCreateDeviceRGB(),
                                 kCGImageAlphaPremultipliedFirst | nativeOrder);
}

CGContextRef CGContextCreateImageContext(std::size_t pixelWidth, std::size_t pixelHeight,
                                         CGFloat scale, bool opaque) {
    std::uint32_t nativeOrder = std::endian::native == std::endian::little
                                    ? kCGBitmapByteOrder32Little
                                    : kCGBitmapByteOrder32Big;
    std::uint32_t alpha = opaque ? kCGImageAlphaNoneSkipFirst : kCGImageAlphaPremultipliedFirst;
    auto bitmap = describe(nullptr, pixelWidth, pixelHeight, 8, 0, alpha | nativeOrder);
    if (!bitmap || !(scale > 0) || !std::isfinite(scale))
        return nullptr;
    CGContextRef context = CGContext::create(*bitmap);
    if (context)
        cairo_scale(context->cairo(), scale, scale);
    return context;
}

void* CGBitmapContextGetData(const CGContextRef& c) {
    return c ? c->data() : nullptr;
}

std::size_t CGBitmapContextGetWidth(const CGContextRef& c) {
    return c ? c->bitmap().width : 0;
}

std::size_t CGBitmapContextGetHeight(const CGContextRef& c) {
    return c ? c->bitmap().height : 0;
}

std::size_t CGBitmapContextGetBytesPerRow(const CGContextRef& c) {
    return c ? c->bitmap().bytesPerRow : 0;
}

std::uint32_t CGBitmapContextGetBitmapInfo(const CGContextRef& c) {
    return c ? c->bitmap().bitmapInfo : 0;
}

CGImageRef CGBitmapContextCreateImage(const CGContextRef& c) {
    return c ? c->snapshot() : nullptr;
}
