#include "platform/mediaremote/mpris/MprisPosition.h"

#include <algorithm>
#include <cmath>

void MprisPosition::resync(std::int64_t microseconds, CFAbsoluteTime now) {
    m_known = true;
    m_readSeconds = std::max<double>(0.0, static_cast<double>(microseconds) / 1e6);
    m_readTime = now;
}

void MprisPosition::setPlaying(bool playing, CFAbsoluteTime now) {
    if (playing == m_playing)
        return;
    fold(now);
    m_playing = playing;
}

void MprisPosition::setRate(double rate, CFAbsoluteTime now) {
    if (!std::isfinite(rate) || rate < kMinimumRate)
        rate = 1.0;
    rate = std::min(rate, kMaximumRate);
    if (rate == m_rate)
        return;
    fold(now);
    m_rate = rate;
}

void MprisPosition::reset(CFAbsoluteTime now) {
    m_known = false;
    m_readSeconds = 0;
    m_readTime = now;
}

double MprisPosition::secondsAt(CFAbsoluteTime now, std::optional<double> lengthSeconds) const {
    // A clock set back between the read and now moves nothing backwards.
    double seconds = m_readSeconds + std::max(0.0, now - m_readTime) * effectiveRate();
    if (lengthSeconds && *lengthSeconds > 0)
        seconds = std::min(seconds, *lengthSeconds);
    return std::max(0.0, seconds);
}

void MprisPosition::fold(CFAbsoluteTime now) {
    m_readSeconds = secondsAt(now);
    m_readTime = now;
}
