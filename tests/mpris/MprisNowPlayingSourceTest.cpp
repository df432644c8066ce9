#include "platform/mediaremote/mpris/MprisNowPlayingSource.h"

#include "platform/foundation/NSRunLoop.h"
#include "support/PrivateSessionBus.h"
#include "support/SpawnedProcess.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <vector>

// The source on a private bus with fake players, read from this test's own
// run loop. The players run on their own, so the run loop runs on the real
// clock and every wait has a deadline.
namespace {

using namespace std::chrono_literals;
using Change = NowPlayingSource::Change;

constexpr double kDeadlineSeconds = 10;

std::string infoTitle(const MRNowPlayingInfo& info) {
    const CFPropertyList* title =
        CFDictionaryGetValue(info ? &*info : nullptr, kMRMediaRemoteNowPlayingInfoTitle);
    return title && title->string() ? *title->string() : "";
}

class MprisNowPlayingSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        NSRunLoop::mainRunLoop().setClock(std::make_shared<SystemClock>());
        std::random_device random;
        m_folder = std::filesystem::temp_directory_path() /
                   ("rotix-mpris-source-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_folder);
        m_bus = std::make_unique<PrivateSessionBus>(m_folder / "bus");
        ASSERT_TRUE(m_bus->start());
    }

    void TearDown() override {
        m_source.reset();
        NSRunLoop::mainRunLoop().runUntilIdle();
        m_players.clear();
        m_bus.reset();
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }

    SpawnedProcess& startPlayer(const std::string& name) {
        auto& player = m_players.emplace_back(std::make_unique<SpawnedProcess>());
        EXPECT_TRUE(player->start({ROTIX_MPRIS_FAKE_PLAYER_PATH, name}, m_bus->environment(),
                                  m_folder, name));
        EXPECT_TRUE(player->waitForOutput("ready", 10s)) << player->errors();
        return *player;
    }

    void tell(SpawnedProcess& player, const std::string& command, int sequence) {
        ASSERT_TRUE(player.send(command));
        std::string verb = command.substr(0, command.find(' '));
        ASSERT_TRUE(
            player.waitForOutput("done " + verb + " " + std::to_string(sequence) + "\n", 10s));
    }

    void startSource() {
        auto bus = BusConnection::open(m_bus->address());
        ASSERT_TRUE(bus);
        m_source = MprisNowPlayingSource::create(bus);
        m_source->setChangeHandler([this](Change change) {
            EXPECT_TRUE(NSRunLoop::isMainThread());
            m_changes.push_back(change);
        });
    }

    // Runs the run loop until the condition holds, or the deadline.
    bool runUntil(const std::function<bool()>& condition) {
        NSRunLoop& loop = NSRunLoop::mainRunLoop();
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(kDeadlineSeconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            loop.runFor(0.02);
        }
        return true;
    }

    std::optional<std::string> shown() const {
        return m_source->nowPlayingApplicationBundleIdentifier();
    }

    std::filesystem::path m_folder;
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::vector<std::unique_ptr<SpawnedProcess>> m_players;
    std::shared_ptr<MprisNowPlayingSource> m_source;
    std::vector<Change> m_changes;
};

TEST_F(MprisNowPlayingSourceTest, ShowsThePlayingOneAndHandsOverWhenItLeaves) {
    SpawnedProcess& alpha = startPlayer("alpha");
    SpawnedProcess& beta = startPlayer("beta");
    tell(beta, "status Paused", 1);
    startSource();
    ASSERT_TRUE(runUntil([&] {
        return shown() == "org.mpris.MediaPlayer2.alpha" && m_source->isPlaying() &&
               m_source->dump()["players"].size() == 2;
    }));
    EXPECT_EQ(infoTitle(m_source->nowPlayingInfo()), "Fake Title");

    m_changes.clear();
    alpha.kill();
    ASSERT_TRUE(runUntil([&] { return shown() == "org.mpris.MediaPlayer2.beta"; }));
    EXPECT_FALSE(m_source->isPlaying());
    // Another player is another now-playing application: both notices.
    EXPECT_NE(std::find(m_changes.begin(), m_changes.end(), Change::Info), m_changes.end());
    EXPECT_NE(std::find(m_changes.begin(), m_changes.end(), Change::PlaybackState),
              m_changes.end());

    beta.kill();
    ASSERT_TRUE(runUntil([&] { return !shown(); }));
    EXPECT_FALSE(m_source->nowPlayingInfo());
    EXPECT_FALSE(m_source->isPlaying());
}

TEST_F(MprisNowPlayingSourceTest, WithNonePlayingTheOneThatPlayedLastIsShown) {
    SpawnedProcess& alpha = startPlayer("alpha");
    SpawnedProcess& beta = startPlayer("beta");
    tell(alpha, "status Paused", 1);
    tell(beta, "status Paused", 1);
    startSource();
    ASSERT_TRUE(runUntil([&] { return m_source->dump()["players"].size() == 2 && shown(); }));
    tell(beta, "status Playing", 2);
    ASSERT_TRUE(runUntil([&] { return shown() == "org.mpris.MediaPlayer2.beta"; }));
    tell(beta, "status Paused", 3);
    ASSERT_TRUE(runUntil([&] { return !m_source->isPlaying(); }));
    EXPECT_EQ(shown(), "org.mpris.MediaPlayer2.beta");
    tell(alpha, "status Playing", 2);
    EXPECT_TRUE(runUntil([&] { return shown() == "org.mpris.MediaPlayer2.alpha"; }));
}

