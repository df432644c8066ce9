#include "platform/mediaremote/mpris/MprisPlayer.h"

#include "platform/dispatch/Dispatch.h"
#include "platform/mediaremote/mpris/MprisArtworkLoader.h"
#include "platform/mediaremote/mpris/MprisPlayerTracker.h"
#include "platform/mediaremote/mpris/MprisVariant.h"
#include "platform/objc/NSObject.h"

#include <cmath>
#include <sdbus-c++/sdbus-c++.h>
#include <vector>

namespace {

constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
const std::string kPlayerInterface(MprisPlayerTracker::kPlayerInterface);
const std::string kPlaying = "Playing";

// Positions are signed microseconds; a few players send other numbers.
std::optional<std::int64_t> positionValue(const sdbus::Variant& value) {
    if (auto x = readVariant<std::int64_t>(value))
        return *x;
    if (auto d = readVariant<double>(value)) {
        if (std::isfinite(*d) && std::fabs(*d) < 1e15)
            return static_cast<std::int64_t>(*d);
    }
    return std::nullopt;
}

} // namespace

std::shared_ptr<MprisPlayer> MprisPlayer::create(std::shared_ptr<BusConnection> bus,
                                                 std::string busName, std::string owner,
                                                 ChangeHandler handler) {
    return makeObject<MprisPlayer>(std::move(bus), std::move(busName), std::move(owner),
                                   std::move(handler));
}

MprisPlayer::MprisPlayer(std::shared_ptr<BusConnection> bus, std::string busName, std::string owner,
                         ChangeHandler handler)
    : m_bus(std::move(bus)), m_busName(std::move(busName)), m_owner(std::move(owner)),
      m_handler(std::move(handler)) {
    m_lastActive = now();
    m_position.reset(m_lastActive);
    if (!m_bus || !m_bus->isOpen())
        return;
    try {
        // Calls go to the unique name: if the well-known name moves to
        // another program, that is another player.
        m_proxy = sdbus::createProxy(*m_bus->connection(), m_owner,
                                     std::string(MprisPlayerTracker::kObjectPath));
    } catch (const std::exception&) {
        m_proxy.reset();
    }
}

MprisPlayer::~MprisPlayer() {
    if (m_bus)
        m_bus->retire(std::move(m_proxy));
}

CFAbsoluteTime MprisPlayer::now() const {
    return NSRunLoop::mainRunLoop().now();
}

void MprisPlayer::start() {
    if (!m_proxy)
        return;
    try {
        auto call = m_proxy->createMethodCall(kPropertiesInterface, "GetAll");
        call << kPlayerInterface;
        send(call, [](MprisPlayer& self, sdbus::Message& reply) {
            VariantMap properties;
            reply >> properties;
            Changes changes{.info = true, .playbackState = true};
            self.m_ready = true;
            self.apply(properties, changes);
            self.report(changes);
        });
    } catch (const std::exception&) {
    }
}

void MprisPlayer::propertiesChanged(sdbus::Message& signal) {
    std::string interface;
    VariantMap changed;
    std::vector<std::string> invalidated;
    try {
        // Another player of the same program may have read it already.
        signal.rewind(true);
        signal >> interface >> changed >> invalidated;
    } catch (const std::exception&) {
        // Not the signal's shape: nothing in it can be trusted.
        return;
    }
    if (interface != kPlayerInterface)
        return;
    Changes changes;
    if (!m_ready) {
        m_ready = true;
        changes.info = changes.playbackState = true;
    }
    apply(changed, changes);
    // Properties said to have changed without their values are asked for.
    for (const char* name : {"Metadata", "PlaybackStatus", "Rate"}) {
        for (const auto& entry : invalidated) {
            if (entry == name) {
                requestProperty(name);
                break;
            }
        }
    }
    report(changes);
}

void MprisPlayer::seeked(sdbus::Message& signal) {
    std::int64_t position = 0;
    try {
        signal.rewind(true);
        signal >> position;
    } catch (const std::exception&) {
        return;
    }
    m_position.resync(position, now());
    report({.info = true});
}

void MprisPlayer::apply(const VariantMap& properties, Changes& changes) {
    CFAbsoluteTime time = now();
    bool resync = false;
    if (const sdbus::Variant* status = findVariant(properties, "PlaybackStatus")) {
        // A status of the wrong type, or one MPRIS does not
        // name, counts as not playing.
        auto text = readVariant<std::string>(*status);
        m_playbackStatus = text && text->size() <= 16 ? *text : "Unknown";
        bool playing = m_playbackStatus == kPlaying;
        if (playing != m_position.isPlaying()) {
            m_position.setPlaying(playing, time);
            changes.playbackState = changes.info = true;
            m_lastActive = time;
            resync = true;
        }
    }
    if (const sdbus::Variant* rate = findVariant(properties, "Rate")) {
        double before = m_position.rate();
        m_position.setRate(readVariant<double>(*rate).value_or(1.0), time);
        if (m_position.rate() != before) {
            changes.info = true;
            resync = true;
        }
    }
    if (const sdbus::Variant* metadata = findVariant(properties, "Metadata")) {
        // Metadata of the wrong type says nothing usable: the track shows as
        // unknown until the player sends something better.
        auto map = readVariant<VariantMap>(*metadata);
        MprisMetadata merged =
            map ? m_metadata.mergedWith(MprisMetadata::fromVariantMap(*map)) : MprisMetadata{};
        bool newTrack = !merged.isSameTrack(m_metadata);
        if (merged != m_metadata)
            changes.info = true;
        m_metadata = std::move(merged);
        if (newTrack) {
            changes.track = changes.info = true;
            m_position.reset(time);
            m_lastActive = time;
            resync = true;
            // A player may write each track's cover to the same file, so a
            // new track reads it again.
            forgetArtwork(changes);
        }
        loadArtwork(changes);
    }
    if (const sdbus::Variant* position = findVariant(properties, "Position")) {
        if (auto microseconds = positionValue(*position)) {
            m_position.resync(*microseconds, time);
            changes.info = true;
            resync = false;
        }
    }
    if (resync)
        requestPosition();
}

