#pragma once

#include "platform/mediaremote/MediaRemote.h"
#include "platform/objc/NSObject.h"

#include <functional>
#include <memory>
#include <string>

// Keeps a window's title naming the track that plays, as a music player's
// window does: "Title - Artist - Rotix", or "Rotix lock screen" while nothing
// plays. It follows the now-playing notifications on the main thread.
class NowPlayingWindowTitle : public std::enable_shared_from_this<NowPlayingWindowTitle> {
public:
    using Sink = std::function<void(const std::string& title)>;

    static constexpr const char* kIdleTitle = "Rotix lock screen";

    // Gives the sink the title now and after every change of the track.
    static std::shared_ptr<NowPlayingWindowTitle> create(Sink sink);
    ~NowPlayingWindowTitle();
    NowPlayingWindowTitle(const NowPlayingWindowTitle&) = delete;
    NowPlayingWindowTitle& operator=(const NowPlayingWindowTitle&) = delete;

    static std::string titleFor(const MRNowPlayingInfo& info);

private:
    explicit NowPlayingWindowTitle(Sink sink) : m_sink(std::move(sink)) {}
    void start();
    void refresh();

    Sink m_sink;
    id m_observer;
};
