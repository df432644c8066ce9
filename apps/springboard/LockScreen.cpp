#include "apps/springboard/LockScreen.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/objc/Runtime.h"
#include "platform/springboard/SBBacklightController.h"
#include "platform/springboard/SBDashBoardMediaControlsViewController.h"
#include "platform/springboard/SBDashBoardNotificationListViewController.h"
#include "platform/springboard/SBDeviceLockController.h"
#include "platform/springboard/SBHorizontalScrollFailureRecognizer.h"
#include "platform/springboard/SBLockScreenManager.h"
#include "platform/springboard/SBLockScreenViewController.h"
#include "platform/springboard/SBPagedScrollView.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIWindow.h"

#include <cmath>
#include <ctime>

namespace {
constexpr double kReferenceDateSinceUnixEpoch = 978307200.0;
constexpr double kDimmedAlpha = 0.6;

std::shared_ptr<UIView> viewOf(const id& controller) {
    auto viewController = std::dynamic_pointer_cast<UIViewController>(controller);
    return viewController ? viewController->view() : nullptr;
}

CGRect todayFrame(CGRect screen) {
    return CGRectMake(20, screen.size.height * 0.12, screen.size.width - 40, 40);
}

CGRect timeFrame(CGRect screen) {
    return CGRectMake(0, screen.size.height * 0.06, screen.size.width, 80);
}

CGRect dateFrame(CGRect screen) {
    return CGRectMake(0, screen.size.height * 0.06 + 82, screen.size.width, 26);
}

// The player's landscape layouts place their views in a view of the upright
// screen's size (the ring's lower edge on its middle line, the labels above
// the ring): turned, the content keeps that size, centred across the page and
// standing at its top, so those layouts land inside the turned screen.
CGRect coveringFrame(CGRect page, CGSize portrait) {
    return CGRectMake((page.size.width - portrait.width) / 2, 0, portrait.width, portrait.height);
}
} // namespace

LockScreen::LockScreen(CGRect screen, TimeZone timeZone) : m_timeZone(timeZone) {
    m_window = UIWindow::create(screen);
    m_window->setBackgroundColor(UIColor::blackColor());
    m_wallpaper = UIView::create(screen);
    m_wallpaper->setBackgroundColor(UIColor::colorWithRed(0.09, 0.11, 0.17, 1));
    m_wallpaper->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                     UIViewAutoresizingFlexibleHeight);
    m_window->addSubview(m_wallpaper);

    // The application object comes first, as in a real start.
    if (objc_getClass("SpringBoard"))
        m_application = SpringBoard::alloc()->init();

    if (objc_getClass("SBDashBoardNotificationListViewController"))
        m_notificationList = SBDashBoardNotificationListViewController::alloc()->initWithNibName(
            std::nullopt, nullptr);

    buildPages(screen);

    // The lock screen wakes with the list collapsed.
    if (auto list = std::dynamic_pointer_cast<SBDashBoardNotificationListViewController>(
            m_notificationList))
        list->performCustomTransitionToVisible(false, nullptr, nullptr);

    if (objc_getClass("SBLockScreenManager")) {
        auto passcode =
            SBLockScreenManager::sharedInstance()->lockScreenViewController()->passcodeView();
        m_window->addSubview(passcode);
    }

    m_dimming = UIView::create(screen);
    m_dimming->setBackgroundColor(UIColor::blackColor());
    m_dimming->setAlpha(0);
    m_dimming->setUserInteractionEnabled(false);
    m_dimming->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                   UIViewAutoresizingFlexibleHeight);
    m_window->addSubview(m_dimming);
    if (objc_getClass("SBBacklightController")) {
        auto backlight = SBBacklightController::sharedInstance();
        std::weak_ptr<UIView> dimming = m_dimming;
        backlight->setDimmingHandler([dimming](bool dimmed) {
            if (auto view = dimming.lock())
                view->setAlpha(dimmed ? kDimmedAlpha : 0);
        });
        backlight->start();
    }
    updateClock();
    scheduleClockUpdate();
}

LockScreen::~LockScreen() {
    if (m_clockTimer)
        m_clockTimer->invalidate();
}

