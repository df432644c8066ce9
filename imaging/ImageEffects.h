#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/uikit/UIColor.h"

#include <array>
#include <cstdint>
#include <memory>

class UIImage;

// The ImageEffects category of UIImage: a frosted-glass copy of an image,
// blurred (three box blurs approximating a Gaussian), saturated through an
// integer colour matrix, laid over the image (through a mask if one is given)
// and washed with a tint. The image comes first, as the receiver; an absent
// image answers nothing. Results are new images at the main screen's scale;
// nothing is kept between calls, so any thread may use it.
class ImageEffects {
public:
    // -applyLightEffect, -applyExtraLightEffect, -applyDarkEffect.
    static std::shared_ptr<UIImage> applyLightEffect(const std::shared_ptr<UIImage>& image);
    static std::shared_ptr<UIImage> applyExtraLightEffect(const std::shared_ptr<UIImage>& image);
    static std::shared_ptr<UIImage> applyDarkEffect(const std::shared_ptr<UIImage>& image);
    // -applyTintEffectWithColor:. The colour at alpha 0.6 over a 10-point blur
    // that inverts saturation.
    static std::shared_ptr<UIImage> applyTintEffectWithColor(const std::shared_ptr<UIImage>& image,
                                                             const UIColorRef& tintColor);

    // -applyBlurWithRadius:tintColor:saturationDeltaFactor:maskImage:. The
    // radius is in points; a factor of 1 leaves saturation alone, and a factor
    // that is not finite counts as 1. A saturation change without a blur is
    // shown too. Answers nothing, after a log line, for an image under one
    // point in either side or without a bitmap, or a mask without a bitmap.
    static std::shared_ptr<UIImage> applyBlurWithRadius(const std::shared_ptr<UIImage>& image,
                                                        CGFloat radius, const UIColorRef& tintColor,
                                                        CGFloat saturationDeltaFactor,
                                                        const std::shared_ptr<UIImage>& maskImage);

    // The odd box side whose three passes approximate a Gaussian of standard
    // deviation inputRadius pixels, within what the box convolution accepts.
    static uint32_t boxSizeForInputRadius(CGFloat inputRadius);
    // The saturation matrix in 1/256ths, rows source and columns destination
    // channels, both in the image-context byte order blue, green, red, alpha.
    static std::array<int16_t, 16> saturationMatrix(CGFloat saturationDeltaFactor);

    ImageEffects() = delete;
};
