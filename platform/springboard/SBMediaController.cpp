#include "platform/springboard/SBMediaController.h"

#include "platform/mediaremote/NowPlayingService.h"
#include "platform/springboard/SBApplication.h"

Class SBMediaController::registerClass() {
    SBApplication::registerClass();
    Class cls = objc_registerClass("SBMediaController");
    class_addMethod<id>(object_getClass(cls), "sharedInstance",
                        [](const id&, const SEL&) -> id { return sharedInstance(); });
    class_addMethod(cls, "nowPlayingApplication", &SBMediaController::nowPlayingApplication);
    return cls;
}

std::shared_ptr<SBMediaController> SBMediaController::sharedInstance() {
    static std::shared_ptr<SBMediaController> controller = makeObject<SBMediaController>();
    return controller;
}

id SBMediaController::nowPlayingApplication() const {
    auto bundleIdentifier = NowPlayingService::shared().nowPlayingApplicationBundleIdentifier();
    if (!bundleIdentifier)
        return nullptr;
    return SBApplication::create(*bundleIdentifier);
}
