#pragma once

#include "platform/foundation/NSRunLoop.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sdbus {
class IConnection;
}

// A connection to a message bus that this process owns and reads from the
// main run loop's descriptor watch, so every handler runs on the main thread
// and no event-loop thread of the library's own is ever started. Used from
// the main thread only.
//
// A bus that goes away closes the connection: the close handlers run once,
// and the owners of objects on the connection let them go there.
class BusConnection : public std::enable_shared_from_this<BusConnection> {
public:
    // Blocking calls (name requests, match rules, a tool's method calls)
    // give up after this long rather than hang on a bus that stopped
    // answering.
    static constexpr double kCallTimeoutSeconds = 2.0;

    // The session bus named by DBUS_SESSION_BUS_ADDRESS: nothing when the
    // variable is unset or empty, or nothing answers there; the reason goes
    // to `error`.
    static std::shared_ptr<BusConnection> openSessionBus(std::string* error = nullptr);
    // A bus at an explicit address, for tests with a bus of their own. When
    // nothing answers there, the bus library keeps a little memory it made
    // for the attempt: programs reach their bus through openSessionBus().
    static std::shared_ptr<BusConnection> open(const std::string& address,
                                               std::string* error = nullptr);

    BusConnection(const BusConnection&) = delete;
    BusConnection& operator=(const BusConnection&) = delete;
    ~BusConnection();

    bool isOpen() const { return m_connection != nullptr; }
    // The library's connection; nothing once closed.
    sdbus::IConnection* connection() const { return m_connection.get(); }
    const std::string& uniqueName() const { return m_uniqueName; }

    // Starts reading incoming messages from the main run loop.
    void attachToRunLoop();
    // Runs once when the connection closes, before the library's connection
    // is released.
    void addCloseHandler(std::function<void()> handler);
    // Messages were queued outside a dispatch (a signal, a blocking call that
    // may have read other messages meanwhile): whatever the socket did not
    // take, and whatever was read ahead, is seen to at the next turn.
    void messagesQueued();
    void close();

protected:
    BusConnection(std::unique_ptr<sdbus::IConnection> connection, std::string uniqueName);

private:
    // A flood from another program still lets the loop breathe: after this
    // many messages the rest wait for the next turn.
    static constexpr int kMaximumMessagesPerTurn = 64;

    static std::shared_ptr<BusConnection>
    openWith(const std::function<std::unique_ptr<sdbus::IConnection>()>& connect,
             std::string* error);

    void dispatch();
    void scheduleDispatch();
    void updateWatch();
    void finishClosing();

    std::unique_ptr<sdbus::IConnection> m_connection;
    std::string m_uniqueName;
    std::vector<std::function<void()>> m_closeHandlers;
    NSRunLoop::Token m_watch = 0;
    int m_watchedFd = -1;
    short m_watchedEvents = 0;
    bool m_attached = false;
    bool m_dispatching = false;
    bool m_dispatchQueued = false;
    bool m_closeRequested = false;
    bool m_closing = false;
};
