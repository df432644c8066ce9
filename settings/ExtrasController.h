#pragma once

#include "settings/RotixSettingsPane.h"

// The extras pane: rotation, colours from the artwork and the blurred
// background. It keeps the rows it loaded first.
class ExtrasController : public RotixSettingsPane<ExtrasController> {
public:
    static constexpr const char* kClassName = "ExtrasController";
    static constexpr const char* kPlistName = "Extras";
    static constexpr ReloadOnAppear kReloadOnAppear = ReloadOnAppear::No;

protected:
    ExtrasController() = default;
};
