#include "apps/common/Scenario.h"
#include "apps/springboard/NowPlayingCommands.h"
#include "platform/mediaremote/DemoMusicApp.h"
#include "support/DumpNode.h"
#include "tests/platform/MediaRemoteTestSupport.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class DemoMusicCommandsTest : public NowPlayingTest {
protected:
    void SetUp() override {
        NowPlayingTest::SetUp();
        useQueue({});
        registerNowPlayingCommands(m_scenario);
    }

    std::optional<std::string> runScenario(const std::string& text) {
        return m_scenario.runText(text, "test.scenario");
    }

    std::string writeFile(const std::string& name, const std::string& bytes) {
        auto path = root() / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    Scenario m_scenario;
};

TEST_F(DemoMusicCommandsTest, TrackAppendsWithEveryFieldAndTheArtworkBytes) {
    std::string cover = writeFile("cover.png", std::string("\x89PNG\r\n\x1a\n-not-really", 19));
    EXPECT_EQ(runScenario("track Night Bus | The Late Shift |222.5|" + cover + "\n" +
                          "track Second|Someone|10|none\n"),
              std::nullopt);
    ASSERT_EQ(m_app->queueLength(), 2u);
    auto track = m_app->currentTrack();
    ASSERT_TRUE(track);
    EXPECT_EQ(track->title, "Night Bus");
    EXPECT_EQ(track->artist, "The Late Shift");
    EXPECT_DOUBLE_EQ(track->duration, 222.5);
    EXPECT_EQ(track->bundleIdentifier, "com.rotix.demo-music");
    ASSERT_TRUE(track->artwork);
    EXPECT_EQ(std::string(track->artwork->begin(), track->artwork->end()),
              std::string("\x89PNG\r\n\x1a\n-not-really", 19));
    EXPECT_TRUE(NowPlayingService::shared().requests().empty());
}

TEST_F(DemoMusicCommandsTest, EmptyFieldsLeaveTheKeysOut) {
    EXPECT_EQ(runScenario("track ||30|none\n"), std::nullopt);
    MRNowPlayingInfo info = fetchInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->count(kMRMediaRemoteNowPlayingInfoTitle), 0u);
    EXPECT_EQ(info->count(kMRMediaRemoteNowPlayingInfoArtist), 0u);
}

TEST_F(DemoMusicCommandsTest, AMissingArtworkFileStopsTheScenarioNamingIt) {
    std::string missing = (root() / "no-such-cover.png").string();
    auto failure = runScenario("track A|B|10|" + missing + "\nplay\n");
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("test.scenario:1:"), std::string::npos) << *failure;
    EXPECT_NE(failure->find(missing), std::string::npos) << *failure;
    EXPECT_EQ(m_app->queueLength(), 0u);
    EXPECT_FALSE(m_app->isPlaying());
}

TEST_F(DemoMusicCommandsTest, AFolderOrAnOversizedFileIsRefused) {
    auto folder = runScenario("track A|B|10|" + root().string() + "\n");
    ASSERT_TRUE(folder);
    auto big = root() / "huge.png";
    std::ofstream(big).put('x');
    std::filesystem::resize_file(big, kScenarioArtworkMaximumBytes + 1);
    auto oversized = runScenario("track A|B|10|" + big.string() + "\n");
    ASSERT_TRUE(oversized);
    EXPECT_NE(oversized->find("16 MiB"), std::string::npos) << *oversized;
    // Exactly at the bound is fine.
    std::filesystem::resize_file(big, kScenarioArtworkMaximumBytes);
    EXPECT_EQ(runScenario("track A|B|10|" + big.string() + "\n"), std::nullopt);
    EXPECT_EQ(m_app->queueLength(), 1u);
}

TEST_F(DemoMusicCommandsTest, MalformedTracksAreRefused) {
    for (const char* line : {"track A|B|10", "track A|B|10|none|extra", "track A|B|ten|none",
                             "track A|B|-1|none", "track A|B|inf|none", "track"}) {
        EXPECT_TRUE(runScenario(std::string(line) + "\n")) << line;
    }
    EXPECT_EQ(m_app->queueLength(), 0u);
}

