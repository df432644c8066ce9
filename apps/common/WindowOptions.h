#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A key that sends an Activator event to a listener while the window has
// the keyboard, as "--activator-key n=org.brenwick.rotix" asks.
struct ActivatorKey {
    // Lower case, as SDL names keys ("n", "f5", "space").
    std::string key;
    std::string listener;

    bool operator==(const ActivatorKey&) const = default;
};

// The key the window offers when none is given: the player's own listener.
ActivatorKey defaultActivatorKey();

// Parses "KEY=LISTENER"; nothing for a missing half, or for Escape, which
// always closes the window.
std::optional<ActivatorKey> parseActivatorKey(const std::string& text);

// Why no window can be opened from this environment, or nothing when a
// display is there to try. A driver that draws nowhere ("offscreen",
// "dummy") counts as no display: a window nobody sees is never what the
// person asked for.
std::optional<std::string>
displayUnavailableReason(const std::function<const char*(const char*)>& environment);

// True for SDL video drivers that open no window a person can see.
bool isInvisibleVideoDriver(const std::string& name);
