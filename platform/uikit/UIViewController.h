#pragma once

#include "platform/uikit/UIResponder.h"

#include <memory>

class UIView;

// Owns a view, made on first use: loadView builds it and viewDidLoad follows.
// Subclasses that the runtime can replace send those two through it.
class UIViewController : public UIResponder {
public:
    static std::shared_ptr<UIViewController> create();

    std::shared_ptr<UIView> view();
    bool isViewLoaded() const { return m_view != nullptr; }
    void setView(const std::shared_ptr<UIView>& view);

    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool) {}

    std::shared_ptr<UIResponder> nextResponder() const override;
    std::string_view className() const override { return "UIViewController"; }

protected:
    UIViewController() = default;

private:
    std::shared_ptr<UIView> m_view;
    bool m_loading = false;
};
