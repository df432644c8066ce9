#include "platform/mediaremote/mpris/MprisCommandMapping.h"

#include "platform/mediaremote/MediaRemote.h"

#include <algorithm>
#include <cmath>

namespace {

MprisCommandAction method(std::string name) {
    return {MprisCommandAction::Kind::Method, std::move(name)};
}

MprisCommandAction seeking(MprisCommandAction::Kind kind, MprisSeekStepper::Direction direction) {
    return {kind, {}, direction};
}

std::int64_t microseconds(double seconds) {
    return static_cast<std::int64_t>(std::llround(seconds * 1e6));
}

} // namespace

MprisCommandAction MprisCommandMapping::actionForCommand(int command) {
    using Direction = MprisSeekStepper::Direction;
    using Kind = MprisCommandAction::Kind;
    switch (command) {
    case kMRPlay:
        return method("Play");
    case kMRPause:
        return method("Pause");
    case kMRTogglePlayPause:
        return method("PlayPause");
    case kMRStop:
        return method("Stop");
    case kMRNextTrack:
        return method("Next");
    case kMRPreviousTrack:
        return method("Previous");
    case kMRBeginFastForward:
        return seeking(Kind::BeginSeeking, Direction::Forward);
    case kMREndFastForward:
        return seeking(Kind::EndSeeking, Direction::Forward);
    case kMRBeginRewind:
        return seeking(Kind::BeginSeeking, Direction::Backward);
    case kMREndRewind:
        return seeking(Kind::EndSeeking, Direction::Backward);
    default:
        return {};
    }
}

std::optional<MprisPositionRequest>
MprisCommandMapping::positionRequest(const MprisMetadata& metadata, double currentSeconds,
                                     double targetSeconds) {
    if (std::isnan(targetSeconds))
        return std::nullopt;
    double target = std::clamp(targetSeconds, 0.0, kLatestPosition);
    // Players ignore a SetPosition past the end of the track.
    if (metadata.lengthMicroseconds)
        target = std::min(target, metadata.lengthSeconds());
    if (metadata.canSetPosition())
        return MprisPositionRequest{MprisPositionRequest::Kind::SetPosition, *metadata.trackId,
                                    microseconds(target)};
    double current =
        std::isfinite(currentSeconds) ? std::clamp(currentSeconds, 0.0, kLatestPosition) : 0.0;
    std::int64_t offset = microseconds(target) - microseconds(current);
    if (offset == 0)
        return std::nullopt;
    return MprisPositionRequest{MprisPositionRequest::Kind::Seek, {}, offset};
}
