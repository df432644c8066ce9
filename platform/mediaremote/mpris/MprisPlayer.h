#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/dbus/BusConnection.h"
#include "platform/mediaremote/mpris/MprisMetadata.h"
#include "platform/mediaremote/mpris/MprisPosition.h"
#include "platform/render/Json.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace sdbus {
class Message;
class MethodCall;
} // namespace sdbus

// One player on the bus: what it last said about its track, its state and
// its position, kept up to date from its signals, and the calls that
// control it. Every call is asynchronous with the bus's timeout; a player
// that vanishes in the middle of one simply never answers it. Main thread
// only.
class MprisPlayer : public std::enable_shared_from_this<MprisPlayer> {
public:
    struct Changes {
        // Anything the information dictionary shows.
        bool info = false;
        bool playbackState = false;
        bool track = false;
    };
    using ChangeHandler = std::function<void(MprisPlayer& player, const Changes& changes)>;

    static std::shared_ptr<MprisPlayer> create(std::shared_ptr<BusConnection> bus,
                                               std::string busName, std::string owner,
                                               ChangeHandler handler);
    ~MprisPlayer();
    MprisPlayer(const MprisPlayer&) = delete;
    MprisPlayer& operator=(const MprisPlayer&) = delete;

    // Asks for everything the player has to say.
    void start();

    const std::string& busName() const { return m_busName; }
    const std::string& owner() const { return m_owner; }
    // It has answered, or spoken up by itself, at least once.
    bool isReady() const { return m_ready; }
    bool isPlaying() const { return m_position.isPlaying(); }
    const std::string& playbackStatus() const { return m_playbackStatus; }
    CFAbsoluteTime lastActive() const { return m_lastActive; }
    const MprisMetadata& metadata() const { return m_metadata; }
    const MprisPosition& position() const { return m_position; }
    // Decoded-and-checked bytes of the track's artwork; nothing without.
    const CFData& artwork() const { return m_artwork; }

    void propertiesChanged(sdbus::Message& signal);
    void seeked(sdbus::Message& signal);

    // PlayPause, Next, Previous, ...
    void callMethod(const std::string& method);
    void seek(std::int64_t offsetMicroseconds);
    void setPosition(const std::string& trackId, std::int64_t positionMicroseconds);

    Json dump(CFAbsoluteTime now) const;

protected:
    MprisPlayer(std::shared_ptr<BusConnection> bus, std::string busName, std::string owner,
                ChangeHandler handler);

private:
    using VariantMap = MprisMetadata::VariantMap;

    void apply(const VariantMap& properties, Changes& changes);
    void requestProperty(const std::string& name);
    void requestPosition();
    void send(sdbus::MethodCall& call,
              std::function<void(MprisPlayer& self, sdbus::Message& reply)> onReply = {});
    void loadArtwork(Changes& changes);
    void forgetArtwork(Changes& changes);
    void report(const Changes& changes);
    CFAbsoluteTime now() const;

    std::shared_ptr<BusConnection> m_bus;
    std::string m_busName;
    std::string m_owner;
    ChangeHandler m_handler;
    std::unique_ptr<sdbus::IProxy> m_proxy;
    bool m_ready = false;
    std::string m_playbackStatus = "Unknown";
    CFAbsoluteTime m_lastActive = 0;
    MprisMetadata m_metadata;
    MprisPosition m_position;
    CFData m_artwork;
    std::optional<std::string> m_artworkUrl;
    std::uint64_t m_artworkGeneration = 0;
};
