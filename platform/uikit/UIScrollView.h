#pragma once

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIView.h"

#include <memory>

class UIScrollViewPanGestureRecognizer;

// A view whose bounds slide over a larger content. With paging it settles on
// whole pages. A drag that begins on a subview scrolls only when
// touchesShouldCancelInContentView: allows it; the subview then loses the
// touch.
class UIScrollView : public UIView {
public:
    static std::shared_ptr<UIScrollView> create(CGRect frame = CGRectZero);
    // The runtime class, which its recogniser's action is sent through.
    static Class runtimeClass();
    std::shared_ptr<UIView> initWithFrame(CGRect frame) override;

    CGSize contentSize() const { return m_contentSize; }
    void setContentSize(CGSize size) { m_contentSize = size; }
    CGPoint contentOffset() const { return bounds().origin; }
    void setContentOffset(CGPoint offset);
    bool isPagingEnabled() const { return m_pagingEnabled; }
    void setPagingEnabled(bool enabled) { m_pagingEnabled = enabled; }
    bool isScrollEnabled() const { return m_scrollEnabled; }
    void setScrollEnabled(bool enabled) { m_scrollEnabled = enabled; }
    bool isDragging() const { return m_dragging; }
    // The page the offset rests on (paging horizontally).
    long currentPage() const;

    // May a drag that began in this subview scroll (and take the touch)?
    // Controls keep their touches; other views give them up.
    virtual bool touchesShouldCancelInContentView(const std::shared_ptr<UIView>& view);

    // May this drag scroll at all? Subclasses add their own conditions.
    virtual bool shouldBeginScrolling(CGPoint locationInView, CGPoint translation);

    const std::shared_ptr<UIScrollViewPanGestureRecognizer>& panGestureRecognizer() const {
        return m_pan;
    }

    // From the pan recogniser.
    void handlePan(id recognizer);

    std::string_view className() const override { return "UIScrollView"; }

protected:
    UIScrollView() = default;

private:
    CGSize m_contentSize;
    bool m_pagingEnabled = false;
    bool m_scrollEnabled = true;
    bool m_dragging = false;
    CGPoint m_dragStartOffset;
    std::shared_ptr<UIScrollViewPanGestureRecognizer> m_pan;
};
