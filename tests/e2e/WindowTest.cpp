#include "e2e/SettingsAppFixture.h"
#include "support/GeneratedMedia.h"
#include "support/HostRun.h"
#include "support/LiveHost.h"
#include "support/PrivateSessionBus.h"
#include "support/SpawnedProcess.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// The home-screen host in a real window on a virtual X display: the mouse
// clicks through xdotool, the picture is read back from the display itself.
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

extern "C" char** environ;

// The disc's centre on the lock screen of the default device, in points.
constexpr double kDiscX = 207;
constexpr double kDiscY = 455;

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

// Runs a program to the end with the display set, answering its output;
// nothing when it failed or outlived the deadline.
std::optional<std::string> runTool(const std::vector<std::string>& arguments,
                                   const std::string& display,
                                   std::chrono::milliseconds timeout = 10s) {
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0)
        return std::nullopt;
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (std::string(*entry).rfind("DISPLAY=", 0) != 0)
            environment.emplace_back(*entry);
    }
    environment.push_back("DISPLAY=" + display);
    std::vector<char*> envp;
    for (auto& line : environment)
        envp.push_back(line.data());
    envp.push_back(nullptr);
    std::vector<std::string> copy = arguments;
    std::vector<char*> argv;
    for (auto& argument : copy)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    pid_t pid = -1;
    int result = posix_spawnp(&pid, copy[0].c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    if (result != 0) {
        close(output[0]);
        return std::nullopt;
    }
    std::string text;
    const auto deadline = Clock::now() + timeout;
    bool timedOut = false;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd fd{output[0], POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[65536];
        ssize_t count = read(output[0], buffer, sizeof buffer);
        if (count <= 0)
            break;
        text.append(buffer, static_cast<size_t>(count));
    }
    close(output[0]);
    if (timedOut)
        kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    if (timedOut || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

// A virtual X server on a display number it picks itself.
class VirtualDisplay {
public:
    bool start() {
        int numberPipe[2];
        if (pipe(numberPipe) != 0)
            return false;
        std::string fd = std::to_string(numberPipe[1]);
        std::vector<std::string> arguments = {"Xvfb",         "-displayfd", fd,    "-screen", "0",
                                              "1280x1024x24", "-nolisten",  "tcp", "-noreset"};
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, numberPipe[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        int result = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(numberPipe[1]);
        if (result != 0) {
            close(numberPipe[0]);
            m_pid = -1;
            return false;
        }
        // The server writes its display number once it accepts connections.
        std::string number;
        const auto deadline = Clock::now() + 15s;
        while (Clock::now() < deadline && number.find('\n') == std::string::npos) {
            pollfd pending{numberPipe[0], POLLIN, 0};
            if (poll(&pending, 1, 100) <= 0)
                continue;
            char buffer[32];
            ssize_t count = read(numberPipe[0], buffer, sizeof buffer);
            if (count <= 0)
                break;
            number.append(buffer, static_cast<size_t>(count));
        }
        close(numberPipe[0]);
        if (number.find('\n') == std::string::npos)
            return false;
        m_name = ":" + number.substr(0, number.find('\n'));
        return true;
    }

    ~VirtualDisplay() { stop(); }

    // Ends the server, as the end of a desktop session does.
    void stop() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            waitpid(m_pid, &status, 0);
            m_pid = -1;
        }
    }

    const std::string& name() const { return m_name; }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

struct Geometry {
    std::string window;
    int x = 0, y = 0, width = 0, height = 0;
};

// The whole screen as xwd writes it, read pixel by pixel.
class Screenshot {
public:
    static std::optional<Screenshot> capture(const std::string& display) {
        auto data = runTool({"xwd", "-root", "-silent"}, display);
        if (!data || data->size() < 100)
            return std::nullopt;
        auto field = [&](size_t index) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(data->data()) + index * 4;
            return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) |
                   (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]);
        };
        Screenshot shot;
        uint32_t headerSize = field(0);
        shot.m_width = field(4);
        shot.m_height = field(5);
        shot.m_msbFirst = field(7) != 0;
        shot.m_bytesPerPixel = field(11) / 8;
        shot.m_bytesPerLine = field(12);
        uint32_t colours = field(19);
        shot.m_offset = headerSize + colours * 12;
        shot.m_data = std::move(*data);
        if (shot.m_bytesPerPixel < 3 ||
            shot.m_offset + size_t(shot.m_bytesPerLine) * shot.m_height > shot.m_data.size())
            return std::nullopt;
        return shot;
    }

    std::array<int, 3> pixel(int x, int y) const {
        const auto* p = reinterpret_cast<const unsigned char*>(m_data.data()) + m_offset +
                        size_t(y) * m_bytesPerLine + size_t(x) * m_bytesPerPixel;
        uint32_t value = 0;
        for (uint32_t i = 0; i < m_bytesPerPixel; ++i) {
            uint32_t byte = m_msbFirst ? p[i] : p[m_bytesPerPixel - 1 - i];
            value = (value << 8) | byte;
        }
        return {int((value >> 16) & 255), int((value >> 8) & 255), int(value & 255)};
    }

    int width() const { return int(m_width); }
    int height() const { return int(m_height); }

private:
    std::string m_data;
    size_t m_offset = 0;
    uint32_t m_width = 0, m_height = 0, m_bytesPerLine = 0, m_bytesPerPixel = 0;
    bool m_msbFirst = false;
};

