#pragma once

#include "platform/corefoundation/Clock.h"

#include <optional>
#include <string>
#include <vector>

// One player on the bus as the choice sees it.
struct MprisPlayerCandidate {
    std::string busName;
    bool playing = false;
    // When it last started or stopped playing, changed track or appeared.
    CFAbsoluteTime lastActive = 0;
};

// Which of the players the lock screen shows: the one playing (the one that
// became active last, when several play), else the one most recently
// active. Ties go to the first bus name, so the choice never flickers.
class MprisPlayerChoice {
public:
    static std::optional<std::string> choose(const std::vector<MprisPlayerCandidate>& candidates);
};
