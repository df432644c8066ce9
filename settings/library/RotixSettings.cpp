#include "settings/RotixSettingsBundle.h"

// The bundle's initialiser, run when the Settings app loads the bundle: the
// panes' classes exist before the app asks for the principal class or a
// link names a pane.
__attribute__((constructor)) static void RotixSettingsInitialize() {
    RotixSettingsRegisterClasses();
}