// As desktop media panels do: the file's name stands for a missing title.
TEST_F(MprisNowPlayingSourceTest, ATrackWithoutATitleIsNamedAfterItsFile) {
    SpawnedProcess& alpha = startPlayer("alpha");
    startSource();
    ASSERT_TRUE(runUntil([&] { return shown().has_value(); }));
    const std::pair<std::string, std::string> cases[] = {
        {"file:///home/me/Music/Night%20Drive%20%E2%80%94%20Demo.v2.flac", "Night Drive — Demo.v2"},
        {"https://radio.example/streams/late-show.mp3?session=4#start", "late-show"},
        {"file:///home/me/Music/", ""},
    };
    int sequence = 0;
    for (const auto& [url, title] : cases) {
        SCOPED_TRACE(url);
        tell(alpha, "meta untagged " + url, ++sequence);
        EXPECT_TRUE(runUntil([&] { return infoTitle(m_source->nowPlayingInfo()) == title; }))
            << infoTitle(m_source->nowPlayingInfo());
    }
}

// The source outlives its bus: its players and subscriptions go with the
// connection, and nothing of them is left to point into it afterwards.
TEST_F(MprisNowPlayingSourceTest, TheBusGoingAwayLeavesNothingPlayingAndNothingBehind) {
    startPlayer("alpha");
    startSource();
    ASSERT_TRUE(runUntil([&] { return shown().has_value(); }));
    m_bus->stop();
    ASSERT_TRUE(runUntil([&] { return !m_source->isConnected() && !shown(); }));
    EXPECT_FALSE(m_source->isPlaying());
    EXPECT_EQ(m_source->dump()["players"].size(), 0u);
    m_source.reset();
}

TEST_F(MprisNowPlayingSourceTest, CommandsGoToTheShownPlayerOnly) {
    SpawnedProcess& alpha = startPlayer("alpha");
    SpawnedProcess& beta = startPlayer("beta");
    tell(beta, "status Paused", 1);
    startSource();
    ASSERT_TRUE(runUntil([&] { return shown() == "org.mpris.MediaPlayer2.alpha"; }));
    m_source->performCommand(kMRNextTrack);
    ASSERT_TRUE(runUntil([&] { return alpha.output().find("call Next") != std::string::npos; }));
    EXPECT_EQ(beta.output().find("call"), std::string::npos);
}

TEST_F(MprisNowPlayingSourceTest, ACommandFromAnotherThreadIsCarriedOutOnTheMainThread) {
    SpawnedProcess& alpha = startPlayer("alpha");
    startSource();
    ASSERT_TRUE(runUntil([&] { return shown().has_value(); }));
    std::atomic<bool> sent = false;
    std::thread other([&] {
        m_source->performCommand(kMRPreviousTrack);
        m_source->setElapsedTime(4.0);
        // What the service may ask from any thread is answered at once.
        EXPECT_TRUE(m_source->isPlaying());
        EXPECT_EQ(infoTitle(m_source->nowPlayingInfo()), "Fake Title");
        sent = true;
    });
    // The player hears nothing until the main run loop carries them out.
    ASSERT_TRUE(runUntil([&] { return sent.load(); }));
    other.join();
    EXPECT_TRUE(runUntil([&] {
        return alpha.output().find("call Previous\ncall SetPosition /org/fake/track/1 4000000") !=
               std::string::npos;
    })) << alpha.output();
}

TEST_F(MprisNowPlayingSourceTest, AJumpIsReportedAndMovesTheElapsedTime) {
    SpawnedProcess& alpha = startPlayer("alpha");
    startSource();
    ASSERT_TRUE(runUntil([&] { return shown().has_value(); }));
    m_changes.clear();
    tell(alpha, "seeked 30000000", 1);
    ASSERT_TRUE(runUntil([&] { return !m_changes.empty(); }));
    EXPECT_EQ(m_changes.front(), Change::Info);
    MRNowPlayingInfo info = m_source->nowPlayingInfo();
    const CFPropertyList* elapsed =
        CFDictionaryGetValue(info ? &*info : nullptr, kMRMediaRemoteNowPlayingInfoElapsedTime);
    ASSERT_TRUE(elapsed);
    EXPECT_DOUBLE_EQ(elapsed->doubleValue(), 30.0);
}

TEST_F(MprisNowPlayingSourceTest, AFastForwardStopsWhenTheTrackChanges) {
    SpawnedProcess& alpha = startPlayer("alpha");
    startSource();
    ASSERT_TRUE(runUntil([&] { return shown().has_value(); }));
    m_source->performCommand(kMRBeginFastForward);
    ASSERT_TRUE(
        runUntil([&] { return alpha.output().find("call Seek 3000000") != std::string::npos; }));
    EXPECT_EQ(m_source->dump()["seeking"].asString(), "forward");
    tell(alpha, "meta string-trackid", 1);
    EXPECT_TRUE(runUntil([&] { return m_source->dump()["seeking"].isNull(); }));
}

} // namespace
