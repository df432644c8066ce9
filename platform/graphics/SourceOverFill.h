#pragma once

#include <cstddef>
#include <cstdint>

// Lays one premultiplied colour over a rectangle of premultiplied 32-bit
// pixels (source over), with the rounding of Cairo's own solid fills:
// each channel becomes source + destination x (255 - source alpha) / 255,
// the quotient rounded to nearest. Runs at the active instruction level.
struct SourceOverFill {
    std::uint8_t* pixels;
    std::size_t bytesPerRow;
    long left;
    long top;
    long right;
    long bottom;
    // The colour as the four bytes of one pixel, in the pixels' order.
    std::uint8_t colour[4];
    // Which of the four bytes holds alpha.
    int alphaByte;
};

void fillSourceOver(const SourceOverFill& fill);
