#include "platform/uikit/UIScreenRotation.h"

UIScreenRotation::UIScreenRotation(UIUserInterfaceIdiom idiom, bool phoneTurns)
    : m_tablet(idiom != UIUserInterfaceIdiom::Phone), m_phoneTurns(phoneTurns) {}

bool UIScreenRotation::follow(UIDeviceOrientation device) {
    UIInterfaceOrientation next = m_orientation;
    switch (device) {
    case UIDeviceOrientation::Portrait:
        next = UIInterfaceOrientation::Portrait;
        break;
    case UIDeviceOrientation::PortraitUpsideDown:
        // A phone's home screen never stands on its head.
        next = m_tablet ? UIInterfaceOrientation::PortraitUpsideDown
                        : UIInterfaceOrientation::Portrait;
        break;
    case UIDeviceOrientation::LandscapeLeft:
        next = UIInterfaceOrientation::LandscapeRight;
        break;
    case UIDeviceOrientation::LandscapeRight:
        next = UIInterfaceOrientation::LandscapeLeft;
        break;
    default:
        break;
    }
    if (!m_tablet && !m_phoneTurns)
        next = UIInterfaceOrientation::Portrait;
    bool turned = next != m_orientation;
    m_orientation = next;
    return turned;
}

CGSize UIScreenRotation::boundsSize(CGSize portrait, UIInterfaceOrientation orientation) {
    if (orientation == UIInterfaceOrientation::LandscapeLeft ||
        orientation == UIInterfaceOrientation::LandscapeRight)
        return {portrait.height, portrait.width};
    return portrait;
}
