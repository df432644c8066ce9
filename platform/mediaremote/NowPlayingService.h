#pragma once

#include "platform/corefoundation/Clock.h"
#include "platform/dispatch/Dispatch.h"
#include "platform/mediaremote/NowPlayingSource.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One request the player sent to the now-playing application, kept for dumps.
struct NowPlayingRequest {
    enum class Kind { Command, SetElapsedTime };

    CFAbsoluteTime time = 0;
    Kind kind = Kind::Command;
    // The command number, for a command.
    int command = 0;
    // The position asked for, for setElapsedTime.
    double seconds = 0;
};

// The inside of the MediaRemote functions: the current source, the queue the
// notifications go to, and the record of requests. Safe from any thread;
// replies and notifications always hop to the queue named for them.
class NowPlayingService {
public:
    // Older requests are dropped past this many, so a long run stays bounded.
    static constexpr size_t kMaximumRequests = 1000;

    static NowPlayingService& shared();

    // The demo music application with its playlist until a source is set;
    // setting nothing leaves the service without a source (nothing plays).
    std::shared_ptr<NowPlayingSource> source();
    void setSource(std::shared_ptr<NowPlayingSource> source);
    // Back to no choice made, so the next use makes the demo application.
    void resetSourceForTesting();

    // The bundle identifier of the application that plays; nothing when none.
    std::optional<std::string> nowPlayingApplicationBundleIdentifier();

    void registerForNotifications(const dispatch_queue_t& queue);
    void unregisterForNotifications();
    bool isRegisteredForNotifications() const;

    void getNowPlayingInfo(const dispatch_queue_t& queue,
                           std::function<void(const MRNowPlayingInfo& info)> reply);
    void getIsPlaying(const dispatch_queue_t& queue, std::function<void(bool playing)> reply);
    bool sendCommand(int command);
    void setElapsedTime(double seconds);

    std::vector<NowPlayingRequest> requests() const;
    // Every request since the last clear, dropped ones included.
    std::uint64_t requestCount() const;
    void clearRequests();

    NowPlayingService(const NowPlayingService&) = delete;
    NowPlayingService& operator=(const NowPlayingService&) = delete;

private:
    NowPlayingService();

    void record(NowPlayingRequest request);
    void install(std::shared_ptr<NowPlayingSource> source);
    void sourceDidChange(std::uint64_t generation, NowPlayingSource::Change change);

    mutable std::mutex m_mutex;
    std::shared_ptr<NowPlayingSource> m_source;
    bool m_sourceChosen = false;
    // Changes reported by a source that has since been replaced are ignored.
    std::uint64_t m_generation = 0;
    dispatch_queue_t m_notificationQueue;
    std::deque<NowPlayingRequest> m_requests;
    std::uint64_t m_requestCount = 0;
};

// A name for a command number, for dumps: "togglePlayPause", "nextTrack", ...
std::string_view nowPlayingCommandName(int command);
