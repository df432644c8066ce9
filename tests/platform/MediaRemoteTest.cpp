#include "platform/mediaremote/MediaRemote.h"

#include "platform/dispatch/Dispatch.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/mediaremote/NowPlayingService.h"
#include "tests/platform/MediaRemoteTestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

using MediaRemoteReplyTest = NowPlayingTest;

TEST_F(MediaRemoteReplyTest, InfoReplyRunsLaterOnTheMainQueueNotInsideTheCall) {
    useQueue({demoTrack("One", 100)});
    bool replied = false;
    bool onMain = false;
    MRMediaRemoteGetNowPlayingInfo(dispatch_get_main_queue(), [&](const MRNowPlayingInfo& info) {
        replied = true;
        onMain = NSRunLoop::isMainThread();
        EXPECT_EQ(infoString(info, kMRMediaRemoteNowPlayingInfoTitle), "One");
    });
    EXPECT_FALSE(replied);
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_TRUE(replied);
    EXPECT_TRUE(onMain);
}

TEST_F(MediaRemoteReplyTest, PlayingReplyRunsLaterWithTheStateAtTheCall) {
    auto app = useQueue({demoTrack("One", 100)});
    app->play();
    std::vector<bool> replies;
    MRMediaRemoteGetNowPlayingApplicationIsPlaying(
        dispatch_get_main_queue(), [&](bool playing) { replies.push_back(playing); });
    EXPECT_TRUE(replies.empty());
    app->pause();
    MRMediaRemoteGetNowPlayingApplicationIsPlaying(
        dispatch_get_main_queue(), [&](bool playing) { replies.push_back(playing); });
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(replies, (std::vector<bool>{true, false}));
}

TEST_F(MediaRemoteReplyTest, RepliesArriveInTheOrderAsked) {
    useQueue({demoTrack("One", 100)});
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) {
        if (i % 2)
            MRMediaRemoteGetNowPlayingApplicationIsPlaying(dispatch_get_main_queue(),
                                                           [&, i](bool) { order.push_back(i); });
        else
            MRMediaRemoteGetNowPlayingInfo(dispatch_get_main_queue(),
                                           [&, i](const MRNowPlayingInfo&) { order.push_back(i); });
    }
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(MediaRemoteReplyTest, NothingPlayingRepliesWithNothing) {
    useQueue({});
    EXPECT_FALSE(fetchInfo().has_value());
    NowPlayingService::shared().setSource(nullptr);
    EXPECT_FALSE(fetchInfo().has_value());
    bool playing = true;
    MRMediaRemoteGetNowPlayingApplicationIsPlaying(dispatch_get_main_queue(),
                                                   [&](bool answer) { playing = answer; });
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_FALSE(playing);
    EXPECT_EQ(NowPlayingService::shared().nowPlayingApplicationBundleIdentifier(), std::nullopt);
}

TEST_F(MediaRemoteReplyTest, MissingQueueOrReplyIsIgnored) {
    useQueue({demoTrack("One", 100)});
    MRMediaRemoteGetNowPlayingInfo(nullptr, [](const MRNowPlayingInfo&) { FAIL(); });
    MRMediaRemoteGetNowPlayingInfo(dispatch_get_main_queue(), nullptr);
    MRMediaRemoteGetNowPlayingApplicationIsPlaying(nullptr, [](bool) { FAIL(); });
    NSRunLoop::mainRunLoop().runUntilIdle();
}

TEST_F(MediaRemoteReplyTest, CallsFromABackgroundThreadReplyOnMain) {
    useQueue({demoTrack("One", 100)});
    std::atomic<int> replies = 0;
    std::atomic<int> offMain = 0;
    std::thread caller([&] {
        MRMediaRemoteSendCommand(kMRTogglePlayPause, nullptr);
        MRMediaRemoteGetNowPlayingInfo(dispatch_get_main_queue(), [&](const MRNowPlayingInfo&) {
            offMain += !NSRunLoop::isMainThread();
            ++replies;
        });
        MRMediaRemoteGetNowPlayingApplicationIsPlaying(dispatch_get_main_queue(), [&](bool) {
            offMain += !NSRunLoop::isMainThread();
            ++replies;
        });
    });
    caller.join();
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(replies, 2);
    EXPECT_EQ(offMain, 0);
}

