#pragma once

#include "platform/foundation/NSRunLoop.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sdbus {
class IConnection;
class IProxy;
} // namespace sdbus

// A connection to a message bus that this process owns and reads from the
// main run loop's descriptor watch, so every handler runs on the main thread
// and no event-loop thread of the library's own is ever started. The
// library's call timeouts are kept by waking the run loop when one is due.
// Once attached, used from the main thread only.
//
// close() closes the connection at once (or as soon as the dispatch under
// way returns). A bus that goes away stops the connection at once, every
// call on it failing, and closes it on a later turn of the run loop, outside
// whatever call noticed the loss. Either way the close handlers run once,
// and the owners of objects on the connection let them go there.
class BusConnection : public std::enable_shared_from_this<BusConnection> {
public:
    // Blocking calls (name requests, match rules, a tool's method calls)
    // give up after this long rather than hang on a bus that stopped
    // answering; an owner with a tighter bound sets its own.
    static constexpr std::chrono::milliseconds kCallTimeout{2000};
    // A call answered later never blocks anything; it gives up after this
    // long, so a peer that hangs leaves nothing pending for ever. It is
    // longer than any blocking limit because the library looks at deadlines
    // before it reads: a reply that came in time must not be lost because
    // the main thread was busy drawing when it arrived.
    static constexpr std::chrono::milliseconds kReplyTimeout{5000};

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

    bool isOpen() const { return m_connection && !m_closed; }
    // The library's connection; nothing once it has been released.
    sdbus::IConnection* connection() const { return m_connection.get(); }
    const std::string& uniqueName() const { return m_uniqueName; }

    void setCallTimeout(std::chrono::milliseconds timeout);
    // Starts reading incoming messages from the main run loop.
    void attachToRunLoop();
    // Runs once when the connection closes, before the library's connection
    // is released.
    void addCloseHandler(std::function<void()> handler);
    // Messages or calls were queued outside a dispatch (a signal, a call
    // answered later, a blocking call that may have read other messages
    // meanwhile): whatever the socket did not take, whatever was read ahead,
    // and the calls' deadlines are seen to from the next turn.
    void messagesQueued();
    // A proxy must not be destroyed inside one of its own callbacks: it is
    // kept until the dispatch that runs them is over.
    void retire(std::unique_ptr<sdbus::IProxy> proxy);
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

    // Answers whether messages were left for a later turn.
    bool dispatch();
    void scheduleDispatch();
    void wakeAfter(double seconds);
    void updateWatch();
    void stopWatching();
    void closeLater();
    void finishClosing();

    std::unique_ptr<sdbus::IConnection> m_connection;
    // Declared after the connection, so they go first.
    std::vector<std::unique_ptr<sdbus::IProxy>> m_retired;
    std::string m_uniqueName;
    std::vector<std::function<void()>> m_closeHandlers;
    NSRunLoop::Token m_watch = 0;
    int m_watchedFd = -1;
    short m_watchedEvents = 0;
    NSRunLoop::Token m_wake = 0;
    CFAbsoluteTime m_wakeTime = 0;
    bool m_attached = false;
    bool m_dispatching = false;
    bool m_dispatchQueued = false;
    bool m_closed = false;
    bool m_closing = false;
};
