#include "platform/preferences/PSViewController.h"

#include "platform/objc/Runtime.h"
#include "platform/uikit/UINavigationItem.h"

PSViewController::PSViewController() {
    registerClass();
}

Class PSViewController::registerClass() {
    static Class cls = objc_registerClass("PSViewController", "UIViewController");
    return cls;
}

std::shared_ptr<UINavigationItem> PSViewController::navigationItem() {
    if (!m_navigationItem)
        m_navigationItem = UINavigationItem::create();
    return m_navigationItem;
}

// Presentation is immediate: the run loop has no animation to wait for, so
// the completion runs at once.
void PSViewController::presentViewController(const std::shared_ptr<UIViewController>& controller,
                                             bool, const std::function<void()>& completion) {
    if (!controller || m_presented)
        return;
    m_presented = controller;
    controller->view();
    controller->viewWillAppear(true);
    if (completion)
        completion();
}

void PSViewController::dismissViewControllerAnimated(bool,
                                                     const std::function<void()>& completion) {
    if (!m_presented)
        return;
    m_presented.reset();
    if (completion)
        completion();
}
