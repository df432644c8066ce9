#include "apps/springboard/NowPlayingCommands.h"

#include "apps/common/QuotedName.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/mediaremote/DemoMusicApp.h"
#include "platform/mediaremote/NowPlayingService.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> splitFields(const std::string& text, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        fields.push_back(trimmed(text.substr(start, end - start)));
        if (end == std::string::npos)
            return fields;
        start = end + 1;
    }
}

// Reads the whole file, or answers why not. The size is checked before a byte
// is read, and again while reading in case the file grows meanwhile.
std::optional<std::string> readArtwork(const std::string& path, CFData& artwork) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error || !std::filesystem::is_regular_file(path, error))
        return "cannot read the artwork file " + quotedName(path);
    if (size > kScenarioArtworkMaximumBytes)
        return "the artwork file " + quotedName(path) + " is larger than 16 MiB";
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "cannot read the artwork file " + quotedName(path);
    std::vector<std::uint8_t> bytes(static_cast<size_t>(size));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<size_t>(file.gcount()) != bytes.size())
        return "cannot read the artwork file " + quotedName(path);
    if (file.peek() != std::ifstream::traits_type::eof())
        return "the artwork file " + quotedName(path) + " changed while being read";
    artwork = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
    return std::nullopt;
}

std::optional<std::string> parseTrack(const std::string& description, DemoMusicTrack& track) {
    auto fields = splitFields(description, '|');
    if (fields.size() != 4)
        return "a track is TITLE|ARTIST|SECONDS|ARTWORK-FILE-OR-none";
    auto seconds = parseScenarioNumber(fields[2]);
    if (!seconds || *seconds < 0)
        return "bad track length " + quotedName(fields[2]);
    track.title = fields[0];
    track.artist = fields[1];
    track.duration = *seconds;
    if (fields[3] != "none") {
        if (auto failure = readArtwork(fields[3], track.artwork))
            return failure;
    }
    return std::nullopt;
}

std::shared_ptr<DemoMusicApp> demoMusicApp() {
    return std::dynamic_pointer_cast<DemoMusicApp>(NowPlayingService::shared().source());
}

constexpr const char* kNotDemoMusic = "the now-playing source is not the demo music application";

// Wraps an action on the demo application: it fails when another source
// plays, and lets the run loop deliver what the action posted.
Scenario::Handler onDemoMusic(
    std::function<std::optional<std::string>(DemoMusicApp&, const Scenario::Line&)> action) {
    return [action = std::move(action)](const Scenario::Line& line) -> std::optional<std::string> {
        auto app = demoMusicApp();
        if (!app)
            return kNotDemoMusic;
        auto failure = action(*app, line);
        NSRunLoop::mainRunLoop().runUntilIdle();
        return failure;
    };
}

template <class Action>
Scenario::Handler simpleAction(Action action) {
    return onDemoMusic([action](DemoMusicApp& app, const Scenario::Line&) {
        action(app);
        return std::optional<std::string>();
    });
}

Json optionalString(const std::optional<std::string>& text) {
    return text ? Json(*text) : Json();
}

Json infoString(const MRNowPlayingInfo& info, const std::string& key) {
    const CFPropertyList* value = CFDictionaryGetValue(info ? &*info : nullptr, key);
    return value && value->string() ? Json(*value->string()) : Json();
}

Json infoNumber(const MRNowPlayingInfo& info, const std::string& key) {
    const CFPropertyList* value = CFDictionaryGetValue(info ? &*info : nullptr, key);
    return value && value->isNumber() ? Json(value->doubleValue()) : Json();
}

// Where a source other than the demo application is now, worked out from
// what it last reported, as any reader of the information would.
Json extrapolatedElapsed(const MRNowPlayingInfo& info) {
    const CFDictionary* dictionary = info ? &*info : nullptr;
    const CFPropertyList* elapsed =
        CFDictionaryGetValue(dictionary, kMRMediaRemoteNowPlayingInfoElapsedTime);
    if (!elapsed || !elapsed->isNumber())
        return Json();
    double position = elapsed->doubleValue();
    const CFPropertyList* timestamp =
        CFDictionaryGetValue(dictionary, kMRMediaRemoteNowPlayingInfoTimestamp);
    const CFPropertyList* rate =
        CFDictionaryGetValue(dictionary, kMRMediaRemoteNowPlayingInfoPlaybackRate);
    if (timestamp && timestamp->date() && rate && rate->isNumber())
        position +=
            (CFAbsoluteTimeGetCurrent() - timestamp->date()->absoluteTime) * rate->doubleValue();
    return Json(position);
}

} // namespace