bool isColourful(const std::array<int, 3>& rgb) {
    auto [low, high] = std::minmax({rgb[0], rgb[1], rgb[2]});
    return high - low > 60;
}

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        if (!onPath("Xvfb") || !onPath("xdotool") || !onPath("xwd"))
            GTEST_SKIP() << "Xvfb, xdotool and xwd are needed (scripts/bootstrap installs them)";
        ASSERT_TRUE(m_display.start()) << "the virtual display did not start";
    }

    // Starts the host in a window and waits for its first frame.
    std::optional<DumpNode> startHost(LiveHost& host, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> arguments = {"--window"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        if (!host.start(arguments, {{"DISPLAY", m_display.name()}, {"WAYLAND_DISPLAY", ""}}))
            return std::nullopt;
        return host.waitFor(
            [](const DumpNode& dump) { return dump["liveWindow"]["frames"].asNumber() >= 1; }, 15s);
    }

    std::optional<Geometry> findWindow() {
        const auto deadline = Clock::now() + 10s;
        while (Clock::now() < deadline) {
            auto found =
                runTool({"xdotool", "search", "--onlyvisible", "--name", "Rotix"}, display());
            if (found && !found->empty()) {
                Geometry geometry;
                geometry.window = found->substr(0, found->find('\n'));
                auto shell = runTool({"xdotool", "getwindowgeometry", "--shell", geometry.window},
                                     display());
                if (shell) {
                    std::stringstream lines(*shell);
                    std::string line;
                    while (std::getline(lines, line)) {
                        auto equals = line.find('=');
                        if (equals == std::string::npos)
                            continue;
                        int value = std::atoi(line.c_str() + equals + 1);
                        std::string key = line.substr(0, equals);
                        if (key == "X")
                            geometry.x = value;
                        else if (key == "Y")
                            geometry.y = value;
                        else if (key == "WIDTH")
                            geometry.width = value;
                        else if (key == "HEIGHT")
                            geometry.height = value;
                    }
                    if (geometry.width > 0 && geometry.height > 0)
                        return geometry;
                }
            }
            std::this_thread::sleep_for(50ms);
        }
        return std::nullopt;
    }

    // Where a point of the screen lands in the window, for xdotool.
    static std::pair<std::string, std::string> windowPixel(const DumpNode& dump, double x,
                                                           double y) {
        const DumpNode& window = dump["liveWindow"];
        double scale = window["scale"].asNumber();
        double width = window["pixelWidth"].asNumber();
        double height = window["pixelHeight"].asNumber();
        double originX = std::floor((width - 414 * scale) / 2);
        double originY = std::floor((height - 736 * scale) / 2);
        return {std::to_string(int(std::lround(originX + x * scale))),
                std::to_string(int(std::lround(originY + y * scale)))};
    }

    // Without a window manager focus is given by hand, and it takes a moment
    // to arrive; a key pressed before then goes nowhere. SDL also takes a
    // new focus only a little after the server reports it (it waits out
    // focus flicker), so a window just focused is given that moment too.
    bool focus(const Geometry& geometry) {
        auto focused = [&] {
            auto answer = runTool({"xdotool", "getwindowfocus"}, display());
            return answer && std::atol(answer->c_str()) == std::atol(geometry.window.c_str());
        };
        if (focused())
            return true;
        const auto deadline = Clock::now() + 10s;
        while (Clock::now() < deadline) {
            runTool({"xdotool", "windowfocus", geometry.window}, display());
            if (focused()) {
                std::this_thread::sleep_for(500ms);
                return true;
            }
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    bool pressKey(const Geometry& geometry, const std::string& key) {
        return focus(geometry) &&
               runTool({"xdotool", "key", "--clearmodifiers", key}, display()).has_value();
    }

    // Escape closes the window; with a host given, until the host has gone.
    // A key can still be lost on a busy display (focus given by hand is not
    // always kept), so it is pressed again while the host stays.
    bool pressEscape(const Geometry& geometry, LiveHost* host = nullptr) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            if (!pressKey(geometry, "Escape"))
                return false;
            if (!host)
                return true;
            const auto deadline = Clock::now() + 4s;
            while (Clock::now() < deadline && host->isRunning())
                std::this_thread::sleep_for(20ms);
            if (!host->isRunning())
                return true;
        }
        return false;
    }

    // Waits for the window's title, as the display has it, to read as given.
    bool waitForWindowName(const Geometry& geometry, const std::string& expected) {
        std::optional<std::string> name;
        const auto deadline = Clock::now() + 10s;
        while (Clock::now() < deadline) {
            name = runTool({"xdotool", "getwindowname", geometry.window}, display());
            if (name == expected + "\n")
                return true;
            std::this_thread::sleep_for(50ms);
        }
        ADD_FAILURE() << "the window is called " << name.value_or("(unreadable)");
        return false;
    }

    const std::string& display() const { return m_display.name(); }

    VirtualDisplay m_display;
};

