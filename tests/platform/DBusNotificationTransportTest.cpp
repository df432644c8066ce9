#include "platform/dbus/DBusNotificationTransport.h"

#include "platform/SessionBusTestSupport.h"
#include "platform/corefoundation/CFNotificationCenter.h"
#include "platform/corefoundation/PropertyListFile.h"
#include "platform/dbus/BusConnection.h"
#include "platform/system/SystemLog.h"
#include "support/ProgramRun.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

// What one observer saw, in order.
struct Journal {
    struct Entry {
        std::string name;
        const void* object;
        std::optional<CFDictionary> userInfo;
    };
    std::vector<Entry> entries;

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : entries)
            result.push_back(entry.name);
        return result;
    }
    size_t count(const std::string& name) const {
        return std::count_if(entries.begin(), entries.end(),
                             [&](const Entry& entry) { return entry.name == name; });
    }
};

void record(CFNotificationCenterRef, void* observer, const std::string& name, const void* object,
            const CFDictionary* userInfo) {
    auto* journal = static_cast<Journal*>(observer);
    journal->entries.push_back(
        {name, object, userInfo ? std::optional<CFDictionary>(*userInfo) : std::nullopt});
}

// One process's end: its connection, transport and centre, and everything
// its observer saw.
struct Peer {
    std::shared_ptr<BusConnection> connection;
    std::shared_ptr<DBusNotificationTransport> transport;
    std::shared_ptr<CFNotificationCenter> center;
    Journal journal;

    void observe(const std::string& name = {}) {
        center->addObserver(&journal, record, name, nullptr,
                            CFNotificationSuspensionBehaviorDeliverImmediately);
    }
    void post(const std::string& name, const CFDictionary* userInfo = nullptr,
              const void* object = nullptr) {
        center->post(name, object, userInfo, true);
    }
};

class DBusNotificationTransportTest : public SessionBusTest {
protected:
    std::unique_ptr<Peer> peer() {
        auto result = std::make_unique<Peer>();
        result->connection = connect();
        result->transport = DBusNotificationTransport::create(result->connection);
        EXPECT_TRUE(result->transport);
        result->center = CFNotificationCenter::create(result->transport);
        result->observe();
        return result;
    }

    // Signals between two connections keep their order, so once a fence
    // posted after everything else has arrived, so has everything before it.
    void fence(Peer& from, Peer& to, const std::string& name = "fence") {
        from.post(name);
        ASSERT_TRUE(runUntil([&] { return to.journal.count(name) > 0; }));
    }
};

TEST_F(DBusNotificationTransportTest, APostReachesAnotherProcessWithItsUserInfoKindsKept) {
    auto sender = peer();
    auto receiver = peer();
    int marker = 0;
    CFDictionary info{
        {"isHidden", CFPropertyList(true)},
        {"count", CFPropertyList(std::int64_t{1})},
        {"ratio", CFPropertyList(0.5)},
        {"label", CFPropertyList("true")},
        {"bytes", CFPropertyList::data({0, 1, 255})},
        {"when", CFPropertyList(CFDate{786'000'000.25})},
        {"nested",
         CFPropertyList(CFArray{CFPropertyList(CFDictionary{{"deep", CFPropertyList(false)}})})}};
    sender->post("rotixToggle", &info, &marker);

    ASSERT_TRUE(runUntil([&] { return receiver->journal.count("rotixToggle") == 1; }));
    const auto& arrived = receiver->journal.entries.front();
    // An object is an address in the sender's memory: it does not travel.
    EXPECT_EQ(arrived.object, nullptr);
    ASSERT_TRUE(arrived.userInfo);
    EXPECT_EQ(*arrived.userInfo, info);
    EXPECT_TRUE(arrived.userInfo->at("isHidden").isBoolean());
    EXPECT_TRUE(arrived.userInfo->at("label").isString());
    EXPECT_TRUE(arrived.userInfo->at("when").isDate());
    // The sender's own observer saw its own object.
    ASSERT_EQ(sender->journal.count("rotixToggle"), 1u);
    EXPECT_EQ(sender->journal.entries.front().object, &marker);
}