TEST_F(DemoMusicCommandsTest, TransportCommandsDriveTheApplicationAndDeliverTheNotifications) {
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    EXPECT_EQ(runScenario("track One|A|100|none\n"
                          "track Two|B|100|none\n"
                          "play\n"),
              std::nullopt);
    // Each command lets the main queue run, so the posts have arrived.
    EXPECT_EQ(postedNames(), (std::vector<std::string>{kInfo, kInfo, kPlaying}));
    EXPECT_TRUE(m_app->isPlaying());
    EXPECT_EQ(runScenario("elapsed 42\nnext\n"), std::nullopt);
    EXPECT_EQ(m_app->currentIndex(), 1u);
    EXPECT_EQ(runScenario("elapsed 42\npause\n"), std::nullopt);
    EXPECT_NEAR(m_app->elapsedTime(), 42, 1e-6);
    EXPECT_FALSE(m_app->isPlaying());
    EXPECT_EQ(runScenario("clear\n"), std::nullopt);
    EXPECT_EQ(m_app->queueLength(), 0u);
    EXPECT_TRUE(runScenario("elapsed soon\n"));
    EXPECT_TRUE(NowPlayingService::shared().requests().empty());
}

TEST_F(DemoMusicCommandsTest, AnotherSourceCannotBeDriven) {
    NowPlayingService::shared().setSource(nullptr);
    auto failure = runScenario("play\n");
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("demo music"), std::string::npos) << *failure;
}

TEST_F(DemoMusicCommandsTest, DumpShowsTheSourceAndEveryRequest) {
    EXPECT_EQ(runScenario("track One|Artist|100|none\ntrack Two|Other|50|none\nplay\n"),
              std::nullopt);
    run(12);
    MRMediaRemoteSendCommand(kMRNextTrack, nullptr);
    MRMediaRemoteSetElapsedTime(7.5);
    run(1);
    DumpNode section(nowPlayingDumpSection());
    EXPECT_EQ(section["source"].asString(), "demo-music");
    EXPECT_TRUE(section["playing"].asBool());
    EXPECT_EQ(section["bundleIdentifier"].asString(), "com.rotix.demo-music");
    EXPECT_EQ(section["title"].asString(), "Two");
    EXPECT_EQ(section["artist"].asString(), "Other");
    EXPECT_DOUBLE_EQ(section["duration"].asNumber(), 50);
    EXPECT_NEAR(section["elapsed"].asNumber(), 8.5, 1e-6);
    EXPECT_EQ(section["queueLength"].asNumber(), 2);
    EXPECT_EQ(section["index"].asNumber(), 1);
    EXPECT_EQ(section["commandCount"].asNumber(), 2);
    const DumpNode& commands = section["commands"];
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0]["command"].asNumber(), kMRNextTrack);
    EXPECT_EQ(commands[0]["name"].asString(), "nextTrack");
    EXPECT_EQ(commands[1]["name"].asString(), "setElapsedTime");
    EXPECT_DOUBLE_EQ(commands[1]["seconds"].asNumber(), 7.5);
    EXPECT_DOUBLE_EQ(commands[1]["time"].asNumber(), now() - 1);
}

TEST_F(DemoMusicCommandsTest, DumpOfNothingPlaying) {
    DumpNode section(nowPlayingDumpSection());
    EXPECT_FALSE(section["playing"].asBool());
    EXPECT_TRUE(section["title"].isNull());
    EXPECT_TRUE(section["bundleIdentifier"].isNull());
    EXPECT_TRUE(section["elapsed"].isNull());
    EXPECT_TRUE(section["index"].isNull());
    NowPlayingService::shared().setSource(nullptr);
    EXPECT_TRUE(DumpNode(nowPlayingDumpSection())["source"].isNull());
}

} // namespace
