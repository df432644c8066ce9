#include "platform/springboard/SBApplication.h"

Class SBApplication::registerClass() {
    Class cls = objc_registerClass("SBApplication");
    class_addMethod<std::optional<std::string>>(
        cls, "bundleIdentifier", [](const id& self, const SEL&) -> std::optional<std::string> {
            auto application = std::dynamic_pointer_cast<SBApplication>(self);
            return application ? application->bundleIdentifier() : std::nullopt;
        });
    return cls;
}

std::shared_ptr<SBApplication> SBApplication::create(std::string bundleIdentifier) {
    return makeObject<SBApplication>(std::move(bundleIdentifier));
}
