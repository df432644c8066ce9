#include "slider/UICircularSlider.h"

#include "hooks/settings/SettingsStore.h"
#include "platform/objc/Runtime.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UITapGestureRecognizer.h"

#include <cmath>
#include <numbers>

namespace {

constexpr CGFloat kRingInset = 12;
constexpr CGFloat kTrackLineWidth = 5.0;
constexpr CGFloat kDefaultThumbRadius = 12;
constexpr CGFloat kThumbBoxHalfSide = 12;
constexpr CGFloat kStartAngle = -std::numbers::pi / 2;
// The value mappings turn in single precision, the drawing and the finger's
// angle in CGFloat; the two constants differ in the last bits on purpose.
constexpr float kFullTurnFloat = 6.2831855f;
constexpr CGFloat kFullTurn = 6.283185307179586;

} // namespace

float translateValueFromSourceIntervalToDestinationInterval(float sourceValue, float sourceMinimum,
                                                            float sourceMaximum,
                                                            float destinationMinimum,
                                                            float destinationMaximum) {
    // The slider library is built without contraction, so each step rounds to
    // float exactly as written here.
    float a = (destinationMaximum - destinationMinimum) / (sourceMaximum - sourceMinimum);
    float offset = destinationMaximum - a * sourceMaximum;
    return a * sourceValue + offset;
}

CGFloat angleBetweenThreePoints(CGPoint centerPoint, CGPoint p1, CGPoint p2) {
    CGFloat ux = p1.x - centerPoint.x;
    CGFloat uy = p1.y - centerPoint.y;
    CGFloat wx = p2.x - centerPoint.x;
    CGFloat wy = p2.y - centerPoint.y;
    float sine = static_cast<float>(uy * wx - ux * wy);
    float cosine = static_cast<float>(ux * wx + uy * wy);
    return static_cast<CGFloat>(std::atan2(sine, cosine));
}

UICircularSlider::UICircularSlider() {
    registerClass();
}

// Recognisers deliver their actions through the runtime, so the two actions
// must be methods of a class the runtime knows by the control's name.
void UICircularSlider::registerClass() {
    [[maybe_unused]] static const bool registered = [] {
        Class cls = objc_registerClass("UICircularSlider", "UIControl");
        class_addMethod(cls, "panGestureHappened:", &UICircularSlider::panGestureHappened);
        class_addMethod(cls, "tapGestureHappened:", &UICircularSlider::tapGestureHappened);
        return true;
    }();
}

std::shared_ptr<UICircularSlider> UICircularSlider::create(CGRect frame) {
    return makeView<UICircularSlider>(frame);
}

std::shared_ptr<UIView> UICircularSlider::initWithFrame(CGRect frame) {
    auto view = UIControl::initWithFrame(frame);
    if (view)
        setup();
    return view;
}

void UICircularSlider::awakeFromNib() {
    setup();
}

void UICircularSlider::setup() {
    setValue(0);
    setMinimumValue(0);
    setMaximumValue(1);
    setMinimumTrackTintColor(UIColor::blueColor());
    setMaximumTrackTintColor(UIColor::whiteColor());
    setThumbTintColor(UIColor::darkGrayColor());
    setContinuous(true);
    setThumbCenterPoint(CGPointZero);

    // The view owns its recognisers; the control keeps no reference of its own.
    addGestureRecognizer(UITapGestureRecognizer::create(self(), "tapGestureHappened:"));
    auto pan = UIPanGestureRecognizer::create(self(), "panGestureHappened:");
    pan->setMaximumNumberOfTouches(pan->minimumNumberOfTouches());
    addGestureRecognizer(pan);
}

void UICircularSlider::setValue(float value) {
    // The early return compares the argument before clamping, so asking a
    // slider at its maximum for more still redraws and reports a change.
    // A value that is not a number has no place on the ring and is refused.
    if (value == m_value || std::isnan(value))
        return;
    if (m_maximumValue < value)
        value = m_maximumValue;
    if (value < m_minimumValue)
        value = m_minimumValue;
    m_value = value;
    setNeedsDisplay();
    if (m_continuous)
        sendActionsForControlEvents(UIControlEventValueChanged);
}

void UICircularSlider::setMinimumValue(float minimumValue) {
    if (minimumValue == m_minimumValue || std::isnan(minimumValue))
        return;
    m_minimumValue = minimumValue;
    if (m_maximumValue < minimumValue)
        setMaximumValue(minimumValue);
    if (m_value < m_minimumValue)
        setValue(m_minimumValue);
}

void UICircularSlider::setMaximumValue(float maximumValue) {
    if (maximumValue == m_maximumValue || std::isnan(maximumValue))
        return;
    m_maximumValue = maximumValue;
    if (m_minimumValue > maximumValue)
        setMinimumValue(maximumValue);
    if (m_value > m_maximumValue)
        setValue(m_maximumValue);
}

