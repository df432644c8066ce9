// A music player on the session bus that says whatever the test driving it
// asks, right or wrong, so the now-playing source can be shown bad input
// that no real player sends. Commands arrive one a line on standard input;
// every call it receives is written, one a line, to standard output.
//
//   mpris_fake_player NAME [--metadata-type map|string] [--status-type string|int]
//                          [--exit-on-get-all]
//
// Commands: "meta KIND [ARG]", "status TEXT", "seeked MICROSECONDS", "quit".

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <poll.h>
#include <sdbus-c++/sdbus-c++.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string kObjectPath = "/org/mpris/MediaPlayer2";
const std::string kPlayerInterface = "org.mpris.MediaPlayer2.Player";
const std::string kRootInterface = "org.mpris.MediaPlayer2";
constexpr size_t kHugeTextBytes = 10 * 1024 * 1024;
constexpr size_t kHugeArrayLength = 100'000;

using VariantMap = std::map<std::string, sdbus::Variant>;

struct Options {
    std::string name;
    bool metadataAsString = false;
    bool statusAsInteger = false;
    bool exitOnGetAll = false;
};

VariantMap metadataOfKind(const std::string& kind, const std::string& argument) {
    VariantMap map;
    if (kind == "normal" || kind == "art" || kind == "string-trackid" || kind == "no-trackid") {
        map["xesam:title"] = sdbus::Variant(std::string("Fake Title"));
        map["xesam:artist"] = sdbus::Variant(std::vector<std::string>{"Fake Artist", "Guest"});
        map["mpris:length"] = sdbus::Variant(std::int64_t(42'000'000));
        if (kind == "string-trackid")
            map["mpris:trackid"] = sdbus::Variant(std::string("track-1"));
        else if (kind != "no-trackid")
            map["mpris:trackid"] = sdbus::Variant(sdbus::ObjectPath("/org/fake/track/1"));
        if (kind == "art")
            map["mpris:artUrl"] = sdbus::Variant(argument);
    } else if (kind == "wrong-types") {
        map["xesam:title"] = sdbus::Variant(std::int32_t(7));
        map["xesam:artist"] = sdbus::Variant(std::vector<std::int32_t>{1, 2, 3});
        map["xesam:album"] = sdbus::Variant(true);
        map["mpris:length"] = sdbus::Variant(std::string("very long"));
        map["mpris:trackid"] = sdbus::Variant(std::int64_t(12));
        map["mpris:artUrl"] = sdbus::Variant(std::vector<std::string>{"file:///x.png"});
    } else if (kind == "empty") {
        map["xesam:title"] = sdbus::Variant(std::string());
        map["xesam:artist"] = sdbus::Variant(std::vector<std::string>{});
        map["mpris:artUrl"] = sdbus::Variant(std::string());
        map["mpris:length"] = sdbus::Variant(std::int64_t(-5));
    } else if (kind == "huge") {
        map["xesam:title"] = sdbus::Variant(std::string(kHugeTextBytes, 'T'));
        map["xesam:artist"] =
            sdbus::Variant(std::vector<std::string>(kHugeArrayLength, std::string("A")));
        map["mpris:trackid"] = sdbus::Variant(sdbus::ObjectPath("/org/fake/track/huge"));
        map["mpris:length"] = sdbus::Variant(std::int64_t(60'000'000));
    } else if (kind == "untagged") {
        // What VLC sends for a file without tags: where it is, but no title.
        map["mpris:trackid"] = sdbus::Variant(sdbus::ObjectPath("/org/fake/track/untagged"));
        map["xesam:url"] = sdbus::Variant(argument);
        map["mpris:length"] = sdbus::Variant(std::int64_t(60'000'000));
    }
    return map;
}

class FakePlayer {
public:
    explicit FakePlayer(Options options) : m_options(std::move(options)) {}

