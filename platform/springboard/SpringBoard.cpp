#include "platform/springboard/SpringBoard.h"

Class SpringBoard::registerClass() {
    objc_registerClass("UIApplication");
    Class cls = objc_registerClass("SpringBoard", "UIApplication");
    class_addMethod(cls, "init", &SpringBoard::originalInit);
    return cls;
}

std::shared_ptr<SpringBoard> SpringBoard::alloc() {
    return makeObject<SpringBoard>();
}

id SpringBoard::init() {
    return objc_msgSend<id>(shared_from_this(), "init");
}

id SpringBoard::originalInit() {
    auto self = std::static_pointer_cast<SpringBoard>(shared_from_this());
    UIApplication::setSharedApplication(self);
    return self;
}
