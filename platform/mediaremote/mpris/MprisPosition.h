#pragma once

#include "platform/corefoundation/Clock.h"

#include <cstdint>
#include <optional>

// Where playback is. Players never signal their position, only its jumps
// (Seeked): the last position read, and the moment it was read, are moved
// on by the clock at the playback rate while the player plays.
class MprisPosition {
public:
    // Rates a player may report that make sense to extrapolate with.
    static constexpr double kMinimumRate = 1e-3;
    static constexpr double kMaximumRate = 100.0;

    bool isKnown() const { return m_known; }
    bool isPlaying() const { return m_playing; }
    double rate() const { return m_rate; }
    // The rate at which the position moves now: zero while not playing.
    double effectiveRate() const { return m_playing ? m_rate : 0.0; }
    // The position, in seconds, when it was last read, and that moment.
    double readSeconds() const { return m_readSeconds; }
    CFAbsoluteTime readTime() const { return m_readTime; }

    // A position read from the player (or signalled by a jump) at a moment.
    // Negative positions count as the start.
    void resync(std::int64_t microseconds, CFAbsoluteTime now);
    // Changes of state fold what has played so far into the position first,
    // so the extrapolation never runs backwards or on past a pause.
    void setPlaying(bool playing, CFAbsoluteTime now);
    // Rates that are not a usable number count as normal speed.
    void setRate(double rate, CFAbsoluteTime now);
    // Forgets the position, for a new track, until it is read again.
    void reset(CFAbsoluteTime now);

    // Seconds into the track now, kept within the track when its length
    // (in seconds, above zero) is known.
    double secondsAt(CFAbsoluteTime now, std::optional<double> lengthSeconds = std::nullopt) const;

private:
    void fold(CFAbsoluteTime now);

    bool m_known = false;
    bool m_playing = false;
    double m_rate = 1.0;
    double m_readSeconds = 0;
    CFAbsoluteTime m_readTime = 0;
};
