#pragma once

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIViewController.h"

#include <functional>
#include <optional>
#include <string>

class UIScrollView;

// The lock screen's notification list. Its transition shows (YES) or hides
// (NO) the list's scroll view, the list's visible part.
class SBDashBoardNotificationListViewController : public UIViewController {
public:
    using Completion = std::function<void()>;

    // The transition's selector, under which the tweak replaces it.
    static constexpr const char* kTransitionSelector =
        "performCustomTransitionToVisible:withAnimationSettings:completion:";

    static Class registerClass();
    static std::shared_ptr<SBDashBoardNotificationListViewController> alloc();

    // -initWithNibName:bundle:
    id initWithNibName(const std::optional<std::string>& nibName, const id& bundle);
    // -performCustomTransitionToVisible:withAnimationSettings:completion:
    void performCustomTransitionToVisible(bool visible, const id& animationSettings,
                                          Completion completion);
    // -notificationListScrollView
    id notificationListScrollView();

    bool isListVisible() const { return m_visible; }
    int transitionCount() const { return m_transitions; }

    void loadView() override;
    std::string_view className() const override {
        return "SBDashBoardNotificationListViewController";
    }

protected:
    SBDashBoardNotificationListViewController() = default;

private:
    id originalInitWithNibName(std::optional<std::string> nibName, id bundle);
    void originalPerformCustomTransition(bool visible, id animationSettings, Completion completion);
    void buildList();
    // The list's scroll view, loading the view first when it is not yet.
    std::shared_ptr<UIScrollView> loadedScrollView();

    std::shared_ptr<UIScrollView> m_scrollView;
    bool m_visible = true;
    int m_transitions = 0;
};
