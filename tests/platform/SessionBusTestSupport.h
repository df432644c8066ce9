#pragma once

#include "platform/dbus/BusConnection.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemLog.h"
#include "support/PrivateSessionBus.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Tests against a real bus daemon of their own. What they wait for comes
// from another process, so the run loop runs on the real clock and blocks on
// the connections' descriptors until the condition holds or a deadline
// passes; nothing here depends on a fixed delay.
class SessionBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousClock = NSRunLoop::mainRunLoop().clock();
        NSRunLoop::mainRunLoop().setClock(std::make_shared<SystemClock>());
        SystemLog::shared().clear();
        ASSERT_TRUE(m_bus.start()) << "dbus-run-session did not start a bus";
    }

    void TearDown() override {
        NSRunLoop::mainRunLoop().runUntilIdle();
        NSRunLoop::mainRunLoop().setClock(m_previousClock);
    }

    // A connection of its own, as another process would have.
    std::shared_ptr<BusConnection> connect() {
        std::string error;
        auto connection = BusConnection::open(m_bus.address(), &error);
        EXPECT_TRUE(connection) << error;
        return connection;
    }

    // Runs the main run loop until the condition holds; false at the deadline.
    static bool runUntil(const std::function<bool()>& condition,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (condition())
                return true;
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            NSRunLoop::mainRunLoop().runFor(0.05);
        }
    }

    PrivateSessionBus m_bus;
    std::shared_ptr<Clock> m_previousClock;
};
