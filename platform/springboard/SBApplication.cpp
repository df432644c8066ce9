#include "platform/springboard/SBApplication.h"

Class SBApplication::registerClass() {
    Class cls = objc_registerClass("SBApplication");
    class_addMethod(cls, "bundleIdentifier", &SBApplication::bundleIdentifier);
    return cls;
}

std::shared_ptr<SBApplication> SBApplication::create(std::string bundleIdentifier) {
    return makeObject<SBApplication>(std::move(bundleIdentifier));
}
