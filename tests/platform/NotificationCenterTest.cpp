#include "platform/corefoundation/CFNotificationCenter.h"
#include "platform/corefoundation/InProcessNotificationTransport.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/objc/Runtime.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

// An observer reached through the runtime, as the system's own observers are.
class Listener : public NSObject {
public:
    static std::shared_ptr<Listener> create(std::vector<std::string>* journal = nullptr,
                                            std::string label = {}) {
        [[maybe_unused]] static const Class cls = [] {
            Class registered = objc_registerClass("NotificationTestListener");
            class_addMethod(registered, "noteReceived:", &Listener::noteReceived);
            class_addMethod(registered, "ping", &Listener::ping);
            return registered;
        }();
        auto listener = makeObject<Listener>();
        listener->m_journal = journal;
        listener->m_label = std::move(label);
        return listener;
    }

    std::string_view className() const override { return "NotificationTestListener"; }

    void noteReceived(id sender) {
        auto notification = std::dynamic_pointer_cast<NSNotification>(sender);
        received.push_back(notification);
        if (m_journal)
            m_journal->push_back(m_label);
        if (onReceive)
            onReceive();
    }
    void ping() { ++pings; }

    std::vector<std::shared_ptr<NSNotification>> received;
    int pings = 0;
    std::function<void()> onReceive;

protected:
    Listener() = default;

private:
    std::vector<std::string>* m_journal = nullptr;
    std::string m_label;
};

class Sender : public NSObject {
public:
    static id create() { return makeObject<Sender>(); }

protected:
    Sender() = default;
};

class NotificationCenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        NSRunLoop::mainRunLoop().setClock(std::make_shared<ManualClock>());
        NSRunLoop::mainRunLoop().runUntilIdle();
    }

    std::shared_ptr<NSNotificationCenter> m_center = NSNotificationCenter::create();
};

TEST_F(NotificationCenterTest, DeliversByNameInRegistrationOrder) {
    std::vector<std::string> journal;
    auto first = Listener::create(&journal, "first");
    auto second = Listener::create(&journal, "second");
    auto other = Listener::create(&journal, "other");
    m_center->addObserver(second, "noteReceived:", "Changed", nullptr);
    m_center->addObserver(first, "noteReceived:", "Changed", nullptr);
    m_center->addObserver(other, "noteReceived:", "Other", nullptr);

    m_center->postNotificationName("Changed", nullptr, CFDictionary{{"isHidden", true}});

    EXPECT_EQ(journal, (std::vector<std::string>{"second", "first"}));
    ASSERT_EQ(first->received.size(), 1u);
    EXPECT_EQ(first->received[0]->name(), "Changed");
    ASSERT_TRUE(first->received[0]->userInfo());
    EXPECT_TRUE(first->received[0]->userInfo()->at("isHidden").isBooleanTrue());
    EXPECT_TRUE(other->received.empty());
}

TEST_F(NotificationCenterTest, FiltersBySenderAndMatchesEveryNameWhenNameIsEmpty) {
    id phone = Sender::create();
    id pad = Sender::create();
    auto phoneOnly = Listener::create();
    auto anySender = Listener::create();
    auto everything = Listener::create();
    m_center->addObserver(phoneOnly, "noteReceived:", "Rotated", phone);
    m_center->addObserver(anySender, "noteReceived:", "Rotated", nullptr);
    m_center->addObserver(everything, "noteReceived:", "", nullptr);

    m_center->postNotificationName("Rotated", phone);
    m_center->postNotificationName("Rotated", pad);
    m_center->postNotificationName("Rotated", nullptr);
    m_center->postNotificationName("Unrelated", phone);

    ASSERT_EQ(phoneOnly->received.size(), 1u);
    EXPECT_EQ(phoneOnly->received[0]->object(), phone);
    EXPECT_EQ(anySender->received.size(), 3u);
    EXPECT_EQ(everything->received.size(), 4u);
    EXPECT_FALSE(anySender->received[2]->userInfo());
}

