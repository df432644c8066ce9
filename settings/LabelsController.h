#pragma once

#include "settings/RotixSettingsPane.h"

// The labels pane: size, colour, height and visibility of the title,
// artist and time labels. Its rows are read afresh each time it comes into
// view.
class LabelsController : public RotixSettingsPane<LabelsController> {
public:
    static constexpr const char* kClassName = "LabelsController";
    static constexpr const char* kPlistName = "Labels";
    static constexpr ReloadOnAppear kReloadOnAppear = ReloadOnAppear::Yes;

protected:
    LabelsController() = default;
};
