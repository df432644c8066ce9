#pragma once

#include "platform/mediaremote/mpris/MprisMetadata.h"
#include "platform/mediaremote/mpris/MprisSeekStepper.h"

#include <cstdint>
#include <optional>
#include <string>

// What a now-playing command becomes on a desktop player.
struct MprisCommandAction {
    enum class Kind { None, Method, BeginSeeking, EndSeeking };

    Kind kind = Kind::None;
    // The player method, for Kind::Method.
    std::string method;
    // For the seeking kinds.
    MprisSeekStepper::Direction direction = MprisSeekStepper::Direction::Forward;
};

// A jump to a position: the absolute SetPosition when the track id allows
// it, else a relative Seek by the difference from where playback is now.
struct MprisPositionRequest {
    enum class Kind { SetPosition, Seek };

    Kind kind = Kind::Seek;
    std::string trackId;
    // The position for SetPosition; the offset for Seek.
    std::int64_t microseconds = 0;
};

class MprisCommandMapping {
public:
    // Positions beyond this are no position any track has.
    static constexpr double kLatestPosition = 1e9;

    static MprisCommandAction actionForCommand(int command);
    // Nothing when there is nothing to do: a target that is not a number,
    // or a relative jump of less than a microsecond.
    static std::optional<MprisPositionRequest>
    positionRequest(const MprisMetadata& metadata, double currentSeconds, double targetSeconds);
};