TEST_F(DBusNotificationTransportTest, APostWithoutUserInfoArrivesWithout) {
    auto sender = peer();
    auto receiver = peer();
    CFDictionary empty;
    sender->post("bare");
    sender->post("empty", &empty);
    fence(*sender, *receiver);
    ASSERT_EQ(receiver->journal.names(), (std::vector<std::string>{"bare", "empty", "fence"}));
    EXPECT_FALSE(receiver->journal.entries[0].userInfo);
    ASSERT_TRUE(receiver->journal.entries[1].userInfo);
    EXPECT_TRUE(receiver->journal.entries[1].userInfo->empty());
}

TEST_F(DBusNotificationTransportTest, OwnPostsArriveOnceInOrderAndNeverInsideThePost) {
    auto self = peer();
    auto other = peer();
    self->post("one");
    self->post("two");
    self->post("three");
    // Delivery waits for the run loop, as in-process delivery does.
    EXPECT_TRUE(self->journal.entries.empty());
    fence(*self, *other, "self-fence");
    // The other process's fence goes out after the bus handed this
    // process's signals back to it, so any echo would be in by then.
    fence(*other, *self);
    EXPECT_EQ(self->journal.names(),
              (std::vector<std::string>{"one", "two", "three", "self-fence", "fence"}));
    EXPECT_EQ(other->journal.names(),
              (std::vector<std::string>{"one", "two", "three", "self-fence", "fence"}));
}

TEST_F(DBusNotificationTransportTest, ObserversFilterRemotePostsByName) {
    auto sender = peer();
    auto receiver = std::make_unique<Peer>();
    receiver->connection = connect();
    receiver->transport = DBusNotificationTransport::create(receiver->connection);
    ASSERT_TRUE(receiver->transport);
    receiver->center = CFNotificationCenter::create(receiver->transport);
    receiver->observe("rotixToggle");
    Journal everything;
    receiver->center->addObserver(&everything, record, "", nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);

    sender->post("other");
    sender->post("rotixToggle");
    ASSERT_TRUE(runUntil([&] { return everything.entries.size() == 2; }));
    EXPECT_EQ(receiver->journal.names(), (std::vector<std::string>{"rotixToggle"}));
}

TEST_F(DBusNotificationTransportTest, PostsPastTheBoundsReachNobody) {
    auto sender = peer();
    auto receiver = peer();
    const std::string longest(DBusNotificationTransport::kMaximumNameLength, 'n');
    const std::string tooLong(DBusNotificationTransport::kMaximumNameLength + 1, 'n');
    CFDictionary heavy{{"artwork", CFPropertyList::data(std::vector<std::uint8_t>(
                                       DBusNotificationTransport::kMaximumUserInfoBytes, 7))}};
    CFDictionary deep;
    for (int level = 0; level < PropertyListFile::kMaximumDepth + 4; ++level)
        deep = CFDictionary{{"inner", CFPropertyList(std::move(deep))}};

    sender->post(tooLong);
    sender->post("heavy", &heavy);
    sender->post("deep", &deep);
    sender->post("");
    sender->post("broken \xC3");
    sender->post(std::string("nul\0inside", 10));
    sender->post(longest);
    fence(*sender, *receiver);

    const std::vector<std::string> expected = {longest, "fence"};
    EXPECT_EQ(receiver->journal.names(), expected);
    EXPECT_EQ(sender->journal.names(), expected);
    EXPECT_EQ(sender->transport->droppedCount(), 6u);
    EXPECT_EQ(receiver->transport->droppedCount(), 0u);
}

