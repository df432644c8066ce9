#include "platform/springboard/SBPagedScrollView.h"

#include <cmath>

Class SBPagedScrollView::registerClass() {
    UIScrollView::runtimeClass();
    Class cls = objc_registerClass("SBPagedScrollView", "UIScrollView");
    class_addMethod(cls, "touchesShouldCancelInContentView:",
                    &SBPagedScrollView::originalTouchesShouldCancelInContentView);
    return cls;
}

std::shared_ptr<SBPagedScrollView> SBPagedScrollView::create(CGRect frame) {
    auto view = makeView<SBPagedScrollView>(frame);
    view->setPagingEnabled(true);
    return view;
}

bool SBPagedScrollView::touchesShouldCancelInContentView(const std::shared_ptr<UIView>& view) {
    return objc_msgSend<bool, id>(shared_from_this(), "touchesShouldCancelInContentView:", view);
}

bool SBPagedScrollView::originalTouchesShouldCancelInContentView(id view) {
    ++m_queries;
    return UIScrollView::touchesShouldCancelInContentView(std::dynamic_pointer_cast<UIView>(view));
}

bool SBPagedScrollView::shouldBeginScrolling(CGPoint, CGPoint translation) {
    return std::fabs(translation.x) > std::fabs(translation.y);
}