namespace {
// isEqual: sent to a nil colour answers NO, so only two equal colours match.
bool sameColor(const UIColorRef& a, const UIColorRef& b) {
    return a && b && *a == *b;
}
} // namespace

void UICircularSlider::setMinimumTrackTintColor(const UIColorRef& color) {
    if (sameColor(color, m_minimumTrackTintColor))
        return;
    m_minimumTrackTintColor = color;
    setNeedsDisplay();
}

void UICircularSlider::setMaximumTrackTintColor(const UIColorRef& color) {
    if (sameColor(color, m_maximumTrackTintColor))
        return;
    m_maximumTrackTintColor = color;
    setNeedsDisplay();
}

void UICircularSlider::setThumbTintColor(const UIColorRef& color) {
    if (sameColor(color, m_thumbTintColor))
        return;
    m_thumbTintColor = color;
    setNeedsDisplay();
}

void UICircularSlider::setSliderStyle(int style) {
    if (style == m_sliderStyle)
        return;
    m_sliderStyle = style;
    setNeedsDisplay();
}

CGFloat UICircularSlider::sliderRadius() const {
    CGRect b = bounds();
    return std::min(b.size.width / 2, b.size.height / 2) - kRingInset;
}

bool UICircularSlider::isPointInThumb(CGPoint point) const {
    CGRect box{{m_thumbCenterPoint.x - kThumbBoxHalfSide, m_thumbCenterPoint.y - kThumbBoxHalfSide},
               {2 * kThumbBoxHalfSide, 2 * kThumbBoxHalfSide}};
    return CGRectContainsPoint(box, point);
}

float UICircularSlider::sweepForTrack(float track) const {
    float sweep = translateValueFromSourceIntervalToDestinationInterval(
        track, m_minimumValue, m_maximumValue, 0, kFullTurnFloat);
    if (std::isfinite(sweep))
        return sweep;
    // An empty range divides by zero: a track at the maximum still shows as
    // the full ring and anything else as nothing, so the thumb stays at twelve.
    return track >= m_maximumValue ? kFullTurnFloat : 0;
}

CGPoint UICircularSlider::addTrackArc(float track, CGPoint center, CGFloat radius,
                                      const CGContextRef& context) {
    CGFloat endAngle = static_cast<CGFloat>(sweepForTrack(track)) + kStartAngle;
    CGContextAddArc(context, center.x, center.y, radius, kStartAngle, endAngle, 0);
    return CGContextGetPathCurrentPoint(context);
}

CGPoint UICircularSlider::drawCircularTrack(float track, CGPoint center, CGFloat radius,
                                            const CGContextRef& context) {
    UIGraphicsPushContext(context);
    CGContextBeginPath(context);
    CGPoint end = addTrackArc(track, center, radius, context);
    CGContextStrokePath(context);
    UIGraphicsPopContext();
    return end;
}

CGPoint UICircularSlider::drawPieTrack(float track, CGPoint center, CGFloat radius,
                                       const CGContextRef& context) {
    UIGraphicsPushContext(context);
    CGContextMoveToPoint(context, center.x, center.y);
    CGPoint end = addTrackArc(track, center, radius, context);
    CGContextClosePath(context);
    CGContextFillPath(context);
    UIGraphicsPopContext();
    return end;
}

// Read on every draw, after a synchronise, so a new "radius" shows at the next
// redraw without any notification.
CGFloat UICircularSlider::thumbRadius() {
    SettingsStore::synchronize();
    auto stored = SettingsStore::intValue("radius");
    return stored ? static_cast<CGFloat>(*stored) : kDefaultThumbRadius;
}

void UICircularSlider::drawThumbAtPoint(CGPoint center, const CGContextRef& context) {
    UIGraphicsPushContext(context);
    CGContextBeginPath(context);
    CGContextMoveToPoint(context, center.x, center.y);
    CGContextAddArc(context, center.x, center.y, thumbRadius(), 0, kFullTurn, 0);
    CGContextFillPath(context);
    UIGraphicsPopContext();
}

