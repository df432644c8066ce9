#include "platform/dbus/BusConnection.h"

#include "platform/objc/NSObject.h"

#include <chrono>
#include <cstdlib>
#include <sdbus-c++/sdbus-c++.h>

std::shared_ptr<BusConnection>
BusConnection::openWith(const std::function<std::unique_ptr<sdbus::IConnection>()>& connect,
                        std::string* error) {
    try {
        auto connection = connect();
        connection->setMethodCallTimeout(
            std::chrono::microseconds(static_cast<std::int64_t>(kCallTimeoutSeconds * 1'000'000)));
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

void BusConnection::attachToRunLoop() {
    if (m_attached || !m_connection)
        return;
    m_attached = true;
    updateWatch();
    // Blocking calls made before now may have read messages ahead, which
    // the descriptor will never announce again.
    scheduleDispatch();
}

void BusConnection::addCloseHandler(std::function<void()> handler) {
    if (handler && m_connection && !m_closeRequested)
        m_closeHandlers.push_back(std::move(handler));
}

void BusConnection::messagesQueued() {
    if (m_attached && m_connection)
        scheduleDispatch();
}

void BusConnection::close() {
    // A handler may close the connection from inside the library's own
    // dispatch; it is released once that call has returned.
    m_closeRequested = true;
    if (!m_dispatching)
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

void BusConnection::dispatch() {
    m_dispatchQueued = false;
    // The library refuses to be entered again from one of its own handlers
    // (a handler that runs the loop); the dispatch under way reads on.
    if (!m_connection || m_closeRequested || m_dispatching)
        return;
    // Handlers may drop the last outside reference while they run.
    auto keepAlive = shared_from_this();
    bool more = false;
    m_dispatching = true;
    try {
        int handled = 0;
        while (!m_closeRequested && m_connection->processPendingRequest()) {
            if (++handled == kMaximumMessagesPerTurn) {
                more = true;
                break;
            }
        }
    } catch (const std::exception&) {
        // The library reports a connection that the bus closed as a failure
        // to process: there is nothing more to read from it.
        m_closeRequested = true;
    }
    m_dispatching = false;
    if (m_closeRequested) {
        finishClosing();
        return;
    }
    if (more)
        scheduleDispatch();
    updateWatch();
}

void BusConnection::updateWatch() {
    if (!m_attached || !m_connection)
        return;
    int fd = -1;
    short events = 0;
    try {
        auto pollData = m_connection->getEventLoopPollData();
        fd = pollData.fd;
        events = pollData.events;
    } catch (const std::exception&) {
        m_closeRequested = true;
        finishClosing();
        return;
    }
    if (m_watch && fd == m_watchedFd && events == m_watchedEvents)
        return;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (m_watch)
        loop.unwatch(m_watch);
    m_watchedFd = fd;
    m_watchedEvents = events;
    std::weak_ptr<BusConnection> weakSelf = weak_from_this();
    m_watch = loop.watch(fd, events, [weakSelf](short) {
        if (auto self = weakSelf.lock())
            self->dispatch();
    });
}

void BusConnection::finishClosing() {
    // A close handler that closes again finds the closing under way.
    if (!m_connection || m_closing)
        return;
    m_closing = true;
    m_closeRequested = true;
    if (m_watch)
        NSRunLoop::mainRunLoop().unwatch(m_watch);
    m_watch = 0;
    // Objects and match rules on the connection are released by their
    // owners here, while the connection they point into still exists.
    auto handlers = std::move(m_closeHandlers);
    m_closeHandlers.clear();
    for (auto& handler : handlers)
        handler();
    m_connection.reset();
}
