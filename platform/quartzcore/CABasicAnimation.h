#pragma once

#include "platform/corefoundation/Clock.h"
#include "platform/objc/NSObject.h"

#include <memory>
#include <string>

// A basic animation of one key path from a value to another, run once plus
// its repeat count. It changes only what is drawn while it runs; the layer's
// own values never change, so nothing lasts after it ends.
class CABasicAnimation : public NSObject {
public:
    static std::shared_ptr<CABasicAnimation> animationWithKeyPath(std::string keyPath);

    const std::string& keyPath() const { return m_keyPath; }
    double fromValue() const { return m_from; }
    double toValue() const { return m_to; }
    CFTimeInterval duration() const { return m_duration; }
    float repeatCount() const { return m_repeatCount; }
    CFAbsoluteTime beginTime() const { return m_beginTime; }

    void setFromValue(double value) { m_from = value; }
    void setToValue(double value) { m_to = value; }
    // The platform's default duration is a quarter second.
    void setDuration(CFTimeInterval duration) { m_duration = duration; }
    void setRepeatCount(float count) { m_repeatCount = count; }
    void setBeginTime(CFAbsoluteTime time) { m_beginTime = time; }

    // The whole active span: the duration times the number of runs.
    CFTimeInterval activeDuration() const;
    bool isFinished(CFAbsoluteTime now) const;
    // The animated value at a moment, linear in time.
    double valueAt(CFAbsoluteTime now) const;

    std::shared_ptr<CABasicAnimation> copy() const;
    std::string_view className() const override { return "CABasicAnimation"; }

protected:
    explicit CABasicAnimation(std::string keyPath) : m_keyPath(std::move(keyPath)) {}

private:
    std::string m_keyPath;
    double m_from = 0;
    double m_to = 0;
    CFTimeInterval m_duration = 0.25;
    float m_repeatCount = 0;
    CFAbsoluteTime m_beginTime = 0;
};