void LockScreen::scheduleClockUpdate() {
    // One timer at the next turn of the minute rather than a repeating one,
    // so the clock keeps to the minute however long the run loop stalls.
    const double now = NSRunLoop::mainRunLoop().now() + kReferenceDateSinceUnixEpoch;
    const double untilNextMinute = 60 - std::fmod(now, 60.0);
    m_clockTimer = NSTimer::scheduledTimerWithTimeInterval(untilNextMinute, Repeats::No,
                                                           [this](const std::shared_ptr<NSTimer>&) {
                                                               updateClock();
                                                               scheduleClockUpdate();
                                                           });
}

void LockScreen::buildPages(CGRect screen) {
    if (objc_getClass("SBPagedScrollView"))
        m_pages = SBPagedScrollView::create(screen);
    else
        m_pages = UIScrollView::create(screen);
    m_pages->setPagingEnabled(true);
    m_pages->setContentSize({screen.size.width * 2, screen.size.height});
    m_pages->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                 UIViewAutoresizingFlexibleHeight);
    if (objc_getClass("SBHorizontalScrollFailureRecognizer"))
        m_pages->addGestureRecognizer(SBHorizontalScrollFailureRecognizer::create());
    m_window->addSubview(m_pages);

    // The page of widgets on the left, and the main page the lock screen
    // opens on.
    m_todayPage = UIView::create(screen);
    m_today = UILabel::create(todayFrame(screen));
    m_today->setText("Today");
    m_today->setFont(UIFont::boldSystemFontOfSize(28));
    m_today->setTextColor(UIColor::whiteColor());
    m_todayPage->addSubview(m_today);
    m_pages->addSubview(m_todayPage);

    m_mainPage = UIView::create(CGRectOffset(screen, screen.size.width, 0));
    m_pages->addSubview(m_mainPage);
    m_time = UILabel::create(timeFrame(screen));
    m_time->setFont(UIFont::systemFontOfSize(72));
    m_time->setTextColor(UIColor::whiteColor());
    m_time->setTextAlignment(NSTextAlignment::Center);
    m_mainPage->addSubview(m_time);
    m_date = UILabel::create(dateFrame(screen));
    m_date->setFont(UIFont::systemFontOfSize(20));
    m_date->setTextColor(UIColor::whiteColor());
    m_date->setTextAlignment(NSTextAlignment::Center);
    m_mainPage->addSubview(m_date);

    if (auto listView = viewOf(m_notificationList))
        m_mainPage->addSubview(listView);
    m_mediaPageView = makeMediaControlsPage();
    if (m_mediaPageView)
        m_mainPage->addSubview(m_mediaPageView);
    m_pages->setContentOffset({screen.size.width, 0});
}

std::shared_ptr<UIView> LockScreen::makeMediaControlsPage() {
    if (!objc_getClass("SBDashBoardMediaControlsViewController"))
        return nullptr;
    auto page = SBDashBoardMediaControlsViewController::alloc();
    m_mediaPage =
        page->initWithMediaControlsViewController(MPUSystemMediaControlsViewController::create());
    m_mediaPages.push_back(m_mediaPage);
    return viewOf(m_mediaPage);
}

void LockScreen::rebuildMediaControlsPage() {
    auto old = m_mediaPageView;
    m_mediaPageView = makeMediaControlsPage();
    if (old)
        old->removeFromSuperview();
    if (m_mediaPageView)
        m_mainPage->addSubview(m_mediaPageView);
}

