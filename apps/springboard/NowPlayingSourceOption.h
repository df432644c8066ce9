#pragma once

#include <optional>
#include <string>

class SpringBoardHost;

// Where the now-playing information comes from: the demo music application,
// the desktop's players over the session bus, or (auto) the desktop's when a
// player is on the bus at start, else the demo.
enum class NowPlayingSourceKind { Demo, Mpris, Auto };

std::optional<NowPlayingSourceKind> parseNowPlayingSourceKind(const std::string& text);

// Installs the source before the lock screen starts; answers the one chosen
// (never Auto). Without a session bus, "mpris" plays nothing and says so on
// standard error; "auto" falls back to the demo.
NowPlayingSourceKind installNowPlayingSource(NowPlayingSourceKind kind, SpringBoardHost& host,
                                             const std::string& programName = "springboard");
