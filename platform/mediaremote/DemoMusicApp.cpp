#include "platform/mediaremote/DemoMusicApp.h"

#include "platform/corefoundation/UTF8Text.h"
#include "platform/mediaremote/DemoMusicArtwork.h"
#include "platform/objc/NSObject.h"

#include <algorithm>
#include <cmath>

namespace {

CFAbsoluteTime clockNow() {
    return NSRunLoop::mainRunLoop().now();
}

// A track from outside may hold anything. A length that is not usable is
// treated as none, so the track ends as soon as it plays; texts are mended
// into UTF-8, so the labels and the information agree.
void sanitize(DemoMusicTrack& track) {
    track.duration = std::isfinite(track.duration) && track.duration > 0 ? track.duration : 0;
    for (std::string* text : {&track.title, &track.artist, &track.album, &track.bundleIdentifier})
        *text = stringByRepairingUTF8(*text);
}

} // namespace

std::shared_ptr<DemoMusicApp> DemoMusicApp::create(std::vector<DemoMusicTrack> queue) {
    return makeObject<DemoMusicApp>(std::move(queue));
}

DemoMusicApp::DemoMusicApp(std::vector<DemoMusicTrack> queue) {
    if (queue.size() > kMaximumQueueLength)
        queue.resize(kMaximumQueueLength);
    for (auto& track : queue)
        sanitize(track);
    m_queue = std::move(queue);
    m_markTime = clockNow();
}

DemoMusicApp::~DemoMusicApp() {
    if (m_boundaryToken)
        NSRunLoop::mainRunLoop().cancel(m_boundaryToken);
}

std::vector<DemoMusicTrack> DemoMusicApp::demoPlaylist() {
    static const std::vector<DemoMusicTrack> playlist = [] {
        auto track = [](std::string title, std::string artist, std::string album, double duration,
                        DemoMusicArtworkDesign design) {
            DemoMusicTrack entry;
            entry.title = std::move(title);
            entry.artist = std::move(artist);
            entry.album = std::move(album);
            entry.duration = duration;
            entry.artwork = DemoMusicArtworkCreatePNG(design);
            return entry;
        };
        return std::vector<DemoMusicTrack>{
            track("Paper Lanterns", "The Quiet Harbour", "Lights Over Water", 214,
                  DemoMusicArtworkDesign::Rings),
            track("Northbound Through the Glass Orchard at the Edge of the Long Summer Evening "
                  "(Extended Night Drive Version)",
                  "Mira Solberg", "Orchard Roads", 263, DemoMusicArtworkDesign::Stripes),
            track("Tidal Clockwork", "Ossian & the Lowlands", "Small Machines", 187,
                  DemoMusicArtworkDesign::Triangles),
            track("Slow Radio: A Night at the Observatory", "Halden Ensemble", "Long Form Vol. 2",
                  3923, DemoMusicArtworkDesign::Sunburst),
            track("Copper Kites", "June Alvarez", "Weathervane", 241,
                  DemoMusicArtworkDesign::Blocks),
        };
    }();
    return playlist;
}

MRNowPlayingInfo DemoMusicApp::nowPlayingInfo() const {
    std::lock_guard lock(m_mutex);
    if (!hasTrackLocked())
        return std::nullopt;
    const DemoMusicTrack& track = m_queue[m_index];
    CFDictionary info;
    if (!track.title.empty())
        info[kMRMediaRemoteNowPlayingInfoTitle] = track.title;
    if (!track.artist.empty())
        info[kMRMediaRemoteNowPlayingInfoArtist] = track.artist;
    if (!track.album.empty())
        info[kMRMediaRemoteNowPlayingInfoAlbum] = track.album;
    if (track.artwork)
        info[kMRMediaRemoteNowPlayingInfoArtworkData] = track.artwork;
    info[kMRMediaRemoteNowPlayingInfoDuration] = track.duration;
    info[kMRMediaRemoteNowPlayingInfoElapsedTime] = m_markElapsed;
    info[kMRMediaRemoteNowPlayingInfoTimestamp] = CFDate{m_markTime};
    info[kMRMediaRemoteNowPlayingInfoPlaybackRate] = rateLocked();
    return info;
}

bool DemoMusicApp::isPlaying() const {
    std::lock_guard lock(m_mutex);
    return hasTrackLocked() && m_playing;
}

std::optional<std::string> DemoMusicApp::nowPlayingApplicationBundleIdentifier() const {
    std::lock_guard lock(m_mutex);
    if (!hasTrackLocked() || m_queue[m_index].bundleIdentifier.empty())
        return std::nullopt;
    return m_queue[m_index].bundleIdentifier;
}

