#include "imaging/ImageEffects.h"

#include "platform/accelerate/vImage.h"
#include "platform/foundation/NSLog.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIScreenScale.h"

#include <cmath>
#include <limits>

namespace {

// Single-precision machine epsilon: radii and factors this close to "no
// effect" are treated as none.
constexpr double kEpsilon = 1.1920928955078125e-07;
constexpr CGFloat kTintEffectAlpha = 0.6;
constexpr int32_t kSaturationDivisor = 256;

vImage_Buffer bufferOf(const CGContextRef& context) {
    return {CGBitmapContextGetData(context), CGBitmapContextGetHeight(context),
            CGBitmapContextGetWidth(context), CGBitmapContextGetBytesPerRow(context)};
}

// The image contexts are y-down; drawing a bitmap upright in them takes the
// platform's y-up space.
void flip(const CGContextRef& context, CGFloat height) {
    CGContextScaleCTM(context, 1.0, -1.0);
    CGContextTranslateCTM(context, 0, -height);
}

} // namespace

uint32_t ImageEffects::boxSizeForInputRadius(CGFloat inputRadius) {
    // 3 * sqrt(2 pi) / 4: three boxes of this side blur like a Gaussian of
    // standard deviation inputRadius.
    const double side = std::floor(inputRadius * 3.0 * 2.5066282746310002 * 0.25 + 0.5);
    if (!(side >= 0))
        return 1;
    if (side >= kvImageMaximumBoxKernelSize)
        return kvImageMaximumBoxKernelSize;
    auto box = static_cast<uint32_t>(side);
    if (box % 2 == 0)
        box += 1;
    return box;
}

std::array<int16_t, 16> ImageEffects::saturationMatrix(CGFloat s) {
    // BT.709 luma weights; the red diagonal is 0.7873.
    const double coefficients[16] = {
        0.0722 + 0.9278 * s,
        0.0722 - 0.0722 * s,
        0.0722 - 0.0722 * s,
        0,
        0.7152 - 0.7152 * s,
        0.7152 + 0.2848 * s,
        0.7152 - 0.7152 * s,
        0,
        0.2126 - 0.2126 * s,
        0.2126 - 0.2126 * s,
        0.2126 + 0.7873 * s,
        0,
        0,
        0,
        0,
        1,
    };
    std::array<int16_t, 16> matrix{};
    for (size_t i = 0; i < matrix.size(); ++i) {
        const float scaled = static_cast<float>(coefficients[i] * kSaturationDivisor);
        const float rounded = std::round(scaled);
        // Factors far outside any sensible range saturate the coefficients
        // instead of wrapping them.
        matrix[i] = static_cast<int16_t>(
            std::clamp(rounded, static_cast<float>(std::numeric_limits<int16_t>::min()),
                       static_cast<float>(std::numeric_limits<int16_t>::max())));
    }
    return matrix;
}

std::shared_ptr<UIImage> ImageEffects::applyLightEffect(const std::shared_ptr<UIImage>& image) {
    return applyBlurWithRadius(image, 30, UIColor::colorWithWhite(1.0, 0.3), 1.8, nullptr);
}

std::shared_ptr<UIImage>
ImageEffects::applyExtraLightEffect(const std::shared_ptr<UIImage>& image) {
    return applyBlurWithRadius(image, 20, UIColor::colorWithWhite(0.97, 0.82), 1.8, nullptr);
}

std::shared_ptr<UIImage> ImageEffects::applyDarkEffect(const std::shared_ptr<UIImage>& image) {
    return applyBlurWithRadius(image, 20, UIColor::colorWithWhite(0.11, 0.73), 1.8, nullptr);
}

std::shared_ptr<UIImage>
ImageEffects::applyTintEffectWithColor(const std::shared_ptr<UIImage>& image,
                                       const UIColorRef& tintColor) {
    // The colour's own components at a fixed alpha; one that cannot be read
    // is used as it is.
    UIColorRef effectColor = tintColor;
    if (tintColor) {
        if (tintColor->numberOfComponents() == 2) {
            CGFloat white = 0;
            if (tintColor->getWhite(&white, nullptr))
                effectColor = UIColor::colorWithWhite(white, kTintEffectAlpha);
        } else {
            CGFloat red = 0, green = 0, blue = 0;
            if (tintColor->getRed(&red, &green, &blue, nullptr))
                effectColor = UIColor::colorWithRed(red, green, blue, kTintEffectAlpha);
        }
    }
    return applyBlurWithRadius(image, 10, effectColor, -1.0, nullptr);
}

