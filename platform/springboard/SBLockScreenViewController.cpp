#include "platform/springboard/SBLockScreenViewController.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>
#include <cmath>

Class SBLockScreenViewController::registerClass() {
    Class cls = objc_registerClass("SBLockScreenViewController", "UIViewController");
    class_addMethod(cls, "setPasscodeLockVisible:animated:completion:",
                    &SBLockScreenViewController::setPasscodeLockVisible);
    return cls;
}

std::shared_ptr<SBLockScreenViewController> SBLockScreenViewController::create() {
    return makeObject<SBLockScreenViewController>();
}

const std::shared_ptr<UIView>& SBLockScreenViewController::passcodeView() {
    if (!m_passcodeView)
        buildPasscodeView();
    return m_passcodeView;
}

void SBLockScreenViewController::buildPasscodeView() {
    m_passcodeView = UIView::create(UIScreen::mainScreen()->bounds());
    m_passcodeView->setBackgroundColor(UIColor::colorWithWhite(0.05, 0.92));
    m_passcodeView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                        UIViewAutoresizingFlexibleHeight);
    m_passcodeView->setHidden(true);
    fillPasscodeView();
}

void SBLockScreenViewController::layOutPasscodeView() {
    if (m_passcodeView)
        fillPasscodeView();
}

void SBLockScreenViewController::fillPasscodeView() {
    while (!m_passcodeView->subviews().empty())
        m_passcodeView->subviews().back()->removeFromSuperview();
    CGSize screen = m_passcodeView->bounds().size;
    auto title = UILabel::create(CGRectMake(0, screen.height * 0.16, screen.width, 30));
    title->setText("Enter Passcode");
    title->setTextColor(UIColor::whiteColor());
    title->setFont(UIFont::systemFontOfSize(20));
    title->setTextAlignment(NSTextAlignment::Center);
    title->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    m_passcodeView->addSubview(title);
    // Six entry dots and a keypad of round keys, as the phone draws them.
    double dotsLeft = screen.width / 2 - 6 * 22 / 2.0;
    for (int i = 0; i < 6; ++i) {
        auto dot =
            UIView::create(CGRectMake(dotsLeft + i * 22 + 5, screen.height * 0.16 + 45, 12, 12));
        dot->layer()->setCornerRadius(6);
        dot->layer()->setBorderWidth(1);
        dot->layer()->setBorderColor(UIColor::whiteColor());
        m_passcodeView->addSubview(dot);
    }
    // Four rows of keys stand in the lower two thirds, so that a phone held
    // sideways shows them all.
    double rowsInKeys = 4 + 3 * 0.3 * 0.6;
    double key = std::min({78.0, screen.width / 4.6, screen.height * 0.66 / rowsInKeys});
    double gap = key * 0.3;
    double left = screen.width / 2 - (3 * key + 2 * gap) / 2;
    double top = screen.height * 0.32;
    const char* digits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
    for (int i = 0; i < 10; ++i) {
        int row = i < 9 ? i / 3 : 3;
        int column = i < 9 ? i % 3 : 1;
        auto button = UIView::create(
            CGRectMake(left + column * (key + gap), top + row * (key + gap * 0.6), key, key));
        button->layer()->setCornerRadius(key / 2);
        button->setBackgroundColor(UIColor::colorWithWhite(1, 0.18));
        auto digit = UILabel::create(CGRectMake(0, 0, key, key));
        digit->setText(digits[i]);
        digit->setTextColor(UIColor::whiteColor());
        digit->setFont(UIFont::systemFontOfSize(key * 0.45));
        digit->setTextAlignment(NSTextAlignment::Center);
        button->addSubview(digit);
        m_passcodeView->addSubview(button);
    }
}

void SBLockScreenViewController::setPasscodeLockVisible(bool visible, bool animated,
                                                        std::function<void()> completion) {
    ++m_requests;
    m_passcodeVisible = visible;
    passcodeView()->setHidden(!visible);
    if (!completion)
        return;
    // The completion runs once the screen shows: after the slide when
    // animated, else on the next turn of the run loop.
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.schedule(loop.now() + (animated ? kPasscodeAnimationDuration : 0.0),
                  [completion = std::move(completion)] { completion(); });
}