TEST_F(Window, AClickOnTheDiscTogglesPlaybackAndTheScreenShowsThePlayer) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    auto first = startHost(host);
    ASSERT_TRUE(first) << host.standardError();
    ASSERT_TRUE(host.send("playlist demo"));
    ASSERT_TRUE(host.send("play"));
    auto playing = host.waitFor(
        [](const DumpNode& dump) { return dump["nowPlaying"]["playing"].asBool(); }, 10s);
    ASSERT_TRUE(playing) << host.standardError();
    auto geometry = findWindow();
    ASSERT_TRUE(geometry) << "no window named Rotix on " << display();
    // The window keeps the screen's shape, and its title names the track.
    EXPECT_NEAR(double(geometry->width) / geometry->height, 414.0 / 736.0, 0.01);
    EXPECT_TRUE(waitForWindowName(*geometry, "Paper Lanterns - The Quiet Harbour - Rotix"));

    auto [x, y] = windowPixel(*playing, kDiscX, kDiscY);
    ASSERT_TRUE(runTool({"xdotool", "mousemove", "--window", geometry->window, x, y, "click", "1"},
                        display()));
    auto paused = host.waitFor(
        [](const DumpNode& dump) {
            return !dump["nowPlaying"]["playing"].asBool() &&
                   !dump["liveWindow"]["fingerDown"].asBool();
        },
        10s);
    ASSERT_TRUE(paused) << host.standardError();
    // Pressed, then lifted: a tap, not a hold.
    EXPECT_TRUE(runTool({"xdotool", "click", "1"}, display()));
    EXPECT_TRUE(host.waitFor(
        [](const DumpNode& dump) { return dump["nowPlaying"]["playing"].asBool(); }, 10s))
        << host.standardError();

    // The display itself shows the lock screen: its dark background in the
    // window, the artwork's colours on the disc and white text in the clock.
    auto shot = Screenshot::capture(display());
    ASSERT_TRUE(shot);
    double scale = (*playing)["liveWindow"]["scale"].asNumber();
    auto at = [&](double px, double py) {
        return shot->pixel(geometry->x + int(px * scale), geometry->y + int(py * scale));
    };
    auto background = at(10, 700);
    EXPECT_GT(background[0] + background[1] + background[2], 15) << "the window is black";
    EXPECT_LT(background[0] + background[1] + background[2], 200) << "the window is blank";
    int colourful = 0, samples = 0;
    for (double dy = -80; dy <= 80; dy += 4) {
        for (double dx = -80; dx <= 80; dx += 4) {
            ++samples;
            colourful += isColourful(at(kDiscX + dx, kDiscY + dy));
        }
    }
    EXPECT_GT(colourful, samples / 3) << "the disc shows no artwork";
    int white = 0;
    for (double px = 120; px < 300; px += 1) {
        for (double py = 60; py < 110; py += 2) {
            auto rgb = at(px, py);
            white += rgb[0] > 230 && rgb[1] > 230 && rgb[2] > 230;
        }
    }
    EXPECT_GT(white, 100) << "the clock's digits are missing";

    // The title follows the track, and says what the window is when nothing
    // plays.
    ASSERT_TRUE(host.send("next"));
    EXPECT_TRUE(waitForWindowName(*geometry,
                                  "Northbound Through the Glass Orchard at the Edge of the Long "
                                  "Summer Evening (Extended Night Drive Version) - Mira Solberg - "
                                  "Rotix"));
    ASSERT_TRUE(host.send("clear"));
    EXPECT_TRUE(waitForWindowName(*geometry, "Rotix lock screen"));

    ASSERT_TRUE(pressEscape(*geometry, &host)) << host.standardError();
    EXPECT_EQ(host.finish(), 0) << host.standardError();
}

TEST_F(Window, AnIdleLockScreenDrawsNothingAndKeysSendActivatorEvents) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    // Space plays and pauses unless the person binds it to an event.
    ASSERT_TRUE(startHost(host, {"--activator-key", "space=org.brenwick.rotix"}))
        << host.standardError();
    // Paused after playing: the player stops its position ticks, and the
    // first track's title fits, so nothing on the screen moves.
    ASSERT_TRUE(host.send("playlist demo"));
    ASSERT_TRUE(host.send("play"));
    ASSERT_TRUE(host.waitFor(
        [](const DumpNode& dump) { return dump["nowPlaying"]["playing"].asBool(); }, 10s));
    ASSERT_TRUE(host.send("pause"));
    auto geometry = findWindow();
    ASSERT_TRUE(geometry);
    // Once the pause has settled, frames stop: nothing on screen changes.
    std::optional<DumpNode> before;
    bool settled = false;
    const auto deadline = Clock::now() + 15s;
    while (!settled && Clock::now() < deadline) {
        before = host.dump();
        ASSERT_TRUE(before) << host.standardError();
        auto after = host.waitFor(
            [&](const DumpNode& dump) {
                return dump["time"].asNumber() > (*before)["time"].asNumber() + 1.0;
            },
            10s);
        ASSERT_TRUE(after);
        settled = (*after)["liveWindow"]["frames"].asNumber() ==
                  (*before)["liveWindow"]["frames"].asNumber();
    }
    EXPECT_TRUE(settled) << "the window kept drawing a screen that did not change";

    ASSERT_TRUE(pressKey(*geometry, "space"));
    auto shown = host.waitFor(
        [](const DumpNode& dump) {
            return !dump["lockScreen"]["notificationList"]["scrollViewHidden"].asBool();
        },
        10s);
    EXPECT_TRUE(shown) << host.standardError();
    EXPECT_EQ(shown ? (*shown)["nowPlaying"]["commandCount"].asNumber() : -1, 0);
    // The toggle changed the screen, so a frame follows it (with the next
    // animation frame, which may come after the dump that saw the change).
    ASSERT_TRUE(shown);
    double framesBefore = (*before)["liveWindow"]["frames"].asNumber();
    EXPECT_TRUE(host.waitFor(
        [&](const DumpNode& dump) {
            return dump["liveWindow"]["frames"].asNumber() > framesBefore;
        },
        10s))
        << "no frame followed the toggle";

    ASSERT_TRUE(pressEscape(*geometry, &host)) << host.standardError();
    EXPECT_EQ(host.finish(), 0) << host.standardError();
}

