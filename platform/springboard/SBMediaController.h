#pragma once

#include "platform/objc/Runtime.h"

// The home screen's view of what plays: the application the now-playing
// service names, or nothing when none plays.
class SBMediaController : public NSObject {
public:
    static Class registerClass();
    static std::shared_ptr<SBMediaController> sharedInstance();

    // -nowPlayingApplication
    id nowPlayingApplication() const;

    std::string_view className() const override { return "SBMediaController"; }

protected:
    SBMediaController() = default;
};
