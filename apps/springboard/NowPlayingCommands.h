#pragma once

#include "apps/common/Scenario.h"
#include "platform/render/Json.h"

#include <cstddef>

// The largest artwork file a scenario's track may name.
constexpr std::size_t kScenarioArtworkMaximumBytes = 16 * 1024 * 1024;

// The scenario commands that play the part of the person using the music
// application: playlist, track, play, pause, next, clear, elapsed. They act
// on the demo music application behind the now-playing service, not through
// the player, so none of them appears in the record of the player's requests.
void registerNowPlayingCommands(Scenario& scenario);

// The now-playing part of the host's dump: what the source is doing now and
// every request the player sent.
Json nowPlayingDumpSection();
