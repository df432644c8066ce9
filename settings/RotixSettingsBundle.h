#pragma once

#include <memory>
#include <string>

class NSBundle;

// Where the Settings app finds this bundle.
inline constexpr const char* kRotixSettingsBundlePath =
    "/Library/PreferenceBundles/RotixSettings.bundle";

// The text for a key of the bundle's strings table: the key itself when the
// table lacks it. A pane whose view has not loaded yet has no bundle, and
// shows keys too.
std::string RotixLocalizedString(const std::shared_ptr<NSBundle>& bundle, const std::string& key);

// Registers the seven panes with the runtime, so that links can name them
// before any has been made. The bundle's initialiser calls it.
void RotixSettingsRegisterClasses();
