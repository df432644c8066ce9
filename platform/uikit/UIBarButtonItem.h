#pragma once

#include "platform/objc/Runtime.h"

#include <memory>
#include <string>

enum class UIBarButtonItemStyle : long { Plain = 0, Bordered = 1, Done = 2 };

// A button of a navigation bar: a title, a style and a target-action pair.
// The target is held weakly, as a control's is.
class UIBarButtonItem : public NSObject {
public:
    // [[UIBarButtonItem alloc] initWithTitle:style:target:action:]
    static std::shared_ptr<UIBarButtonItem> create(std::string title, UIBarButtonItemStyle style,
                                                   const id& target, SEL action);

    const std::string& title() const { return m_title; }
    UIBarButtonItemStyle style() const { return m_style; }
    id target() const { return m_target.lock(); }
    const SEL& action() const { return m_action; }

    // What a tap on the item does: the action goes to the target, with the
    // item as sender.
    void sendAction();

    std::string_view className() const override { return "UIBarButtonItem"; }

protected:
    UIBarButtonItem(std::string title, UIBarButtonItemStyle style, const id& target, SEL action);

private:
    std::string m_title;
    UIBarButtonItemStyle m_style;
    WeakId m_target;
    SEL m_action;
};