void DemoMusicApp::performCommand(int command) {
    Changes changes;
    {
        std::lock_guard lock(m_mutex);
        CFAbsoluteTime now = clockNow();
        switch (command) {
        case kMRPlay:
            playLocked(now, changes);
            break;
        case kMRPause:
            setPlayingLocked(false, now, changes);
            break;
        case kMRTogglePlayPause:
            if (hasTrackLocked() && m_playing)
                setPlayingLocked(false, now, changes);
            else
                playLocked(now, changes);
            break;
        case kMRStop:
            setPlayingLocked(false, now, changes);
            if (hasTrackLocked()) {
                m_seek = Seek::None;
                markLocked(0, now);
                changes.push_back(Change::Info);
            }
            break;
        case kMRNextTrack:
            nextLocked(now, changes);
            break;
        case kMRPreviousTrack:
            previousLocked(now, changes);
            break;
        case kMRBeginFastForward:
            seekLocked(Seek::Forward, now, changes);
            break;
        case kMREndFastForward:
            if (m_seek == Seek::Forward)
                seekLocked(Seek::None, now, changes);
            break;
        case kMRBeginRewind:
            seekLocked(Seek::Backward, now, changes);
            break;
        case kMREndRewind:
            if (m_seek == Seek::Backward)
                seekLocked(Seek::None, now, changes);
            break;
        default:
            break;
        }
        scheduleBoundaryLocked();
    }
    report(changes);
}

void DemoMusicApp::setElapsedTime(double seconds) {
    Changes changes;
    {
        std::lock_guard lock(m_mutex);
        if (!hasTrackLocked() || std::isnan(seconds))
            return;
        markLocked(seconds, clockNow());
        changes.push_back(Change::Info);
        scheduleBoundaryLocked();
    }
    report(changes);
}

void DemoMusicApp::setQueue(std::vector<DemoMusicTrack> queue) {
    if (queue.size() > kMaximumQueueLength)
        queue.resize(kMaximumQueueLength);
    for (auto& track : queue)
        sanitize(track);
    Changes changes;
    {
        std::lock_guard lock(m_mutex);
        CFAbsoluteTime now = clockNow();
        setPlayingLocked(false, now, changes);
        m_queue = std::move(queue);
        m_index = 0;
        m_seek = Seek::None;
        markLocked(0, now);
        changes.insert(changes.begin(), Change::Info);
        scheduleBoundaryLocked();
    }
    report(changes);
}

bool DemoMusicApp::appendTrack(DemoMusicTrack track) {
    sanitize(track);
    Changes changes;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.size() >= kMaximumQueueLength)
            return false;
        // A queue that had played out (or was empty) goes on with the new
        // track, waiting at its start.
        bool becomesCurrent = !hasTrackLocked();
        m_queue.push_back(std::move(track));
        if (becomesCurrent) {
            m_seek = Seek::None;
            markLocked(0, clockNow());
        }
        changes.push_back(Change::Info);
        scheduleBoundaryLocked();
    }
    report(changes);
    return true;
}

void DemoMusicApp::clearQueue() {
    setQueue({});
}

void DemoMusicApp::play() {
    performCommand(kMRPlay);
}
void DemoMusicApp::pause() {
    performCommand(kMRPause);
}
void DemoMusicApp::togglePlayPause() {
    performCommand(kMRTogglePlayPause);
}
void DemoMusicApp::nextTrack() {
    performCommand(kMRNextTrack);
}
void DemoMusicApp::previousTrack() {
    performCommand(kMRPreviousTrack);
}

