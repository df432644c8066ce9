#include "hooks/RotixNotification.h"
#include "hooks/Tweak.h"

// The library's load-time initialisers, in the order the platform runs them:
// class loads first, then the module initialiser. The substrate loads the
// library into the home-screen process before the process makes its
// application object.
__attribute__((constructor)) static void RotixiOS10Initialize() {
    RotixNotification::load();
    TweakInitialize();
}