TEST_F(NotificationCenterTest, ASenderThatWentAwayNeverMatchesAnother) {
    auto listener = Listener::create();
    id sender = Sender::create();
    m_center->addObserver(listener, "noteReceived:", "Rotated", sender);
    sender.reset();
    for (int i = 0; i < 8; ++i)
        m_center->postNotificationName("Rotated", Sender::create());
    EXPECT_TRUE(listener->received.empty());
}

TEST_F(NotificationCenterTest, ASelectorWithoutAColonIsSentNothing) {
    auto listener = Listener::create();
    m_center->addObserver(listener, "ping", "Tick", nullptr);
    m_center->postNotificationName("Tick", nullptr);
    m_center->postNotificationName("Tick", nullptr);
    EXPECT_EQ(listener->pings, 2);
}

TEST_F(NotificationCenterTest, ObserversAreHeldWeaklyAndPrunedOnceGone) {
    auto listener = Listener::create();
    std::weak_ptr<Listener> weak = listener;
    m_center->addObserver(listener, "noteReceived:", "Changed", nullptr);
    listener.reset();
    EXPECT_TRUE(weak.expired());

    m_center->postNotificationName("Changed", nullptr);
    EXPECT_EQ(m_center->observationCount(), 0u);
}

TEST_F(NotificationCenterTest, RemovalDuringDeliveryTakesEffectAtOnce) {
    std::vector<std::string> journal;
    auto remover = Listener::create(&journal, "remover");
    auto removed = Listener::create(&journal, "removed");
    auto selfRemover = Listener::create(&journal, "self");
    auto last = Listener::create(&journal, "last");
    m_center->addObserver(remover, "noteReceived:", "Changed", nullptr);
    m_center->addObserver(selfRemover, "noteReceived:", "Changed", nullptr);
    m_center->addObserver(removed, "noteReceived:", "Changed", nullptr);
    m_center->addObserver(last, "noteReceived:", "Changed", nullptr);
    remover->onReceive = [&] { m_center->removeObserver(removed); };
    selfRemover->onReceive = [&] { m_center->removeObserver(selfRemover); };

    m_center->postNotificationName("Changed", nullptr);
    m_center->postNotificationName("Changed", nullptr);

    EXPECT_EQ(journal, (std::vector<std::string>{"remover", "self", "last", "remover", "last"}));
}

TEST_F(NotificationCenterTest, RemovingByNameAndSenderLeavesTheRest) {
    id phone = Sender::create();
    auto listener = Listener::create();
    m_center->addObserver(listener, "noteReceived:", "A", phone);
    m_center->addObserver(listener, "noteReceived:", "A", nullptr);
    m_center->addObserver(listener, "noteReceived:", "B", nullptr);

    m_center->removeObserver(listener, "A", phone);
    m_center->postNotificationName("A", phone);
    EXPECT_EQ(listener->received.size(), 1u);

    m_center->removeObserver(listener, "A", nullptr);
    m_center->postNotificationName("A", phone);
    m_center->postNotificationName("B", phone);
    EXPECT_EQ(listener->received.size(), 2u);
    EXPECT_EQ(listener->received.back()->name(), "B");

    m_center->removeObserver(listener);
    m_center->postNotificationName("B", nullptr);
    EXPECT_EQ(listener->received.size(), 2u);
    EXPECT_EQ(m_center->observationCount(), 0u);
}

