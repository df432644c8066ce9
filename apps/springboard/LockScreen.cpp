#include "apps/springboard/LockScreen.h"

#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

LockScreen::LockScreen(CGRect screenBounds) {
    m_window = UIWindow::create(screenBounds);
    m_window->setBackgroundColor(UIColor::blackColor());
    // A dark wallpaper, as the player is meant to be seen over one.
    m_wallpaper = UIView::create(screenBounds);
    m_wallpaper->setBackgroundColor(UIColor::colorWithRed(0.09, 0.11, 0.17, 1));
    m_wallpaper->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                     UIViewAutoresizingFlexibleHeight);
    m_window->addSubview(m_wallpaper);
}
