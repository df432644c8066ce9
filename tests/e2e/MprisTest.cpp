#include "support/GeneratedMedia.h"
#include "support/LiveHost.h"
#include "support/PrivateSessionBus.h"
#include "support/SpawnedProcess.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <thread>

// The lock screen against the desktop's own music players: a private bus,
// mpv with its MPRIS plugin playing tracks the test writes, playerctl to see
// what mpv really does, and a fake player for what no real one sends. All
// of it runs on the real clock, so every wait polls against a deadline.
namespace {

using namespace std::chrono_literals;

constexpr const char* kMpvPlugin = "/usr/lib/mpv-mpris/mpris.so";
constexpr const char* kMpvName = "org.mpris.MediaPlayer2.mpv";
constexpr const char* kFakeName = "org.mpris.MediaPlayer2.fake";
// Where the iPhone 7 Plus lock screen has the disc, the forward button, and
// the ring at twelve and at three o'clock.
constexpr const char* kTapDisc = "tap 207 455";
constexpr const char* kTapForward = "tap 300 656";
constexpr const char* kDragQuarterRound = "drag 207 302 360 455 0.5";
constexpr double kTrackSeconds = 20;
constexpr auto kDeadline = 10s;

std::string text(const DumpNode& json) {
    return json.asString();
}

// The player's information as the view last received it.
DumpNode viewInfo(const DumpNode& dump) {
    return dump["player"]["dict"];
}

std::optional<double> parseNumber(const std::string& output) {
    try {
        return std::stod(output);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

class MprisDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_folder = std::filesystem::temp_directory_path() /
                   ("rotix-mpris-" + std::to_string(random()) + std::to_string(random()));
        m_music = m_folder / "music";
        std::filesystem::create_directories(m_music);
        for (const char* tool : {"dbus-daemon", "mpv", "playerctl"}) {
            ASSERT_EQ(runTool({"sh", "-c", std::string("command -v ") + tool}, {}, m_folder).status,
                      0)
                << tool << " is missing: scripts/bootstrap installs it";
        }
        ASSERT_TRUE(std::filesystem::exists(kMpvPlugin)) << "mpv-mpris is missing";
        m_bus = std::make_unique<PrivateSessionBus>(m_folder / "bus");
        ASSERT_TRUE(m_bus->start());
        ASSERT_TRUE(writeToneWav(m_music / "one.wav", kTrackSeconds, "First Light", "Test Artist"));
        ASSERT_TRUE(
            writeToneWav(m_music / "two.wav", kTrackSeconds, "Second Wind", "Other Artist"));
        ASSERT_TRUE(writeCoverPng(m_music / "cover.png", 0.9, 0.3, 0.1));
    }

    void TearDown() override {
        m_host.reset();
        m_mpv.reset();
        m_fake.reset();
        m_bus.reset();
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }

    std::unique_ptr<SpawnedProcess> startMpv(const std::vector<std::string>& tracks) {
        auto mpv = std::make_unique<SpawnedProcess>();
        std::vector<std::string> arguments = {
            "mpv",       "--no-config",   "--ao=null",
            "--vo=null", "--no-terminal", std::string("--script=") + kMpvPlugin};
        for (const auto& track : tracks)
            arguments.push_back((m_music / track).string());
        EXPECT_TRUE(mpv->start(arguments, m_bus->environment(), m_folder, "mpv"));
        return mpv;
    }

    std::unique_ptr<SpawnedProcess> startFake(const std::vector<std::string>& options = {}) {
        auto fake = std::make_unique<SpawnedProcess>();
        std::vector<std::string> arguments = {ROTIX_MPRIS_FAKE_PLAYER_PATH, "fake"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        EXPECT_TRUE(fake->start(arguments, m_bus->environment(), m_folder, "fake"));
        EXPECT_TRUE(fake->waitForOutput("ready", kDeadline)) << fake->errors();
        return fake;
    }

    // A fake player command, waited for until the fake has done it.
    void fakeSays(const std::string& command) {
        ASSERT_TRUE(m_fake->send(command));
        std::string verb = command.substr(0, command.find(' '));
        ASSERT_TRUE(m_fake->waitForOutput(
            "done " + verb + " " + std::to_string(++m_fakeCommands) + "\n", kDeadline))
            << m_fake->output() << m_fake->errors();
    }

    void startHost(const std::string& source = "mpris",
                   std::optional<std::map<std::string, std::string>> environment = std::nullopt) {
        m_host = std::make_unique<LiveHost>(ROTIX_SPRINGBOARD_PATH);
        ASSERT_TRUE(
            m_host->start({"--source", source}, environment.value_or(m_bus->environment())));
    }

    std::optional<DumpNode> waitFor(const std::function<bool(const DumpNode&)>& condition,
                                    std::chrono::milliseconds timeout = kDeadline) {
        return m_host->waitFor(condition, timeout);
    }

    std::string playerctl(const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {"playerctl", "--player=mpv"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        auto result = runTool(command, m_bus->environment(), m_folder);
        std::string output = result.output;
        while (!output.empty() && (output.back() == '\n' || output.back() == ' '))
            output.pop_back();
        return output;
    }

    // Polls playerctl until its answer satisfies the check.
    bool waitForPlayerctl(const std::vector<std::string>& arguments,
                          const std::function<bool(const std::string&)>& check,
                          std::string* last = nullptr) {
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
        while (std::chrono::steady_clock::now() < deadline) {
            std::string answer = playerctl(arguments);
            if (last)
                *last = answer;
            if (check(answer))
                return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    std::optional<DumpNode> waitForTitle(const std::string& title) {
        return waitFor(
            [&](const DumpNode& dump) { return text(dump["player"]["labels"]["title"]) == title; });
    }

    std::string hostErrors() const { return m_host ? m_host->standardError() : ""; }

    std::filesystem::path m_folder;
    std::filesystem::path m_music;
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<SpawnedProcess> m_mpv;
    std::unique_ptr<SpawnedProcess> m_fake;
    std::unique_ptr<LiveHost> m_host;
    int m_fakeCommands = 0;
};

TEST_F(MprisDesktop, ShowsTitleArtistDurationAndArtworkOfTheTrackMpvPlays) {
    m_mpv = startMpv({"one.wav", "two.wav"});
    startHost();
    const auto coverBytes = std::filesystem::file_size(m_music / "cover.png");
    auto dump = waitFor([&](const DumpNode& dump) {
        const DumpNode& info = viewInfo(dump);
        return text(dump["player"]["labels"]["title"]) == "First Light" &&
               text(dump["player"]["labels"]["artist"]) == "Test Artist" &&
               text(info["kMRMediaRemoteNowPlayingInfoArtworkData"]) ==
                   "<" + std::to_string(coverBytes) + " bytes>" &&
               dump["player"]["f"].asNumber() == kTrackSeconds;
    });
    ASSERT_TRUE(dump) << hostErrors();
    EXPECT_EQ(text((*dump)["nowPlaying"]["bundleIdentifier"]), kMpvName);
    EXPECT_DOUBLE_EQ(viewInfo(*dump)["kMRMediaRemoteNowPlayingInfoDuration"].asNumber(),
                     kTrackSeconds);
    EXPECT_TRUE((*dump)["nowPlaying"]["playing"].asBool());
    // The time text ends with the track's length.
    std::string track = text((*dump)["player"]["labels"]["track"]);
    EXPECT_EQ(track.substr(track.size() - 4), "0:20") << track;
    // What the lock screen shows is what mpv says.
    EXPECT_EQ(playerctl({"metadata", "title"}), "First Light");
    EXPECT_EQ(playerctl({"metadata", "artist"}), "Test Artist");
    EXPECT_EQ(m_host->finish(), 0) << hostErrors();
}

TEST_F(MprisDesktop, TappingTheDiscPausesMpv) {
    m_mpv = startMpv({"one.wav"});
    startHost();
    ASSERT_TRUE(waitFor([](const DumpNode& dump) {
        return dump["nowPlaying"]["playing"].asBool();
    })) << hostErrors();
    ASSERT_TRUE(m_host->send(kTapDisc));
    std::string status;
    EXPECT_TRUE(waitForPlayerctl(
        {"status"}, [](const std::string& s) { return s == "Paused"; }, &status))
        << status;
    auto paused = waitFor([](const DumpNode& dump) {
        return !dump["nowPlaying"]["playing"].asBool() &&
               text(dump["player"]["buttons"]["playOrPause"]) == "play.png";
    });
    EXPECT_TRUE(paused) << hostErrors();
    // And again: playing once more.
    ASSERT_TRUE(m_host->send(kTapDisc));
    EXPECT_TRUE(waitForPlayerctl(
        {"status"}, [](const std::string& s) { return s == "Playing"; }, &status))
        << status;
}

TEST_F(MprisDesktop, TheForwardButtonGoesToTheNextTrack) {
    m_mpv = startMpv({"one.wav", "two.wav"});
    startHost();
    ASSERT_TRUE(waitForTitle("First Light")) << hostErrors();
    ASSERT_TRUE(m_host->send(kTapForward));
    std::string title;
    EXPECT_TRUE(waitForPlayerctl(
        {"metadata", "title"}, [](const std::string& s) { return s == "Second Wind"; }, &title))
        << title;
    auto next = waitFor([](const DumpNode& dump) {
        return text(dump["player"]["labels"]["title"]) == "Second Wind" &&
               text(dump["player"]["labels"]["artist"]) == "Other Artist";
    });
    ASSERT_TRUE(next) << hostErrors();
    const DumpNode& commands = (*next)["nowPlaying"]["commands"];
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(text(commands[0]["name"]), "nextTrack");
}

TEST_F(MprisDesktop, ADragOnTheRingSeeksMpvToTheTarget) {
    m_mpv = startMpv({"one.wav"});
    startHost();
    // The view learns the track's length from its ticks, which run while
    // the music plays.
    ASSERT_TRUE(waitFor([](const DumpNode& dump) {
        return dump["player"]["f"].asNumber() == kTrackSeconds;
    })) << hostErrors();
    // Paused, mpv stays where the drag puts it.
    playerctl({"pause"});
    ASSERT_TRUE(
        waitFor([](const DumpNode& dump) { return !dump["nowPlaying"]["playing"].asBool(); }));
    ASSERT_TRUE(m_host->send(kDragQuarterRound));
    auto seeked = waitFor([](const DumpNode& dump) {
        for (const auto& command : dump["nowPlaying"]["commands"].asArray()) {
            if (text(command["name"]) == "setElapsedTime")
                return true;
        }
        return false;
    });
    ASSERT_TRUE(seeked) << hostErrors();
    double target = 0;
    for (const auto& command : (*seeked)["nowPlaying"]["commands"].asArray()) {
        if (text(command["name"]) == "setElapsedTime")
            target = command["seconds"].asNumber();
    }
    // A quarter of the way round a 20-second track.
    EXPECT_NEAR(target, kTrackSeconds / 4, 0.5);
    std::string position;
    EXPECT_TRUE(waitForPlayerctl(
        {"position"},
        [&](const std::string& answer) {
            auto seconds = parseNumber(answer);
            return seconds && std::fabs(*seconds - target) < 0.5;
        },
        &position))
        << "mpv is at " << position << ", the target was " << target;
}

TEST_F(MprisDesktop, KillingMpvShowsNothingPlayingAndANewMpvIsPickedUp) {
    m_mpv = startMpv({"one.wav"});
    startHost();
    ASSERT_TRUE(waitForTitle("First Light")) << hostErrors();
    m_mpv->kill();
    auto gone = waitFor([](const DumpNode& dump) {
        return dump["mpris"]["shown"].isNull() && !dump["nowPlaying"]["playing"].asBool() &&
               text(dump["player"]["labels"]["title"]) == "Untitled" &&
               text(dump["player"]["labels"]["artist"]) == "Unknown";
    });
    ASSERT_TRUE(gone) << hostErrors();
    EXPECT_TRUE(viewInfo(*gone).isNull());
    m_mpv = startMpv({"two.wav"});
    EXPECT_TRUE(waitForTitle("Second Wind")) << hostErrors();
    EXPECT_EQ(m_host->finish(), 0) << hostErrors();
}

TEST_F(MprisDesktop, HoldingForwardSeeksInGrowingStepsUntilReleased) {
    m_fake = startFake();
    startHost();
    ASSERT_TRUE(waitForTitle("Fake Title")) << hostErrors();
    // The hold is recognised after half a second; steps follow every
    // quarter second until the release.
    ASSERT_TRUE(m_host->send("hold 300 656 1.2"));
    auto released = waitFor([](const DumpNode& dump) {
        const DumpNode& commands = dump["nowPlaying"]["commands"];
        return commands.size() == 2 && commands[1]["command"].asNumber() == 9;
    });
    ASSERT_TRUE(released) << hostErrors();
    EXPECT_TRUE((*released)["mpris"]["seeking"].isNull());
    ASSERT_TRUE(m_fake->waitForOutput("call Seek 3000000", kDeadline)) << m_fake->output();
    std::string calls = m_fake->output();
    EXPECT_NE(calls.find("call Seek 2000000\ncall Seek 3000000\n"), std::string::npos) << calls;
    // About three steps in 0.7 s of seeking; never a step after the release.
    EXPECT_EQ(calls.find("call Seek 6000000"), std::string::npos) << calls;
}

TEST_F(MprisDesktop, SetElapsedTimeUsesSetPositionOnlyWithAnObjectPathTrackId) {
    m_fake = startFake();
    startHost();
    ASSERT_TRUE(waitFor([](const DumpNode& dump) { return dump["player"]["f"].asNumber() == 42; }))
        << hostErrors();
    fakeSays("status Paused");
    ASSERT_TRUE(
        waitFor([](const DumpNode& dump) { return !dump["nowPlaying"]["playing"].asBool(); }));
    ASSERT_TRUE(m_host->send(kDragQuarterRound));
    // 42 s × 0.25, absolutely, on the track the player named.
    EXPECT_TRUE(m_fake->waitForOutput("call SetPosition /org/fake/track/1 10500000", kDeadline))
        << m_fake->output();

    // The same track named by a plain string: a relative seek from where
    // it is now (the fake reports the start).
    fakeSays("meta string-trackid");
    fakeSays("seeked 0");
    ASSERT_TRUE(m_host->send(kDragQuarterRound));
    EXPECT_TRUE(m_fake->waitForOutput("call Seek 10500000", kDeadline)) << m_fake->output();
}

TEST_F(MprisDesktop, MetadataOfTheWrongTypesShowsTheDefaults) {
    m_fake = startFake();
    startHost();
    ASSERT_TRUE(waitForTitle("Fake Title")) << hostErrors();
    fakeSays("meta wrong-types");
    auto dump = waitFor([](const DumpNode& dump) {
        return text(dump["player"]["labels"]["title"]) == "Untitled" &&
               text(dump["player"]["labels"]["artist"]) == "Unknown";
    });
    ASSERT_TRUE(dump) << hostErrors();
    const DumpNode& info = viewInfo(*dump);
    EXPECT_FALSE(info.contains("kMRMediaRemoteNowPlayingInfoDuration"));
    EXPECT_FALSE(info.contains("kMRMediaRemoteNowPlayingInfoArtworkData"));
    // Still the fake's track, still playing: only the metadata was bad.
    EXPECT_TRUE((*dump)["nowPlaying"]["playing"].asBool());
    EXPECT_EQ(text((*dump)["mpris"]["shown"]), kFakeName);

    fakeSays("meta empty");
    fakeSays("meta huge");
    auto huge = waitFor([](const DumpNode& dump) {
        return text(dump["player"]["labels"]["title"]) == std::string(1024, 'T');
    });
    ASSERT_TRUE(huge) << hostErrors();
    std::string artist = text((*huge)["player"]["labels"]["artist"]);
    EXPECT_LE(artist.size(), 1024u);
    EXPECT_EQ(artist.substr(0, 6), "A, A, ");
    EXPECT_EQ(m_host->finish(), 0) << hostErrors();
}

TEST_F(MprisDesktop, PropertiesOfTheWrongTypesShowNothingPlaying) {
    m_fake = startFake({"--metadata-type", "string", "--status-type", "int"});
    startHost();
    auto dump = waitFor([](const DumpNode& dump) {
        const DumpNode& players = dump["mpris"]["players"];
        return players.size() == 1 && players[0]["ready"].asBool();
    });
    ASSERT_TRUE(dump) << hostErrors();
    auto shown = waitFor([](const DumpNode& dump) {
        return text(dump["player"]["labels"]["title"]) == "Untitled" &&
               !dump["nowPlaying"]["playing"].asBool();
    });
    EXPECT_TRUE(shown) << hostErrors();
}

TEST_F(MprisDesktop, ArtworkThatIsMissingHugeOrNoPictureShowsTheNoAlbumImage) {
    m_fake = startFake();
    startHost();
    ASSERT_TRUE(waitForTitle("Fake Title")) << hostErrors();
    auto artworkBytes = [](const DumpNode& dump) {
        return dump["mpris"]["players"][0]["artworkBytes"];
    };
    const std::string cover = "file://" + (m_music / "cover.png").string();
    fakeSays("meta art " + cover);
    ASSERT_TRUE(waitFor([&](const DumpNode& dump) { return artworkBytes(dump).isNumber(); }));

    std::ofstream(m_music / "notes.png") << "not a picture";
    const std::filesystem::path huge = m_music / "huge.png";
    std::filesystem::copy_file(m_music / "cover.png", huge);
    std::filesystem::resize_file(huge, 17 * 1024 * 1024);
    for (const std::string& url :
         {"file://" + (m_music / "missing.png").string(),
          "file://" + (m_music / "notes.png").string(), "file://" + huge.string(),
          std::string("https://example.com/cover.png")}) {
        fakeSays("meta art " + url);
        auto dump = waitFor([&](const DumpNode& dump) {
            return text(dump["mpris"]["players"][0]["artUrl"]) == url &&
                   artworkBytes(dump).isNull() &&
                   !viewInfo(dump).contains("kMRMediaRemoteNowPlayingInfoArtworkData");
        });
        EXPECT_TRUE(dump) << url << "\n" << hostErrors();
    }
    // Good artwork after bad still shows.
    fakeSays("meta art " + cover);
    EXPECT_TRUE(waitFor([&](const DumpNode& dump) { return artworkBytes(dump).isNumber(); }));
}

TEST_F(MprisDesktop, APlayerThatVanishesInTheMiddleOfACallLeavesNothingPlaying) {
    m_fake = startFake({"--exit-on-get-all"});
    startHost();
    // The fake is gone as soon as the host asks it anything.
    EXPECT_EQ(m_fake->wait(kDeadline), 0);
    auto dump = waitFor([](const DumpNode& dump) {
        return dump["mpris"]["connected"].asBool() && dump["mpris"]["players"].size() == 0 &&
               dump["mpris"]["shown"].isNull();
    });
    EXPECT_TRUE(dump) << hostErrors();
    EXPECT_EQ(m_host->finish(), 0) << hostErrors();
}

TEST_F(MprisDesktop, AFrozenPlayerNeverHoldsUpTheLockScreen) {
    m_fake = startFake();
    startHost();
    ASSERT_TRUE(waitForTitle("Fake Title")) << hostErrors();
    m_fake->signal(SIGSTOP);
    // Every call to the player now waits in vain; the host keeps answering,
    // each line well within the time one call would take to give up (slow
    // sanitizer builds included).
    constexpr auto kAnswerWithin = 4s;
    static_assert(kAnswerWithin < 5s, "below the asynchronous call timeout");
    for (const char* line : {kTapDisc, kTapForward, "drag 207 302 360 455 0.1", kTapDisc}) {
        const auto before = std::chrono::steady_clock::now();
        ASSERT_TRUE(m_host->send(line));
        auto dump = m_host->dump(kAnswerWithin);
        ASSERT_TRUE(dump) << line << "\n" << hostErrors();
        EXPECT_LT(std::chrono::steady_clock::now() - before, kAnswerWithin) << line;
    }
    m_fake->signal(SIGCONT);
    EXPECT_EQ(m_host->finish(), 0) << hostErrors();
}

TEST_F(MprisDesktop, TheBusGoingAwayLeavesNothingPlaying) {
    m_fake = startFake();
    startHost();
    ASSERT_TRUE(waitForTitle("Fake Title")) << hostErrors();
    m_bus->stop();
    auto dump = waitFor([](const DumpNode& dump) {
        return !dump["mpris"]["connected"].asBool() && dump["mpris"]["shown"].isNull() &&
               !dump["nowPlaying"]["playing"].asBool() &&
               text(dump["player"]["labels"]["title"]) == "Untitled";
    });
    EXPECT_TRUE(dump) << hostErrors();
    // Commands to no player at all are harmless.
    ASSERT_TRUE(m_host->send(kTapDisc));
    EXPECT_TRUE(m_host->dump());
    EXPECT_EQ(m_host->finish(), 0) << hostErrors();
}

TEST_F(MprisDesktop, WithoutASessionBusMprisPlaysNothingAndAutoFallsBackToTheDemo) {
    const std::map<std::string, std::string> noBus = {
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (m_folder / "no-such-bus").string()}};
    startHost("mpris", noBus);
    auto dump = m_host->dump();
    ASSERT_TRUE(dump) << hostErrors();
    EXPECT_FALSE((*dump)["mpris"]["connected"].asBool());
    EXPECT_FALSE((*dump)["nowPlaying"]["playing"].asBool());
    EXPECT_EQ(m_host->finish(), 0);
    EXPECT_NE(hostErrors().find("no session bus"), std::string::npos) << hostErrors();

    startHost("auto", noBus);
    dump = m_host->dump();
    ASSERT_TRUE(dump) << hostErrors();
    EXPECT_EQ(text((*dump)["nowPlaying"]["source"]), "demo-music");
    EXPECT_EQ(m_host->finish(), 0);
}

TEST_F(MprisDesktop, AutoChoosesTheBusOnlyWhenAPlayerIsOnIt) {
    // A bus with no player on it: the demo.
    startHost("auto");
    auto dump = m_host->dump();
    ASSERT_TRUE(dump) << hostErrors();
    EXPECT_EQ(text((*dump)["nowPlaying"]["source"]), "demo-music");
    EXPECT_EQ(m_host->finish(), 0);

    m_fake = startFake();
    startHost("auto");
    EXPECT_TRUE(waitForTitle("Fake Title")) << hostErrors();
    EXPECT_EQ(m_host->finish(), 0);
}

TEST_F(MprisDesktop, AnUnknownSourceIsRefused) {
    m_host = std::make_unique<LiveHost>(ROTIX_SPRINGBOARD_PATH);
    ASSERT_TRUE(m_host->start({"--source", "radio"}));
    EXPECT_EQ(m_host->finish(), 2);
}

} // namespace
