#pragma once

#include <optional>
#include <string_view>

// The now-playing command a key of the desktop's keyboard sends, by SDL's
// key name in lower case: Space plays or pauses, Left and Right skip back and
// forward, and the keyboard's media keys do what they say. Nothing for any
// other key.
std::optional<int> nowPlayingCommandForKey(std::string_view keyName);
