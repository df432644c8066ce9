#pragma once

#include "platform/render/DumpJson.h"

class Rotix;

// The player's state for the host's dumps: the flags and numbers the
// lock screen's behaviour turns on, and what the ring and buttons show.
Json PlayerDumpJson(const Rotix& player);
// Adds the "player" section to every dump of the process.
void PlayerDumpRegister();
