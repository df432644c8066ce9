#pragma once

#include "imaging/CCCubeCell.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Counts pixels into the colour cube's cells, fast: the whole image passes
// through here, so this is where an analysis spends its time. The cube keeps
// the steps of the analysis; this keeps the sums and the bookkeeping that
// make the count quick, and fills the cube's cells from them.
class CCCubeCounter {
public:
    using Cells = std::array<CCCubeCell, kCCColorCubeCellCount>;

    // Which pixels count: all, those with a component of at least 0.6, or
    // those whose components are all below 0.4.
    enum class Filter { All, BrightOnly, DarkOnly };
    // Where a pixel's red byte lies: first (RGBA) or third (BGRA, the bitmap
    // layout of images).
    enum class ByteOrder { RGBA, BGRA };

    // Rows of four-byte pixels.
    struct Rows {
        const uint8_t* data;
        size_t width;
        size_t height;
        size_t bytesPerRow;
        ByteOrder order;
    };

    // Zeroes every cell and every sum.
    void clearAll(Cells& cells);
    // Zeroes what the last count reached, which leaves every cell zero.
    void clearLast(Cells& cells);

    // Counts the rows into cleared cells: each pixel that passes the filter
    // adds one to its cell's hit count and its components to the cell's sums.
    void count(const Rows& rows, Filter filter, Cells& cells);
    // The cells the last count reached, in scan order (red slowest, then
    // green, blue fastest).
    std::span<const uint32_t> occupiedCells() const;
    // The mean red, green and blue of a counted cell's pixels, from the exact
    // sums: divided by the count first, so that a cell of one colour gives
    // exactly that byte / 255.
    std::array<double, 3> means(uint32_t index) const;

private:
    // Each cell's exact sums: red, green and blue bytes and the count, side
    // by side for vector additions, and one spare cell for the pixels the
    // filter leaves out.
    alignas(32) std::array<uint64_t, 4 * (kCCColorCubeCellCount + 1)> m_sums{};
    // The cells the last count reached, the first m_occupiedCount entries;
    // all other cells are zero.
    std::array<uint32_t, kCCColorCubeCellCount> m_occupied{};
    size_t m_occupiedCount = 0;
};