std::shared_ptr<UIImage>
ImageEffects::applyBlurWithRadius(const std::shared_ptr<UIImage>& image, CGFloat radius,
                                  const UIColorRef& tintColor, CGFloat saturationDeltaFactor,
                                  const std::shared_ptr<UIImage>& maskImage) {
    if (!image)
        return nullptr;
    const CGSize size = image->size();
    if (size.width < 1 || size.height < 1) {
        NSLog("*** error: invalid size: (%.2f x %.2f). Both dimensions must be >= 1: %@",
              size.width, size.height, image->description());
        return nullptr;
    }
    if (!image->CGImage()) {
        NSLog("*** error: image must be backed by a CGImage: %@", image->description());
        return nullptr;
    }
    if (maskImage && !maskImage->CGImage()) {
        NSLog("*** error: maskImage must be backed by a CGImage: %@", maskImage->description());
        return nullptr;
    }

    const CGFloat scale = UIScreenMainScale();
    const CGRect imageRect{CGPointZero, size};
    std::shared_ptr<UIImage> effectImage = image;
    const bool hasBlur = radius > kEpsilon;
    const bool hasSaturationChange =
        std::isfinite(saturationDeltaFactor) && std::fabs(saturationDeltaFactor - 1.0) > kEpsilon;

    if (hasBlur || hasSaturationChange) {
        UIGraphicsBeginImageContextWithOptions(size, false, scale);
        const CGContextRef effectInContext = UIGraphicsGetCurrentContext();
        flip(effectInContext, size.height);
        CGContextDrawImage(effectInContext, imageRect, image->CGImage());
        vImage_Buffer effectInBuffer = bufferOf(effectInContext);

        UIGraphicsBeginImageContextWithOptions(size, false, scale);
        const CGContextRef effectOutContext = UIGraphicsGetCurrentContext();
        vImage_Buffer effectOutBuffer = bufferOf(effectOutContext);

        if (hasBlur) {
            const uint32_t box = boxSizeForInputRadius(radius * scale);
            // Back and forth, so the third pass leaves the result in the output.
            vImageBoxConvolve_ARGB8888(&effectInBuffer, &effectOutBuffer, nullptr, 0, 0, box, box,
                                       nullptr, kvImageEdgeExtend);
            vImageBoxConvolve_ARGB8888(&effectOutBuffer, &effectInBuffer, nullptr, 0, 0, box, box,
                                       nullptr, kvImageEdgeExtend);
            vImageBoxConvolve_ARGB8888(&effectInBuffer, &effectOutBuffer, nullptr, 0, 0, box, box,
                                       nullptr, kvImageEdgeExtend);
        }
        bool effectInInputBuffer = false;
        if (hasSaturationChange) {
            const std::array<int16_t, 16> matrix = saturationMatrix(saturationDeltaFactor);
            if (hasBlur) {
                vImageMatrixMultiply_ARGB8888(&effectOutBuffer, &effectInBuffer, matrix.data(),
                                              kSaturationDivisor, nullptr, nullptr, kvImageNoFlags);
                effectInInputBuffer = true;
            } else {
                vImageMatrixMultiply_ARGB8888(&effectInBuffer, &effectOutBuffer, matrix.data(),
                                              kSaturationDivisor, nullptr, nullptr, kvImageNoFlags);
            }
        }
        if (!effectInInputBuffer)
            effectImage = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        if (effectInInputBuffer)
            effectImage = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
    }

    UIGraphicsBeginImageContextWithOptions(size, false, scale);
    const CGContextRef outputContext = UIGraphicsGetCurrentContext();
    flip(outputContext, size.height);
    CGContextDrawImage(outputContext, imageRect, image->CGImage());

    // The effect layer: blurred and saturated, or only saturated, since a
    // caller who asks for a saturation change alone should see it.
    if ((hasBlur || hasSaturationChange) && effectImage) {
        CGContextSaveGState(outputContext);
        if (maskImage)
            CGContextClipToMask(outputContext, imageRect, maskImage->CGImage());
        CGContextDrawImage(outputContext, imageRect, effectImage->CGImage());
        CGContextRestoreGState(outputContext);
    }

    if (tintColor) {
        CGContextSaveGState(outputContext);
        CGContextSetFillColorWithColor(outputContext, *tintColor);
        CGContextFillRect(outputContext, imageRect);
        CGContextRestoreGState(outputContext);
    }

    std::shared_ptr<UIImage> outputImage = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return outputImage;
}
