#pragma once

#include "platform/render/DumpJson.h"

#include <optional>

// The "player" section of the host's dumps: the flags and numbers the lock
// screen's behaviour turns on, and what the ring and buttons show. Null until
// the extension has made its player; nothing when no extension exports one.
std::optional<Json> playerDumpSection();
