#pragma once

#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIControl.h"

#include <memory>

class UIPanGestureRecognizer;
class UITapGestureRecognizer;

// A ring-shaped slider: the value shows as an arc from twelve o'clock running
// clockwise, with a round thumb at its end, and a finger dragged anywhere over
// the control sets the value by its angle around the centre.
class UICircularSlider : public UIControl {
public:
    // The one sliderStyle that fills sectors; every other value draws a ring.
    static constexpr int kSliderStylePie = 1;

    static std::shared_ptr<UICircularSlider> create(CGRect frame = CGRectZero);

    // -initWithFrame:, then setup.
    std::shared_ptr<UIView> initWithFrame(CGRect frame) override;
    void awakeFromNib();
    void setup();

    float value() const { return m_value; }
    void setValue(float value);
    float minimumValue() const { return m_minimumValue; }
    void setMinimumValue(float minimumValue);
    float maximumValue() const { return m_maximumValue; }
    void setMaximumValue(float maximumValue);
    const UIColorRef& minimumTrackTintColor() const { return m_minimumTrackTintColor; }
    void setMinimumTrackTintColor(const UIColorRef& color);
    const UIColorRef& maximumTrackTintColor() const { return m_maximumTrackTintColor; }
    void setMaximumTrackTintColor(const UIColorRef& color);
    const UIColorRef& thumbTintColor() const { return m_thumbTintColor; }
    void setThumbTintColor(const UIColorRef& color);
    int sliderStyle() const { return m_sliderStyle; }
    void setSliderStyle(int style);
    bool isContinuous() const { return m_continuous; }
    void setContinuous(bool continuous) { m_continuous = continuous; }
    CGPoint thumbCenterPoint() const { return m_thumbCenterPoint; }
    void setThumbCenterPoint(CGPoint point) { m_thumbCenterPoint = point; }

    CGFloat sliderRadius() const;
    bool isPointInThumb(CGPoint point) const;

    void drawThumbAtPoint(CGPoint center, const CGContextRef& context);
    CGPoint drawCircularTrack(float track, CGPoint center, CGFloat radius,
                              const CGContextRef& context);
    CGPoint drawPieTrack(float track, CGPoint center, CGFloat radius, const CGContextRef& context);
    bool drawsContent() const override { return true; }
    void drawRect(CGRect rect) override;

    void panGestureHappened(id recognizer);
    void tapGestureHappened(id recognizer);
    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches,
                          const std::shared_ptr<UIEvent>& event) override;
    bool beginTrackingWithTouch(const std::shared_ptr<UITouch>& touch,
                                const std::shared_ptr<UIEvent>& event) override;

    std::string_view className() const override { return "UICircularSlider"; }

protected:
    UICircularSlider();

private:
    static void registerClass();
    // The clockwise angle from twelve o'clock at which a track value ends.
    float sweepForTrack(float track) const;
    CGPoint addTrackArc(float track, CGPoint center, CGFloat radius, const CGContextRef& context);
    static CGFloat thumbRadius();
    // Whether the control's own pan has the finger: it takes the touch over
    // when a drag begins, and the drag then ends through the pan.
    bool isPanFollowingFinger() const;
    // Reports the end of a touch that was reported going down, or of a drag,
    // that no touch-up will answer.
    void sendTouchCancel();

    bool m_continuous = false;
    float m_value = 0;
    float m_minimumValue = 0;
    float m_maximumValue = 0;
    int m_sliderStyle = 0;
    UIColorRef m_minimumTrackTintColor;
    UIColorRef m_maximumTrackTintColor;
    UIColorRef m_thumbTintColor;
    CGPoint m_thumbCenterPoint;
    // A touch-down was sent for the finger now down and no end has answered it.
    bool m_touchDownUnanswered = false;
};

// Plain C functions, exported from the library under these very names.
extern "C" {
// The linear map taking sourceMinimum to destinationMinimum and sourceMaximum
// to destinationMaximum, in single precision and in a fixed order, so that a
// finger and a drawing agree on every value to the last bit.
float translateValueFromSourceIntervalToDestinationInterval(float sourceValue, float sourceMinimum,
                                                            float sourceMaximum,
                                                            float destinationMinimum,
                                                            float destinationMaximum);
// The angle from p1 to p2 seen from centerPoint, negative when p2 lies
// clockwise of p1 on screen, in [-pi, pi]; computed with single-precision atan2f.
CGFloat angleBetweenThreePoints(CGPoint centerPoint, CGPoint p1, CGPoint p2);
}
