#include "platform/uikit/UIWindow.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIGestureRecognizer.h"

#include <algorithm>

std::shared_ptr<UIWindow> UIWindow::create(CGRect frame) {
    return makeView<UIWindow>(frame);
}

UIWindow::~UIWindow() {
    // A touch still down holds its recognisers and they hold it: let go of
    // both, or they would outlive the window.
    if (m_touch) {
        for (const auto& recognizer : m_touch->gestureRecognizers()) {
            recognizer->setStateObserver(nullptr);
            recognizer->reset();
        }
        m_touch->setGestureRecognizers({});
        m_touch->setView(nullptr);
    }
}

std::shared_ptr<UIEvent> UIWindow::eventFor(const std::shared_ptr<UITouch>& touch) const {
    return UIEvent::create({touch}, NSRunLoop::mainRunLoop().now());
}

void UIWindow::touchDown(CGPoint point) {
    // Hit tests (a slider's thumb box) use where views were last drawn; views
    // that wait for a look are drawn now, as a screen would have by then.
    UIView::displayPendingViews();
    if (m_touch)
        touchCancel();
    CFAbsoluteTime now = NSRunLoop::mainRunLoop().now();
    auto window = std::static_pointer_cast<UIWindow>(shared_from_this());
    auto touch = UITouch::create(window, point, now);
    auto event = eventFor(touch);
    std::shared_ptr<UIView> view = hitTest(point, event);
    if (!view)
        return;
    touch->setView(view);

    // Recognisers of the view and of every view above it, nearest first.
    std::vector<std::shared_ptr<UIGestureRecognizer>> recognizers;
    for (auto current = view; current; current = current->superview()) {
        for (const auto& recognizer : current->gestureRecognizers()) {
            if (recognizer->isEnabled())
                recognizers.push_back(recognizer);
        }
    }
    std::weak_ptr<UIWindow> weakWindow = window;
    for (const auto& recognizer : recognizers) {
        recognizer->setStateObserver([weakWindow](UIGestureRecognizer& recognised) {
            if (auto strong = weakWindow.lock())
                strong->recognizerRecognized(recognised);
        });
    }
    touch->setGestureRecognizers(recognizers);
    m_touch = touch;
    m_viewCancelled = false;

    UITouchSet touches{touch};
    for (const auto& recognizer : recognizers) {
        if (recognizer->state() == UIGestureRecognizerState::Possible)
            recognizer->touchesBegan(touches, event);
    }
    if (m_touch == touch && !m_viewCancelled)
        view->touchesBegan(touches, event);
}

void UIWindow::touchMove(CGPoint point) {
    continueTouch(UITouchPhase::Moved, point);
}

void UIWindow::touchUp(CGPoint point) {
    if (continueTouch(UITouchPhase::Ended, point))
        finishTouch();
}

bool UIWindow::continueTouch(UITouchPhase phase, CGPoint point) {
    auto touch = m_touch;
    if (!touch)
        return false;
    UIView::displayPendingViews();
    touch->update(phase, point, NSRunLoop::mainRunLoop().now());
    auto event = eventFor(touch);
    UITouchSet touches{touch};
    const bool ended = phase == UITouchPhase::Ended;
    // Recognisers decide first; one that recognises on the lift takes the
    // touch from the view, which then sees a cancel instead of an end.
    for (const auto& recognizer : touch->gestureRecognizers()) {
        auto state = recognizer->state();
        if (state != UIGestureRecognizerState::Possible &&
            state != UIGestureRecognizerState::Began && state != UIGestureRecognizerState::Changed)
            continue;
        if (ended)
            recognizer->touchesEnded(touches, event);
        else
            recognizer->touchesMoved(touches, event);
    }
    if (m_touch == touch && !m_viewCancelled) {
        if (ended)
            touch->view()->touchesEnded(touches, event);
        else
            touch->view()->touchesMoved(touches, event);
    }
    return true;
}

void UIWindow::touchCancel() {
    auto touch = m_touch;
    if (!touch)
        return;
    touch->update(UITouchPhase::Cancelled, touch->locationInWindow(),
                  NSRunLoop::mainRunLoop().now());
    auto event = eventFor(touch);
    UITouchSet touches{touch};
    for (const auto& recognizer : touch->gestureRecognizers())
        recognizer->touchesCancelled(touches, event);
    if (m_touch == touch && !m_viewCancelled)
        touch->view()->touchesCancelled(touches, event);
    finishTouch();
}

void UIWindow::cancelTouchInView(const std::shared_ptr<UITouch>& touch) {
    if (!touch || touch != m_touch || m_viewCancelled)
        return;
    m_viewCancelled = true;
    auto event = eventFor(touch);
    touch->view()->touchesCancelled({touch}, event);
}

void UIWindow::recognizerRecognized(UIGestureRecognizer& recognizer) {
    auto touch = m_touch;
    if (!touch)
        return;
    // Only one recogniser takes a touch: the others that were still waiting
    // fail.
    for (const auto& other : touch->gestureRecognizers()) {
        if (other.get() != &recognizer)
            other->failIfPossible();
    }
    if (recognizer.cancelsTouchesInView())
        cancelTouchInView(touch);
}

void UIWindow::finishTouch() {
    auto touch = m_touch;
    m_touch.reset();
    m_viewCancelled = false;
    if (!touch)
        return;
    for (const auto& recognizer : touch->gestureRecognizers()) {
        recognizer->setStateObserver(nullptr);
        recognizer->reset();
    }
}
