#include "platform/uikit/UIScreenScale.h"

#include <atomic>
#include <cmath>

namespace {
std::atomic<double> mainScale{2.0};
} // namespace

double UIScreenMainScale() {
    return mainScale.load(std::memory_order_relaxed);
}

void UIScreenSetMainScale(double scale) {
    // A scale that could not size a bitmap is ignored.
    if (std::isfinite(scale) && scale > 0)
        mainScale.store(scale, std::memory_order_relaxed);
}
