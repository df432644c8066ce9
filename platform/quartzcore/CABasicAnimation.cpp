#include "platform/quartzcore/CABasicAnimation.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<CABasicAnimation> CABasicAnimation::animationWithKeyPath(std::string keyPath) {
    return makeObject<CABasicAnimation>(std::move(keyPath));
}

CFTimeInterval CABasicAnimation::activeDuration() const {
    double runs = std::isfinite(m_repeatCount) ? std::max(1.0f, m_repeatCount) : 1e9;
    double duration = std::isfinite(m_duration) && m_duration > 0 ? m_duration : 0.0;
    return duration * runs;
}

bool CABasicAnimation::isFinished(CFAbsoluteTime now) const {
    return now >= m_beginTime + activeDuration();
}

double CABasicAnimation::valueAt(CFAbsoluteTime now) const {
    if (!(m_duration > 0) || now <= m_beginTime)
        return m_from;
    double elapsed = now - m_beginTime;
    if (elapsed >= activeDuration())
        return m_to;
    double progress = std::fmod(elapsed, m_duration) / m_duration;
    return m_from + (m_to - m_from) * progress;
}

std::shared_ptr<CABasicAnimation> CABasicAnimation::copy() const {
    auto copied = makeObject<CABasicAnimation>(m_keyPath);
    copied->m_from = m_from;
    copied->m_to = m_to;
    copied->m_duration = m_duration;
    copied->m_repeatCount = m_repeatCount;
    copied->m_beginTime = m_beginTime;
    return copied;
}
