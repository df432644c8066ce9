#include "platform/mediaremote/mpris/MprisPlayerChoice.h"

#include <tuple>

std::optional<std::string>
MprisPlayerChoice::choose(const std::vector<MprisPlayerCandidate>& candidates) {
    const MprisPlayerCandidate* best = nullptr;
    for (const auto& candidate : candidates) {
        if (!best) {
            best = &candidate;
            continue;
        }
        // Playing first, then the latest activity, then the smaller name.
        auto rank = [](const MprisPlayerCandidate& c) {
            return std::make_tuple(c.playing, c.lastActive);
        };
        if (rank(candidate) > rank(*best) ||
            (rank(candidate) == rank(*best) && candidate.busName < best->busName))
            best = &candidate;
    }
    if (!best)
        return std::nullopt;
    return best->busName;
}
