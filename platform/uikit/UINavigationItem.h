#pragma once

#include "platform/objc/NSObject.h"

#include <memory>
#include <string>

class UIBarButtonItem;

// What a view controller shows in the navigation bar while it is on top.
class UINavigationItem : public NSObject {
public:
    static std::shared_ptr<UINavigationItem> create();

    const std::string& title() const { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }
    const std::shared_ptr<UIBarButtonItem>& rightBarButtonItem() const { return m_right; }
    void setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item) { m_right = std::move(item); }

    std::string_view className() const override { return "UINavigationItem"; }

protected:
    UINavigationItem() = default;

private:
    std::string m_title;
    std::shared_ptr<UIBarButtonItem> m_right;
};
