#include "hooks/settings/SettingsStore.h"
#include "platform/dispatch/Dispatch.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/NSTimer.h"
#include "platform/mediaremote/MediaRemote.h"
#include "platform/storekit/SKUIImageColorAnalyzer.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UILabel.h"
#include "player/Rotix.h"
#include "player/UIColor+ComplementaryColor.h"
#include "slider/UICircularSlider.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Fetches caused by information changes are at most one a second; a change
// inside that second is retried once things have been quiet this long.
constexpr double kFetchInterval = 1.0;
constexpr double kRetryDelay = 1.5;
// Applications report a fresh track's elapsed time as a fraction of a
// second; up to this much counts as the very start.
constexpr double kElapsedStartThreshold = 1.0;

const CFPropertyList* infoValue(const std::optional<CFDictionary>& info, const std::string& key) {
    return CFDictionaryGetValue(info ? &*info : nullptr, key);
}

std::optional<std::string> infoString(const std::optional<CFDictionary>& info,
                                      const std::string& key) {
    const CFPropertyList* value = infoValue(info, key);
    if (!value || !value->string())
        return std::nullopt;
    return *value->string();
}

// A number of the information as a double; absent (or not a number) reads as 0.
double infoNumber(const std::optional<CFDictionary>& info, const std::string& key) {
    const CFPropertyList* value = infoValue(info, key);
    return value && value->isNumber() ? value->doubleValue() : 0.0;
}

// Conversion toward zero to a 32-bit integer as the device's processor does
// it: out-of-range values saturate and NaN gives 0, never undefined behaviour.
std::int32_t truncateToInt32(double value) {
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

// "m:ss" under an hour either way, else "h:mm:ss"; division truncates toward
// zero and the remainder keeps the sign of t, as C's do.
std::string timeText(std::int32_t t) {
    std::int64_t seconds = t;
    std::int64_t minutes = seconds / 60;
    if (seconds > -3600 && seconds < 3600)
        return stringWithFormat("%d:%02d", minutes % 60, seconds - 60 * minutes);
    return stringWithFormat("%d:%02d:%02d", seconds / 3600, minutes % 60, seconds - 60 * minutes);
}

} // namespace

void Rotix::updateMedia() {
    if (!_lastCall())
        _setLastCall(NSDate::distantPast());
    auto now = NSDate::date();
    if (now->timeIntervalSinceReferenceDate() > _lastCall()->timeIntervalSinceReferenceDate()) {
        auto self = strongSelf();
        MRMediaRemoteGetNowPlayingInfo(dispatch_get_main_queue(),
                                       [self](const std::optional<CFDictionary>& info) {
                                           self->nowPlayingInfoDidArrive(info);
                                       });
        _setLastCall(now->dateByAddingTimeInterval(kFetchInterval));
        return;
    }
    if (auto pending = _delayTimer())
        pending->invalidate();
    _setDelayTimer(NSTimer::scheduledTimerWithTimeInterval(kRetryDelay, shared_from_this(),
                                                           "updateMedia", nullptr, Repeats::No));
}

void Rotix::nowPlayingInfoDidArrive(const std::optional<CFDictionary>& info) {
    m_dict = info;
    setArtist(infoString(info, kMRMediaRemoteNowPlayingInfoArtist));
    setTitle(infoString(info, kMRMediaRemoteNowPlayingInfoTitle));
    // Nothing plays any more (the application quit, or its queue ended), and
    // the ticks have stopped with the playing state: drop the position of the
    // track that went, as before anything played.
    if (!info || info->empty())
        showPlaybackPosition(info);
    updateGestures();

    m_mage = nullptr;
    if (const CFPropertyList* artwork = infoValue(info, kMRMediaRemoteNowPlayingInfoArtworkData);
        artwork && artwork->bytes())
        m_mage = UIImage::imageWithData(*artwork->bytes());
    setCenterArtworkImage(m_mage ? m_mage : m_noalbum);
    m_imageColors = SKUIImageColorAnalyzer::analyzeImage(m_mage ? m_mage : m_noalbum);

    if (SettingsStore::flag("dynamicColors")) {
        UIColorRef opposite = UIColorOppositeColorOf(analyzedTextPrimaryColor());
        setLabelTextColor(opposite);
        setForwardButtonImage(colorImageWithColor(m_next, opposite));
        setBackButtonImage(colorImageWithColor(m_back, opposite));
        // Always the pause glyph here; updateButtons picks play or pause again.
        setPlayPauseButtonImage(colorImageWithColor(m_ppause, opposite));
    }

    setSliderThumbColor(m_imageColors ? UIColorRef(m_imageColors->backgroundColor())
                                      : std::nullopt);
    setSliderMinColor(analyzedTextPrimaryColor());
    setSliderMaxColor(m_imageColors ? UIColorRef(m_imageColors->textSecondaryColor())
                                    : std::nullopt);
    m_mage = nullptr;
}

void Rotix::tick(id) {
    if (m_isSeeking)
        return;
    auto self = strongSelf();
    MRMediaRemoteGetNowPlayingInfo(
        dispatch_get_main_queue(),
        [self](const std::optional<CFDictionary>& info) { self->showPlaybackPosition(info); });
}

void Rotix::showPlaybackPosition(const std::optional<CFDictionary>& info) {
    double elapsed = infoNumber(info, kMRMediaRemoteNowPlayingInfoElapsedTime);
    double duration = infoNumber(info, kMRMediaRemoteNowPlayingInfoDuration);
    double position = elapsed;
    // A paused application reports a rate of 0: its elapsed time stands, and
    // extrapolating would run the clock on after any touch cleared isSeeking.
    // Without a rate the track is taken to play.
    const CFPropertyList* rate = infoValue(info, kMRMediaRemoteNowPlayingInfoPlaybackRate);
    bool paused = rate && rate->isNumber() && rate->doubleValue() == 0;
    if (const CFPropertyList* stamp = infoValue(info, kMRMediaRemoteNowPlayingInfoTimestamp);
        stamp && stamp->date() && !paused) {
        double measuredAt = stamp->date()->absoluteTime;
        double start = elapsed > kElapsedStartThreshold ? elapsed : 0.0;
        position = start + (CFAbsoluteTimeGetCurrent() - measuredAt);
    }
    // Without a timestamp the elapsed time is shown as reported.

    m_f = truncateToInt32(duration);

    double fraction = position / duration;
    if (duration == 0 || !std::isfinite(fraction)) {
        // Nothing playing, or a stream without length: no position to show.
        m_songScrubber->setValue(0);
        m_trackLabel->setText("0:00 - 0:00");
        return;
    }
    // Keep a huge fraction finite when it narrows; the ring clamps it anyway.
    m_songScrubber->setValue(
        static_cast<float>(std::clamp(fraction, -double(FLT_MAX), double(FLT_MAX))));
    m_trackLabel->setText(
        stringWithFormat("%@ - %@", timeText(truncateToInt32(position)), timeText(m_f)));
}

void Rotix::setArtist(const std::optional<std::string>& artist) {
    m_artistLabel->setText(artist.value_or("Unknown"));
}

void Rotix::setTitle(const std::optional<std::string>& title) {
    m_titleLabel->setText(title.value_or("Untitled"));
}

UIColorRef Rotix::analyzedTextPrimaryColor() const {
    return m_imageColors ? UIColorRef(m_imageColors->textPrimaryColor()) : std::nullopt;
}
