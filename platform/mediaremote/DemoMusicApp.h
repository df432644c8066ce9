#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/corefoundation/Clock.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/mediaremote/NowPlayingSource.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// One entry of the demo application's queue. An empty title, artist or album
// is left out of the information, as a player with sparse metadata would.
struct DemoMusicTrack {
    static constexpr const char* kDefaultBundleIdentifier = "com.rotix.demo-music";

    std::string title;
    std::string artist;
    std::string album;
    double duration = 0;
    // Encoded image bytes, or nothing.
    CFData artwork;
    std::string bundleIdentifier = kDefaultBundleIdentifier;
};

// The music application that plays when no other does: a queue of tracks
// played in order against the run loop's clock. Like a real application it
// reports the elapsed time as of its last change of state, with the moment of
// that change, and leaves the extrapolation to the reader.
class DemoMusicApp : public NowPlayingSource, public std::enable_shared_from_this<DemoMusicApp> {
public:
    static constexpr size_t kMaximumQueueLength = 10000;
    // Seeking while the button is held runs at this many times normal speed.
    static constexpr double kSeekRate = 4.0;
    // Going back from further into a track than this restarts the track.
    static constexpr double kRestartThreshold = 3.0;

    static std::shared_ptr<DemoMusicApp> create(std::vector<DemoMusicTrack> queue = {});
    ~DemoMusicApp() override;

    // The small playlist shipped for the demo, artwork drawn once per process.
    static std::vector<DemoMusicTrack> demoPlaylist();

    MRNowPlayingInfo nowPlayingInfo() const override;
    bool isPlaying() const override;
    std::optional<std::string> nowPlayingApplicationBundleIdentifier() const override;
    void performCommand(int command) override;
    // Jumps within the current track, clamped to the track.
    void setElapsedTime(double seconds) override;

    // Replaces the queue and stops on its first track.
    void setQueue(std::vector<DemoMusicTrack> queue);
    // False when the queue is full.
    bool appendTrack(DemoMusicTrack track);
    void clearQueue();

    void play();
    void pause();
    void togglePlayPause();
    void nextTrack();
    void previousTrack();

    size_t queueLength() const;
    // The current track's place in the queue; nothing once the queue has
    // played out or when it is empty.
    std::optional<size_t> currentIndex() const;
    std::optional<DemoMusicTrack> currentTrack() const;
    // The position now, extrapolated from the last change.
    double elapsedTime() const;
    double playbackRate() const;

protected:
    explicit DemoMusicApp(std::vector<DemoMusicTrack> queue);

private:
    enum class Seek { None, Forward, Backward };
    using Changes = std::vector<Change>;

    void report(const Changes& changes) const;

    // Everything below runs with m_mutex held.
    bool hasTrackLocked() const { return m_index < m_queue.size(); }
    double rateLocked() const;
    double elapsedLocked(CFAbsoluteTime now) const;
    void markLocked(double elapsed, CFAbsoluteTime now);
    void setPlayingLocked(bool playing, CFAbsoluteTime now, Changes& changes);
    void playLocked(CFAbsoluteTime now, Changes& changes);
    void nextLocked(CFAbsoluteTime now, Changes& changes);
    void previousLocked(CFAbsoluteTime now, Changes& changes);
    void selectLocked(size_t index, CFAbsoluteTime now, Changes& changes);
    void seekLocked(Seek seek, CFAbsoluteTime now, Changes& changes);
    void scheduleBoundaryLocked();
    void boundaryReached(std::uint64_t generation);

    mutable std::mutex m_mutex;
    std::vector<DemoMusicTrack> m_queue;
    size_t m_index = 0;
    bool m_playing = false;
    Seek m_seek = Seek::None;
    // The position at the last change, and the moment of that change.
    double m_markElapsed = 0;
    CFAbsoluteTime m_markTime = 0;
    // The pending wake-up at the end of the track (or, rewinding, its start).
    NSRunLoop::Token m_boundaryToken = 0;
    std::uint64_t m_boundaryGeneration = 0;
};
