#include "platform/springboard/SBHorizontalScrollFailureRecognizer.h"

#include <cmath>

Class SBHorizontalScrollFailureRecognizer::registerClass() {
    Class cls = objc_registerClass("SBHorizontalScrollFailureRecognizer");
    class_addMethod(cls, "_isOutOfBounds:forAngle:",
                    &SBHorizontalScrollFailureRecognizer::originalIsOutOfBounds);
    return cls;
}

std::shared_ptr<SBHorizontalScrollFailureRecognizer> SBHorizontalScrollFailureRecognizer::create() {
    auto recognizer = makeObject<SBHorizontalScrollFailureRecognizer>();
    // It decides for the others; the touch stays with the view it began in.
    recognizer->setCancelsTouchesInView(false);
    return recognizer;
}

bool SBHorizontalScrollFailureRecognizer::isOutOfBounds(CGPoint point, double angle) {
    return objc_msgSend<bool, CGPoint, double>(shared_from_this(),
                                               "_isOutOfBounds:forAngle:", point, angle);
}

bool SBHorizontalScrollFailureRecognizer::originalIsOutOfBounds(CGPoint, double angle) {
    double fromHorizontal = std::fabs(angle);
    if (fromHorizontal > M_PI / 2)
        fromHorizontal = M_PI - fromHorizontal;
    return fromHorizontal > kMaximumAngle;
}

void SBHorizontalScrollFailureRecognizer::touchesBegan(const UITouchSet& touches,
                                                       const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesBegan(touches, event);
    if (auto touch = anyObject(touches))
        m_start = touch->locationInWindow();
}

void SBHorizontalScrollFailureRecognizer::touchesMoved(const UITouchSet& touches,
                                                       const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesMoved(touches, event);
    auto touch = anyObject(touches);
    if (!touch || state() != UIGestureRecognizerState::Possible)
        return;
    CGPoint p = touch->locationInWindow();
    double dx = p.x - m_start.x;
    double dy = p.y - m_start.y;
    if (std::hypot(dx, dy) < kDecisionDistance)
        return;
    if (isOutOfBounds(p, std::atan2(dy, dx)))
        setState(UIGestureRecognizerState::Recognized);
    else
        setState(UIGestureRecognizerState::Failed);
}

void SBHorizontalScrollFailureRecognizer::touchesEnded(const UITouchSet& touches,
                                                       const std::shared_ptr<UIEvent>& event) {
    UIGestureRecognizer::touchesEnded(touches, event);
    if (state() == UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Failed);
}