TEST_F(NotificationCenterTest, BlockObserversLiveUntilTheirTokenIsRemoved) {
    int calls = 0;
    id token = m_center->addObserverForName("Changed", nullptr, [&](const NSNotification& note) {
        EXPECT_EQ(note.name(), "Changed");
        ++calls;
    });
    std::weak_ptr<NSObject> weakToken = token;
    id kept = token;
    token.reset();
    kept.reset();
    // The centre keeps the registration even when nobody holds the token.
    EXPECT_FALSE(weakToken.expired());
    m_center->postNotificationName("Changed", nullptr);
    EXPECT_EQ(calls, 1);

    m_center->removeObserver(weakToken.lock());
    m_center->postNotificationName("Changed", nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(weakToken.expired());
}

TEST_F(NotificationCenterTest, AnObserverMayPostWhileBeingNotified) {
    std::vector<std::string> journal;
    id outer = m_center->addObserverForName("Outer", nullptr, [&](const NSNotification&) {
        journal.push_back("outer");
        m_center->postNotificationName("Inner", nullptr);
        journal.push_back("outer done");
    });
    id inner = m_center->addObserverForName(
        "Inner", nullptr, [&](const NSNotification&) { journal.push_back("inner"); });
    m_center->postNotificationName("Outer", nullptr);
    EXPECT_EQ(journal, (std::vector<std::string>{"outer", "inner", "outer done"}));
}

TEST_F(NotificationCenterTest, ReleasingARemovedBlockMayCallBackIntoTheCentre) {
    // What the block holds is released when it is removed; here that release
    // removes another registration, which must not find the centre locked.
    struct RemovesOnRelease {
        std::shared_ptr<NSNotificationCenter> center;
        id other;
        ~RemovesOnRelease() { center->removeObserver(other); }
    };
    auto listener = Listener::create();
    m_center->addObserver(listener, "noteReceived:", "Changed", nullptr);
    auto guard = std::make_shared<RemovesOnRelease>(RemovesOnRelease{m_center, listener});
    id token = m_center->addObserverForName("Changed", nullptr, [guard](const NSNotification&) {});
    guard.reset();

    m_center->removeObserver(token);
    m_center->postNotificationName("Changed", nullptr);
    EXPECT_TRUE(listener->received.empty());
    EXPECT_EQ(m_center->observationCount(), 0u);
}

TEST_F(NotificationCenterTest, ObserversComeAndGoOnOtherThreadsWhilePosting) {
    std::atomic<bool> done = false;
    std::atomic<int> calls = 0;
    std::thread churn([&] {
        for (int i = 0; i < 200; ++i) {
            id token = m_center->addObserverForName("Changed", nullptr,
                                                    [&](const NSNotification&) { ++calls; });
            auto listener = Listener::create();
            m_center->addObserver(listener, "ping", "Changed", nullptr);
            m_center->removeObserver(token);
        }
        done = true;
    });
    id steady =
        m_center->addObserverForName("Changed", nullptr, [&](const NSNotification&) { ++calls; });
    int posts = 0;
    while (!done) {
        m_center->postNotificationName("Changed", nullptr);
        ++posts;
    }
    churn.join();
    EXPECT_GE(calls.load(), posts);
}

TEST_F(NotificationCenterTest, TheDefaultCenterIsOneCenter) {
    EXPECT_EQ(NSNotificationCenter::defaultCenter(), NSNotificationCenter::defaultCenter());
    auto listener = Listener::create();
    NSNotificationCenter::defaultCenter()->addObserver(
        listener, "noteReceived:", "NotificationCenterTestPing", nullptr);
    NSNotificationCenter::defaultCenter()->postNotificationName("NotificationCenterTestPing",
                                                                nullptr);
    NSNotificationCenter::defaultCenter()->removeObserver(listener);
    EXPECT_EQ(listener->received.size(), 1u);
}

struct Delivery {
    CFNotificationCenterRef center;
    std::string name;
    const void* object;
    std::optional<CFDictionary> userInfo;
    bool onMainThread;
};

struct Recorder {
    std::vector<Delivery> deliveries;
    std::function<void()> onDelivery;
};

void record(CFNotificationCenterRef center, void* observer, const std::string& name,
            const void* object, const CFDictionary* userInfo) {
    auto* recorder = static_cast<Recorder*>(observer);
    recorder->deliveries.push_back({center, name, object,
                                    userInfo ? std::optional(*userInfo) : std::nullopt,
                                    NSRunLoop::isMainThread()});
    if (recorder->onDelivery)
        recorder->onDelivery();
}

class DistributedCenterTest : public NotificationCenterTest {
protected:
    void TearDown() override {
        CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDistributedCenter(),
                                                &m_recorder);
        NSRunLoop::mainRunLoop().runUntilIdle();
    }

    Recorder m_recorder;
};

