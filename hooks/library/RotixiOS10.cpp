#include "hooks/PlayerDump.h"
#include "hooks/Tweak.h"

// The library's load-time initialiser: the substrate loads the library into
// the home-screen process and this runs before the process makes its
// application object.
__attribute__((constructor)) static void RotixiOS10Initialize() {
    TweakInitialize();
    PlayerDumpRegister();
}
