#pragma once

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/mediaremote/DemoMusicApp.h"
#include "platform/mediaremote/MediaRemote.h"
#include "platform/mediaremote/NowPlayingService.h"
#include "support/ManualClockFixture.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

inline DemoMusicTrack demoTrack(std::string title, double duration,
                                std::string bundleIdentifier = "com.rotix.demo-music") {
    DemoMusicTrack track;
    track.title = std::move(title);
    track.artist = "Artist of " + track.title;
    track.duration = duration;
    track.bundleIdentifier = std::move(bundleIdentifier);
    return track;
}

// A fresh demo application behind the service for every test, with the two
// notifications written down as they are posted (from whatever thread).
class NowPlayingTest : public ManualClockTest {
protected:
    static constexpr const char* kInfo = "info";
    static constexpr const char* kPlaying = "playing";

    struct Posted {
        std::string name;
        bool onMainThread = false;
        std::optional<bool> playing;
    };

    void SetUp() override {
        ManualClockTest::SetUp();
        MRMediaRemoteUnregisterForNowPlayingNotifications();
        NowPlayingService::shared().clearRequests();
        auto center = NSNotificationCenter::defaultCenter();
        m_infoToken = center->addObserverForName(kMRMediaRemoteNowPlayingInfoDidChangeNotification,
                                                 nullptr, [this](const NSNotification&) {
                                                     note({kInfo, NSRunLoop::isMainThread(), {}});
                                                 });
        m_playingToken = center->addObserverForName(
            kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification, nullptr,
            [this](const NSNotification& notification) {
                const CFPropertyList* playing = CFDictionaryGetValue(
                    notification.userInfo() ? &*notification.userInfo() : nullptr,
                    kMRMediaRemoteNowPlayingApplicationIsPlayingUserInfoKey);
                note({kPlaying, NSRunLoop::isMainThread(),
                      playing && playing->isBoolean() ? std::optional(playing->boolValue())
                                                      : std::nullopt});
            });
    }

    void TearDown() override {
        auto center = NSNotificationCenter::defaultCenter();
        center->removeObserver(m_infoToken);
        center->removeObserver(m_playingToken);
        MRMediaRemoteUnregisterForNowPlayingNotifications();
        NowPlayingService::shared().setSource(nullptr);
        m_app.reset();
        ManualClockTest::TearDown();
    }

    std::shared_ptr<DemoMusicApp> useQueue(std::vector<DemoMusicTrack> queue) {
        m_app = DemoMusicApp::create(std::move(queue));
        NowPlayingService::shared().setSource(m_app);
        return m_app;
    }

    // What the player would get back, once the main queue has run.
    MRNowPlayingInfo fetchInfo() {
        MRNowPlayingInfo result;
        bool replied = false;
        MRMediaRemoteGetNowPlayingInfo(dispatch_get_main_queue(),
                                       [&](const MRNowPlayingInfo& info) {
                                           result = info;
                                           replied = true;
                                       });
        NSRunLoop::mainRunLoop().runUntilIdle();
        EXPECT_TRUE(replied);
        return result;
    }

    void send(int command) {
        MRMediaRemoteSendCommand(command, nullptr);
        NSRunLoop::mainRunLoop().runUntilIdle();
    }

    std::vector<std::string> postedNames() {
        std::lock_guard lock(m_postedMutex);
        std::vector<std::string> names;
        for (const auto& posted : m_posted)
            names.push_back(posted.name);
        return names;
    }

    std::vector<Posted> posted() {
        std::lock_guard lock(m_postedMutex);
        return m_posted;
    }

    void forgetPosted() {
        std::lock_guard lock(m_postedMutex);
        m_posted.clear();
    }

    std::shared_ptr<DemoMusicApp> m_app;

private:
    void note(Posted entry) {
        std::lock_guard lock(m_postedMutex);
        m_posted.push_back(std::move(entry));
    }

    id m_infoToken;
    id m_playingToken;
    std::mutex m_postedMutex;
    std::vector<Posted> m_posted;
};

inline double infoNumber(const MRNowPlayingInfo& info, const std::string& key) {
    const CFPropertyList* value = CFDictionaryGetValue(info ? &*info : nullptr, key);
    return value ? value->doubleValue() : -1;
}

inline std::string infoString(const MRNowPlayingInfo& info, const std::string& key) {
    const CFPropertyList* value = CFDictionaryGetValue(info ? &*info : nullptr, key);
    return value && value->string() ? *value->string() : "<absent>";
}
