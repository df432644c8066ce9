#include "platform/mediaremote/mpris/MprisPlayerTracker.h"

#include "platform/objc/NSObject.h"

#include <sdbus-c++/sdbus-c++.h>

namespace {

constexpr const char* kBusService = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";

constexpr const char* kNameOwnerChangedRule =
    "type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
    "interface='org.freedesktop.DBus',member='NameOwnerChanged',"
    "arg0namespace='org.mpris.MediaPlayer2'";
constexpr const char* kPropertiesChangedRule =
    "type='signal',path='/org/mpris/MediaPlayer2',interface='org.freedesktop.DBus.Properties',"
    "member='PropertiesChanged',arg0='org.mpris.MediaPlayer2.Player'";
constexpr const char* kSeekedRule = "type='signal',path='/org/mpris/MediaPlayer2',"
                                    "interface='org.mpris.MediaPlayer2.Player',member='Seeked'";

std::vector<std::string> playersAmong(const std::vector<std::string>& names) {
    std::vector<std::string> players;
    for (const auto& name : names) {
        if (MprisPlayerTracker::isPlayerName(name))
            players.push_back(name);
    }
    return players;
}

} // namespace

std::shared_ptr<MprisPlayerTracker> MprisPlayerTracker::create(std::shared_ptr<BusConnection> bus,
                                                               Handlers handlers) {
    return makeObject<MprisPlayerTracker>(std::move(bus), std::move(handlers));
}

MprisPlayerTracker::MprisPlayerTracker(std::shared_ptr<BusConnection> bus, Handlers handlers)
    : m_bus(std::move(bus)), m_handlers(std::move(handlers)) {}

MprisPlayerTracker::~MprisPlayerTracker() {
    m_matches.clear();
    if (m_bus)
        m_bus->retire(std::move(m_busProxy));
}

bool MprisPlayerTracker::isPlayerName(std::string_view name) {
    return name.size() > kBusNamePrefix.size() &&
           name.substr(0, kBusNamePrefix.size()) == kBusNamePrefix;
}

std::optional<std::vector<std::string>> MprisPlayerTracker::playerNames(BusConnection& bus) {
    if (!bus.isOpen())
        return std::nullopt;
    try {
        auto proxy = sdbus::createProxy(*bus.connection(), kBusService, kBusPath);
        std::vector<std::string> names;
        proxy->callMethod("ListNames")
            .onInterface(kBusService)
            .withTimeout(kCallTimeout)
            .storeResultsTo(names);
        return playersAmong(names);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool MprisPlayerTracker::start() {
    if (!m_bus || !m_bus->isOpen())
        return false;
    std::weak_ptr<MprisPlayerTracker> weakSelf = weak_from_this();
    try {
        sdbus::IConnection& connection = *m_bus->connection();
        // Subscribed before the names are listed, so no player that appears
        // in between is missed.
        m_matches.push_back(
            connection.addMatch(kNameOwnerChangedRule, [weakSelf](sdbus::Message& signal) {
                if (auto self = weakSelf.lock())
                    self->nameOwnerChanged(signal);
            }));
        m_matches.push_back(
            connection.addMatch(kPropertiesChangedRule, [weakSelf](sdbus::Message& signal) {
                auto self = weakSelf.lock();
                if (self && self->m_handlers.propertiesChanged)
                    self->m_handlers.propertiesChanged(signal.getSender(), signal);
            }));
        m_matches.push_back(connection.addMatch(kSeekedRule, [weakSelf](sdbus::Message& signal) {
            auto self = weakSelf.lock();
            if (self && self->m_handlers.seeked)
                self->m_handlers.seeked(signal.getSender(), signal);
        }));
        m_busProxy = sdbus::createProxy(connection, kBusService, kBusPath);
        auto call = m_busProxy->createMethodCall(kBusService, "ListNames");
        m_busProxy->callMethod(
            call,
            [weakSelf](sdbus::MethodReply& reply, const sdbus::Error* error) {
                auto self = weakSelf.lock();
                if (!self || error)
                    return;
                try {
                    std::vector<std::string> names;
                    reply >> names;
                    self->listed(std::move(names));
                } catch (const std::exception&) {
                }
            },
            BusConnection::kReplyTimeout);
    } catch (const std::exception&) {
        m_matches.clear();
        return false;
    }
    m_bus->messagesQueued();
    return true;
}

void MprisPlayerTracker::nameOwnerChanged(sdbus::Message& signal) {
    std::string name;
    std::string oldOwner;
    std::string newOwner;
    try {
        signal >> name >> oldOwner >> newOwner;
    } catch (const std::exception&) {
        return;
    }
    if (!isPlayerName(name))
        return;
    if (!oldOwner.empty())
        dropOwner(name);
    if (!newOwner.empty())
        setOwner(name, newOwner);
}

void MprisPlayerTracker::listed(std::vector<std::string> names) {
    if (!m_busProxy)
        return;
    std::weak_ptr<MprisPlayerTracker> weakSelf = weak_from_this();
    for (const auto& name : playersAmong(names)) {
        if (m_owners.count(name))
            continue;
        try {
            auto call = m_busProxy->createMethodCall(kBusService, "GetNameOwner");
            call << name;
            m_busProxy->callMethod(
                call,
                [weakSelf, name](sdbus::MethodReply& reply, const sdbus::Error* error) {
                    auto self = weakSelf.lock();
                    // A player that left since the list has no owner now.
                    if (!self || error)
                        return;
                    try {
                        std::string owner;
                        reply >> owner;
                        self->ownerFound(name, owner);
                    } catch (const std::exception&) {
                    }
                },
                BusConnection::kReplyTimeout);
        } catch (const std::exception&) {
        }
    }
    m_bus->messagesQueued();
}

void MprisPlayerTracker::ownerFound(const std::string& name, const std::string& owner) {
    // NameOwnerChanged may have told of the name first.
    if (m_owners.count(name) || owner.empty())
        return;
    setOwner(name, owner);
}

void MprisPlayerTracker::setOwner(const std::string& name, const std::string& owner) {
    m_owners[name] = owner;
    if (m_handlers.appeared)
        m_handlers.appeared(name, owner);
}

void MprisPlayerTracker::dropOwner(const std::string& name) {
    if (!m_owners.erase(name))
        return;
    if (m_handlers.vanished)
        m_handlers.vanished(name);
}
