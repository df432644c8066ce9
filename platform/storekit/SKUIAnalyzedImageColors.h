#pragma once

#include "platform/objc/NSObject.h"
#include "platform/uikit/UIColor.h"

#include <memory>

// The colours the image colour analyser chose for an image: a background and
// two text colours that read on it.
class SKUIAnalyzedImageColors : public NSObject {
public:
    static std::shared_ptr<SKUIAnalyzedImageColors> create(const UIColor& backgroundColor,
                                                           const UIColor& textPrimaryColor,
                                                           const UIColor& textSecondaryColor);

    const UIColor& backgroundColor() const { return m_backgroundColor; }
    const UIColor& textPrimaryColor() const { return m_textPrimaryColor; }
    const UIColor& textSecondaryColor() const { return m_textSecondaryColor; }

    std::string_view className() const override { return "SKUIAnalyzedImageColors"; }

protected:
    SKUIAnalyzedImageColors(const UIColor& backgroundColor, const UIColor& textPrimaryColor,
                            const UIColor& textSecondaryColor)
        : m_backgroundColor(backgroundColor), m_textPrimaryColor(textPrimaryColor),
          m_textSecondaryColor(textSecondaryColor) {}

private:
    UIColor m_backgroundColor;
    UIColor m_textPrimaryColor;
    UIColor m_textSecondaryColor;
};
