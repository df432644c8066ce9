#include "platform/uikit/UIView.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/objc/Runtime.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>

namespace {
// The base classes of the views, so that classes registered under them have
// their real superclass chain.
void registerViewClasses() {
    static const bool registered = [] {
        objc_registerClass("UIResponder");
        objc_registerClass("UIView", "UIResponder");
        objc_registerClass("UIControl", "UIView");
        objc_registerClass("UIViewController", "UIResponder");
        objc_registerClass("UIApplication", "UIResponder");
        return true;
    }();
    (void)registered;
}
} // namespace

UIView::UIView() : m_layer(CALayer::layer()) {
    registerViewClasses();
}

std::shared_ptr<UIView> UIView::create(CGRect frame) {
    return makeView<UIView>(frame);
}

std::shared_ptr<UIView> UIView::initWithFrame(CGRect frame) {
    setFrame(frame);
    return std::static_pointer_cast<UIView>(shared_from_this());
}

CGRect UIView::frame() const {
    return {{m_center.x - m_bounds.size.width / 2, m_center.y - m_bounds.size.height / 2},
            m_bounds.size};
}

void UIView::setFrame(CGRect frame) {
    frame = CGRectStandardize(frame);
    CGSize oldSize = m_bounds.size;
    m_center = {frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2};
    m_bounds.size = frame.size;
    if (oldSize != frame.size) {
        resizeSubviews(oldSize);
        if (drawsContent())
            setNeedsDisplay();
    }
}

void UIView::setBounds(CGRect bounds) {
    CGSize oldSize = m_bounds.size;
    m_bounds = CGRectStandardize(bounds);
    if (oldSize != m_bounds.size) {
        resizeSubviews(oldSize);
        if (drawsContent())
            setNeedsDisplay();
    }
}

void UIView::resizeSubviews(CGSize oldSize) {
    for (const auto& subview : m_subviews)
        subview->autoresize(oldSize, m_bounds.size);
}

// Spreads the superview's change of size over the flexible parts of this
// view's frame, as the platform's autoresizing does.
void UIView::autoresize(CGSize oldSuper, CGSize newSuper) {
    if (m_autoresizingMask == UIViewAutoresizingNone)
        return;
    CGRect f = frame();
    auto distribute = [](CGFloat delta, CGFloat& leading, CGFloat& size, CGFloat trailing,
                         bool flexLeading, bool flexSize, bool flexTrailing) {
        CGFloat weights =
            (flexLeading ? leading : 0) + (flexSize ? size : 0) + (flexTrailing ? trailing : 0);
        int parts = int(flexLeading) + int(flexSize) + int(flexTrailing);
        if (parts == 0)
            return;
        auto share = [&](bool flex, CGFloat amount) {
            if (!flex)
                return 0.0;
            return weights > 0 ? delta * amount / weights : delta / parts;
        };
        CGFloat leadingShare = share(flexLeading, leading);
        CGFloat sizeShare = share(flexSize, size);
        leading += leadingShare;
        size += sizeShare;
    };
    CGFloat left = f.origin.x;
    CGFloat width = f.size.width;
    CGFloat right = oldSuper.width - f.origin.x - f.size.width;
    distribute(newSuper.width - oldSuper.width, left, width, right,
               m_autoresizingMask & UIViewAutoresizingFlexibleLeftMargin,
               m_autoresizingMask & UIViewAutoresizingFlexibleWidth,
               m_autoresizingMask & UIViewAutoresizingFlexibleRightMargin);
    CGFloat top = f.origin.y;
    CGFloat height = f.size.height;
    CGFloat bottom = oldSuper.height - f.origin.y - f.size.height;
    distribute(newSuper.height - oldSuper.height, top, height, bottom,
               m_autoresizingMask & UIViewAutoresizingFlexibleTopMargin,
               m_autoresizingMask & UIViewAutoresizingFlexibleHeight,
               m_autoresizingMask & UIViewAutoresizingFlexibleBottomMargin);
    setFrame({{left, top}, {std::max(0.0, width), std::max(0.0, height)}});
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) {
    insertSubviewAtIndex(view, static_cast<long>(m_subviews.size()));
}

