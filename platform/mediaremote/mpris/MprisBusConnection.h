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

// The now-playing source's own connection to the session bus, read from the
// main run loop's descriptor watch: every reply and signal is handled on the
// main thread, and the library never starts a thread of its own. The
// library's call timeouts are kept by waking the run loop when one is due.
// Main thread only.
class MprisBusConnection : public std::enable_shared_from_this<MprisBusConnection> {
public:
    // A call that blocks (only the bus's own, at start-up) gives up after
    // this long: a bus that hangs must not hold up the lock screen.
    static constexpr std::chrono::milliseconds kCallTimeout{250};
    // A call answered later never blocks anything; it gives up after this
    // long, so a player that hangs leaves nothing pending for ever. It is
    // longer than the blocking limit because the library looks at deadlines
    // before it reads: a reply that came in time must not be lost because
    // the main thread was busy drawing when it arrived.
    static constexpr std::chrono::milliseconds kReplyTimeout{5000};
    using LostHandler = std::function<void()>;

    // Nothing when there is no session bus to reach (none configured, or
    // nothing answering where it should be).
    static std::shared_ptr<MprisBusConnection> connectToSessionBus();
    // A session bus at a known address (a private one, for tests).
    static std::shared_ptr<MprisBusConnection> connectToAddress(const std::string& address);
    ~MprisBusConnection();
    MprisBusConnection(const MprisBusConnection&) = delete;
    MprisBusConnection& operator=(const MprisBusConnection&) = delete;

    // Valid while isConnected(); after the bus is lost the library's
    // connection stays, answering every call with an error, until this
    // object goes.
    sdbus::IConnection& connection() { return *m_connection; }
    bool isConnected() const { return m_connected; }

    // Starts reading from the run loop.
    void start();
    // Runs once, on a later turn of the run loop, when the bus goes away.
    void setLostHandler(LostHandler handler);
    // Calls were queued from outside a dispatch: the run loop must watch for
    // what the socket did not take yet, and for their timeouts.
    void callsQueued();
    // A proxy must not be destroyed inside one of its own callbacks: it is
    // kept until the dispatch that runs them is over.
    void retire(std::unique_ptr<sdbus::IProxy> proxy);

protected:
    explicit MprisBusConnection(std::unique_ptr<sdbus::IConnection> connection);

private:
    // A flood from one player still lets the lock screen draw: past this
    // many messages the rest wait for the next turn of the run loop.
    static constexpr int kMaximumMessagesPerTurn = 64;

    void dispatch();
    void scheduleDispatch(double delaySeconds);
    void updateWatch();
    void lose();

    std::unique_ptr<sdbus::IConnection> m_connection;
    // Declared after the connection, so they go first.
    std::vector<std::unique_ptr<sdbus::IProxy>> m_retired;
    LostHandler m_lostHandler;
    bool m_connected = true;
    bool m_started = false;
    bool m_dispatching = false;
    NSRunLoop::Token m_watch = 0;
    int m_watchedFd = -1;
    short m_watchedEvents = 0;
    NSRunLoop::Token m_wake = 0;
    CFAbsoluteTime m_wakeTime = 0;
};
