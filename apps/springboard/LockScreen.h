#pragma once

#include "platform/foundation/NSTimer.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/objc/NSObject.h"
#include "platform/render/DumpJson.h"

#include <memory>
#include <vector>

class UIWindow;
class UIView;
class UIScrollView;
class UILabel;
class UIViewController;

// The lock screen as the home-screen process builds it, in the order a real
// start would: the application object, the notification list, then the
// media-controls page and its view. Each class is looked up by name, so a
// system version without one of them builds what it can.
class LockScreen {
public:
    // Which clock the lock screen reads its time in: the scenario's manual
    // clock is in UTC, so that every run shows the same; a person's session
    // shows the local time.
    enum class TimeZone { Universal, Local };

    LockScreen(CGRect screenBounds, TimeZone timeZone);
    ~LockScreen();
    LockScreen(const LockScreen&) = delete;
    LockScreen& operator=(const LockScreen&) = delete;

    const std::shared_ptr<UIWindow>& window() const { return m_window; }
    const id& applicationObject() const { return m_application; }
    const id& notificationList() const { return m_notificationList; }
    const id& mediaControlsPage() const { return m_mediaPage; }
    const std::shared_ptr<UIScrollView>& pages() const { return m_pages; }

    // Builds a fresh media-controls page in place of the current one, as the
    // lock screen does when it rebuilds its pages.
    void rebuildMediaControlsPage();
    // Lays the lock screen out again in the screen's new bounds, after the
    // screen turned; `portrait` is the screen's size held upright.
    void layOut(CGRect screenBounds, CGSize portrait);
    // The lock screen's own clock and date, from the run loop's clock; they
    // are brought up to date again at every turn of the minute.
    void updateClock();
    // A finger on the screen wakes the backlight.
    void noteUserTouch();

    Json dump() const;

private:
    void buildPages(CGRect screen);
    void scheduleClockUpdate();
    std::shared_ptr<UIView> makeMediaControlsPage();

    std::shared_ptr<UIWindow> m_window;
    std::shared_ptr<UIView> m_wallpaper;
    std::shared_ptr<UIScrollView> m_pages;
    std::shared_ptr<UIView> m_mainPage;
    std::shared_ptr<UIView> m_todayPage;
    std::shared_ptr<UILabel> m_today;
    std::shared_ptr<UILabel> m_time;
    std::shared_ptr<UILabel> m_date;
    TimeZone m_timeZone;
    std::shared_ptr<NSTimer> m_clockTimer;
    std::shared_ptr<UIView> m_dimming;
    id m_application;
    id m_notificationList;
    id m_mediaPage;
    std::shared_ptr<UIView> m_mediaPageView;
    // Every media-controls page made, the current one last.
    std::vector<id> m_mediaPages;
};
