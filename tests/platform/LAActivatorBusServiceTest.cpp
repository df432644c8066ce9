#include "platform/activator/LAActivatorBusService.h"

#include "platform/SessionBusTestSupport.h"
#include "platform/activator/LAActivator.h"
#include "platform/activator/LAActivatorBusClient.h"

#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

class RecordingListener : public NSObject, public LAListener {
public:
    static std::shared_ptr<RecordingListener> create() { return makeObject<RecordingListener>(); }

    void activatorReceiveEvent(LAActivator&, const std::shared_ptr<LAEvent>& event) override {
        events.push_back(event->name());
        onMainThread = onMainThread && NSRunLoop::isMainThread();
    }
    std::string activatorRequiresLocalizedTitleForListenerName(LAActivator&,
                                                               const std::string&) override {
        return "Recorder";
    }
    std::string activatorRequiresLocalizedDescriptionForListenerName(LAActivator&,
                                                                     const std::string&) override {
        return "Writes events down";
    }

    std::vector<std::string> events;
    bool onMainThread = true;

protected:
    RecordingListener() = default;
};

// The event library of a process, as LAActivator::sharedInstance() is; each
// test has its own.
class TestActivator : public LAActivator {
public:
    static std::shared_ptr<LAActivator> create() { return makeObject<TestActivator>(); }

protected:
    TestActivator() = default;
};

class LAActivatorBusServiceTest : public SessionBusTest {
protected:
    void SetUp() override {
        SessionBusTest::SetUp();
        m_activator = TestActivator::create();
        m_listener = RecordingListener::create();
        m_activator->registerListener(m_listener, "org.example.recorder");
        m_hostConnection = connect();
        std::string error;
        m_service = LAActivatorBusService::create(m_hostConnection, m_activator, &error);
        ASSERT_TRUE(m_service) << error;
    }

    // A tool in another process makes blocking calls; here it gets a thread
    // and a connection of its own while the main run loop serves.
    template <class Call>
    auto fromAnotherProgram(Call call) {
        auto address = m_bus.address();
        auto future = std::async(std::launch::async, [address, call] {
            auto connection = BusConnection::open(address);
            return call(connection ? std::optional<LAActivatorBusClient>(std::in_place, *connection)
                                   : std::nullopt);
        });
        EXPECT_TRUE(runUntil(
            [&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        return future.get();
    }

    LAActivatorBusClient::Outcome send(const std::string& listenerName) {
        return fromAnotherProgram([listenerName](std::optional<LAActivatorBusClient> client) {
            return client ? client->sendEvent(listenerName) : LAActivatorBusClient::Outcome::Failed;
        });
    }

    std::shared_ptr<LAActivator> m_activator;
    std::shared_ptr<RecordingListener> m_listener;
    std::shared_ptr<BusConnection> m_hostConnection;
    std::shared_ptr<LAActivatorBusService> m_service;
};

TEST_F(LAActivatorBusServiceTest, AnEventSentByNameReachesTheListenerOnTheMainThread) {
    EXPECT_EQ(send("org.example.recorder"), LAActivatorBusClient::Outcome::Handled);
    EXPECT_EQ(send("org.example.recorder"), LAActivatorBusClient::Outcome::Handled);
    EXPECT_EQ(m_listener->events, (std::vector<std::string>{LAActivatorBusService::kEventName,
                                                            LAActivatorBusService::kEventName}));
    EXPECT_TRUE(m_listener->onMainThread);
}

TEST_F(LAActivatorBusServiceTest, UnknownEmptyAndOverlongNamesReachNobody) {
    EXPECT_EQ(send("org.example.nobody"), LAActivatorBusClient::Outcome::NoListener);
    EXPECT_EQ(send(""), LAActivatorBusClient::Outcome::NoListener);
    std::string overlong = "org.example.recorder" +
                           std::string(LAActivatorBusService::kMaximumListenerNameLength, 'x');
    EXPECT_EQ(send(overlong), LAActivatorBusClient::Outcome::NoListener);
    EXPECT_TRUE(m_listener->events.empty());
}

TEST_F(LAActivatorBusServiceTest, AListenerThatWentAwayIsNoListener) {
    m_listener.reset();
    EXPECT_EQ(send("org.example.recorder"), LAActivatorBusClient::Outcome::NoListener);
}

TEST_F(LAActivatorBusServiceTest, ListsTheRegisteredListenersWithTheirTexts) {
    auto listeners = fromAnotherProgram([](std::optional<LAActivatorBusClient> client) {
        return client ? client->listeners() : std::nullopt;
    });
    ASSERT_TRUE(listeners);
    ASSERT_EQ(listeners->size(), 1u);
    EXPECT_EQ((*listeners)[0].name, "org.example.recorder");
    EXPECT_EQ((*listeners)[0].title, "Recorder");
    EXPECT_EQ((*listeners)[0].description, "Writes events down");
    EXPECT_EQ((*listeners)[0].group, "");
}

TEST_F(LAActivatorBusServiceTest, OneHostHoldsTheNameAndNoHostIsSaidSo) {
    std::string error;
    auto second = LAActivatorBusService::create(connect(), m_activator, &error);
    EXPECT_EQ(second, nullptr);
    EXPECT_FALSE(error.empty());
    // The first one still answers.
    EXPECT_EQ(send("org.example.recorder"), LAActivatorBusClient::Outcome::Handled);

    m_service.reset();
    EXPECT_EQ(send("org.example.recorder"), LAActivatorBusClient::Outcome::NoHost);
    // Its connection goes on, and the name is free for another host.
    auto third = LAActivatorBusService::create(connect(), m_activator, &error);
    ASSERT_TRUE(third) << error;
    EXPECT_EQ(send("org.example.recorder"), LAActivatorBusClient::Outcome::Handled);
}

TEST_F(LAActivatorBusServiceTest, TheBusGoingAwayEndsTheService) {
    EXPECT_TRUE(m_service->isServing());
    m_bus.stop();
    ASSERT_TRUE(runUntil([&] { return !m_service->isServing(); }));
    EXPECT_FALSE(m_hostConnection->isOpen());
}

} // namespace
