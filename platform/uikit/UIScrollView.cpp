#include "platform/uikit/UIScrollView.h"

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIScrollViewPanGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace {
// A drag of this share of a page turns the page.
constexpr double kPageTurnShare = 0.2;

} // namespace

Class UIScrollView::runtimeClass() {
    static Class cls = [] {
        Class registered = objc_registerClass("UIScrollView", "UIView");
        class_addMethod(registered, "handlePan:", &UIScrollView::handlePan);
        return registered;
    }();
    return cls;
}

std::shared_ptr<UIScrollView> UIScrollView::create(CGRect frame) {
    return makeView<UIScrollView>(frame);
}

std::shared_ptr<UIView> UIScrollView::initWithFrame(CGRect frame) {
    runtimeClass();
    auto self = UIView::initWithFrame(frame);
    m_pan = UIScrollViewPanGestureRecognizer::create(
        std::static_pointer_cast<UIScrollView>(shared_from_this()));
    addGestureRecognizer(m_pan);
    return self;
}

void UIScrollView::setContentOffset(CGPoint offset) {
    CGRect b = bounds();
    b.origin = offset;
    setBounds(b);
}

long UIScrollView::currentPage() const {
    double width = bounds().size.width;
    return width > 0 ? std::lround(contentOffset().x / width) : 0;
}

bool UIScrollView::touchesShouldCancelInContentView(const std::shared_ptr<UIView>& view) {
    return !std::dynamic_pointer_cast<UIControl>(view);
}

bool UIScrollView::shouldBeginScrolling(CGPoint, CGPoint) {
    return true;
}

void UIScrollView::handlePan(id sender) {
    auto pan = std::dynamic_pointer_cast<UIPanGestureRecognizer>(sender);
    if (!pan)
        return;
    CGPoint translation = pan->translationInView(nullptr);
    double width = bounds().size.width;
    double maximum = std::max(0.0, m_contentSize.width - width);
    switch (pan->state()) {
    case UIGestureRecognizerState::Began:
        m_dragging = true;
        m_dragStartOffset = contentOffset();
        [[fallthrough]];
    case UIGestureRecognizerState::Changed:
        setContentOffset(
            {std::clamp(m_dragStartOffset.x - translation.x, 0.0, maximum), contentOffset().y});
        break;
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled: {
        m_dragging = false;
        double x = contentOffset().x;
        if (m_pagingEnabled && width > 0) {
            double startPage = std::round(m_dragStartOffset.x / width);
            double page = startPage;
            if (-translation.x > width * kPageTurnShare)
                page = startPage + 1;
            else if (translation.x > width * kPageTurnShare)
                page = startPage - 1;
            x = std::clamp(page * width, 0.0, maximum);
        }
        setContentOffset({x, contentOffset().y});
        break;
    }
    default:
        break;
    }
}
