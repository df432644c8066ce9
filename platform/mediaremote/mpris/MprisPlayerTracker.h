#pragma once

#include "platform/dbus/BusConnection.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sdbus-c++/TypeTraits.h>
#include <string>
#include <string_view>
#include <vector>

namespace sdbus {
class Message;
} // namespace sdbus

// Follows the players on the bus: the names under org.mpris.MediaPlayer2,
// from the list at start and from NameOwnerChanged after, with the unique
// name that owns each; and hands on the two signals players send, by the
// unique name that sent them. Main thread only.
class MprisPlayerTracker : public std::enable_shared_from_this<MprisPlayerTracker> {
public:
    static constexpr std::string_view kBusNamePrefix = "org.mpris.MediaPlayer2.";
    static constexpr std::string_view kObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr std::string_view kPlayerInterface = "org.mpris.MediaPlayer2.Player";
    // Calls that block (only the bus's own, at start-up: the name list and
    // the match rules) give up after this long: a bus that hangs must not
    // hold up the lock screen.
    static constexpr std::chrono::milliseconds kCallTimeout{250};

    struct Handlers {
        std::function<void(const std::string& busName, const std::string& owner)> appeared;
        std::function<void(const std::string& busName)> vanished;
        // PropertiesChanged of the player interface, and Seeked.
        std::function<void(const std::string& owner, sdbus::Message& signal)> propertiesChanged;
        std::function<void(const std::string& owner, sdbus::Message& signal)> seeked;
    };

    static std::shared_ptr<MprisPlayerTracker> create(std::shared_ptr<BusConnection> bus,
                                                      Handlers handlers);
    ~MprisPlayerTracker();
    MprisPlayerTracker(const MprisPlayerTracker&) = delete;
    MprisPlayerTracker& operator=(const MprisPlayerTracker&) = delete;

    // Subscribes to the signals, then asks for the names already there.
    // False when the bus refused the subscriptions.
    bool start();

    static bool isPlayerName(std::string_view name);
    // The players' names on the bus now, asked and waited for (bounded by
    // the call timeout); nothing when the bus did not answer. For choosing a
    // source at start-up, before the run loop runs.
    static std::optional<std::vector<std::string>> playerNames(BusConnection& bus);

    // Bus name to owning unique name.
    const std::map<std::string, std::string>& owners() const { return m_owners; }

protected:
    MprisPlayerTracker(std::shared_ptr<BusConnection> bus, Handlers handlers);

private:
    void nameOwnerChanged(sdbus::Message& signal);
    void listed(std::vector<std::string> names);
    void ownerFound(const std::string& name, const std::string& owner);
    void setOwner(const std::string& name, const std::string& owner);
    void dropOwner(const std::string& name);

    std::shared_ptr<BusConnection> m_bus;
    Handlers m_handlers;
    std::unique_ptr<sdbus::IProxy> m_busProxy;
    std::vector<sdbus::Slot> m_matches;
    std::map<std::string, std::string> m_owners;
};
