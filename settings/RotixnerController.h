#pragma once

#include "settings/RotixSettingsPane.h"

// The disc's pane ("Rotixner"): the disc's height, the ring's thumb and
// seeking, and a link to the companion seek package in Cydia. It keeps the
// rows it loaded first.
class RotixnerController : public RotixSettingsPane<RotixnerController> {
public:
    // The companion package whose page seeker opens in Cydia.
    static constexpr const char* kCompanionPackage = "com.varlo.rotixseek";

    static constexpr const char* kClassName = "RotixnerController";
    static constexpr const char* kPlistName = "Rotixner";
    static constexpr ReloadOnAppear kReloadOnAppear = ReloadOnAppear::No;
    static void addOwnMethods(const Class& cls);

    void seeker(); // -seeker

protected:
    RotixnerController() = default;
};