void UIView::insertSubviewAtIndex(const std::shared_ptr<UIView>& view, long index) {
    if (!view || view.get() == this)
        return;
    // Keep the view alive while it moves from its old superview.
    std::shared_ptr<UIView> moving = view;
    moving->removeFromSuperview();
    long clamped = std::clamp(index, 0L, static_cast<long>(m_subviews.size()));
    m_subviews.insert(m_subviews.begin() + clamped, moving);
    moving->m_superview = std::static_pointer_cast<UIView>(shared_from_this());
}

void UIView::removeFromSuperview() {
    auto parent = m_superview.lock();
    m_superview.reset();
    if (!parent)
        return;
    std::erase_if(parent->m_subviews, [this](const auto& child) { return child.get() == this; });
}

bool UIView::isDescendantOfView(const std::shared_ptr<UIView>& view) const {
    for (const UIView* current = this; current; current = current->m_superview.lock().get()) {
        if (current == view.get())
            return true;
    }
    return false;
}

std::shared_ptr<UIWindow> UIView::window() const {
    std::shared_ptr<const UIView> current =
        std::static_pointer_cast<const UIView>(shared_from_this());
    while (auto parent = current->superview())
        current = parent;
    return std::dynamic_pointer_cast<UIWindow>(std::const_pointer_cast<UIView>(current));
}

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
    if (!recognizer)
        return;
    if (auto previous = recognizer->view(); previous && previous.get() != this)
        previous->removeGestureRecognizer(recognizer);
    if (std::find(m_recognizers.begin(), m_recognizers.end(), recognizer) == m_recognizers.end())
        m_recognizers.push_back(recognizer);
    recognizer->setView(std::static_pointer_cast<UIView>(shared_from_this()));
}

void UIView::removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
    auto found = std::find(m_recognizers.begin(), m_recognizers.end(), recognizer);
    if (found == m_recognizers.end())
        return;
    m_recognizers.erase(found);
    recognizer->setView(nullptr);
}

namespace {
// Views waiting for the next display pass, held weakly: a view that goes away
// before the pass is simply not drawn.
std::vector<std::weak_ptr<UIView>>& viewsNeedingDisplay() {
    static std::vector<std::weak_ptr<UIView>> views;
    return views;
}

bool displayPassScheduled = false;
UIView::DisplayPasses displayPasses = UIView::DisplayPasses::Automatic;
long viewsDrawn = 0;
// 0: the screen's. Only the main thread draws, so a plain value does.
CGFloat contentsScaleForDrawing = 0;
} // namespace

void UIView::setContentsScale(CGFloat scale) {
    contentsScaleForDrawing = std::isfinite(scale) && scale > 0 ? scale : 0;
}

CGFloat UIView::contentsScale() {
    return contentsScaleForDrawing;
}

void UIView::setDisplayPasses(DisplayPasses passes) {
    displayPasses = passes;
}

long UIView::drawCount() {
    return viewsDrawn;
}

void UIView::displayPendingViews() {
    if (displayPasses == DisplayPasses::OnDemand)
        runDisplayPass();
}

void UIView::runDisplayPass() {
    auto views = std::move(viewsNeedingDisplay());
    viewsNeedingDisplay().clear();
    for (const auto& weak : views) {
        if (auto view = weak.lock())
            view->displayIfNeeded();
    }
}

void UIView::scheduleDisplayPass() {
    if (displayPassScheduled || displayPasses == DisplayPasses::OnDemand)
        return;
    displayPassScheduled = true;
    NSRunLoop::mainRunLoop().enqueue([] {
        displayPassScheduled = false;
        runDisplayPass();
    });
}

void UIView::setNeedsDisplay() {
    if (m_needsDisplay)
        return;
    m_needsDisplay = true;
    auto& views = viewsNeedingDisplay();
    // Waiting for a look can take long: views gone meanwhile are let go of
    // rather than kept in the list.
    if (views.size() >= 64)
        std::erase_if(views, [](const auto& weak) { return weak.expired(); });
    views.push_back(std::static_pointer_cast<UIView>(shared_from_this()));
    scheduleDisplayPass();
}