    void run() {
        m_connection = sdbus::createSessionBusConnection();
        m_object = sdbus::createObject(*m_connection, kObjectPath);
        registerInterfaces();
        m_connection->requestName("org.mpris.MediaPlayer2." + m_options.name);
        say("ready");
        loop();
    }

private:
    void registerInterfaces() {
        m_object->registerProperty("Identity").onInterface(kRootInterface).withGetter([] {
            return std::string("Fake Player");
        });
        if (m_options.metadataAsString) {
            m_object->registerProperty("Metadata").onInterface(kPlayerInterface).withGetter([] {
                return std::string("not a dictionary");
            });
        } else {
            m_object->registerProperty("Metadata").onInterface(kPlayerInterface).withGetter([this] {
                return m_metadata;
            });
        }
        if (m_options.statusAsInteger) {
            m_object->registerProperty("PlaybackStatus")
                .onInterface(kPlayerInterface)
                .withGetter([] { return std::int32_t(1); });
        } else {
            m_object->registerProperty("PlaybackStatus")
                .onInterface(kPlayerInterface)
                .withGetter([this] { return m_status; });
        }
        m_object->registerProperty("Rate").onInterface(kPlayerInterface).withGetter([] {
            return 1.0;
        });
        m_object->registerProperty("Position").onInterface(kPlayerInterface).withGetter([this] {
            // Vanishing in the middle of answering: the caller is left with
            // a call that ends in an error, and a name that goes away.
            if (m_options.exitOnGetAll)
                _exit(0);
            return m_position;
        });
        for (const char* method : {"PlayPause", "Play", "Pause", "Next", "Previous", "Stop"}) {
            std::string name = method;
            m_object->registerMethod(name)
                .onInterface(kPlayerInterface)
                .implementedAs([this, name] {
                    say("call " + name);
                    if (name == "PlayPause") {
                        m_status = m_status == "Playing" ? "Paused" : "Playing";
                        m_object->emitPropertiesChangedSignal(kPlayerInterface, {"PlaybackStatus"});
                    }
                });
        }
        m_object->registerMethod("Seek")
            .onInterface(kPlayerInterface)
            .implementedAs(
                [this](std::int64_t offset) { say("call Seek " + std::to_string(offset)); });
        m_object->registerMethod("SetPosition")
            .onInterface(kPlayerInterface)
            .implementedAs([this](sdbus::ObjectPath track, std::int64_t position) {
                say("call SetPosition " + std::string(track) + " " + std::to_string(position));
            });
        m_object->finishRegistration();
    }

    void command(const std::string& line) {
        std::istringstream words(line);
        std::string verb;
        std::string first;
        std::string second;
        words >> verb >> first >> second;
        if (verb == "meta") {
            m_metadata = metadataOfKind(first, second);
            m_object->emitPropertiesChangedSignal(kPlayerInterface, {"Metadata"});
        } else if (verb == "status") {
            m_status = first;
            m_object->emitPropertiesChangedSignal(kPlayerInterface, {"PlaybackStatus"});
        } else if (verb == "seeked") {
            m_position = std::stoll(first);
            m_object->emitSignal("Seeked").onInterface(kPlayerInterface).withArguments(m_position);
        } else if (verb == "quit") {
            m_quit = true;
            return;
        }
        say("done " + verb + " " + std::to_string(++m_commands));
    }

    void loop() {
        std::string pending;
        while (!m_quit) {
            while (m_connection->processPendingRequest()) {
            }
            auto pollData = m_connection->getEventLoopPollData();
            pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {pollData.fd, pollData.events, 0}};
            if (poll(fds, 2, pollData.getPollTimeout()) < 0)
                continue;
            if (fds[0].revents) {
                char buffer[4096];
                ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
                if (count <= 0)
                    return;
                pending.append(buffer, static_cast<size_t>(count));
                size_t end;
                while ((end = pending.find('\n')) != std::string::npos) {
                    std::string line = pending.substr(0, end);
                    pending.erase(0, end + 1);
                    command(line);
                }
            }
        }
    }

    void say(const std::string& line) { std::cout << line << std::endl; }

    Options m_options;
    std::unique_ptr<sdbus::IConnection> m_connection;
    std::unique_ptr<sdbus::IObject> m_object;
    VariantMap m_metadata = metadataOfKind("normal", "");
    std::string m_status = "Playing";
    std::int64_t m_position = 0;
    bool m_quit = false;
    int m_commands = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: mpris_fake_player NAME [--metadata-type map|string] "
                     "[--status-type string|int] [--exit-on-get-all]\n";
        return 2;
    }
    Options options;
    options.name = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string argument = argv[i];
        std::string value = i + 1 < argc ? argv[i + 1] : "";
        if (argument == "--metadata-type") {
            options.metadataAsString = value == "string";
            ++i;
        } else if (argument == "--status-type") {
            options.statusAsInteger = value == "int";
            ++i;
        } else if (argument == "--exit-on-get-all") {
            options.exitOnGetAll = true;
        }
    }
    try {
        FakePlayer(std::move(options)).run();
    } catch (const std::exception& failure) {
        std::cerr << "mpris_fake_player: " << failure.what() << "\n";
        return 1;
    }
    return 0;
}
