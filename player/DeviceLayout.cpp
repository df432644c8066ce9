#include "player/DeviceLayout.h"

#include "platform/uikit/UIScreen.h"

namespace {

constexpr CGFloat kReferenceWidth = 414;
constexpr CGFloat kReferenceHeight = 736;

} // namespace

// The division comes first, so a length of the reference screen maps to the
// same value on it only up to that division's rounding, as the layouts expect.
CGFloat wAdjust(CGFloat value) {
    return (value / kReferenceWidth) * UIScreen::mainScreen()->bounds().size.width;
}

CGFloat hAdjust(CGFloat value) {
    return (value / kReferenceHeight) * UIScreen::mainScreen()->bounds().size.height;
}
