#pragma once

#include <cairo.h>
#include <cstddef>
#include <cstdint>
#include <vector>

// Strokes by the coverage of the stroke in device pixels, and remembers the
// coverage of the last few strokes drawn twice, so that a stroke drawn again
// exactly as before (a ring's full track, redrawn on every tick of the
// player) is laid down from it instead of being stroked anew: stroking a
// thick circle costs several times more than putting its few thousand edge
// pixels down again. Every stroke it takes is drawn the same way, kept or
// not, so a picture never depends on what was drawn before it. Each thread
// has its own cache.
class StrokeCoverageCache {
public:
    // Strokes cairo's current path with its current pen and solid source:
    // the path's coverage, as cairo rasterises it, put down as cairo puts a
    // colour down through a mask; then clears the path. Answers false,
    // leaving everything as it was, for a stroke it does not take (a clip
    // that cuts it, a dash, a pattern, another operator or surface); the
    // caller then strokes.
    static bool stroke(cairo_t* cr);

    // How many strokes were laid down from a kept coverage on this thread.
    static std::size_t reuseCount();

    struct Key {
        std::vector<double> values;
        std::uint64_t hash = 0;
        bool operator==(const Key& other) const {
            return hash == other.hash && values == other.values;
        }
    };
    // A span of a row where coverage is not zero, and where its bytes start.
    struct Run {
        int y;
        int x0;
        int x1;
        std::size_t offset;
    };
    // The spans of coverage in the device rectangle at (left, top), their
    // bytes one after another: laid down in order, they are read straight
    // through, which matters more than the arithmetic.
    struct Coverage {
        Key key;
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> bytes;
        std::vector<Run> runs;
        std::uint64_t lastUse = 0;
    };

private:
    std::vector<Coverage> m_kept;
    std::vector<Key> m_seen;
    std::uint64_t m_clock = 0;
    std::size_t m_reuses = 0;
};
