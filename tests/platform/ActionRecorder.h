#pragma once

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIGestureRecognizer.h"

#include <string>
#include <vector>

// A target that writes down every action sent to it, with the recogniser's
// state where the sender is one.
class ActionRecorder : public NSObject {
public:
    static std::shared_ptr<ActionRecorder> create() {
        registerClass();
        return makeObject<ActionRecorder>();
    }

    std::string_view className() const override { return "TestActionRecorder"; }

    // Registers an action of that name that records itself.
    static void addAction(const std::string& selector) {
        Class cls = registerClass();
        if (selector.back() == ':')
            class_addMethod<void, id>(cls, selector, [](const id& self, const SEL& cmd, id sender) {
                auto recorder = std::dynamic_pointer_cast<ActionRecorder>(self);
                std::string entry = cmd;
                if (auto recognizer = std::dynamic_pointer_cast<UIGestureRecognizer>(sender))
                    entry += std::to_string(static_cast<long>(recognizer->state()));
                recorder->actions.push_back(entry);
            });
        else
            class_addMethod<void>(cls, selector, [](const id& self, const SEL& cmd) {
                std::dynamic_pointer_cast<ActionRecorder>(self)->actions.push_back(cmd);
            });
    }

    std::vector<std::string> actions;

protected:
    ActionRecorder() = default;

private:
    static Class registerClass() { return objc_registerClass("TestActionRecorder"); }
};