size_t DemoMusicApp::queueLength() const {
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

std::optional<size_t> DemoMusicApp::currentIndex() const {
    std::lock_guard lock(m_mutex);
    if (!hasTrackLocked())
        return std::nullopt;
    return m_index;
}

std::optional<DemoMusicTrack> DemoMusicApp::currentTrack() const {
    std::lock_guard lock(m_mutex);
    if (!hasTrackLocked())
        return std::nullopt;
    return m_queue[m_index];
}

double DemoMusicApp::elapsedTime() const {
    std::lock_guard lock(m_mutex);
    return elapsedLocked(clockNow());
}

double DemoMusicApp::playbackRate() const {
    std::lock_guard lock(m_mutex);
    return rateLocked();
}

void DemoMusicApp::report(const Changes& changes) const {
    // Each kind once, in the order it first happened.
    bool info = false;
    bool state = false;
    for (Change change : changes) {
        bool& sent = change == Change::Info ? info : state;
        if (sent)
            continue;
        sent = true;
        reportChange(change);
    }
}

double DemoMusicApp::rateLocked() const {
    if (!hasTrackLocked())
        return 0;
    switch (m_seek) {
    case Seek::Forward:
        return kSeekRate;
    case Seek::Backward:
        // Rewinding stops at the start of the track, though the button is
        // still held.
        return m_markElapsed > 0 ? -kSeekRate : 0;
    case Seek::None:
        break;
    }
    return m_playing ? 1.0 : 0.0;
}

double DemoMusicApp::elapsedLocked(CFAbsoluteTime now) const {
    if (!hasTrackLocked())
        return 0;
    double elapsed = m_markElapsed + (now - m_markTime) * rateLocked();
    return std::clamp(elapsed, 0.0, m_queue[m_index].duration);
}

void DemoMusicApp::markLocked(double elapsed, CFAbsoluteTime now) {
    double duration = hasTrackLocked() ? m_queue[m_index].duration : 0;
    m_markElapsed = std::clamp(elapsed, 0.0, duration);
    m_markTime = now;
}

void DemoMusicApp::setPlayingLocked(bool playing, CFAbsoluteTime now, Changes& changes) {
    bool wasPlaying = hasTrackLocked() && m_playing;
    if (playing && !hasTrackLocked())
        return;
    if (wasPlaying == playing) {
        m_playing = playing;
        return;
    }
    markLocked(elapsedLocked(now), now);
    m_playing = playing;
    changes.push_back(Change::PlaybackState);
}

void DemoMusicApp::playLocked(CFAbsoluteTime now, Changes& changes) {
    if (m_queue.empty())
        return;
    // Play after the queue has played out starts it again from the top.
    if (!hasTrackLocked())
        selectLocked(0, now, changes);
    setPlayingLocked(true, now, changes);
}

void DemoMusicApp::selectLocked(size_t index, CFAbsoluteTime now, Changes& changes) {
    if (index >= m_queue.size())
        setPlayingLocked(false, now, changes);
    m_index = std::min(index, m_queue.size());
    m_seek = Seek::None;
    markLocked(0, now);
    changes.insert(changes.begin(), Change::Info);
}

void DemoMusicApp::nextLocked(CFAbsoluteTime now, Changes& changes) {
    if (!hasTrackLocked())
        return;
    selectLocked(m_index + 1, now, changes);
}

void DemoMusicApp::previousLocked(CFAbsoluteTime now, Changes& changes) {
    if (m_queue.empty())
        return;
    if (!hasTrackLocked()) {
        selectLocked(m_queue.size() - 1, now, changes);
        return;
    }
    if (m_index == 0 || elapsedLocked(now) > kRestartThreshold) {
        m_seek = Seek::None;
        markLocked(0, now);
        changes.push_back(Change::Info);
        return;
    }
    selectLocked(m_index - 1, now, changes);
}

void DemoMusicApp::seekLocked(Seek seek, CFAbsoluteTime now, Changes& changes) {
    if (!hasTrackLocked() || m_seek == seek)
        return;
    markLocked(elapsedLocked(now), now);
    m_seek = seek;
    changes.push_back(Change::Info);
}

void DemoMusicApp::scheduleBoundaryLocked() {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (m_boundaryToken) {
        loop.cancel(m_boundaryToken);
        m_boundaryToken = 0;
    }
    std::uint64_t generation = ++m_boundaryGeneration;
    double rate = rateLocked();
    CFAbsoluteTime when;
    if (rate > 0)
        when = m_markTime + (m_queue[m_index].duration - m_markElapsed) / rate;
    else if (rate < 0)
        when = m_markTime + m_markElapsed / -rate;
    else
        return;
    m_boundaryToken = loop.schedule(when, [weak = weak_from_this(), generation] {
        if (auto self = weak.lock())
            self->boundaryReached(generation);
    });
}

void DemoMusicApp::boundaryReached(std::uint64_t generation) {
    Changes changes;
    {
        std::lock_guard lock(m_mutex);
        // A change since this was scheduled has made a newer boundary.
        if (generation != m_boundaryGeneration || !hasTrackLocked())
            return;
        m_boundaryToken = 0;
        CFAbsoluteTime now = clockNow();
        if (rateLocked() > 0) {
            // The track has ended: on to the next one, still playing if it
            // was; past the last one, nothing plays.
            selectLocked(m_index + 1, now, changes);
        } else {
            markLocked(0, now);
            changes.push_back(Change::Info);
        }
        scheduleBoundaryLocked();
    }
    report(changes);
}
