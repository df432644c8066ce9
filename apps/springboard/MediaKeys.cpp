#include "apps/springboard/MediaKeys.h"

#include "platform/mediaremote/MediaRemote.h"

#include <utility>

std::optional<int> nowPlayingCommandForKey(std::string_view keyName) {
    // The same commands the player's buttons send; a keyboard's one play key
    // plays or pauses, as the play/pause button does.
    static constexpr std::pair<std::string_view, int> kKeys[] = {
        {"space", kMRTogglePlayPause}, {"audioplay", kMRTogglePlayPause},
        {"left", kMRPreviousTrack},    {"audioprev", kMRPreviousTrack},
        {"right", kMRNextTrack},       {"audionext", kMRNextTrack},
        {"audiostop", kMRStop},
    };
    for (const auto& [name, command] : kKeys) {
        if (name == keyName)
            return command;
    }
    return std::nullopt;
}
