#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/uikit/UIDevice.h"

// Which way up the interface stands. The landscape values are the device's
// swapped, as on the platform: a device turned left shows its interface
// turned right.
enum class UIInterfaceOrientation : long {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 4,
    LandscapeRight = 3,
};

// How a home screen turns with the device, as the platform turns it: a tablet
// follows every way up; a phone let turn follows landscape and stands portrait
// again upside down, any other stays portrait; flat or unknown keeps the last.
class UIScreenRotation {
public:
    UIScreenRotation(UIUserInterfaceIdiom idiom, bool phoneTurns);

    UIInterfaceOrientation orientation() const { return m_orientation; }
    // Follows the device to its new orientation; true when the interface
    // turned.
    bool follow(UIDeviceOrientation device);

    // The bounds of a screen whose portrait size is `portrait`, standing the
    // way the interface stands now, or the way given: any host's size will do.
    CGSize boundsSize(CGSize portrait) const { return boundsSize(portrait, m_orientation); }
    static CGSize boundsSize(CGSize portrait, UIInterfaceOrientation orientation);

private:
    bool m_tablet;
    bool m_phoneTurns;
    UIInterfaceOrientation m_orientation = UIInterfaceOrientation::Portrait;
};
