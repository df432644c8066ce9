#pragma once

#include "settings/RotixSettingsPane.h"

// The buttons pane: the height of the transport buttons and the play/pause
// glyph. It keeps the rows it loaded first.
class ButtonsController : public RotixSettingsPane<ButtonsController> {
public:
    static constexpr const char* kClassName = "ButtonsController";
    static constexpr const char* kPlistName = "Buttons";
    static constexpr ReloadOnAppear kReloadOnAppear = ReloadOnAppear::No;

protected:
    ButtonsController() = default;
};