TEST_F(MediaRemoteReplyTest, ManyThreadsAtOnceWhileTheMainLoopRuns) {
    auto app = useQueue({demoTrack("One", 5), demoTrack("Two", 5), demoTrack("Three", 5)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    constexpr int kThreads = 3;
    constexpr int kRounds = 100;
    std::atomic<int> replies = 0;
    std::atomic<int> offMain = 0;
    std::atomic<int> finished = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                static constexpr int kCommands[] = {
                    kMRTogglePlayPause, kMRNextTrack,   kMRPreviousTrack, kMRBeginFastForward,
                    kMREndFastForward,  kMRBeginRewind, kMREndRewind};
                MRMediaRemoteSendCommand(kCommands[(i + t) % 7], nullptr);
                MRMediaRemoteSetElapsedTime(i % 6);
                MRMediaRemoteGetNowPlayingInfo(dispatch_get_main_queue(),
                                               [&](const MRNowPlayingInfo&) {
                                                   offMain += !NSRunLoop::isMainThread();
                                                   ++replies;
                                               });
                NowPlayingService::shared().nowPlayingApplicationBundleIdentifier();
            }
            ++finished;
        });
    }
    // The main thread keeps the clock and the queue moving meanwhile.
    while (finished < kThreads)
        NSRunLoop::mainRunLoop().runFor(0.5);
    for (auto& thread : threads)
        thread.join();
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(replies, kThreads * kRounds);
    EXPECT_EQ(offMain, 0);
    EXPECT_EQ(NowPlayingService::shared().requestCount(), 2u * kThreads * kRounds);
    for (const auto& entry : posted())
        EXPECT_TRUE(entry.onMainThread);
}

using MediaRemoteNotificationTest = NowPlayingTest;

TEST_F(MediaRemoteNotificationTest, NothingIsPostedBeforeRegistering) {
    auto app = useQueue({demoTrack("One", 100), demoTrack("Two", 100)});
    send(kMRTogglePlayPause);
    send(kMRNextTrack);
    run(300);
    EXPECT_TRUE(postedNames().empty());

    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    app->setQueue({demoTrack("One", 100), demoTrack("Two", 100)});
    NSRunLoop::mainRunLoop().runUntilIdle();
    forgetPosted();
    send(kMRTogglePlayPause);
    send(kMRNextTrack);
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kPlaying, kInfo}));

    MRMediaRemoteUnregisterForNowPlayingNotifications();
    forgetPosted();
    send(kMRTogglePlayPause);
    EXPECT_TRUE(postedNames().empty());
}

TEST_F(MediaRemoteNotificationTest, PostsLaterOnTheRegisteredQueueNotInsideTheCommand) {
    useQueue({demoTrack("One", 100)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    MRMediaRemoteSendCommand(kMRTogglePlayPause, nullptr);
    EXPECT_TRUE(postedNames().empty());
    NSRunLoop::mainRunLoop().runUntilIdle();
    auto entries = posted();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, kPlaying);
    EXPECT_TRUE(entries[0].onMainThread);
    EXPECT_EQ(entries[0].playing, true);
}

TEST_F(MediaRemoteNotificationTest, PostsOnABackgroundQueueWhenThatIsTheOneNamed) {
    useQueue({demoTrack("One", 100)});
    MRMediaRemoteRegisterForNowPlayingNotifications(
        dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0));
    send(kMRTogglePlayPause);
    auto entries = posted();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].onMainThread);
}

TEST_F(MediaRemoteNotificationTest, EachPlayingChangeCarriesItsOwnState) {
    useQueue({demoTrack("One", 100)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    MRMediaRemoteSendCommand(kMRTogglePlayPause, nullptr);
    MRMediaRemoteSendCommand(kMRTogglePlayPause, nullptr);
    NSRunLoop::mainRunLoop().runUntilIdle();
    auto entries = posted();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].playing, true);
    EXPECT_EQ(entries[1].playing, false);
}

TEST_F(MediaRemoteNotificationTest, AReplacedSourceIsNoLongerHeard) {
    auto first = useQueue({demoTrack("One", 100)});
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    auto second = DemoMusicApp::create({demoTrack("Two", 100)});
    NowPlayingService::shared().setSource(second);
    first->play();
    first->nextTrack();
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_TRUE(postedNames().empty());
    second->play();
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kPlaying}));
    EXPECT_EQ(infoString(fetchInfo(), kMRMediaRemoteNowPlayingInfoTitle), "Two");
}

using MediaRemoteRequestLogTest = NowPlayingTest;

TEST_F(MediaRemoteRequestLogTest, RecordsEveryCommandAndSeekWithItsTime) {
    useQueue({demoTrack("One", 100)});
    CFAbsoluteTime start = now();
    send(kMRTogglePlayPause);
    run(1.5);
    MRMediaRemoteSetElapsedTime(42.5);
    run(0.5);
    send(kMREndRewind);
    auto requests = NowPlayingService::shared().requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].kind, NowPlayingRequest::Kind::Command);
    EXPECT_EQ(requests[0].command, kMRTogglePlayPause);
    EXPECT_DOUBLE_EQ(requests[0].time, start);
    EXPECT_EQ(requests[1].kind, NowPlayingRequest::Kind::SetElapsedTime);
    EXPECT_DOUBLE_EQ(requests[1].seconds, 42.5);
    EXPECT_DOUBLE_EQ(requests[1].time, start + 1.5);
    EXPECT_EQ(requests[2].command, kMREndRewind);
    EXPECT_DOUBLE_EQ(requests[2].time, start + 2.0);
}

TEST_F(MediaRemoteRequestLogTest, RecordsCommandsEvenWhenNothingPlays) {
    NowPlayingService::shared().setSource(nullptr);
    EXPECT_FALSE(MRMediaRemoteSendCommand(kMRNextTrack, nullptr));
    MRMediaRemoteSetElapsedTime(3);
    EXPECT_EQ(NowPlayingService::shared().requests().size(), 2u);
}