// The keys a person reaches for send the commands the player's buttons send:
// Space plays or pauses, Left and Right skip, and so do the keyboard's media
// keys; n still shows the notification list.
TEST_F(Window, KeysPlayPauseAndSkipAsThePlayersButtonsDo) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    ASSERT_TRUE(startHost(host)) << host.standardError();
    auto geometry = findWindow();
    ASSERT_TRUE(geometry);
    ASSERT_TRUE(focus(*geometry));
    ASSERT_TRUE(runTool({"xdotool", "key", "--clearmodifiers", "space", "Right", "Left",
                         "XF86AudioPlay", "XF86AudioNext", "XF86AudioPrev", "XF86AudioStop", "n"},
                        display()));
    const std::vector<std::string> expected = {
        "togglePlayPause", "nextTrack",     "previousTrack", "togglePlayPause",
        "nextTrack",       "previousTrack", "stop"};
    std::vector<std::string> sent;
    auto done = host.waitFor(
        [&](const DumpNode& dump) {
            sent.clear();
            const DumpNode& commands = dump["nowPlaying"]["commands"];
            for (size_t i = 0; i < commands.size(); ++i)
                sent.push_back(commands[i]["name"].asString());
            return sent == expected &&
                   !dump["lockScreen"]["notificationList"]["scrollViewHidden"].asBool();
        },
        10s);
    EXPECT_TRUE(done) << ::testing::PrintToString(sent) << host.standardError();
    ASSERT_TRUE(pressEscape(*geometry, &host)) << host.standardError();
    EXPECT_EQ(host.finish(), 0) << host.standardError();
}

// A phone allowed to turn, turned on its side: the window takes the shape
// of the turned screen rather than fitting it into the upright one.
TEST_F(Window, TheWindowTakesTheShapeOfATurnedScreen) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    // The setting is read as the home screen starts, before the window opens.
    auto preferences = host.root() / "var/mobile/Library/Preferences";
    std::filesystem::create_directories(preferences);
    std::ofstream(preferences / "com.varlo.rotixsettings.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>landscape</key><true/></dict></plist>\n";
    ASSERT_TRUE(startHost(host)) << host.standardError();
    ASSERT_TRUE(host.send("orientation landscape-left"));
    auto turned = host.waitFor(
        [](const DumpNode& dump) {
            const DumpNode& window = dump["liveWindow"];
            return window["pixelWidth"].asNumber() > window["pixelHeight"].asNumber();
        },
        10s);
    ASSERT_TRUE(turned) << host.standardError();
    EXPECT_EQ((*turned)["device"]["screen"].serialize(0), "[0,0,736,414]\n");
    auto geometry = findWindow();
    ASSERT_TRUE(geometry);
    EXPECT_NEAR(double(geometry->width) / geometry->height, 736.0 / 414.0, 0.01);
    ASSERT_TRUE(pressEscape(*geometry, &host)) << host.standardError();
    EXPECT_EQ(host.finish(), 0) << host.standardError();
}

// A display that goes away (the desktop session ends) ends the host with a
// line and status 1; it must not spin on the dead connection.
TEST_F(Window, WhenTheDisplayGoesAwayTheHostEnds) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    ASSERT_TRUE(startHost(host)) << host.standardError();
    ASSERT_TRUE(host.send("playlist demo"));
    ASSERT_TRUE(host.send("play"));
    ASSERT_TRUE(host.waitFor(
        [](const DumpNode& dump) { return dump["nowPlaying"]["playing"].asBool(); }, 10s));
    m_display.stop();
    const auto deadline = Clock::now() + 20s;
    while (Clock::now() < deadline && host.isRunning())
        std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(host.isRunning()) << "the host outlived its display";
    EXPECT_EQ(host.finish(), 1) << host.standardError();
}

// A desktop ends its programs with SIGTERM: the window closes at once, as
// for its close button, even while nothing on the screen moves.
TEST_F(Window, TerminationClosesAnIdleWindowAtOnce) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    ASSERT_TRUE(startHost(host)) << host.standardError();
    ASSERT_EQ(kill(host.pid(), SIGTERM), 0);
    EXPECT_EQ(host.finish(5s), 0) << host.standardError();
}

