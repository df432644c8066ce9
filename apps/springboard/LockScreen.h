#pragma once

#include "platform/graphics/CGGeometry.h"

#include <memory>

class UIWindow;
class UIView;

// The lock screen as the home-screen process shows it: a window over the
// wallpaper, holding the lock screen's pages.
class LockScreen {
public:
    explicit LockScreen(CGRect screenBounds);

    const std::shared_ptr<UIWindow>& window() const { return m_window; }

private:
    std::shared_ptr<UIWindow> m_window;
    std::shared_ptr<UIView> m_wallpaper;
};
