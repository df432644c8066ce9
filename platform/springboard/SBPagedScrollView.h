#pragma once

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIScrollView.h"

// The lock screen's horizontal pages. When a drag that began on a page's
// content would scroll, it asks touchesShouldCancelInContentView: (through
// the runtime) whether it may take the touch; answering NO keeps the touch
// with the view that began it.
class SBPagedScrollView : public UIScrollView {
public:
    static Class registerClass();
    static std::shared_ptr<SBPagedScrollView> create(CGRect frame);

    // -touchesShouldCancelInContentView:
    bool touchesShouldCancelInContentView(const std::shared_ptr<UIView>& view) override;
    // Pages turn only for drags that are more across than along.
    bool shouldBeginScrolling(CGPoint location, CGPoint translation) override;

    int cancelQueryCount() const { return m_queries; }

    std::string_view className() const override { return "SBPagedScrollView"; }

protected:
    SBPagedScrollView() = default;

private:
    bool originalTouchesShouldCancelInContentView(id view);

    int m_queries = 0;
};