void registerNowPlayingCommands(Scenario& scenario) {
    scenario.addCommand("track",
                        {"track TITLE|ARTIST|SECONDS|ARTWORK-FILE-OR-none", 1, SIZE_MAX,
                         onDemoMusic([](DemoMusicApp& app,
                                        const Scenario::Line& line) -> std::optional<std::string> {
                             DemoMusicTrack track;
                             if (auto failure = parseTrack(line.rest, track))
                                 return failure;
                             if (!app.appendTrack(std::move(track)))
                                 return "the queue is full";
                             return std::nullopt;
                         })});
    scenario.addCommand("play",
                        {"play", 0, 0, simpleAction([](DemoMusicApp& app) { app.play(); })});
    scenario.addCommand("pause",
                        {"pause", 0, 0, simpleAction([](DemoMusicApp& app) { app.pause(); })});
    scenario.addCommand("next",
                        {"next", 0, 0, simpleAction([](DemoMusicApp& app) { app.nextTrack(); })});
    scenario.addCommand("clear",
                        {"clear", 0, 0, simpleAction([](DemoMusicApp& app) { app.clearQueue(); })});
    scenario.addCommand("elapsed",
                        {"elapsed SECONDS", 1, 1,
                         onDemoMusic([](DemoMusicApp& app,
                                        const Scenario::Line& line) -> std::optional<std::string> {
                             auto seconds = parseScenarioNumber(line.arguments[0]);
                             if (!seconds)
                                 return "bad position " + quotedName(line.arguments[0]);
                             app.setElapsedTime(*seconds);
                             return std::nullopt;
                         })});
    scenario.addCommand(
        "playlist",
        {"playlist demo", 1, 1, [](const Scenario::Line& line) -> std::optional<std::string> {
             if (line.arguments[0] != "demo")
                 return "the only playlist is demo";
             auto app = demoMusicApp();
             if (!app)
                 return "the now-playing source is not the demo application";
             app->setQueue(DemoMusicApp::demoPlaylist());
             NSRunLoop::mainRunLoop().runUntilIdle();
             return std::nullopt;
         }});
}

Json nowPlayingDumpSection() {
    NowPlayingService& service = NowPlayingService::shared();
    auto source = service.source();
    Json section = Json::object();
    auto demo = std::dynamic_pointer_cast<DemoMusicApp>(source);
    section.set("source", source ? Json(demo ? "demo-music" : "other") : Json());
    MRNowPlayingInfo info = source ? source->nowPlayingInfo() : std::nullopt;
    section.set("playing", source && source->isPlaying());
    section.set(
        "bundleIdentifier",
        optionalString(source ? source->nowPlayingApplicationBundleIdentifier() : std::nullopt));
    section.set("title", infoString(info, kMRMediaRemoteNowPlayingInfoTitle));
    section.set("artist", infoString(info, kMRMediaRemoteNowPlayingInfoArtist));
    section.set("duration", infoNumber(info, kMRMediaRemoteNowPlayingInfoDuration));
    if (demo) {
        section.set("elapsed", info ? Json(demo->elapsedTime()) : Json());
        section.set("queueLength", demo->queueLength());
        auto index = demo->currentIndex();
        section.set("index", index ? Json(*index) : Json());
    } else {
        section.set("elapsed", extrapolatedElapsed(info));
    }
    Json commands = Json::array();
    for (const NowPlayingRequest& request : service.requests()) {
        Json entry = Json::object();
        entry.set("time", request.time);
        if (request.kind == NowPlayingRequest::Kind::Command) {
            entry.set("command", request.command);
            entry.set("name", std::string(nowPlayingCommandName(request.command)));
        } else {
            entry.set("name", "setElapsedTime");
            entry.set("seconds", request.seconds);
        }
        commands.push(std::move(entry));
    }
    section.set("commandCount", static_cast<unsigned long long>(service.requestCount()));
    section.set("commands", std::move(commands));
    return section;
}