void UICircularSlider::drawRect(CGRect) {
    CGContextRef context = UIGraphicsGetCurrentContext();
    CGRect b = bounds();
    CGPoint center{b.origin.x + b.size.width / 2, b.origin.y + b.size.height / 2};
    CGContextSetLineWidth(context, kTrackLineWidth);
    // A control too small for a ring has a negative radius; it is drawn as a
    // ring of no size, so the thumb sits at the centre.
    CGFloat radius = sliderRadius();
    if (!(radius > 0))
        radius = 0;

    // A nil colour sets nothing, as a message to nil would, and the previous
    // colour stays in effect.
    auto setStroke = [&](const UIColorRef& color) {
        if (color)
            CGContextSetStrokeColorWithColor(context, *color);
    };
    auto setFill = [&](const UIColorRef& color) {
        if (color)
            CGContextSetFillColorWithColor(context, *color);
    };

    if (m_sliderStyle != kSliderStylePie) {
        setStroke(m_maximumTrackTintColor);
        drawCircularTrack(m_maximumValue, center, radius, context);
        setStroke(m_minimumTrackTintColor);
        setThumbCenterPoint(drawCircularTrack(m_value, center, radius, context));
    } else {
        setFill(m_maximumTrackTintColor);
        drawPieTrack(m_maximumValue, center, radius, context);
        setStroke(m_minimumTrackTintColor);
        drawCircularTrack(m_maximumValue, center, radius, context);
        setFill(m_minimumTrackTintColor);
        setThumbCenterPoint(drawPieTrack(m_value, center, radius, context));
    }

    setFill(m_thumbTintColor);
    drawThumbAtPoint(m_thumbCenterPoint, context);
}

void UICircularSlider::panGestureHappened(id sender) {
    auto recognizer = std::dynamic_pointer_cast<UIGestureRecognizer>(sender);
    if (!recognizer)
        return;
    CGPoint p = recognizer->locationInView(std::static_pointer_cast<UIView>(self()));
    switch (recognizer->state()) {
    case UIGestureRecognizerState::Changed: {
        CGRect b = bounds();
        CGPoint c{b.size.width / 2, b.size.height / 2};
        // Only the direction of the reference point matters; a control too
        // small for a ring still measures from straight above its centre.
        CGFloat radius = sliderRadius();
        if (!(radius > 0))
            radius = 1;
        CGPoint twelve{c.x, c.y - radius};
        CGFloat alpha = angleBetweenThreePoints(c, twelve, p);
        // A negative zero (finger straight above, or at the centre) is not
        // below zero, so it gives the full turn.
        float theta = static_cast<float>(alpha < 0 ? -alpha : kFullTurn - alpha);
        setValue(translateValueFromSourceIntervalToDestinationInterval(
            theta, 0, kFullTurnFloat, m_minimumValue, m_maximumValue));
        break;
    }
    case UIGestureRecognizerState::Ended: {
        m_touchDownUnanswered = false;
        if (!m_continuous)
            sendActionsForControlEvents(UIControlEventValueChanged);
        sendActionsForControlEvents(isPointInThumb(p) ? UIControlEventTouchUpInside
                                                      : UIControlEventTouchUpOutside);
        break;
    }
    case UIGestureRecognizerState::Cancelled:
        // A cancelled drag keeps its value, but its targets must learn that
        // it is over: no touch-up will come.
        sendTouchCancel();
        break;
    default:
        // The movement that begins the pan changes nothing.
        break;
    }
}

void UICircularSlider::tapGestureHappened(id) {}

// The control reports its own touches: touch-down only inside the thumb box,
// and the touch-up events when the pan ends. UIControl's tracking would send
// them for any touch on the bounds, so it is declined here.
bool UICircularSlider::beginTrackingWithTouch(const std::shared_ptr<UITouch>&,
                                              const std::shared_ptr<UIEvent>&) {
    return false;
}

void UICircularSlider::touchesBegan(const UITouchSet& touches,
                                    const std::shared_ptr<UIEvent>& event) {
    UIControl::touchesBegan(touches, event);
    auto touch = anyObject(touches);
    if (!touch)
        return;
    CGPoint p = touch->locationInView(std::static_pointer_cast<UIView>(self()));
    m_touchDownUnanswered = isPointInThumb(p);
    if (m_touchDownUnanswered)
        sendActionsForControlEvents(UIControlEventTouchDown);
}

// A gesture that takes the finger cancels the control's touches: the control's
// own pan when a drag begins (the drag goes on), or a tap, a hold or a new
// touch, which end a touch-down that no drag will answer.
void UICircularSlider::touchesCancelled(const UITouchSet& touches,
                                        const std::shared_ptr<UIEvent>& event) {
    UIControl::touchesCancelled(touches, event);
    if (m_touchDownUnanswered && !isPanFollowingFinger())
        sendTouchCancel();
}

bool UICircularSlider::isPanFollowingFinger() const {
    for (const auto& recognizer : gestureRecognizers()) {
        if (!std::dynamic_pointer_cast<UIPanGestureRecognizer>(recognizer))
            continue;
        auto state = recognizer->state();
        if (state == UIGestureRecognizerState::Began || state == UIGestureRecognizerState::Changed)
            return true;
    }
    return false;
}

void UICircularSlider::sendTouchCancel() {
    m_touchDownUnanswered = false;
    sendActionsForControlEvents(UIControlEventTouchCancel);
}
