#include "platform/dbus/DBusNotificationTransport.h"

#include "platform/corefoundation/CFRunLoop.h"
#include "platform/corefoundation/PropertyListFile.h"
#include "platform/corefoundation/UTF8Text.h"
#include "platform/dbus/BusConnection.h"
#include "platform/objc/NSObject.h"
#include "platform/system/SystemLog.h"

#include <cstring>
#include <sdbus-c++/sdbus-c++.h>

namespace {

constexpr const char* kLogSource = "CFNotificationCenter";

// The bus carries only well-formed UTF-8 without NUL characters; anything
// else would be refused half-way through building the signal.
bool isBusText(std::string_view text) {
    return isValidUTF8(text);
}

bool isSendableName(const std::string& name) {
    return !name.empty() && name.size() <= DBusNotificationTransport::kMaximumNameLength &&
           isBusText(name);
}

} // namespace

struct DBusNotificationTransport::Endpoint {
    std::unique_ptr<sdbus::IObject> object;
    sdbus::Slot match;
};

std::shared_ptr<DBusNotificationTransport>
DBusNotificationTransport::create(std::shared_ptr<BusConnection> bus) {
    if (!bus || !bus->isOpen())
        return nullptr;
    auto transport = makeObject<DBusNotificationTransport>(std::move(bus));
    if (!transport->listen())
        return nullptr;
    return transport;
}

DBusNotificationTransport::DBusNotificationTransport(std::shared_ptr<BusConnection> bus)
    : m_bus(std::move(bus)) {}

DBusNotificationTransport::~DBusNotificationTransport() = default;

bool DBusNotificationTransport::listen() {
    sdbus::IConnection* connection = m_bus->connection();
    if (!connection)
        return false;
    std::weak_ptr<DBusNotificationTransport> weakSelf = weak_from_this();
    auto endpoint = std::make_unique<Endpoint>();
    try {
        endpoint->object = sdbus::createObject(*connection, kObjectPath);
        const std::string rule = std::string("type='signal',interface='") + kInterface +
                                 "',member='" + kSignal + "',path='" + kObjectPath + "'";
        const std::string ownName = m_bus->uniqueName();
        endpoint->match = connection->addMatch(rule, [weakSelf, ownName](sdbus::Message& message) {
            auto self = weakSelf.lock();
            // This process's own posts were delivered when they were made.
            if (!self || message.getSender() == ownName)
                return;
            try {
                // The name is looked at in place before anything is copied.
                char* name = nullptr;
                message >> name;
                if (!name || strnlen(name, kMaximumNameLength + 1) > kMaximumNameLength) {
                    self->noteDropped();
                    return;
                }
                std::vector<std::uint8_t> userInfo;
                message >> userInfo;
                self->receive(name, std::move(userInfo));
            } catch (const std::exception&) {
                // Arguments of another shape: not a post of ours.
                self->noteDropped();
            }
        });
    } catch (const std::exception& failure) {
        SystemLog::shared().write(kLogSource, std::string("cannot listen on the session bus: ") +
                                                  failure.what());
        return false;
    }
    m_endpoint = std::move(endpoint);
    m_bus->addCloseHandler([weakSelf] {
        if (auto self = weakSelf.lock())
            self->busClosed();
    });
    m_bus->attachToRunLoop();
    return true;
}

void DBusNotificationTransport::setReceiver(Receiver receiver) {
    std::lock_guard lock(m_mutex);
    m_receiver = std::move(receiver);
}

void DBusNotificationTransport::post(DistributedNotification notification,
                                     bool /*deliverImmediately*/) {
    // Checked here, on the posting thread, so that a post which could not
    // travel reaches nobody, here or elsewhere.
    std::vector<std::uint8_t> userInfo;
    bool sendable = isSendableName(notification.name);
    if (sendable && notification.userInfo) {
        auto bytes = PropertyListFile::serialize(CFPropertyList(*notification.userInfo));
        if (bytes && bytes->size() <= kMaximumUserInfoBytes)
            userInfo = std::move(*bytes);
        else
            sendable = false;
    }
    if (!sendable) {
        noteDropped();
        return;
    }
    Receiver receiver;
    {
        std::lock_guard lock(m_mutex);
        receiver = m_receiver;
    }
    // The bus is touched on the main thread only; the post is delivered here
    // at the same turn it leaves, as the in-process transport would.
    std::weak_ptr<DBusNotificationTransport> weakSelf = weak_from_this();
    CFRunLoopPerformBlock(CFRunLoopGetMain(),
                          [weakSelf, receiver = std::move(receiver),
                           notification = std::move(notification), userInfo = std::move(userInfo)] {
                              if (auto self = weakSelf.lock())
                                  self->emit(notification.name, userInfo);
                              if (receiver)
                                  receiver(notification);
                          });
}

void DBusNotificationTransport::emit(const std::string& name,
                                     const std::vector<std::uint8_t>& userInfo) {
    if (!m_endpoint || !m_bus->isOpen())
        return;
    try {
        auto signal = m_endpoint->object->createSignal(kInterface, kSignal);
        signal << name << userInfo;
        m_endpoint->object->emitSignal(signal);
    } catch (const std::exception&) {
        noteDropped();
    }
    m_bus->messagesQueued();
}

void DBusNotificationTransport::receive(std::string name, std::vector<std::uint8_t> userInfo) {
    DistributedNotification notification{std::move(name), nullptr, std::nullopt};
    if (!isBusText(notification.name) || notification.name.empty() ||
        userInfo.size() > kMaximumUserInfoBytes) {
        noteDropped();
        return;
    }
    if (!userInfo.empty()) {
        auto value = PropertyListFile::parse(userInfo);
        if (!value || !value->isDictionary()) {
            noteDropped();
            return;
        }
        notification.userInfo = *value->dictionary();
    }
    // Observers run at a turn of their own, outside the bus library's
    // dispatch, exactly as posts made in this process reach them.
    std::weak_ptr<DBusNotificationTransport> weakSelf = weak_from_this();
    CFRunLoopPerformBlock(CFRunLoopGetMain(), [weakSelf, notification = std::move(notification)] {
        if (auto self = weakSelf.lock())
            self->deliver(notification);
    });
}

void DBusNotificationTransport::deliver(const DistributedNotification& notification) {
    Receiver receiver;
    {
        std::lock_guard lock(m_mutex);
        receiver = m_receiver;
    }
    if (receiver)
        receiver(notification);
}

bool DBusNotificationTransport::isConnected() const {
    return m_endpoint && m_bus->isOpen();
}

size_t DBusNotificationTransport::droppedCount() const {
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

void DBusNotificationTransport::noteDropped() {
    std::lock_guard lock(m_mutex);
    ++m_dropped;
}

void DBusNotificationTransport::busClosed() {
    m_endpoint.reset();
    SystemLog::shared().write(kLogSource,
                              "the session bus went away; notifications stay in this process");
}