TEST_F(MediaRemoteRequestLogTest, KeepsOnlyTheLatestRequestsButCountsThemAll) {
    useQueue({});
    size_t total = NowPlayingService::kMaximumRequests + 25;
    for (size_t i = 0; i < total; ++i)
        MRMediaRemoteSetElapsedTime(static_cast<double>(i));
    auto requests = NowPlayingService::shared().requests();
    ASSERT_EQ(requests.size(), NowPlayingService::kMaximumRequests);
    EXPECT_DOUBLE_EQ(requests.front().seconds, 25.0);
    EXPECT_DOUBLE_EQ(requests.back().seconds, static_cast<double>(total - 1));
    EXPECT_EQ(NowPlayingService::shared().requestCount(), total);
    NowPlayingService::shared().clearRequests();
    EXPECT_TRUE(NowPlayingService::shared().requests().empty());
    EXPECT_EQ(NowPlayingService::shared().requestCount(), 0u);
}

TEST_F(MediaRemoteRequestLogTest, CommandNamesForDumps) {
    EXPECT_EQ(nowPlayingCommandName(kMRTogglePlayPause), "togglePlayPause");
    EXPECT_EQ(nowPlayingCommandName(kMRBeginRewind), "beginRewind");
    EXPECT_EQ(nowPlayingCommandName(99), "unknown");
}

using MediaRemoteApplicationTest = NowPlayingTest;

TEST_F(MediaRemoteApplicationTest, BundleIdentifierFollowsTheCurrentTrack) {
    auto app = useQueue({demoTrack("One", 100), demoTrack("Two", 100, "com.example.radio")});
    EXPECT_EQ(NowPlayingService::shared().nowPlayingApplicationBundleIdentifier(),
              "com.rotix.demo-music");
    app->nextTrack();
    EXPECT_EQ(NowPlayingService::shared().nowPlayingApplicationBundleIdentifier(),
              "com.example.radio");
    app->nextTrack();
    EXPECT_EQ(NowPlayingService::shared().nowPlayingApplicationBundleIdentifier(), std::nullopt);
}

TEST_F(MediaRemoteApplicationTest, InfoCarriesTheTrackAndLeavesOutWhatItLacks) {
    DemoMusicTrack full = demoTrack("Full", 321.5);
    full.album = "Album";
    full.artwork = std::make_shared<const std::vector<std::uint8_t>>(
        std::vector<std::uint8_t>{0x89, 'P', 'N', 'G'});
    DemoMusicTrack bare;
    bare.duration = 60;
    useQueue({full, bare});
    MRNowPlayingInfo info = fetchInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(infoString(info, kMRMediaRemoteNowPlayingInfoTitle), "Full");
    EXPECT_EQ(infoString(info, kMRMediaRemoteNowPlayingInfoArtist), "Artist of Full");
    EXPECT_EQ(infoString(info, kMRMediaRemoteNowPlayingInfoAlbum), "Album");
    EXPECT_DOUBLE_EQ(infoNumber(info, kMRMediaRemoteNowPlayingInfoDuration), 321.5);
    const CFPropertyList* artwork =
        CFDictionaryGetValue(&*info, kMRMediaRemoteNowPlayingInfoArtworkData);
    ASSERT_TRUE(artwork && artwork->bytes());
    // The bytes are shared, not copied, however often the player asks.
    EXPECT_EQ(artwork->bytes()->get(), full.artwork.get());
    const CFPropertyList* timestamp =
        CFDictionaryGetValue(&*info, kMRMediaRemoteNowPlayingInfoTimestamp);
    ASSERT_TRUE(timestamp && timestamp->date());

    send(kMRNextTrack);
    info = fetchInfo();
    ASSERT_TRUE(info);
    for (const auto& key :
         {kMRMediaRemoteNowPlayingInfoTitle, kMRMediaRemoteNowPlayingInfoArtist,
          kMRMediaRemoteNowPlayingInfoAlbum, kMRMediaRemoteNowPlayingInfoArtworkData})
        EXPECT_EQ(info->count(key), 0u) << key;
    EXPECT_TRUE(info->count(kMRMediaRemoteNowPlayingInfoElapsedTime));
}

TEST_F(MediaRemoteApplicationTest, TheDefaultSourceIsTheDemoPlaylistPaused) {
    NowPlayingService& service = NowPlayingService::shared();
    // Forget the source a test set, as a process that never chose one.
    service.resetSourceForTesting();
    auto app = std::dynamic_pointer_cast<DemoMusicApp>(service.source());
    ASSERT_TRUE(app);
    EXPECT_EQ(app->queueLength(), DemoMusicApp::demoPlaylist().size());
    EXPECT_FALSE(app->isPlaying());
    EXPECT_EQ(service.nowPlayingApplicationBundleIdentifier(), "com.rotix.demo-music");
}

} // namespace