void MprisPlayer::requestProperty(const std::string& name) {
    if (!m_proxy)
        return;
    try {
        auto call = m_proxy->createMethodCall(kPropertiesInterface, "Get");
        call << kPlayerInterface << name;
        send(call, [name](MprisPlayer& self, sdbus::Message& reply) {
            sdbus::Variant value;
            reply >> value;
            Changes changes;
            self.apply({{name, value}}, changes);
            self.report(changes);
        });
    } catch (const std::exception&) {
    }
}

void MprisPlayer::requestPosition() {
    requestProperty("Position");
}

void MprisPlayer::callMethod(const std::string& method) {
    if (!m_proxy)
        return;
    try {
        auto call = m_proxy->createMethodCall(kPlayerInterface, method);
        send(call);
    } catch (const std::exception&) {
    }
}

void MprisPlayer::seek(std::int64_t offsetMicroseconds) {
    if (!m_proxy)
        return;
    try {
        auto call = m_proxy->createMethodCall(kPlayerInterface, "Seek");
        call << offsetMicroseconds;
        send(call);
    } catch (const std::exception&) {
    }
}

void MprisPlayer::setPosition(const std::string& trackId, std::int64_t positionMicroseconds) {
    if (!m_proxy)
        return;
    try {
        auto call = m_proxy->createMethodCall(kPlayerInterface, "SetPosition");
        call << sdbus::ObjectPath(trackId) << positionMicroseconds;
        send(call);
    } catch (const std::exception&) {
    }
}

void MprisPlayer::send(sdbus::MethodCall& call,
                       std::function<void(MprisPlayer& self, sdbus::Message& reply)> onReply) {
    std::weak_ptr<MprisPlayer> weakSelf = weak_from_this();
    m_proxy->callMethod(
        call,
        [weakSelf, onReply = std::move(onReply)](sdbus::MethodReply& reply,
                                                 const sdbus::Error* error) {
            // Errors (the player vanished, refused, or took too long) are
            // not reported anywhere: the next signal tells the truth.
            auto self = weakSelf.lock();
            if (!self || error || !onReply)
                return;
            try {
                onReply(*self, reply);
            } catch (const std::exception&) {
            }
        },
        BusConnection::kReplyTimeout);
    m_bus->messagesQueued();
}

void MprisPlayer::forgetArtwork(Changes& changes) {
    if (m_artwork)
        changes.info = true;
    m_artwork = nullptr;
    m_artworkUrl.reset();
    // A load still under way is for what was forgotten.
    ++m_artworkGeneration;
}

void MprisPlayer::loadArtwork(Changes& changes) {
    const std::optional<std::string>& url = m_metadata.artUrl;
    if (url == m_artworkUrl)
        return;
    forgetArtwork(changes);
    m_artworkUrl = url;
    std::uint64_t generation = m_artworkGeneration;
    std::optional<std::string> path =
        url ? MprisArtworkLoader::pathFromFileURL(*url) : std::nullopt;
    if (!path)
        return;
    // Reading and checking a file of up to 16 MiB is no work for the thread
    // that draws the lock screen.
    std::weak_ptr<MprisPlayer> weakSelf = weak_from_this();
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0),
                   [weakSelf, path = *path, generation] {
                       CFData artwork = MprisArtworkLoader::load(path);
                       dispatch_async(dispatch_get_main_queue(),
                                      [weakSelf, artwork = std::move(artwork), generation] {
                                          auto self = weakSelf.lock();
                                          // A newer URL has been asked for since.
                                          if (!self || generation != self->m_artworkGeneration ||
                                              !artwork)
                                              return;
                                          self->m_artwork = artwork;
                                          self->report({.info = true});
                                      });
                   });
}

void MprisPlayer::report(const Changes& changes) {
    if (!m_handler || !(changes.info || changes.playbackState || changes.track))
        return;
    m_handler(*this, changes);
}

Json MprisPlayer::dump(CFAbsoluteTime time) const {
    auto optionalText = [](const std::optional<std::string>& text) {
        return text ? Json(*text) : Json();
    };
    Json json = Json::object();
    json.set("busName", m_busName);
    json.set("owner", m_owner);
    json.set("ready", m_ready);
    json.set("playbackStatus", m_playbackStatus);
    json.set("playing", isPlaying());
    json.set("rate", m_position.rate());
    json.set("lastActive", m_lastActive);
    json.set("title", optionalText(m_metadata.title));
    json.set("artist", optionalText(m_metadata.artist));
    json.set("album", optionalText(m_metadata.album));
    json.set("length", m_metadata.lengthMicroseconds ? Json(m_metadata.lengthSeconds()) : Json());
    json.set("trackId", optionalText(m_metadata.trackId));
    json.set("trackIdIsObjectPath", m_metadata.trackIdIsObjectPath);
    json.set("artUrl", optionalText(m_metadata.artUrl));
    json.set("artworkBytes", m_artwork ? Json(m_artwork->size()) : Json());
    json.set("positionKnown", m_position.isKnown());
    json.set("elapsed", m_position.secondsAt(time, m_metadata.lengthMicroseconds
                                                       ? std::optional(m_metadata.lengthSeconds())
                                                       : std::nullopt));
    return json;
}
