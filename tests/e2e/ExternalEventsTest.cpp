#include "platform/corefoundation/CFNotificationCenter.h"
#include "platform/dbus/DBusNotificationTransport.h"
#include "platform/corefoundation/PropertyListFile.h"
#include "platform/dbus/BusConnection.h"
#include "platform/foundation/NSRunLoop.h"
#include "support/LiveHost.h"
#include "support/PrivateSessionBus.h"
#include "support/ProgramRun.h"

#include <algorithm>
#include <gtest/gtest.h>

// Events from other programs reaching a live home-screen host over a
// session bus of the test's own: the `activator` tool, and "rotixToggle"
// posted by another process.
namespace {

using namespace std::chrono_literals;

bool listShown(const DumpNode& dump) {
    return !dump["lockScreen"]["notificationList"]["scrollViewHidden"].asBool();
}

size_t lineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class ExternalEvents : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_bus.start()) << "dbus-run-session did not start"; }

    // Starts the host on the private bus and waits until it serves there.
    void startHostOnTheBus() {
        ASSERT_TRUE(m_host.start({}, {{"DBUS_SESSION_BUS_ADDRESS", m_bus.address()}}));
        auto ready = m_host.waitFor(
            [](const DumpNode& dump) { return dump["sessionBus"]["activator"].asBool(); }, 20s);
        ASSERT_TRUE(ready) << m_host.standardError();
        EXPECT_TRUE((*ready)["sessionBus"]["connected"].asBool());
        EXPECT_EQ((*ready)["sessionBus"]["notifications"].asString(), "session bus");
        EXPECT_FALSE(listShown(*ready));
    }

    ProgramRun activator(const std::vector<std::string>& arguments,
                         std::optional<std::string> address = std::nullopt) {
        std::vector<std::string> command = {ROTIX_ACTIVATOR_PATH};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return ProgramRun::run(command, {{"DBUS_SESSION_BUS_ADDRESS", address}});
    }

    PrivateSessionBus m_bus;
    LiveHost m_host{ROTIX_SPRINGBOARD_PATH};
};

TEST_F(ExternalEvents, ActivatorSendTogglesTheNotificationListOfARunningHost) {
    startHostOnTheBus();
    auto first = activator({"send", "org.brenwick.rotix"}, m_bus.address());
    EXPECT_EQ(first.status, 0) << first.errors;
    EXPECT_EQ(first.errors, "");
    EXPECT_TRUE(m_host.waitFor(listShown, 10s)) << m_host.standardError();

    auto second = activator({"send", "org.brenwick.rotix"}, m_bus.address());
    EXPECT_EQ(second.status, 0) << second.errors;
    EXPECT_TRUE(m_host.waitFor([](const DumpNode& dump) { return !listShown(dump); }, 10s));
    EXPECT_EQ(m_host.finish(), 0) << m_host.standardError();
}

TEST_F(ExternalEvents, ActivatorListsTheHostsListenersAndNamesAnUnknownOne) {
    startHostOnTheBus();
    auto list = activator({"list"}, m_bus.address());
    EXPECT_EQ(list.status, 0) << list.errors;
    EXPECT_NE(list.output.find("org.brenwick.rotix\tRotix\tToggle Notification Visibility\n"),
              std::string::npos)
        << list.output;

    auto unknown = activator({"send", "org.example.nobody"}, m_bus.address());
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(lineCount(unknown.errors), 1u) << unknown.errors;
    EXPECT_NE(unknown.errors.find("'org.example.nobody'"), std::string::npos) << unknown.errors;
    auto dump = m_host.dump();
    ASSERT_TRUE(dump);
    EXPECT_FALSE(listShown(*dump));
    EXPECT_EQ(m_host.finish(), 0);
}

