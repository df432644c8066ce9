#pragma once

#include "platform/uikit/UIViewController.h"

#include <memory>
#include <optional>
#include <vector>

class PSViewController;
class UIView;

// The Settings app's navigation: a stack of panes under a bar that shows
// the top pane's title, a back button naming the pane below and the top
// pane's right bar button. A pane coming into view hears viewWillAppear:.
class PSRootController : public UIViewController {
public:
    static constexpr CGFloat kBarHeight = 64;

    static std::shared_ptr<PSRootController> create();

    void pushController(const std::shared_ptr<PSViewController>& controller);
    // Takes the top pane off, unless it is the last; answers it.
    std::shared_ptr<PSViewController> popController();
    std::shared_ptr<PSViewController> topController() const;
    const std::vector<std::shared_ptr<PSViewController>>& controllers() const {
        return m_controllers;
    }

    // A tap on the bar's right button, if the top pane has one.
    bool pressRightBarButton();

    enum class BarButton { Back, Right };
    // The bar's button under a point of the screen, if it shows one there.
    std::optional<BarButton> barButtonAt(CGPoint point) const;

    void loadView() override;
    // Puts the bar and the top pane's view into the root view again.
    void layout();
    // The top pane's whole list, not just the part the screen shows.
    void layoutForFullContent();

    std::string_view className() const override { return "PSRootController"; }

protected:
    PSRootController() = default;

private:
    std::shared_ptr<UIView> makeBar(CGFloat width) const;

    std::vector<std::shared_ptr<PSViewController>> m_controllers;
};
