#pragma once

#include "platform/objc/NSObject.h"
#include "platform/uikit/UITouch.h"

#include <memory>

// Something that takes touches. What a responder does not handle goes on to
// the next one: a view's controller or superview.
class UIResponder : public NSObject {
public:
    virtual std::shared_ptr<UIResponder> nextResponder() const { return nullptr; }

    virtual void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    virtual void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);

    std::string_view className() const override { return "UIResponder"; }

protected:
    UIResponder() = default;
};
