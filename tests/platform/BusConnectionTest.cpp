#include "platform/dbus/BusConnection.h"

#include "platform/SessionBusTestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sdbus-c++/sdbus-c++.h>

namespace {

// Sets an environment variable for the life of a test, or clears it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) {
        if (const char* previous = std::getenv(name))
            m_previous = previous;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (m_previous)
            setenv(m_name, m_previous->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_previous;
};

TEST(BusConnection, NoSessionBusIsNoConnectionWithAReason) {
    std::string error;
    {
        ScopedEnvironment unset("DBUS_SESSION_BUS_ADDRESS", nullptr);
        EXPECT_EQ(BusConnection::openSessionBus(&error), nullptr);
        EXPECT_NE(error.find("DBUS_SESSION_BUS_ADDRESS"), std::string::npos) << error;
    }
    {
        ScopedEnvironment empty("DBUS_SESSION_BUS_ADDRESS", "");
        EXPECT_EQ(BusConnection::openSessionBus(), nullptr);
    }
    for (const char* address : {"unix:path=/nonexistent/rotix-bus", "not an address"}) {
        ScopedEnvironment unreachable("DBUS_SESSION_BUS_ADDRESS", address);
        error.clear();
        EXPECT_EQ(BusConnection::openSessionBus(&error), nullptr) << address;
        EXPECT_FALSE(error.empty()) << address;
    }
}

using BusConnectionTest = SessionBusTest;

TEST_F(BusConnectionTest, OpensTheBusTheEnvironmentNames) {
    ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", m_bus.address().c_str());
    auto first = BusConnection::openSessionBus();
    auto second = BusConnection::openSessionBus();
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->isOpen());
    EXPECT_EQ(first->uniqueName().rfind(":", 0), 0u) << first->uniqueName();
    EXPECT_NE(first->uniqueName(), second->uniqueName());
}

TEST_F(BusConnectionTest, CloseHandlersRunOnceWhileTheConnectionStillExists) {
    auto connection = connect();
    ASSERT_TRUE(connection);
    int calls = 0;
    bool sawConnection = false;
    connection->addCloseHandler([&] {
        ++calls;
        sawConnection = connection->connection() != nullptr;
        // Closing again from inside the closing is harmless.
        connection->close();
    });
    connection->addCloseHandler([&] { ++calls; });
    connection->close();
    connection->close();
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(sawConnection);
    EXPECT_FALSE(connection->isOpen());
    EXPECT_EQ(connection->connection(), nullptr);
    // A handler added after the end never runs.
    connection->addCloseHandler([&] { ++calls; });
    connection->close();
    EXPECT_EQ(calls, 2);
}

TEST_F(BusConnectionTest, TheBusGoingAwayClosesAnAttachedConnection) {
    auto connection = connect();
    ASSERT_TRUE(connection);
    connection->attachToRunLoop();
    bool closed = false;
    connection->addCloseHandler([&] { closed = true; });
    m_bus.stop();
    ASSERT_TRUE(runUntil([&] { return closed; }));
    EXPECT_FALSE(connection->isOpen());
}

TEST_F(BusConnectionTest, ACallNobodyAnswersFailsAtItsDeadlineWithNothingElseArriving) {
    auto caller = connect();
    // A peer on the bus that never reads what is sent to it.
    auto silent = connect();
    ASSERT_TRUE(caller && silent);
    caller->attachToRunLoop();
    auto proxy = sdbus::createProxy(*caller->connection(), silent->uniqueName(), "/dev/example");
    bool failed = false;
    proxy->callMethod(
        proxy->createMethodCall("dev.example.Silent", "Wait"),
        [&](sdbus::MethodReply&, const sdbus::Error* error) { failed = error != nullptr; },
        std::chrono::milliseconds(100));
    caller->messagesQueued();
    // Nothing comes in on the socket: only the deadline itself can wake the
    // loop to give the call up.
    EXPECT_TRUE(runUntil([&] { return failed; }));
}

} // namespace