void UIView::displayIfNeeded() {
    if (!m_needsDisplay)
        return;
    m_needsDisplay = false;
    if (!drawsContent())
        return;
    CGSize size = m_bounds.size;
    if (!(size.width > 0) || !(size.height > 0) || size.width > 8192 || size.height > 8192) {
        m_layer->setContents(nullptr);
        return;
    }
    UIGraphicsBeginImageContextWithOptions(size, false, contentsScaleForDrawing);
    ++viewsDrawn;
    drawRect(m_bounds);
    std::shared_ptr<UIImage> image = UIGraphicsEndImageContextWithImage();
    m_layer->setContents(image ? image->CGImage() : nullptr);
}

void UIView::drawRect(CGRect) {}

std::shared_ptr<UIView> UIView::hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event) {
    if (m_hidden || !m_userInteractionEnabled || m_alpha < 0.01 || !pointInside(point, event))
        return nullptr;
    for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it) {
        std::shared_ptr<UIView> subview = *it;
        CGPoint local = subview->convertPointFromView(
            point, std::static_pointer_cast<UIView>(shared_from_this()));
        if (auto hit = subview->hitTest(local, event))
            return hit;
    }
    return std::static_pointer_cast<UIView>(shared_from_this());
}

bool UIView::pointInside(CGPoint point, const std::shared_ptr<UIEvent>&) const {
    return CGRectContainsPoint(m_bounds, point);
}

CGPoint UIView::originInWindow() const {
    // The window coordinate of this view's bounds origin.
    CGPoint origin{0, 0};
    for (const UIView* view = this; view; view = view->m_superview.lock().get()) {
        CGRect f = view->frame();
        origin.x += f.origin.x - view->m_bounds.origin.x;
        origin.y += f.origin.y - view->m_bounds.origin.y;
        if (dynamic_cast<const UIWindow*>(view))
            break;
    }
    return origin;
}

CGPoint UIView::convertPointToView(CGPoint point, const std::shared_ptr<UIView>& view) const {
    CGPoint here = originInWindow();
    CGPoint inWindow{point.x + here.x, point.y + here.y};
    if (!view)
        return inWindow;
    CGPoint there = view->originInWindow();
    return {inWindow.x - there.x, inWindow.y - there.y};
}

CGPoint UIView::convertPointFromView(CGPoint point, const std::shared_ptr<UIView>& view) const {
    CGPoint inWindow = view ? view->convertPointToView(point, nullptr) : point;
    CGPoint here = originInWindow();
    return {inWindow.x - here.x, inWindow.y - here.y};
}

CGRect UIView::convertRectToView(CGRect rect, const std::shared_ptr<UIView>& view) const {
    return {convertPointToView(rect.origin, view), rect.size};
}

void UIView::setViewController(const std::shared_ptr<UIViewController>& controller) {
    m_controller = controller;
}

std::shared_ptr<UIResponder> UIView::nextResponder() const {
    if (auto controller = m_controller.lock())
        return controller;
    return m_superview.lock();
}

void UIView::transitionWithView(const std::shared_ptr<UIView>& view, double duration,
                                UIViewAnimationOptions options,
                                const std::function<void()>& animations,
                                const std::function<void(bool)>& completion) {
    if (view &&
        (options & UIViewAnimationOptionTransitionCrossDissolve) ==
            UIViewAnimationOptionTransitionCrossDissolve &&
        duration > 0) {
        CATransition transition;
        transition.beginTime = NSRunLoop::mainRunLoop().now();
        transition.duration = duration;
        transition.previousImage = view->transitionSnapshotImage();
        transition.hadPreviousImage = true;
        view->layer()->setTransition(std::move(transition));
    }
    if (animations)
        animations();
    if (completion) {
        NSRunLoop& loop = NSRunLoop::mainRunLoop();
        loop.schedule(loop.now() + std::max(0.0, duration), [completion] { completion(true); });
    }
}
