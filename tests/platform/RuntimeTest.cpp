#include "platform/objc/Runtime.h"

#include "platform/substrate/Substrate.h"
#include "platform/system/SystemLog.h"

#include <gtest/gtest.h>

namespace {

class Greeter : public NSObject {
public:
    static std::shared_ptr<Greeter> create() { return makeObject<Greeter>(); }
    std::string_view className() const override { return "RuntimeTestGreeter"; }
    int greet(int times) { return times * 10; }

protected:
    Greeter() = default;
};

class Runtime : public ::testing::Test {
protected:
    void SetUp() override {
        objc_unregisterClass("RuntimeTestGreeter");
        objc_unregisterClass("RuntimeTestBase");
        cls = objc_registerClass("RuntimeTestGreeter");
        class_addMethod(cls, "greet:", &Greeter::greet);
        SystemLog::shared().clear();
    }
    Class cls;
};

TEST_F(Runtime, LookupByNameAnswersNothingForUnknownClasses) {
    EXPECT_EQ(objc_getClass("RuntimeTestGreeter"), cls);
    EXPECT_EQ(objc_getClass("NoSuchClassAnywhere"), nullptr);
    EXPECT_EQ(object_getClass(cls), cls->metaclass());
    EXPECT_TRUE(object_getClass(cls)->isMetaclass());
}

TEST_F(Runtime, MessagesReachTheMethodAndNothingAnswersZero) {
    auto greeter = Greeter::create();
    EXPECT_EQ((objc_msgSend<int, int>(greeter, "greet:", 3)), 30);
    EXPECT_EQ((objc_msgSend<int, int>(nullptr, "greet:", 3)), 0);
    EXPECT_TRUE(greeter->respondsToSelector("greet:"));
    EXPECT_FALSE(greeter->respondsToSelector("wave"));
}

TEST_F(Runtime, UnknownSelectorsAndWrongSignaturesAreReportedNotCalled) {
    auto greeter = Greeter::create();
    EXPECT_EQ((objc_msgSend<int>(greeter, "wave")), 0);
    EXPECT_EQ((objc_msgSend<double, int>(greeter, "greet:", 3)), 0.0);
    auto lines = SystemLog::shared().lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].text.find("unrecognized selector"), std::string::npos);
    EXPECT_NE(lines[1].text.find("signature"), std::string::npos);
}

TEST_F(Runtime, ReplacementIsCalledWithReceiverAndCanCallThrough) {
    IMP<int, int> previous;
    id seenReceiver;
    SEL seenSelector;
    ASSERT_TRUE((MSHookMessageEx<int, int>(
        cls, "greet:",
        [&](const id& self, const SEL& cmd, int times) {
            seenReceiver = self;
            seenSelector = cmd;
            return previous(self, cmd, times) + 1;
        },
        &previous)));
    auto greeter = Greeter::create();
    EXPECT_EQ((objc_msgSend<int, int>(greeter, "greet:", 2)), 21);
    EXPECT_EQ(seenReceiver, greeter);
    EXPECT_EQ(seenSelector, "greet:");
}

TEST_F(Runtime, ReplacementsChainInInstallOrder) {
    IMP<int, int> first, second;
    MSHookMessageEx<int, int>(
        cls, "greet:", [&](const id& s, const SEL& c, int t) { return first(s, c, t) + 1; },
        &first);
    MSHookMessageEx<int, int>(
        cls, "greet:", [&](const id& s, const SEL& c, int t) { return second(s, c, t) * 2; },
        &second);
    EXPECT_EQ((objc_msgSend<int, int>(Greeter::create(), "greet:", 1)), 22);
}

TEST_F(Runtime, MismatchedReplacementIsRefusedAtInstallTime) {
    IMP<double, int> previous = nullptr;
    bool installed = MSHookMessageEx<double, int>(
        cls, "greet:", [](const id&, const SEL&, int) { return 1.0; }, &previous);
    EXPECT_FALSE(installed);
    EXPECT_FALSE(previous);
    // The method is untouched.
    EXPECT_EQ((objc_msgSend<int, int>(Greeter::create(), "greet:", 1)), 10);
    auto lines = SystemLog::shared().lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().text.find("does not match"), std::string::npos);
}

TEST_F(Runtime, HookOnAMissingClassOrMethodIsRefused) {
    IMP<int, int> previous;
    EXPECT_FALSE((MSHookMessageEx<int, int>(
        nullptr, "greet:", [](const id&, const SEL&, int) { return 0; }, &previous)));
    EXPECT_FALSE((MSHookMessageEx<int, int>(
        cls, "absent:", [](const id&, const SEL&, int) { return 0; }, &previous)));
}

TEST_F(Runtime, InheritedMethodIsReplacedOnTheSubclassOnly) {
    Class base = objc_registerClass("RuntimeTestBase");
    class_addMethod<int>(base, "answer", [](const id&, const SEL&) { return 1; });
    Class sub = objc_registerClass("RuntimeTestSub", "RuntimeTestBase");
    IMP<int> previous;
    MSHookMessageEx<int>(
        sub, "answer", [&](const id& s, const SEL& c) { return previous(s, c) + 100; }, &previous);
    EXPECT_EQ(sub->lookup("answer")->get<int>() != nullptr, true);
    EXPECT_EQ((*sub->lookup("answer")->get<int>())(nullptr, "answer"), 101);
    EXPECT_EQ((*base->lookup("answer")->get<int>())(nullptr, "answer"), 1);
    objc_unregisterClass("RuntimeTestSub");
}

TEST_F(Runtime, ClassMethodsLiveOnTheMetaclass) {
    Class meta = object_getClass(cls);
    EXPECT_TRUE((class_addMethod<std::string>(
        meta, "sharedName", [](const id&, const SEL&) { return std::string("shared"); }, "@@:")));
    EXPECT_FALSE((class_addMethod<std::string>(
        meta, "sharedName", [](const id&, const SEL&) { return std::string("again"); })));
    EXPECT_EQ((objc_msgSend<std::string>(cls, "sharedName")), "shared");
    EXPECT_EQ(meta->lookup("sharedName")->types(), "@@:");
}

TEST_F(Runtime, AssociatedValuesAreHeldUntilReplaced) {
    static const char key = 0;
    auto greeter = Greeter::create();
    auto other = Greeter::create();
    std::weak_ptr<Greeter> weak = other;
    objc_setAssociatedObject(greeter, &key, id(other));
    other.reset();
    EXPECT_FALSE(weak.expired());
    EXPECT_EQ(std::any_cast<id>(objc_getAssociatedObject(greeter, &key)), weak.lock());
    objc_setAssociatedObject(greeter, &key, std::any());
    EXPECT_TRUE(weak.expired());
    EXPECT_FALSE(objc_getAssociatedObject(nullptr, &key).has_value());
}

} // namespace
