#pragma once

#include "platform/corefoundation/DistributedNotificationTransport.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class BusConnection;

// Carries distributed notifications between the processes of a desktop
// session as a signal on the session bus: the name and the user info (as
// property-list bytes, empty for none). Objects stay behind: a pointer means
// nothing in another process, so notifications from elsewhere arrive with
// none.
//
// A process's own posts are delivered to it directly, in order, and its own
// signals coming back from the bus are ignored, so each post arrives once.
// When the bus goes away the transport goes on as the in-process one does.
class DBusNotificationTransport : public DistributedNotificationTransport,
                                  public std::enable_shared_from_this<DBusNotificationTransport> {
public:
    static constexpr const char* kInterface = "dev.varlo.Rotix.DistributedNotification";
    static constexpr const char* kObjectPath = "/dev/varlo/Rotix/DistributedNotification";
    static constexpr const char* kSignal = "Post";
    // Posts past these bounds are dropped, sent or received.
    static constexpr size_t kMaximumNameLength = 1024;
    static constexpr size_t kMaximumUserInfoBytes = 64 * 1024;

    // Listens on the connection and reads it from the main run loop; nothing
    // when the connection is closed or the bus refuses the match rule. Call
    // on the main thread.
    static std::shared_ptr<DBusNotificationTransport> create(std::shared_ptr<BusConnection> bus);
    ~DBusNotificationTransport() override;

    void setReceiver(Receiver receiver) override;
    void post(DistributedNotification notification, bool deliverImmediately) override;

    // Whether posts still leave the process (main thread).
    bool isConnected() const;
    // Notifications refused for their size or shape, posted or received.
    size_t droppedCount() const;

protected:
    explicit DBusNotificationTransport(std::shared_ptr<BusConnection> bus);

private:
    struct Endpoint;

    bool listen();
    void emit(const std::string& name, const std::vector<std::uint8_t>& userInfo);
    void receive(std::string name, std::vector<std::uint8_t> userInfo);
    void deliver(const DistributedNotification& notification);
    void noteDropped();
    void busClosed();

    std::shared_ptr<BusConnection> m_bus;
    // Declared after the connection, so it is released first.
    std::unique_ptr<Endpoint> m_endpoint;
    mutable std::mutex m_mutex;
    Receiver m_receiver;
    size_t m_dropped = 0;
};