TEST_F(Window, HoldingTheMouseOnTheDiscIsALongPress) {
    LiveHost host(ROTIX_SPRINGBOARD_PATH);
    auto first = startHost(host);
    ASSERT_TRUE(first) << host.standardError();
    auto geometry = findWindow();
    ASSERT_TRUE(geometry);
    auto [x, y] = windowPixel(*first, kDiscX, kDiscY);
    ASSERT_TRUE(runTool(
        {"xdotool", "mousemove", "--window", geometry->window, x, y, "mousedown", "1"}, display()));
    auto held = host.waitFor(
        [](const DumpNode& dump) {
            return dump["liveWindow"]["fingerDown"].asBool() &&
                   dump["lockScreen"]["passcodeScreen"]["visible"].asBool();
        },
        10s);
    EXPECT_TRUE(held) << host.standardError();
    ASSERT_TRUE(runTool({"xdotool", "mouseup", "1"}, display()));
    EXPECT_TRUE(host.waitFor(
        [](const DumpNode& dump) { return !dump["liveWindow"]["fingerDown"].asBool(); }, 10s));
    ASSERT_TRUE(pressEscape(*geometry, &host)) << host.standardError();
    EXPECT_EQ(host.finish(), 0) << host.standardError();
}

#ifdef ROTIX_SETTINGS_PATH
TEST_F(Window, TheSettingsAppOpensItsPanesInAWindowToo) {
    LiveHost host(ROTIX_SETTINGS_PATH);
    ASSERT_TRUE(host.start({"--window"}, {{"DISPLAY", display()}, {"WAYLAND_DISPLAY", ""}}));
    auto geometry = findWindow();
    ASSERT_TRUE(geometry) << host.standardError();
    EXPECT_NEAR(double(geometry->width) / geometry->height, 414.0 / 736.0, 0.01);
    // Lines on standard input still drive the panes while the window is up.
    auto dump = host.waitFor(
        [](const DumpNode& dump) { return dump["pane"]["title"].asString() == "Rotix"; }, 10s);
    EXPECT_TRUE(dump) << host.standardError();
    // The pane is drawn: the window is not the black of an empty one.
    bool drawn = false;
    const auto deadline = Clock::now() + 10s;
    while (!drawn && Clock::now() < deadline) {
        if (auto shot = Screenshot::capture(display())) {
            auto rgb =
                shot->pixel(geometry->x + geometry->width / 2, geometry->y + geometry->height / 2);
            drawn = rgb[0] + rgb[1] + rgb[2] > 60;
        }
    }
    EXPECT_TRUE(drawn);

    // A click on a row opens its pane, as a tap does; the window's own size
    // tells where the row is.
    double scale = std::min(geometry->width / 414.0, geometry->height / 736.0);
    double originX = std::floor((geometry->width - 414 * scale) / 2);
    double originY = std::floor((geometry->height - 736 * scale) / 2);
    auto clickRow = [&](std::optional<DumpNode> row) {
        EXPECT_TRUE(row);
        if (!row)
            return false;
        const DumpNode& frame = (*row)["frame"];
        std::string x = std::to_string(int(originX + (frame[0].asNumber() + 100) * scale));
        std::string y =
            std::to_string(int(originY + (frame[1].asNumber() + frame[3].asNumber() / 2) * scale));
        return runTool({"xdotool", "mousemove", "--window", geometry->window, x, y, "click", "1"},
                       display())
            .has_value();
    };
    ASSERT_TRUE(clickRow(settingsRow(*dump, "Labels")));
    auto labelsPane = host.waitFor(
        [](const DumpNode& dump) { return dump["pane"]["title"].asString() == "Labels"; }, 10s);
    ASSERT_TRUE(labelsPane) << host.standardError();

    // A click on the colour row takes typing from the keyboard; Return
    // keeps it.
    ASSERT_TRUE(clickRow(settingsRow(*labelsPane, "titleColor")));
    ASSERT_TRUE(
        host.waitFor([](const DumpNode& dump) { return !dump["pane"]["editing"].isNull(); }, 10s))
        << host.standardError();
    ASSERT_TRUE(focus(*geometry));
    ASSERT_TRUE(runTool({"xdotool", "key", "--clearmodifiers", "BackSpace", "BackSpace",
                         "BackSpace", "BackSpace", "BackSpace", "BackSpace", "BackSpace"},
                        display()));
    ASSERT_TRUE(runTool({"xdotool", "type", "--clearmodifiers", "#00ff80"}, display()));
    EXPECT_TRUE(host.waitFor(
        [](const DumpNode& dump) {
            return dump["pane"]["editing"]["text"].asString() == "#00ff80";
        },
        10s))
        << host.standardError();
    ASSERT_TRUE(pressKey(*geometry, "Return"));
    auto kept = host.waitFor(
        [](const DumpNode& dump) {
            std::optional<DumpNode> colour = settingsRow(dump, "titleColor");
            return colour && (*colour)["value"].asString() == "#00FF80";
        },
        10s);
    EXPECT_TRUE(kept) << host.standardError();
    EXPECT_TRUE(host.isRunning());

    ASSERT_TRUE(pressEscape(*geometry, &host)) << host.standardError();
    EXPECT_EQ(host.finish(), 0) << host.standardError();
}
#endif

