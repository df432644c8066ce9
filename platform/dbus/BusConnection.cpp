#include "platform/dbus/BusConnection.h"

#include "platform/objc/NSObject.h"

#include <cstdlib>
#include <optional>
#include <poll.h>
#include <sdbus-c++/sdbus-c++.h>

std::shared_ptr<BusConnection>
BusConnection::openWith(const std::function<std::unique_ptr<sdbus::IConnection>()>& connect,
                        std::string* error) {
    try {
        auto connection = connect();
        connection->setMethodCallTimeout(kCallTimeout);
        // Asking for the unique name waits for the bus's greeting, so a
        // socket that nothing answers on fails here rather than later.
        std::string uniqueName = connection->getUniqueName();
        return makeObject<BusConnection>(std::move(connection), std::move(uniqueName));
    } catch (const sdbus::Error& failure) {
        if (error)
            *error = failure.getMessage().empty() ? failure.getName() : failure.getMessage();
    } catch (const std::exception& failure) {
        if (error)
            *error = failure.what();
    }
    return nullptr;
}

std::shared_ptr<BusConnection> BusConnection::openSessionBus(std::string* error) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || !*address) {
        if (error)
            *error = "DBUS_SESSION_BUS_ADDRESS is not set";
        return nullptr;
    }
    // The library's own session-bus opening reads the same variable, and
    // unlike the one for an explicit address it frees what it made when the
    // bus cannot be reached.
    return openWith([] { return sdbus::createSessionBusConnection(); }, error);
}

std::shared_ptr<BusConnection> BusConnection::open(const std::string& address, std::string* error) {
    return openWith([&] { return sdbus::createSessionBusConnectionWithAddress(address); }, error);
}

BusConnection::BusConnection(std::unique_ptr<sdbus::IConnection> connection, std::string uniqueName)
    : m_connection(std::move(connection)), m_uniqueName(std::move(uniqueName)) {}

BusConnection::~BusConnection() {
    finishClosing();
}

void BusConnection::setCallTimeout(std::chrono::milliseconds timeout) {
    if (m_connection)
        m_connection->setMethodCallTimeout(timeout);
}

void BusConnection::attachToRunLoop() {
    if (m_attached || !isOpen())
        return;
    m_attached = true;
    updateWatch();
    // Blocking calls made before now may have read messages ahead, which
    // the descriptor will never announce again.
    scheduleDispatch();
}

void BusConnection::addCloseHandler(std::function<void()> handler) {
    if (handler && isOpen())
        m_closeHandlers.push_back(std::move(handler));
}

void BusConnection::messagesQueued() {
    if (m_attached && isOpen())
        scheduleDispatch();
}

void BusConnection::retire(std::unique_ptr<sdbus::IProxy> proxy) {
    if (proxy && m_dispatching)
        m_retired.push_back(std::move(proxy));
    // Otherwise it goes here, with no callback of its own running.
}

void BusConnection::close() {
    // A handler may close the connection from inside the library's own
    // dispatch; it is released on a later turn, once that call has returned.
    if (m_dispatching)
        closeLater();
    else
        finishClosing();
}

void BusConnection::scheduleDispatch() {
    if (m_dispatchQueued)
        return;
    m_dispatchQueued = true;
    std::weak_ptr<BusConnection> weakSelf = weak_from_this();
    NSRunLoop::mainRunLoop().enqueue([weakSelf] {
        if (auto self = weakSelf.lock())
            self->dispatch();
    });
}

void BusConnection::wakeAfter(double seconds) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    CFAbsoluteTime when = loop.now() + seconds;
    if (m_wake && loop.isScheduled(m_wake) && m_wakeTime <= when)
        return;
    if (m_wake)
        loop.cancel(m_wake);
    m_wakeTime = when;
    std::weak_ptr<BusConnection> weakSelf = weak_from_this();
    m_wake = loop.schedule(when, [weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->m_wake = 0;
            self->dispatch();
        }
    });
}

bool BusConnection::dispatch() {
    m_dispatchQueued = false;
    // The library refuses to be entered again from one of its own handlers
    // (a handler that runs the loop); the dispatch under way reads on.
    if (!isOpen() || m_dispatching)
        return false;
    // Handlers may drop the last outside reference while they run.
    auto keepAlive = shared_from_this();
    bool more = false;
    bool lost = false;
    m_dispatching = true;
    try {
        int handled = 0;
        while (!m_closed && m_connection->processPendingRequest()) {
            if (++handled == kMaximumMessagesPerTurn) {
                more = true;
                break;
            }
        }
    } catch (const std::exception&) {
        // The library reports a connection that the bus closed as a failure
        // to process: there is nothing more to read from it.
        lost = true;
    }
    m_dispatching = false;
    m_retired.clear();
    if (lost)
        closeLater();
    if (m_closed)
        return false;
    if (more)
        scheduleDispatch();
    updateWatch();
    return more;
}

void BusConnection::updateWatch() {
    if (!m_attached || !isOpen())
        return;
    sdbus::IConnection::PollData pollData{};
    std::optional<std::chrono::microseconds> timeout;
    try {
        pollData = m_connection->getEventLoopPollData();
        timeout = pollData.getRelativeTimeout();
    } catch (const std::exception&) {
        closeLater();
        return;
    }
    if (timeout) {
        // A little past the library's deadline, so the call has surely timed
        // out when the dispatch looks.
        constexpr double kMargin = 0.001;
        wakeAfter(static_cast<double>(timeout->count()) / 1e6 + kMargin);
    }
    if (m_watch && pollData.fd == m_watchedFd && pollData.events == m_watchedEvents)
        return;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (m_watch)
        loop.unwatch(m_watch);
    m_watchedFd = pollData.fd;
    m_watchedEvents = pollData.events;
    std::weak_ptr<BusConnection> weakSelf = weak_from_this();
    m_watch = loop.watch(pollData.fd, pollData.events, [weakSelf](short revents) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        bool more = self->dispatch();
        // A socket closed at the far end reads as ready for ever: once what
        // was left in it has been read, the bus is gone.
        if (!more && (revents & (POLLHUP | POLLERR | POLLNVAL)))
            self->closeLater();
    });
}

void BusConnection::stopWatching() {
    // A connection never attached has nothing on the run loop, and may
    // belong to another thread.
    if (!m_watch && !m_wake)
        return;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (m_watch)
        loop.unwatch(m_watch);
    m_watch = 0;
    if (m_wake)
        loop.cancel(m_wake);
    m_wake = 0;
}

void BusConnection::closeLater() {
    if (!isOpen())
        return;
    m_closed = true;
    stopWatching();
    // The owners let go of their objects on a later turn, outside whatever
    // callback noticed the end.
    std::weak_ptr<BusConnection> weakSelf = weak_from_this();
    NSRunLoop::mainRunLoop().enqueue([weakSelf] {
        if (auto self = weakSelf.lock())
            self->finishClosing();
    });
}

void BusConnection::finishClosing() {
    // A close handler that closes again finds the closing under way.
    if (!m_connection || m_closing)
        return;
    m_closing = true;
    m_closed = true;
    stopWatching();
    // Objects and match rules on the connection are released by their
    // owners here, while the connection they point into still exists.
    auto handlers = std::move(m_closeHandlers);
    m_closeHandlers.clear();
    for (auto& handler : handlers)
        handler();
    m_retired.clear();
    m_connection.reset();
}