TEST_F(DBusNotificationTransportTest, SignalsOfAnotherShapeFromOtherProgramsAreDropped) {
    auto receiver = peer();
    auto send = [&](std::vector<std::string> arguments) {
        std::vector<std::string> command = {"/usr/bin/dbus-send", "--session", "--type=signal",
                                            DBusNotificationTransport::kObjectPath,
                                            std::string(DBusNotificationTransport::kInterface) +
                                                "." + DBusNotificationTransport::kSignal};
        command.insert(command.end(), arguments.begin(), arguments.end());
        auto run = ProgramRun::run(command, {{"DBUS_SESSION_BUS_ADDRESS", m_bus.address()}});
        EXPECT_EQ(run.status, 0) << run.errors;
    };
    // A binary list holding an array, not a dictionary.
    auto arrayBytes = PropertyListFile::serialize(CFPropertyList(CFArray{CFPropertyList(1)}));
    ASSERT_TRUE(arrayBytes);
    std::string arrayList;
    for (auto byte : *arrayBytes)
        arrayList += (arrayList.empty() ? "" : ",") + std::to_string(byte);

    send({"int32:5"});
    send({"string:only-a-name"});
    send({"string:garbage", "array:byte:1,2,3"});
    send({"string:array", "array:byte:" + arrayList});
    send({"string:" + std::string(DBusNotificationTransport::kMaximumNameLength + 1, 'x'),
          "array:byte:"});
    send({"string:well-formed", "array:byte:"});

    ASSERT_TRUE(runUntil([&] { return receiver->journal.count("well-formed") == 1; }));
    EXPECT_EQ(receiver->journal.names(), (std::vector<std::string>{"well-formed"}));
    EXPECT_EQ(receiver->transport->droppedCount(), 5u);
}

TEST_F(DBusNotificationTransportTest, AFloodIsDeliveredWholeAndInOrder) {
    auto sender = peer();
    auto receiver = peer();
    constexpr int kPosts = 500;
    for (int i = 0; i < kPosts; ++i)
        sender->post("flood-" + std::to_string(i));
    ASSERT_TRUE(runUntil([&] { return receiver->journal.entries.size() >= kPosts; }, 20s))
        << receiver->journal.entries.size();
    for (int i = 0; i < kPosts; ++i)
        ASSERT_EQ(receiver->journal.entries[i].name, "flood-" + std::to_string(i));
}

TEST_F(DBusNotificationTransportTest, PostsFromOtherThreadsArriveEverywhere) {
    auto sender = peer();
    auto receiver = peer();
    constexpr int kThreads = 4;
    constexpr int kPostsEach = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            CFDictionary info{{"thread", CFPropertyList(std::int64_t{t})}};
            for (int i = 0; i < kPostsEach; ++i)
                sender->post("from-thread", &info);
        });
    }
    for (auto& thread : threads)
        thread.join();
    const size_t total = kThreads * kPostsEach;
    ASSERT_TRUE(runUntil([&] {
        return receiver->journal.count("from-thread") == total &&
               sender->journal.count("from-thread") == total;
    }));
    std::map<std::int64_t, int> perThread;
    for (const auto& entry : receiver->journal.entries)
        ++perThread[*entry.userInfo->at("thread").intValue()];
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(perThread[t], kPostsEach);
}

TEST_F(DBusNotificationTransportTest, WhenTheBusGoesAwayPostsStayInTheProcess) {
    auto self = peer();
    auto other = peer();
    self->post("before");
    ASSERT_TRUE(runUntil([&] { return other->journal.count("before") == 1; }));

    m_bus.stop();
    ASSERT_TRUE(runUntil([&] { return !self->transport->isConnected(); }));
    EXPECT_FALSE(self->connection->isOpen());
    self->post("after");
    self->post("after");
    ASSERT_TRUE(runUntil([&] { return self->journal.count("after") == 2; }));
    EXPECT_EQ(self->journal.count("before"), 1u);
    bool logged = false;
    for (const auto& line : SystemLog::shared().lines())
        logged |= line.text.find("session bus went away") != std::string::npos;
    EXPECT_TRUE(logged);
}

TEST(DBusNotificationTransport, NeedsAnOpenConnection) {
    EXPECT_EQ(DBusNotificationTransport::create(nullptr), nullptr);
}

} // namespace
