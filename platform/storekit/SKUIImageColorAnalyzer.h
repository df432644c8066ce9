#pragma once

#include "platform/objc/NSObject.h"
#include "platform/storekit/SKUIAnalyzedImageColors.h"
#include "platform/uikit/UIColor.h"

#include <memory>

class UIImage;

// Chooses colours for text shown over an image, so that whatever is drawn in
// them stays readable on it. The background is the image's dominant colour;
// the primary text colour is the most frequent colour of the image with a
// contrast ratio of at least 4.5 against it (WCAG 2), else white or black,
// whichever contrasts more; the secondary is another frequent colour with a
// ratio of at least 3, else the primary at alpha 0.7.
class SKUIImageColorAnalyzer : public NSObject {
public:
    // +analyzeImage:. Always answers: an image without a bitmap, or one with
    // no visible pixel, gets a white background with black and grey text.
    static std::shared_ptr<SKUIAnalyzedImageColors>
    analyzeImage(const std::shared_ptr<UIImage>& image);

    // The contrast ratio of two colours' relative luminances, from 1 to 21;
    // alpha is ignored.
    static double contrastRatio(const UIColor& a, const UIColor& b);

    std::string_view className() const override { return "SKUIImageColorAnalyzer"; }

protected:
    SKUIImageColorAnalyzer() = default;
};
