#include "platform/storekit/SKUIAnalyzedImageColors.h"

std::shared_ptr<SKUIAnalyzedImageColors>
SKUIAnalyzedImageColors::create(const UIColor& backgroundColor, const UIColor& textPrimaryColor,
                                const UIColor& textSecondaryColor) {
    return makeObject<SKUIAnalyzedImageColors>(backgroundColor, textPrimaryColor,
                                               textSecondaryColor);
}
