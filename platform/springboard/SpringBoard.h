#pragma once

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIApplication.h"

// The home screen's application object, made once per process. Its -init
// goes through the runtime, so a replacement installed before the object is
// made sees it.
class SpringBoard : public UIApplication {
public:
    static Class registerClass();
    static std::shared_ptr<SpringBoard> alloc();

    // -init
    id init();

    std::string_view className() const override { return "SpringBoard"; }

protected:
    SpringBoard() = default;

private:
    id originalInit();
};
