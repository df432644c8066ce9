#pragma once

#include "platform/mediaremote/MediaRemote.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>

// Whatever application is playing, as the now-playing service sees it: the
// embedded demo music application, or a desktop player reached over a bus.
// The service may ask from any thread, so implementations guard their state.
class NowPlayingSource {
public:
    enum class Change { Info, PlaybackState };
    using ChangeHandler = std::function<void(Change change)>;

    virtual ~NowPlayingSource() = default;
    NowPlayingSource(const NowPlayingSource&) = delete;
    NowPlayingSource& operator=(const NowPlayingSource&) = delete;

    // Nothing when nothing plays.
    virtual MRNowPlayingInfo nowPlayingInfo() const = 0;
    virtual bool isPlaying() const = 0;
    virtual std::optional<std::string> nowPlayingApplicationBundleIdentifier() const = 0;
    virtual void performCommand(int command) = 0;
    virtual void setElapsedTime(double seconds) = 0;

    // The service listens here; a source reports on whatever thread the
    // change happened, never while holding its own lock.
    void setChangeHandler(ChangeHandler handler);

protected:
    NowPlayingSource() = default;
    void reportChange(Change change) const;

private:
    mutable std::mutex m_handlerMutex;
    ChangeHandler m_handler;
};