#ifdef ROTIX_RESPRING_SUPERVISOR_PATH
std::string readText(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The supervisor keeps a windowed home screen up: a respring (the TERM that
// "killall backboardd" sends) brings a new window, and closing the window
// stops it.
TEST_F(Window, TheRespringSupervisorRestartsTheWindowedHost) {
    auto folder = std::filesystem::temp_directory_path() /
                  ("rotix-respring-" + std::to_string(getpid()) + "-" +
                   std::to_string(Clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy(ROTIX_BUILD_DEVICE_ROOT, folder / "root",
                          std::filesystem::copy_options::recursive);
    const auto output = folder / "supervisor.txt";
    std::vector<std::string> arguments = {ROTIX_RESPRING_SUPERVISOR_PATH,
                                          "--window",
                                          "--host",
                                          ROTIX_SPRINGBOARD_PATH,
                                          "--root",
                                          (folder / "root").string(),
                                          "--out",
                                          (folder / "out").string()};
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The test's own environment (a sanitizer build's options with it), on
    // the virtual display and away from any session bus.
    std::vector<std::string> environment = {"DISPLAY=" + display()};
    for (char** entry = environ; *entry; ++entry) {
        std::string line = *entry;
        if (line.rfind("DISPLAY=", 0) != 0 && line.rfind("DBUS_SESSION_BUS_ADDRESS=", 0) != 0)
            environment.push_back(line);
    }
    std::vector<char*> envp;
    for (auto& line : environment)
        envp.push_back(line.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // In a group of its own, so whatever is left can be ended together.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t supervisor = -1;
    ASSERT_EQ(posix_spawn(&supervisor, argv[0], &actions, &attributes, argv.data(), envp.data()),
              0);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    struct Cleanup {
        pid_t group;
        std::filesystem::path folder;
        ~Cleanup() {
            if (kill(group, 0) == 0) {
                kill(-group, SIGTERM);
                int status = 0;
                waitpid(group, &status, 0);
            }
            std::error_code error;
            std::filesystem::remove_all(folder, error);
        }
    } cleanup{supervisor, folder};

    // The process number of the given start, once the supervisor says it.
    auto startedProcess = [&](int start) -> pid_t {
        const std::string suffix = ", start " + std::to_string(start) + ")";
        const auto deadline = Clock::now() + 15s;
        while (Clock::now() < deadline) {
            std::stringstream lines(readText(output));
            std::string line;
            while (std::getline(lines, line)) {
                auto at = line.find("(process ");
                if (at != std::string::npos && line.find(suffix) != std::string::npos)
                    return std::atoi(line.c_str() + at + 9);
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    };
    pid_t first = startedProcess(1);
    ASSERT_GT(first, 0) << readText(output);
    auto firstWindow = findWindow();
    ASSERT_TRUE(firstWindow) << readText(output);

    // Window numbers come back for a new client; the process behind the
    // window tells the new home screen from the old one.
    auto windowProcess = [&](const Geometry& geometry) {
        auto text = runTool({"xdotool", "getwindowpid", geometry.window}, display());
        return text ? std::atoi(text->c_str()) : -1;
    };
    int firstHost = windowProcess(*firstWindow);
    ASSERT_GT(firstHost, 0) << firstWindow->window << " " << readText(output);
    ASSERT_EQ(kill(first, SIGTERM), 0);
    pid_t second = startedProcess(2);
    ASSERT_GT(second, 0) << readText(output);
    std::optional<Geometry> secondWindow;
    bool replaced = false;
    const auto deadline = Clock::now() + 15s;
    while (!replaced && Clock::now() < deadline) {
        secondWindow = findWindow();
        replaced = secondWindow && windowProcess(*secondWindow) > 0 &&
                   windowProcess(*secondWindow) != firstHost;
        if (!replaced)
            std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(replaced) << "no new window after the respring";
    // Ended: gone, or a zombie its new parent has yet to reap.
    std::string stat = readText("/proc/" + std::to_string(firstHost) + "/stat");
    auto state = stat.rfind(')');
    EXPECT_TRUE(stat.empty() || (state != std::string::npos && stat.substr(state + 2, 1) == "Z"))
        << "the first home screen is still running: " << stat;

    // Escape until the supervisor has gone with its host.
    int status = -1;
    bool ended = false;
    for (int attempt = 0; attempt < 4 && !ended; ++attempt) {
        ASSERT_TRUE(pressEscape(*secondWindow));
        const auto end = Clock::now() + 5s;
        while (Clock::now() < end && !ended) {
            ended = waitpid(supervisor, &status, WNOHANG) == supervisor;
            if (!ended)
                std::this_thread::sleep_for(50ms);
        }
    }
    ASSERT_TRUE(WIFEXITED(status)) << readText(output);
    EXPECT_EQ(WEXITSTATUS(status), 0) << readText(output);
    EXPECT_NE(readText(output).find("respringing"), std::string::npos);
}
#endif

#ifdef ROTIX_SAVER_PATH
// Whether a process has ended: gone, or a zombie its new parent has yet to
// reap (a saver outlives the locker that started it by a moment).
bool processEnded(long pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto state = stat.rfind(')');
    return stat.empty() || (state != std::string::npos && stat.substr(state + 2, 1) == "Z");
}

// The real screen locker runs the saver in its own window, over the whole
// landscape screen: the lock screen with the desktop's music, the ring in
// the artwork's colour and the title on the screen itself, and the locker's
// TERM ends it without a sanitizer's complaint.
TEST_F(Window, TheScreenLockerShowsTheLockScreenWithTheDesktopsMusic) {
    // The ring's thumb takes the colour of a cover of one colour.
    const std::string kCoverColour = "#E64C19";
    ASSERT_TRUE(onPath("xsecurelock") && onPath("mpv") && onPath("dbus-daemon"))
        << "xsecurelock, mpv and dbus-daemon are needed (scripts/bootstrap installs them)";
    std::random_device random;
    auto folder = std::filesystem::temp_directory_path() /
                  ("rotix-saver-" + std::to_string(random()) + std::to_string(random()));
    struct Cleanup {
        std::filesystem::path folder;
        ~Cleanup() {
            std::error_code error;
            std::filesystem::remove_all(folder, error);
        }
    } cleanup{folder};
    std::filesystem::create_directories(folder / "music");
    std::filesystem::copy(ROTIX_BUILD_DEVICE_ROOT, folder / "root",
                          std::filesystem::copy_options::recursive);
    ASSERT_TRUE(writeToneWav(folder / "music/one.wav", 60, "First Light", "Test Artist"));
    ASSERT_TRUE(writeCoverPng(folder / "music/cover.png", 0.9, 0.3, 0.1));
    PrivateSessionBus bus(folder / "bus");
    ASSERT_TRUE(bus.start());
    SpawnedProcess mpv;
    ASSERT_TRUE(
        mpv.start({"mpv", "--no-config", "--ao=null", "--vo=null", "--no-terminal",
                   "--script=/usr/lib/mpv-mpris/mpris.so", (folder / "music/one.wav").string()},
                  bus.environment(), folder, "mpv"));

    // The locker runs its saver without arguments; a wrapper gives it the
    // test's root and a line channel for dumps.
    const auto lines = folder / "lines";
    ASSERT_EQ(mkfifo(lines.c_str(), 0600), 0);
    int channel = open(lines.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(channel, 0);
    struct Channel {
        int fd;
        ~Channel() { close(fd); }
    } closer{channel};
    const auto wrapper = folder / "saver";
    std::ofstream(wrapper) << "#!/bin/sh\nexec '" << ROTIX_SAVER_PATH << "' --root '"
                           << (folder / "root").string() << "' --scenario '" << lines.string()
                           << "' \"$@\"\n";
    std::filesystem::permissions(wrapper, std::filesystem::perms::owner_all);
    auto environment = bus.environment();
    environment.insert({{"DISPLAY", display()},
                        {"WAYLAND_DISPLAY", ""},
                        {"XSECURELOCK_SAVER", wrapper.string()},
                        {"XSECURELOCK_NO_COMPOSITE", "1"},
                        {"XSECURELOCK_BLANK_TIMEOUT", "-1"}});
    SpawnedProcess locker;
    ASSERT_TRUE(locker.start({"xsecurelock"}, environment, folder, "xsecurelock"));

    int dumps = 0;
    auto saverDump = [&]() -> std::optional<DumpNode> {
        auto path = folder / ("dump-" + std::to_string(++dumps) + ".json");
        std::string line = "dump " + path.string() + "\n";
        if (write(channel, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            return std::nullopt;
        const auto deadline = Clock::now() + 5s;
        while (Clock::now() < deadline) {
            std::ifstream file(path);
            std::string text((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
            if (auto json = DumpNode::parse(text))
                return json;
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    };
    std::optional<DumpNode> dump;
    const auto deadline = Clock::now() + 20s;
    while (Clock::now() < deadline && locker.isRunning()) {
        dump = saverDump();
        if (dump && (*dump)["player"]["labels"]["title"].asString() == "First Light" &&
            (*dump)["player"]["songScrubber"]["thumbTintColor"].asString() == kCoverColour &&
            (*dump)["saverWindow"]["frames"].asNumber() >= 1)
            break;
        dump.reset();
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(dump) << locker.errors();
    // The 5:4 screen is a tablet turned on its side, filling it.
    EXPECT_EQ((*dump)["device"]["screen"].serialize(0), "[0,0,960,768]\n");
    const DumpNode& window = (*dump)["saverWindow"];
    EXPECT_EQ(window["pixelWidth"].asNumber(), 1280);
    EXPECT_EQ(window["pixelHeight"].asNumber(), 1024);

    // The lock screen shows its main page, so the player's frame is its
    // place on the screen, and its views' frames are in the player's.
    std::optional<DumpNode> player = findView((*dump)["window"], "Rotix");
    ASSERT_TRUE(player);
    std::optional<DumpNode> ring = findView(*player, "UICircularSlider");
    std::optional<DumpNode> title;
    for (const DumpNode& view : (*player)["subviews"].asArray()) {
        if (view["text"].asString() == "First Light")
            title = view;
    }
    ASSERT_TRUE(ring && title);
    double scale = window["scale"].asNumber();
    auto pixels = [&](const DumpNode& view) {
        const DumpNode& frame = view["frame"];
        double x = window["originX"].asNumber() +
                   ((*player)["frame"][0].asNumber() + frame[0].asNumber()) * scale;
        double y = window["originY"].asNumber() +
                   ((*player)["frame"][1].asNumber() + frame[1].asNumber()) * scale;
        return std::array<int, 4>{int(x), int(y), int(x + frame[2].asNumber() * scale),
                                  int(y + frame[3].asNumber() * scale)};
    };
    auto count = [](const Screenshot& shot, std::array<int, 4> area,
                    const std::function<bool(int x, int y, const std::array<int, 3>&)>& matches) {
        int found = 0;
        for (int y = std::max(area[1], 0); y < std::min(area[3], shot.height()); ++y) {
            for (int x = std::max(area[0], 0); x < std::min(area[2], shot.width()); ++x)
                found += matches(x, y, shot.pixel(x, y));
        }
        return found;
    };
    // The thumb runs round the ring, outside the disc, which shows the cover
    // in the same colour: only the band between the two is counted.
    auto ringPixels = [&](const Screenshot& shot) {
        auto area = pixels(*ring);
        double centreX = (area[0] + area[2]) / 2.0, centreY = (area[1] + area[3]) / 2.0;
        double outer = (area[2] - area[0]) / 2.0;
        std::array<int, 3> cover;
        for (int i = 0; i < 3; ++i)
            cover[i] = std::stoi(kCoverColour.substr(1 + 2 * i, 2), nullptr, 16);
        return count(shot, area, [&](int x, int y, const std::array<int, 3>& rgb) {
            double distance = std::hypot(x - centreX, y - centreY);
            int difference = std::abs(rgb[0] - cover[0]) + std::abs(rgb[1] - cover[1]) +
                             std::abs(rgb[2] - cover[2]);
            return distance > outer * 0.75 && distance <= outer && difference < 24;
        });
    };
    auto titlePixels = [&](const Screenshot& shot) {
        return count(shot, pixels(*title), [](int, int, const std::array<int, 3>& rgb) {
            return rgb[0] > 230 && rgb[1] > 230 && rgb[2] > 230;
        });
    };
    // The screen, read back from the display, shows both once the frame that
    // carries them has been drawn.
    int ringFound = 0, titleFound = 0;
    const auto shown = Clock::now() + 10s;
    while (Clock::now() < shown && (ringFound < 300 || titleFound < 400)) {
        if (auto shot = Screenshot::capture(display())) {
            ringFound = ringPixels(*shot);
            titleFound = titlePixels(*shot);
        }
    }
    EXPECT_GE(ringFound, 300) << "the ring's thumb is not on the screen";
    EXPECT_GE(titleFound, 400) << "the title is not on the screen";

    // The TERM the locker sends when its password prompt shows ends the
    // saver while its window is still there, and nothing is reported on the
    // way out.
    long saver = std::lround((*dump)["saverWindow"]["process"].asNumber());
    ASSERT_GT(saver, 0);
    ASSERT_EQ(kill(static_cast<pid_t>(saver), SIGTERM), 0);
    const auto ended = Clock::now() + 10s;
    while (Clock::now() < ended && !processEnded(saver))
        std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(processEnded(saver)) << "the saver did not end on TERM";
    // Read before the locker ends: the saver it starts again then finds its
    // window gone, and says so.
    const std::string errors = locker.errors();
    EXPECT_EQ(errors.find("Sanitizer"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("rotix-saver:"), std::string::npos) << errors;
    locker.signal(SIGTERM);
    locker.wait(10s);
    mpv.kill();
    bus.stop();
}
#endif

// Without a display the window is refused in one line, never drawn
// somewhere nobody sees.
TEST(WindowWithoutDisplay, ExitsWithStatusTwoAndOneLine) {
    struct Case {
        std::map<std::string, std::string> environment;
        std::string expected;
    };
    const Case cases[] = {
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}}, "no display"},
        {{{"DISPLAY", ":0"}, {"SDL_VIDEODRIVER", "offscreen"}}, "offscreen"},
        {{{"DISPLAY", ":0"}, {"SDL_VIDEODRIVER", "dummy"}}, "dummy"},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", "x11"}}, "DISPLAY"},
    };
    for (const auto& [environment, expected] : cases) {
        LiveHost host(ROTIX_SPRINGBOARD_PATH);
        ASSERT_TRUE(host.start({"--window"}, environment));
        EXPECT_EQ(host.finish(), 2);
        const std::string errors = host.standardError();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find(expected), std::string::npos) << errors;
        EXPECT_EQ(errors.rfind("springboard: ", 0), 0u) << errors;
    }
}

#ifdef ROTIX_SAVER_PATH
// A saver given no window to draw into says so, rather than taking the
// whole screen or waiting for nothing.
TEST(SaverWithoutWindow, SaysSoInOneLineWithStatusTwo) {
    std::random_device random;
    auto folder = std::filesystem::temp_directory_path() /
                  ("rotix-saver-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(folder);
    SpawnedProcess saver;
    ASSERT_TRUE(saver.start({ROTIX_SAVER_PATH}, {{"XSCREENSAVER_WINDOW", ""}}, folder, "saver"));
    EXPECT_EQ(saver.wait(10s), 2);
    const std::string errors = saver.errors();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(errors.rfind("rotix-saver: no window", 0), 0u) << errors;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}
#endif

TEST(WindowOptions, ABadActivatorKeyIsAUsageError) {
    for (const char* bad : {"n", "=org.brenwick.rotix", "n=", "escape=x"}) {
        LiveHost host(ROTIX_SPRINGBOARD_PATH);
        ASSERT_TRUE(host.start({"--window", "--activator-key", bad}, {{"DISPLAY", ""}}));
        EXPECT_EQ(host.finish(), 2) << bad;
        const std::string errors = host.standardError();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find("--activator-key needs KEY=LISTENER"), std::string::npos) << errors;
    }
}

} // namespace
