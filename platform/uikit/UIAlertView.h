#pragma once

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// A modal alert: a title, a message and buttons, the cancel button first.
// When the user taps a button the delegate hears
// alertView:clickedButtonAtIndex: (the alert and the signed button index)
// through the runtime, and the alert goes away. The delegate is held weakly;
// the platform keeps a shown alert until it is dismissed.
class UIAlertView : public UIView {
public:
    // [[UIAlertView alloc] initWithTitle:message:delegate:cancelButtonTitle:otherButtonTitles:]
    static std::shared_ptr<UIAlertView> create(std::optional<std::string> title,
                                               std::optional<std::string> message,
                                               const id& delegate,
                                               std::optional<std::string> cancelButtonTitle,
                                               std::vector<std::string> otherButtonTitles);

    const std::optional<std::string>& title() const { return m_title; }
    const std::optional<std::string>& message() const { return m_message; }
    id delegate() const { return m_delegate.lock(); }
    void setDelegate(const id& delegate) { m_delegate = delegate; }

    long numberOfButtons() const { return static_cast<long>(m_buttons.size()); }
    std::optional<std::string> buttonTitleAtIndex(long index) const;
    // -1 when the alert has no cancel button.
    long cancelButtonIndex() const { return m_cancelButtonIndex; }

    void show();
    bool isVisible() const;
    // The user's tap on a button: the delegate hears which, then the alert
    // is dismissed. An index the alert does not have does nothing.
    void clickButtonAtIndex(long index);
    // -dismissWithClickedButtonIndex:animated: goes away without telling
    // the delegate of a click, as the platform does.
    void dismissWithClickedButtonIndex(long index, bool animated);

    // The alerts on screen, the one in front last.
    static std::vector<std::shared_ptr<UIAlertView>> visibleAlerts();
    static std::shared_ptr<UIAlertView> visibleAlert();
    // Hosts and tests start from a screen without alerts.
    static void dismissAllForTesting();

    // Sizes the alert and places it in the middle of the screen's bounds, with
    // its texts and buttons as subviews, ready to be drawn over the screen.
    void layoutInScreen(CGRect screen);
    // The button under a point in the alert's own coordinates, as last laid
    // out; nothing between or outside them.
    std::optional<long> buttonIndexAtPoint(CGPoint point) const;

    std::string_view className() const override { return "UIAlertView"; }

protected:
    UIAlertView(std::optional<std::string> title, std::optional<std::string> message,
                const id& delegate, std::optional<std::string> cancelButtonTitle,
                std::vector<std::string> otherButtonTitles);

private:
    static constexpr CGFloat kWidth = 270;

    std::optional<std::string> m_title;
    std::optional<std::string> m_message;
    WeakId m_delegate;
    std::vector<std::string> m_buttons;
    long m_cancelButtonIndex = -1;
    std::vector<CGRect> m_buttonFrames;
};
