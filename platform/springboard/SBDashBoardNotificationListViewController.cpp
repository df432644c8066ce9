#include "platform/springboard/SBDashBoardNotificationListViewController.h"

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"

namespace {
struct SampleNotification {
    const char* application;
    const char* title;
    const char* body;
    const char* when;
};

// What the list shows on the demo device.
constexpr SampleNotification kSamples[] = {
    {"MESSAGES", "Ana", "Are we still on for the concert tonight?", "now"},
    {"CALENDAR", "Band rehearsal", "Studio B, 19:30", "12m ago"},
    {"MAIL", "Record shop", "Your vinyl order has shipped", "1h ago"},
};
} // namespace

Class SBDashBoardNotificationListViewController::registerClass() {
    objc_registerClass("UIViewController");
    Class cls = objc_registerClass("SBDashBoardNotificationListViewController", "UIViewController");
    class_addMethod(cls, "initWithNibName:bundle:",
                    &SBDashBoardNotificationListViewController::originalInitWithNibName);
    class_addMethod(cls, kTransitionSelector,
                    &SBDashBoardNotificationListViewController::originalPerformCustomTransition);
    class_addMethod<id>(cls, "notificationListScrollView",
                        &SBDashBoardNotificationListViewController::loadedScrollView);
    return cls;
}

std::shared_ptr<SBDashBoardNotificationListViewController>
SBDashBoardNotificationListViewController::alloc() {
    return makeObject<SBDashBoardNotificationListViewController>();
}

id SBDashBoardNotificationListViewController::initWithNibName(
    const std::optional<std::string>& nibName, const id& bundle) {
    return objc_msgSend<id, std::optional<std::string>, id>(
        shared_from_this(), "initWithNibName:bundle:", nibName, bundle);
}

void SBDashBoardNotificationListViewController::performCustomTransitionToVisible(
    bool visible, const id& animationSettings, Completion completion) {
    objc_msgSend<void, bool, id, Completion>(shared_from_this(), kTransitionSelector, visible,
                                             animationSettings, std::move(completion));
}

id SBDashBoardNotificationListViewController::notificationListScrollView() {
    return objc_msgSend<id>(shared_from_this(), "notificationListScrollView");
}

id SBDashBoardNotificationListViewController::originalInitWithNibName(std::optional<std::string>,
                                                                      id) {
    return shared_from_this();
}

void SBDashBoardNotificationListViewController::originalPerformCustomTransition(
    bool visible, id, Completion completion) {
    ++m_transitions;
    m_visible = visible;
    view();
    m_scrollView->setHidden(!visible);
    if (completion)
        completion();
}

std::shared_ptr<UIScrollView> SBDashBoardNotificationListViewController::loadedScrollView() {
    view();
    return m_scrollView;
}

void SBDashBoardNotificationListViewController::loadView() {
    CGRect screen = UIScreen::mainScreen()->bounds();
    auto root = UIView::create(screen);
    root->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    setView(root);
    buildList();
}

void SBDashBoardNotificationListViewController::buildList() {
    CGRect screen = UIScreen::mainScreen()->bounds();
    double top = screen.size.height * 0.27;
    m_scrollView =
        UIScrollView::create(CGRectMake(0, top, screen.size.width, screen.size.height - top));
    m_scrollView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                      UIViewAutoresizingFlexibleHeight);
    m_scrollView->setHidden(!m_visible);
    double margin = 8;
    double width = screen.size.width - 2 * margin;
    double y = 0;
    for (const auto& sample : kSamples) {
        auto card = UIView::create(CGRectMake(margin, y, width, 92));
        card->setBackgroundColor(UIColor::colorWithWhite(1, 0.78));
        card->layer()->setCornerRadius(12);
        auto application = UILabel::create(CGRectMake(14, 8, width - 100, 18));
        application->setText(sample.application);
        application->setFont(UIFont::systemFontOfSize(12));
        application->setTextColor(UIColor::colorWithWhite(0.3, 1));
        auto when = UILabel::create(CGRectMake(width - 84, 8, 70, 18));
        when->setText(sample.when);
        when->setFont(UIFont::systemFontOfSize(12));
        when->setTextAlignment(NSTextAlignment::Right);
        when->setTextColor(UIColor::colorWithWhite(0.3, 1));
        auto title = UILabel::create(CGRectMake(14, 32, width - 28, 22));
        title->setText(sample.title);
        title->setFont(UIFont::boldSystemFontOfSize(16));
        auto body = UILabel::create(CGRectMake(14, 56, width - 28, 22));
        body->setText(sample.body);
        body->setFont(UIFont::systemFontOfSize(15));
        // A card spans the list however wide the screen turns.
        card->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
        for (const auto& label : {application, title, body})
            label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
        when->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
        for (const auto& label : {application, when, title, body})
            card->addSubview(label);
        m_scrollView->addSubview(card);
        y += 100;
    }
    m_scrollView->setContentSize({screen.size.width, y});
    view()->addSubview(m_scrollView);
}
