#pragma once

// The player's image files, installed on the device under this folder.
constexpr const char* kRotixNoAlbumImagePath = "/Library/Application Support/Rotix2/noalbum.png";
constexpr const char* kRotixForwardImagePath = "/Library/Application Support/Rotix2/forward.png";
constexpr const char* kRotixBackwardImagePath = "/Library/Application Support/Rotix2/backward.png";
constexpr const char* kRotixPlayImagePath = "/Library/Application Support/Rotix2/play.png";
constexpr const char* kRotixPauseImagePath = "/Library/Application Support/Rotix2/pause.png";
constexpr const char* kRotixEmptyImagePath = "/Library/Application Support/Rotix2/empty.png";
