#pragma once

#include "platform/uikit/UIViewController.h"

#include <functional>
#include <memory>

class PSRootController;
class UINavigationItem;

// A view controller of the Settings app: it sits in the app's navigation
// stack (its root controller), has a navigation item for the bar, and can
// present another controller (a mail composer) over itself.
class PSViewController : public UIViewController {
public:
    std::shared_ptr<UINavigationItem> navigationItem();

    std::shared_ptr<PSRootController> rootController() const { return m_root.lock(); }
    void setRootController(const std::shared_ptr<PSRootController>& root) { m_root = root; }

    // -presentViewController:animated:completion:
    void presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
                               const std::function<void()>& completion);
    // -dismissViewControllerAnimated:completion:
    void dismissViewControllerAnimated(bool animated, const std::function<void()>& completion);
    const std::shared_ptr<UIViewController>& presentedViewController() const { return m_presented; }

    // The runtime class, registered on first use.
    static Class registerClass();

    std::string_view className() const override { return "PSViewController"; }

protected:
    PSViewController();

private:
    std::weak_ptr<PSRootController> m_root;
    std::shared_ptr<UINavigationItem> m_navigationItem;
    std::shared_ptr<UIViewController> m_presented;
};
