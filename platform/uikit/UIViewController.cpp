#include "platform/uikit/UIViewController.h"

#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"

std::shared_ptr<UIViewController> UIViewController::create() {
    return makeObject<UIViewController>();
}

std::shared_ptr<UIView> UIViewController::view() {
    if (!m_view && !m_loading) {
        // A view controller that asks for its view while loading it gets
        // nothing rather than recursing.
        m_loading = true;
        loadView();
        m_loading = false;
        if (!m_view)
            setView(UIView::create(UIScreen::mainScreen()->bounds()));
        viewDidLoad();
    }
    return m_view;
}

void UIViewController::setView(const std::shared_ptr<UIView>& view) {
    if (m_view && m_view != view)
        m_view->setViewController(nullptr);
    m_view = view;
    if (m_view)
        m_view->setViewController(std::static_pointer_cast<UIViewController>(shared_from_this()));
}

void UIViewController::loadView() {
    setView(UIView::create(UIScreen::mainScreen()->bounds()));
}

std::shared_ptr<UIResponder> UIViewController::nextResponder() const {
    return m_view ? m_view->superview() : nullptr;
}
