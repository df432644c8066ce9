#include "platform/mediaremote/mpris/MprisBusConnection.h"

#include "platform/objc/NSObject.h"

#include <poll.h>
#include <sdbus-c++/sdbus-c++.h>

std::shared_ptr<MprisBusConnection> MprisBusConnection::connectToSessionBus() {
    try {
        // The address comes from DBUS_SESSION_BUS_ADDRESS, else the user's
        // runtime folder; opening waits for the bus's greeting, so a socket
        // nothing answers on fails here.
        auto connection = sdbus::createSessionBusConnection();
        connection->setMethodCallTimeout(kCallTimeout);
        return makeObject<MprisBusConnection>(std::move(connection));
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::shared_ptr<MprisBusConnection>
MprisBusConnection::connectToAddress(const std::string& address) {
    try {
        auto connection = sdbus::createSessionBusConnectionWithAddress(address);
        connection->setMethodCallTimeout(kCallTimeout);
        return makeObject<MprisBusConnection>(std::move(connection));
    } catch (const std::exception&) {
        return nullptr;
    }
}

MprisBusConnection::MprisBusConnection(std::unique_ptr<sdbus::IConnection> connection)
    : m_connection(std::move(connection)) {}

MprisBusConnection::~MprisBusConnection() {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (m_watch)
        loop.unwatch(m_watch);
    if (m_wake)
        loop.cancel(m_wake);
}

void MprisBusConnection::start() {
    if (m_started || !m_connected)
        return;
    m_started = true;
    // Calls made before now may have read messages ahead, which the
    // descriptor will never announce again.
    scheduleDispatch(0);
    updateWatch();
}

void MprisBusConnection::setLostHandler(LostHandler handler) {
    m_lostHandler = std::move(handler);
}

void MprisBusConnection::callsQueued() {
    if (m_connected && m_started && !m_dispatching)
        updateWatch();
}

void MprisBusConnection::retire(std::unique_ptr<sdbus::IProxy> proxy) {
    if (!proxy)
        return;
    if (m_dispatching)
        m_retired.push_back(std::move(proxy));
    // Otherwise it goes here, with no callback of its own running.
}

void MprisBusConnection::dispatch() {
    if (!m_connected)
        return;
    // A handler may drop the last outside reference while it runs.
    auto keepAlive = shared_from_this();
    bool more = false;
    bool failed = false;
    m_dispatching = true;
    try {
        int handled = 0;
        while (m_connection->processPendingRequest()) {
            if (++handled == kMaximumMessagesPerTurn) {
                more = true;
                break;
            }
        }
    } catch (const std::exception&) {
        // The library reports a bus that went away as a failure to process.
        failed = true;
    }
    m_dispatching = false;
    m_retired.clear();
    if (failed) {
        lose();
        return;
    }
    if (more)
        scheduleDispatch(0);
    updateWatch();
}

void MprisBusConnection::scheduleDispatch(double delaySeconds) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    CFAbsoluteTime when = loop.now() + delaySeconds;
    if (m_wake && loop.isScheduled(m_wake) && m_wakeTime <= when)
        return;
    if (m_wake)
        loop.cancel(m_wake);
    m_wakeTime = when;
    std::weak_ptr<MprisBusConnection> weakSelf = weak_from_this();
    m_wake = loop.schedule(when, [weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->m_wake = 0;
            self->dispatch();
        }
    });
}

void MprisBusConnection::updateWatch() {
    if (!m_connected || !m_started)
        return;
    sdbus::IConnection::PollData pollData{};
    std::optional<std::chrono::microseconds> timeout;
    try {
        pollData = m_connection->getEventLoopPollData();
        timeout = pollData.getRelativeTimeout();
    } catch (const std::exception&) {
        lose();
        return;
    }
    if (timeout) {
        // A little past the library's deadline, so the call has surely timed
        // out when the dispatch looks.
        constexpr double kMargin = 0.001;
        scheduleDispatch(static_cast<double>(timeout->count()) / 1e6 + kMargin);
    }
    if (m_watch && pollData.fd == m_watchedFd && pollData.events == m_watchedEvents)
        return;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (m_watch)
        loop.unwatch(m_watch);
    m_watchedFd = pollData.fd;
    m_watchedEvents = pollData.events;
    std::weak_ptr<MprisBusConnection> weakSelf = weak_from_this();
    m_watch = loop.watch(pollData.fd, pollData.events, [weakSelf](short revents) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        self->dispatch();
        // A socket closed at the far end reads as ready for ever: once what
        // was left in it has been read, the bus is gone.
        if (revents & (POLLHUP | POLLERR | POLLNVAL))
            self->lose();
    });
}

void MprisBusConnection::lose() {
    if (!m_connected)
        return;
    m_connected = false;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (m_watch)
        loop.unwatch(m_watch);
    m_watch = 0;
    if (m_wake)
        loop.cancel(m_wake);
    m_wake = 0;
    // The owner lets go of its players on a later turn, outside whatever
    // callback noticed the loss.
    std::weak_ptr<MprisBusConnection> weakSelf = weak_from_this();
    loop.enqueue([weakSelf] {
        auto self = weakSelf.lock();
        if (self && self->m_lostHandler)
            self->m_lostHandler();
    });
}
