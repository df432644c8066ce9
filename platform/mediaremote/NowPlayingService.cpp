#include "platform/mediaremote/NowPlayingService.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/mediaremote/DemoMusicApp.h"

#include <utility>

// The run loop and the main queue must outlive the service, whose source may
// still cancel its timers on the way out.
NowPlayingService::NowPlayingService() {
    NSRunLoop::mainRunLoop();
    dispatch_get_main_queue();
}

NowPlayingService& NowPlayingService::shared() {
    static NowPlayingService service;
    return service;
}

std::shared_ptr<NowPlayingSource> NowPlayingService::source() {
    {
        std::lock_guard lock(m_mutex);
        if (m_sourceChosen)
            return m_source;
    }
    // Drawing the demo playlist's artwork takes a moment: do it outside the
    // lock, and let a source set meanwhile win.
    std::shared_ptr<NowPlayingSource> demo = DemoMusicApp::create(DemoMusicApp::demoPlaylist());
    {
        std::lock_guard lock(m_mutex);
        if (m_sourceChosen)
            return m_source;
    }
    install(demo);
    std::lock_guard lock(m_mutex);
    return m_source;
}

void NowPlayingService::setSource(std::shared_ptr<NowPlayingSource> source) {
    install(std::move(source));
}

void NowPlayingService::resetSourceForTesting() {
    install(nullptr);
    std::lock_guard lock(m_mutex);
    m_sourceChosen = false;
}

void NowPlayingService::install(std::shared_ptr<NowPlayingSource> source) {
    std::shared_ptr<NowPlayingSource> previous;
    std::uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        previous = std::exchange(m_source, source);
        m_sourceChosen = true;
        generation = ++m_generation;
    }
    if (previous && previous != source)
        previous->setChangeHandler(nullptr);
    if (source) {
        source->setChangeHandler([this, generation](NowPlayingSource::Change change) {
            sourceDidChange(generation, change);
        });
    }
}

std::optional<std::string> NowPlayingService::nowPlayingApplicationBundleIdentifier() {
    auto current = source();
    return current ? current->nowPlayingApplicationBundleIdentifier() : std::nullopt;
}

void NowPlayingService::registerForNotifications(const dispatch_queue_t& queue) {
    std::lock_guard lock(m_mutex);
    m_notificationQueue = queue;
}

void NowPlayingService::unregisterForNotifications() {
    std::lock_guard lock(m_mutex);
    m_notificationQueue = nullptr;
}

bool NowPlayingService::isRegisteredForNotifications() const {
    std::lock_guard lock(m_mutex);
    return m_notificationQueue != nullptr;
}

void NowPlayingService::sourceDidChange(std::uint64_t generation, NowPlayingSource::Change change) {
    dispatch_queue_t queue;
    {
        std::lock_guard lock(m_mutex);
        if (generation != m_generation || !m_notificationQueue)
            return;
        queue = m_notificationQueue;
    }
    if (change == NowPlayingSource::Change::Info) {
        dispatch_async(queue, [] {
            NSNotificationCenter::defaultCenter()->postNotificationName(
                kMRMediaRemoteNowPlayingInfoDidChangeNotification, nullptr);
        });
        return;
    }
    // The state travels with the notification as it was at the change; by the
    // time the queue runs the post, the source may have moved on.
    auto current = source();
    bool playing = current && current->isPlaying();
    dispatch_async(queue, [playing] {
        NSNotificationCenter::defaultCenter()->postNotificationName(
            kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification, nullptr,
            CFDictionary{{kMRMediaRemoteNowPlayingApplicationIsPlayingUserInfoKey, playing}});
    });
}

void NowPlayingService::getNowPlayingInfo(const dispatch_queue_t& queue,
                                          std::function<void(const MRNowPlayingInfo& info)> reply) {
    if (!queue || !reply)
        return;
    auto current = source();
    MRNowPlayingInfo info = current ? current->nowPlayingInfo() : std::nullopt;
    dispatch_async(queue, [reply = std::move(reply), info = std::move(info)] { reply(info); });
}

void NowPlayingService::getIsPlaying(const dispatch_queue_t& queue,
                                     std::function<void(bool playing)> reply) {
    if (!queue || !reply)
        return;
    auto current = source();
    bool playing = current && current->isPlaying();
    dispatch_async(queue, [reply = std::move(reply), playing] { reply(playing); });
}

bool NowPlayingService::sendCommand(int command) {
    record({CFAbsoluteTimeGetCurrent(), NowPlayingRequest::Kind::Command, command, 0});
    auto current = source();
    if (!current)
        return false;
    current->performCommand(command);
    return true;
}

void NowPlayingService::setElapsedTime(double seconds) {
    record({CFAbsoluteTimeGetCurrent(), NowPlayingRequest::Kind::SetElapsedTime, 0, seconds});
    if (auto current = source())
        current->setElapsedTime(seconds);
}

void NowPlayingService::record(NowPlayingRequest request) {
    std::lock_guard lock(m_mutex);
    m_requests.push_back(request);
    ++m_requestCount;
    while (m_requests.size() > kMaximumRequests)
        m_requests.pop_front();
}

std::vector<NowPlayingRequest> NowPlayingService::requests() const {
    std::lock_guard lock(m_mutex);
    return {m_requests.begin(), m_requests.end()};
}

std::uint64_t NowPlayingService::requestCount() const {
    std::lock_guard lock(m_mutex);
    return m_requestCount;
}

void NowPlayingService::clearRequests() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
    m_requestCount = 0;
}

std::string_view nowPlayingCommandName(int command) {
    switch (command) {
    case kMRPlay:
        return "play";
    case kMRPause:
        return "pause";
    case kMRTogglePlayPause:
        return "togglePlayPause";
    case kMRStop:
        return "stop";
    case kMRNextTrack:
        return "nextTrack";
    case kMRPreviousTrack:
        return "previousTrack";
    case kMRBeginFastForward:
        return "beginFastForward";
    case kMREndFastForward:
        return "endFastForward";
    case kMRBeginRewind:
        return "beginRewind";
    case kMREndRewind:
        return "endRewind";
    default:
        return "unknown";
    }
}
