#pragma once

#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIDeviceProfile.h"

// The device a screen locker's window plays, made to the window's shape so
// that its screen fills it. An upright window is a phone standing up. A
// window lying on its side is a tablet turned the same way: a tablet's screen
// always turns with it, and its landscape layout keeps the clock, the texts
// and the buttons that a phone on its side leaves out.
struct SaverDevice {
    UIDeviceProfile profile;
    UIDeviceOrientation orientation = UIDeviceOrientation::Portrait;

    // For a window of width x height pixels (each at least one).
    static SaverDevice forWindow(int width, int height);

    // Whether the device would lay out the same: the scale alone differs.
    bool sameLayout(const SaverDevice& other) const;
};
