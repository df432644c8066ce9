#include "platform/uikit/UIGraphics.h"

#include "platform/foundation/NSString.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGCairo.h"
#include "platform/system/SystemLog.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIScreenScale.h"

#include <cmath>
#include <vector>

namespace {

struct Entry {
    CGContextRef context;
    bool isImageContext = false;
    CGFloat scale = 1;
};

std::vector<Entry>& contextStack() {
    thread_local std::vector<Entry> stack;
    return stack;
}

constexpr double kMaximumPixelSide = 16384;

// Pixels for a length in points; a hair of rounding error never adds a pixel.
double pixelsFor(CGFloat points, CGFloat scale) {
    return std::ceil(points * scale - 1e-9);
}

CGFloat effectiveScale(CGFloat scale) {
    return scale == 0 ? UIScreenMainScale() : scale;
}

} // namespace

CGContextRef UIGraphicsCreateImageContext(CGSize size, bool opaque, CGFloat scale) {
    scale = effectiveScale(scale);
    if (!std::isfinite(scale) || !(scale > 0))
        return nullptr;
    double width = pixelsFor(size.width, scale);
    double height = pixelsFor(size.height, scale);
    if (!(width >= 1 && width <= kMaximumPixelSide) ||
        !(height >= 1 && height <= kMaximumPixelSide))
        return nullptr;
    return CGContextCreateImageContext(static_cast<std::size_t>(width),
                                       static_cast<std::size_t>(height), scale, opaque);
}

void UIGraphicsBeginImageContext(CGSize size) {
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
}

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale) {
    CGFloat used = effectiveScale(scale);
    CGContextRef context = UIGraphicsCreateImageContext(size, opaque, used);
    if (!context)
        SystemLog::shared().write(
            "UIKit", stringWithFormat("UIGraphicsBeginImageContext() failed to allocate "
                                      "CGBitmapContext: size={%g, %g}, scale=%g",
                                      size.width, size.height, used));
    contextStack().push_back({std::move(context), true, used});
}

CGContextRef UIGraphicsGetCurrentContext() {
    auto& stack = contextStack();
    return stack.empty() ? nullptr : stack.back().context;
}

std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext() {
    auto& stack = contextStack();
    if (stack.empty() || !stack.back().isImageContext || !stack.back().context)
        return nullptr;
    return UIImage::imageWithCGImage(CGBitmapContextCreateImage(stack.back().context),
                                     stack.back().scale, UIImageOrientationUp);
}

void UIGraphicsEndImageContext() {
    auto& stack = contextStack();
    if (stack.empty() || !stack.back().isImageContext) {
        SystemLog::shared().write("UIKit",
                                  "UIGraphicsEndImageContext() called without a current image "
                                  "context");
        return;
    }
    stack.pop_back();
}

std::shared_ptr<UIImage> UIGraphicsEndImageContextWithImage() {
    auto& stack = contextStack();
    if (stack.empty() || !stack.back().isImageContext) {
        UIGraphicsEndImageContext();
        return nullptr;
    }
    Entry entry = std::move(stack.back());
    stack.pop_back();
    if (!entry.context)
        return nullptr;
    CGImageRef image = entry.context.use_count() == 1 ? entry.context->finishIntoImage()
                                                      : CGBitmapContextCreateImage(entry.context);
    return UIImage::imageWithCGImage(image, entry.scale, UIImageOrientationUp);
}

void UIGraphicsPushContext(const CGContextRef& context) {
    contextStack().push_back({context, false, 1});
}

void UIGraphicsPopContext() {
    auto& stack = contextStack();
    if (!stack.empty())
        stack.pop_back();
}

std::size_t UIGraphicsGetContextStackDepth() {
    return contextStack().size();
}