TEST_F(DistributedCenterTest, APostArrivesLaterOnTheMainRunLoopWithItsDetails) {
    CFNotificationCenterRef center = CFNotificationCenterGetDistributedCenter();
    CFNotificationCenterAddObserver(center, &m_recorder, record, "rotixToggle", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFDictionary info{{"isHidden", CFPropertyList(true)}};
    CFNotificationCenterPostNotification(center, "rotixToggle", nullptr, &info, true);
    info["isHidden"] = CFPropertyList(false);
    EXPECT_TRUE(m_recorder.deliveries.empty());

    NSRunLoop::mainRunLoop().runUntilIdle();
    ASSERT_EQ(m_recorder.deliveries.size(), 1u);
    const Delivery& delivery = m_recorder.deliveries[0];
    EXPECT_EQ(delivery.center, center);
    EXPECT_EQ(delivery.name, "rotixToggle");
    EXPECT_EQ(delivery.object, nullptr);
    ASSERT_TRUE(delivery.userInfo);
    // The details were copied when posted.
    EXPECT_TRUE(delivery.userInfo->at("isHidden").isBooleanTrue());
}

TEST_F(DistributedCenterTest, APostWithoutDetailsDeliversNone) {
    CFNotificationCenterRef center = CFNotificationCenterGetDistributedCenter();
    CFNotificationCenterAddObserver(center, &m_recorder, record, "rotixToggle", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterPostNotification(center, "rotixToggle", nullptr, nullptr, false);
    NSRunLoop::mainRunLoop().runUntilIdle();
    ASSERT_EQ(m_recorder.deliveries.size(), 1u);
    EXPECT_FALSE(m_recorder.deliveries[0].userInfo);
}

TEST_F(DistributedCenterTest, RegisteringTwiceDeliversTwice) {
    CFNotificationCenterRef center = CFNotificationCenterGetDistributedCenter();
    for (int i = 0; i < 2; ++i)
        CFNotificationCenterAddObserver(center, &m_recorder, record, "rotixToggle", nullptr,
                                        CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterPostNotification(center, "rotixToggle", nullptr, nullptr, true);
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(m_recorder.deliveries.size(), 2u);
}

TEST_F(DistributedCenterTest, FiltersByNameAndObject) {
    CFNotificationCenterRef center = CFNotificationCenterGetDistributedCenter();
    int tag = 0;
    int otherTag = 0;
    CFNotificationCenterAddObserver(center, &m_recorder, record, "rotixToggle", &tag,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterAddObserver(center, &m_recorder, record, "", nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    CFNotificationCenterPostNotification(center, "rotixToggle", &tag, nullptr, true);
    CFNotificationCenterPostNotification(center, "rotixToggle", &otherTag, nullptr, true);
    CFNotificationCenterPostNotification(center, "somethingElse", nullptr, nullptr, true);
    NSRunLoop::mainRunLoop().runUntilIdle();

    ASSERT_EQ(m_recorder.deliveries.size(), 4u);
    EXPECT_EQ(m_recorder.deliveries[0].object, &tag);
    EXPECT_EQ(m_recorder.deliveries[1].object, &tag);
    EXPECT_EQ(m_recorder.deliveries[2].object, &otherTag);
    EXPECT_EQ(m_recorder.deliveries[3].name, "somethingElse");
}

TEST_F(DistributedCenterTest, RemovingByNameKeepsOtherNames) {
    CFNotificationCenterRef center = CFNotificationCenterGetDistributedCenter();
    CFNotificationCenterAddObserver(center, &m_recorder, record, "a", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterAddObserver(center, &m_recorder, record, "b", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterRemoveObserver(center, &m_recorder, "a", nullptr);
    CFNotificationCenterPostNotification(center, "a", nullptr, nullptr, true);
    CFNotificationCenterPostNotification(center, "b", nullptr, nullptr, true);
    NSRunLoop::mainRunLoop().runUntilIdle();
    ASSERT_EQ(m_recorder.deliveries.size(), 1u);
    EXPECT_EQ(m_recorder.deliveries[0].name, "b");

    CFNotificationCenterRemoveEveryObserver(center, &m_recorder);
    CFNotificationCenterPostNotification(center, "b", nullptr, nullptr, true);
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(m_recorder.deliveries.size(), 1u);
}

TEST_F(DistributedCenterTest, ACallbackMayRemoveRegistrationsNotYetCalled) {
    CFNotificationCenterRef center = CFNotificationCenterGetDistributedCenter();
    Recorder second;
    CFNotificationCenterAddObserver(center, &m_recorder, record, "rotixToggle", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterAddObserver(center, &second, record, "rotixToggle", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    m_recorder.onDelivery = [&] { CFNotificationCenterRemoveEveryObserver(center, &second); };
    CFNotificationCenterPostNotification(center, "rotixToggle", nullptr, nullptr, true);
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_EQ(m_recorder.deliveries.size(), 1u);
    EXPECT_TRUE(second.deliveries.empty());
    CFNotificationCenterRemoveEveryObserver(center, &second);
}

TEST_F(DistributedCenterTest, APostFromAnotherThreadArrivesOnTheMainThread) {
    CFNotificationCenterRef center = CFNotificationCenterGetDistributedCenter();
    CFNotificationCenterAddObserver(center, &m_recorder, record, "rotixToggle", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    std::thread poster([center] {
        for (int i = 0; i < 3; ++i) {
            CFDictionary info{{"isHidden", CFPropertyList(i % 2 == 0)}};
            CFNotificationCenterPostNotification(center, "rotixToggle", nullptr, &info, true);
        }
    });
    poster.join();
    NSRunLoop::mainRunLoop().runUntilIdle();

    ASSERT_EQ(m_recorder.deliveries.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(m_recorder.deliveries[i].onMainThread);
        EXPECT_EQ(m_recorder.deliveries[i].userInfo->at("isHidden").isBooleanTrue(), i % 2 == 0);
    }
}

TEST_F(DistributedCenterTest, ACentreGoneBeforeItsDeliveryDropsIt) {
    auto center = CFNotificationCenter::create(InProcessNotificationTransport::create());
    center->addObserver(&m_recorder, record, "rotixToggle", nullptr,
                        CFNotificationSuspensionBehaviorDeliverImmediately);
    center->post("rotixToggle", nullptr, nullptr, true);
    center.reset();
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_TRUE(m_recorder.deliveries.empty());
}

// Stands for a transport between processes: it keeps what is posted and
// lets the test play what arrives from elsewhere.
class RecordingTransport : public DistributedNotificationTransport {
public:
    void setReceiver(Receiver receiver) override { m_receiver = std::move(receiver); }
    void post(DistributedNotification notification, bool deliverImmediately) override {
        posted.push_back(std::move(notification));
        immediately.push_back(deliverImmediately);
    }
    void arrive(const DistributedNotification& notification) {
        if (m_receiver)
            m_receiver(notification);
    }
    bool hasReceiver() const { return static_cast<bool>(m_receiver); }

    std::vector<DistributedNotification> posted;
    std::vector<bool> immediately;

private:
    Receiver m_receiver;
};

TEST_F(DistributedCenterTest, TheCentreSpeaksThroughItsTransport) {
    auto transport = std::make_shared<RecordingTransport>();
    auto center = CFNotificationCenter::create(transport);
    center->addObserver(&m_recorder, record, "rotixToggle", nullptr,
                        CFNotificationSuspensionBehaviorDeliverImmediately);

    CFDictionary info{{"isHidden", CFPropertyList(false)}};
    center->post("rotixToggle", nullptr, &info, true);
    center->post("other", nullptr, nullptr, false);
    ASSERT_EQ(transport->posted.size(), 2u);
    EXPECT_EQ(transport->posted[0].name, "rotixToggle");
    EXPECT_EQ(transport->posted[0].userInfo, info);
    EXPECT_EQ(transport->immediately, (std::vector<bool>{true, false}));
    EXPECT_TRUE(m_recorder.deliveries.empty());

    transport->arrive({"rotixToggle", nullptr, CFDictionary{{"isHidden", CFPropertyList(true)}}});
    ASSERT_EQ(m_recorder.deliveries.size(), 1u);
    EXPECT_EQ(m_recorder.deliveries[0].center, center.get());
    EXPECT_TRUE(m_recorder.deliveries[0].userInfo->at("isHidden").isBooleanTrue());

    // A replaced transport no longer delivers to the centre.
    center->setTransport(InProcessNotificationTransport::create());
    EXPECT_FALSE(transport->hasReceiver());
}

} // namespace