TEST_F(ExternalEvents, RotixTogglePostedByOtherProgramsReachesTheHost) {
    startHostOnTheBus();
    // A program that knows nothing of ours but the signal: dbus-send, with
    // the user info as property-list bytes.
    auto bytes = PropertyListFile::serialize(
        CFPropertyList(CFDictionary{{"isHidden", CFPropertyList(true)}}));
    ASSERT_TRUE(bytes);
    std::string list;
    for (auto byte : *bytes)
        list += (list.empty() ? "" : ",") + std::to_string(byte);
    auto sent = ProgramRun::run({"/usr/bin/dbus-send", "--session", "--type=signal",
                                 DBusNotificationTransport::kObjectPath,
                                 std::string(DBusNotificationTransport::kInterface) + "." +
                                     DBusNotificationTransport::kSignal,
                                 "string:rotixToggle", "array:byte:" + list},
                                {{"DBUS_SESSION_BUS_ADDRESS", m_bus.address()}});
    ASSERT_EQ(sent.status, 0) << sent.errors;
    EXPECT_TRUE(m_host.waitFor(listShown, 10s)) << m_host.standardError();

    // This test's own process, posting through the same centre and
    // transport the host uses.
    auto connection = BusConnection::open(m_bus.address());
    ASSERT_TRUE(connection);
    auto transport = DBusNotificationTransport::create(connection);
    ASSERT_TRUE(transport);
    auto center = CFNotificationCenter::create(transport);
    CFDictionary info{{"isHidden", CFPropertyList(false)}};
    center->post("rotixToggle", nullptr, &info, true);
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_TRUE(m_host.waitFor([](const DumpNode& dump) { return !listShown(dump); }, 10s));
    EXPECT_EQ(m_host.finish(), 0) << m_host.standardError();
}

TEST_F(ExternalEvents, WhenTheBusGoesAwayTheHostGoesOnInItsOwnProcess) {
    startHostOnTheBus();
    m_bus.stop();
    auto alone = m_host.waitFor(
        [](const DumpNode& dump) { return !dump["sessionBus"]["connected"].asBool(); }, 10s);
    ASSERT_TRUE(alone) << m_host.standardError();
    EXPECT_EQ((*alone)["sessionBus"]["notifications"].asString(), "in-process");
    EXPECT_FALSE((*alone)["sessionBus"]["activator"].asBool());
    ASSERT_TRUE(m_host.send("activator org.brenwick.rotix"));
    EXPECT_TRUE(m_host.waitFor(listShown, 10s));
    EXPECT_EQ(m_host.finish(), 0) << m_host.standardError();
}

TEST_F(ExternalEvents, WithoutABusTheHostKeepsToItselfSilently) {
    ASSERT_TRUE(m_host.start());
    auto first = m_host.dump();
    ASSERT_TRUE(first) << m_host.standardError();
    EXPECT_FALSE((*first)["sessionBus"]["connected"].asBool());
    EXPECT_EQ((*first)["sessionBus"]["notifications"].asString(), "in-process");
    ASSERT_TRUE(m_host.send("activator org.brenwick.rotix"));
    EXPECT_TRUE(m_host.waitFor(listShown, 10s));
    EXPECT_EQ(m_host.finish(), 0);
    EXPECT_EQ(m_host.standardError(), "");
}

TEST_F(ExternalEvents, ActivatorWithoutAHostSaysSoInOneLine) {
    auto run = activator({"send", "org.brenwick.rotix"}, m_bus.address());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(lineCount(run.errors), 1u) << run.errors;
    EXPECT_NE(run.errors.find("no home-screen host"), std::string::npos) << run.errors;
}

TEST_F(ExternalEvents, ActivatorRefusesBadArgumentsAndAMissingBusInOneLine) {
    const std::vector<std::vector<std::string>> wrong = {
        {},         {"send"},        {"send", ""}, {"send", "a", "b"}, {"list", "x"},
        {"toggle"}, {"send", "\xFF"}};
    for (const auto& arguments : wrong) {
        auto run = activator(arguments, m_bus.address());
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(arguments);
        EXPECT_EQ(lineCount(run.errors), 1u) << run.errors;
        EXPECT_EQ(run.output, "");
    }
    auto unset = activator({"send", "org.brenwick.rotix"});
    EXPECT_EQ(unset.status, 2);
    EXPECT_EQ(lineCount(unset.errors), 1u) << unset.errors;
    auto gone = activator({"send", "org.brenwick.rotix"}, "unix:path=/nonexistent/rotix-bus");
    EXPECT_EQ(gone.status, 2);
    EXPECT_EQ(lineCount(gone.errors), 1u) << gone.errors;
}

} // namespace