void LockScreen::layOut(CGRect screen, CGSize portrait) {
    // Read before the pages change width: the page shown stays shown.
    long page = m_pages->currentPage();
    // What an extension put into the media-controls page to cover it (the
    // player) keeps covering it; smaller content keeps its own frame.
    std::vector<std::shared_ptr<UIView>> covering;
    if (m_mediaPageView) {
        for (const auto& content : m_mediaPageView->subviews()) {
            if (content->frame() == m_mediaPageView->bounds() ||
                content->frame() == coveringFrame(m_mediaPageView->bounds(), portrait))
                covering.push_back(content);
        }
    }

    // The wallpaper, the pages, the passcode screen and the dimming follow
    // the window by their autoresizing.
    m_window->setFrame(screen);
    m_pages->setContentSize({screen.size.width * 2, screen.size.height});
    m_todayPage->setFrame(screen);
    m_today->setFrame(todayFrame(screen));
    m_mainPage->setFrame(CGRectOffset(screen, screen.size.width, 0));
    m_time->setFrame(timeFrame(screen));
    m_date->setFrame(dateFrame(screen));
    if (auto listView = viewOf(m_notificationList))
        listView->setFrame(screen);
    if (m_mediaPageView)
        m_mediaPageView->setFrame(screen);
    for (const auto& content : covering)
        content->setFrame(coveringFrame(screen, portrait));
    m_pages->setContentOffset({screen.size.width * static_cast<double>(page), 0});

    if (objc_getClass("SBLockScreenManager"))
        SBLockScreenManager::sharedInstance()->lockScreenViewController()->layOutPasscodeView();
}

void LockScreen::updateClock() {
    auto seconds = static_cast<std::time_t>(
        std::floor(NSRunLoop::mainRunLoop().now() + kReferenceDateSinceUnixEpoch));
    std::tm parts{};
    if (m_timeZone == TimeZone::Local)
        localtime_r(&seconds, &parts);
    else
        gmtime_r(&seconds, &parts);
    char time[16];
    char weekday[32];
    char month[32];
    std::strftime(time, sizeof time, "%H:%M", &parts);
    std::strftime(weekday, sizeof weekday, "%A", &parts);
    std::strftime(month, sizeof month, "%B", &parts);
    m_time->setText(std::string(time));
    // The day as a plain number: "%e" pads one digit with a space.
    m_date->setText(std::string(weekday) + ", " + std::to_string(parts.tm_mday) + " " + month);
}

void LockScreen::noteUserTouch() {
    if (objc_getClass("SBBacklightController"))
        SBBacklightController::sharedInstance()->userActivity();
}

Json LockScreen::dump() const {
    Json json = Json::object();
    json["clock"] = m_time->text().value_or("");
    json["date"] = m_date->text().value_or("");
    json["page"] = m_pages ? Json(m_pages->currentPage()) : Json();
    if (auto paged = std::dynamic_pointer_cast<SBPagedScrollView>(m_pages))
        json["pageCancelQueries"] = paged->cancelQueryCount();
    if (auto list = std::dynamic_pointer_cast<SBDashBoardNotificationListViewController>(
            m_notificationList)) {
        Json entry = Json::object();
        auto scrollView = std::dynamic_pointer_cast<UIView>(list->notificationListScrollView());
        entry["scrollViewHidden"] = scrollView ? Json(scrollView->isHidden()) : Json();
        entry["transitions"] = list->transitionCount();
        json["notificationList"] = std::move(entry);
    }
    Json pages = Json::array();
    for (const auto& made : m_mediaPages) {
        auto page = std::dynamic_pointer_cast<UIViewController>(made);
        if (!page)
            continue;
        Json entry = Json::object();
        auto view = page->isViewLoaded() ? page->view() : nullptr;
        entry["rootViewHidden"] = view ? Json(view->isHidden()) : Json();
        Json subviews = Json::array();
        if (view) {
            for (const auto& subview : view->subviews())
                subviews.push_back(subview->className());
        }
        entry["subviews"] = std::move(subviews);
        pages.push_back(std::move(entry));
    }
    json["mediaControlsPages"] = std::move(pages);
    if (objc_getClass("SBBacklightController")) {
        auto backlight = SBBacklightController::sharedInstance();
        Json entry = Json::object();
        entry["idleTimerResets"] = backlight->idleTimerResetCount();
        entry["dimmed"] = backlight->isDimmed();
        json["backlight"] = std::move(entry);
    }
    if (objc_getClass("SBLockScreenManager")) {
        auto controller = SBLockScreenManager::sharedInstance()->lockScreenViewController();
        Json entry = Json::object();
        entry["visible"] = controller->isPasscodeLockVisible();
        entry["requests"] = controller->passcodeRequestCount();
        json["passcodeScreen"] = std::move(entry);
    }
    if (objc_getClass("SBDeviceLockController"))
        json["passcodeLocked"] = SBDeviceLockController::sharedController()->isPasscodeLocked();
    return json;
}
