#include "apps/springboard/NowPlayingSourceOption.h"

#include "apps/springboard/SpringBoardHost.h"
#include "platform/dbus/BusConnection.h"
#include "platform/mediaremote/NowPlayingService.h"
#include "platform/mediaremote/mpris/MprisNowPlayingSource.h"
#include "platform/mediaremote/mpris/MprisPlayerTracker.h"

#include <cstdlib>
#include <iostream>
#include <sys/stat.h>

std::optional<NowPlayingSourceKind> parseNowPlayingSourceKind(const std::string& text) {
    if (text == "demo")
        return NowPlayingSourceKind::Demo;
    if (text == "mpris")
        return NowPlayingSourceKind::Mpris;
    if (text == "auto")
        return NowPlayingSourceKind::Auto;
    return std::nullopt;
}

namespace {

// The session bus as the desktop names it, else the socket a user's session
// keeps in the runtime folder, where a program started outside the session's
// environment (a locker, a cron job) still finds the music players.
std::shared_ptr<BusConnection> openUsersSessionBus() {
    if (auto bus = BusConnection::openSessionBus())
        return bus;
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if ((address && *address) || !runtime || !*runtime)
        return nullptr;
    const std::string socket = std::string(runtime) + "/bus";
    struct stat status {};
    if (stat(socket.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode))
        return nullptr;
    return BusConnection::open("unix:path=" + socket);
}

} // namespace

NowPlayingSourceKind installNowPlayingSource(NowPlayingSourceKind kind, SpringBoardHost& host,
                                             const std::string& programName) {
    // The demo application is what the service makes when nothing else is
    // set, so scenarios written for it run exactly as before.
    if (kind == NowPlayingSourceKind::Demo)
        return kind;
    auto bus = openUsersSessionBus();
    if (kind == NowPlayingSourceKind::Auto) {
        auto players = bus ? MprisPlayerTracker::playerNames(*bus) : std::nullopt;
        if (!players || players->empty())
            return NowPlayingSourceKind::Demo;
    } else if (!bus) {
        std::cerr << programName
                  << ": no session bus to find music players on; nothing will play\n";
    }
    auto source = MprisNowPlayingSource::create(std::move(bus));
    NowPlayingService::shared().setSource(source);
    std::weak_ptr<MprisNowPlayingSource> weakSource = source;
    host.addDumpSection("mpris", [weakSource] {
        auto current = weakSource.lock();
        return current ? current->dump() : Json();
    });
    return NowPlayingSourceKind::Mpris;
}
