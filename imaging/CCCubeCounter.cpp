#include "imaging/CCCubeCounter.h"

#include "platform/accelerate/InstructionLevel.h"

#include <algorithm>
#include <cstring>

// Why the count is shaped as it is: it is the one step that reads every
// pixel, and a photo has millions. So each pixel costs three table lookups,
// one vector addition and no branch: the tables turn a byte into its cell
// offset and its filter test at once, integer sums replace the running
// doubles, left-out pixels go to a spare cell, and the loop is built once for
// each instruction level. The results are those of the plain per-pixel
// formulas, bit for bit.

namespace {

using Filter = CCCubeCounter::Filter;
using ByteOrder = CCCubeCounter::ByteOrder;
using Rows = CCCubeCounter::Rows;

constexpr int kSteps = kCCColorCubeResolution;
constexpr double kBrightThreshold = 0.6;
constexpr double kDarkThreshold = 0.4;

// The counting loop adds each pixel to its cell as one vector of four 64-bit
// integers: the pixel's first three bytes and a count of one. Integer sums
// are exact in any order and never overflow, and a mean is then one division
// of the exact sum, closer to the true mean than a running sum of doubles.
typedef uint64_t Sums __attribute__((vector_size(32), may_alias));
typedef uint8_t Bytes __attribute__((vector_size(4)));
constexpr int kCountLane = 3;

// Pixels the filter leaves out are added to this spare cell past the cube,
// so the loop never branches on them.
constexpr uint32_t kDiscardCell = kCCColorCubeCellCount;

// The offset tables carry, above a byte's cell offset, the result of the
// filter's brightness test for that byte in a bit of each channel's own, so
// the sum of a pixel's three entries is its cell index with the three test
// results on top: one lookup a channel does both.
constexpr int kTestShift = 29;
constexpr uint32_t kIndexMask = (1u << kTestShift) - 1;
constexpr uint32_t kAllTests = 7;

// For each filter and channel, a byte's step times the axis's stride with
// the brightness test, computed once with the same double arithmetic as the
// per-pixel formulas.
struct ComponentTables {
    uint32_t offsets[3][3][256];

    ComponentTables() {
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            // 29, not 30: only a component of exactly 255 reaches step 29.
            const auto step = static_cast<uint32_t>(c * 29.0);
            const uint32_t tests[3] = {0, c >= kBrightThreshold, c < kDarkThreshold};
            for (int filter = 0; filter < 3; ++filter) {
                uint32_t stride = 1;
                for (int channel = 0; channel < 3; ++channel, stride *= kSteps)
                    offsets[filter][channel][v] = step * stride | tests[filter]
                                                                      << (kTestShift + channel);
            }
        }
    }
};

const ComponentTables& componentTables() {
    static const ComponentTables tables;
    return tables;
}

// One pixel's part of the count: whether the filter lets it count, its cell
// (the spare one when not) and what it adds there.
struct PixelCount {
    bool counts;
    uint32_t index;
    Sums addend;
};

template <Filter F, ByteOrder Order>
__attribute__((always_inline)) inline PixelCount pixelCount(const ComponentTables& t,
                                                            uint32_t word) {
    constexpr int kRedShift = Order == ByteOrder::RGBA ? 0 : 16;
    constexpr int kBlueShift = 16 - kRedShift;
    const auto& offsets = t.offsets[static_cast<int>(F)];
    const uint32_t key = offsets[0][word >> kRedShift & 0xFF] + offsets[1][word >> 8 & 0xFF] +
                         offsets[2][word >> kBlueShift & 0xFF];
    bool counts = true;
    if constexpr (F == Filter::BrightOnly)
        counts = (key >> kTestShift) != 0;
    else if constexpr (F == Filter::DarkOnly)
        counts = (key >> kTestShift) == kAllTests;
    // The alpha byte becomes the count of one; widening the four bytes to
    // four lanes is a single instruction on the wider levels.
    Bytes bytes;
    const uint32_t withCount = (word & 0x00FFFFFF) | 1u << 24;
    std::memcpy(&bytes, &withCount, sizeof bytes);
    return {counts, counts ? key & kIndexMask : kDiscardCell, __builtin_convertvector(bytes, Sums)};
}

// Adds every pixel to its cell. With Track, notes each cell the first time it
// is reached, so that the rest of the analysis visits only occupied cells,
// and returns the count of cells noted. Pixels go two at a time, both read
// and looked up before either is added, which keeps the additions to the
// cells from holding up the lookups.
template <Filter F, bool Track, ByteOrder Order>
__attribute__((always_inline)) inline size_t countRowsWith(Sums* sums, uint32_t* occupied,
                                                           const Rows& rows) {
    const ComponentTables& t = componentTables();
    const uint8_t* const data = rows.data;
    const size_t width = rows.width;
    const size_t height = rows.height;
    const size_t bytesPerRow = rows.bytesPerRow;
    size_t noted = 0;
    auto add = [&](const PixelCount& pixel) {
        const Sums cell = sums[pixel.index];
        if (Track && (cell[kCountLane] == 0) & pixel.counts)
            occupied[noted++] = pixel.index;
        sums[pixel.index] = cell + pixel.addend;
    };
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* p = data + y * bytesPerRow;
        size_t x = 0;
        for (; x + 2 <= width; x += 2, p += 8) {
            uint64_t words;
            std::memcpy(&words, p, sizeof words);
            const PixelCount first = pixelCount<F, Order>(t, static_cast<uint32_t>(words));
            const PixelCount second = pixelCount<F, Order>(t, static_cast<uint32_t>(words >> 32));
            add(first);
            add(second);
        }
        if (x < width) {
            uint32_t word;
            std::memcpy(&word, p, sizeof word);
            add(pixelCount<F, Order>(t, word));
        }
    }
    return noted;
}

template <bool Track, ByteOrder Order>
__attribute__((always_inline)) inline size_t countRowsFiltered(Sums* sums, uint32_t* occupied,
                                                               const Rows& rows, Filter filter) {
    switch (filter) {
    case Filter::BrightOnly:
        return countRowsWith<Filter::BrightOnly, Track, Order>(sums, occupied, rows);
    case Filter::DarkOnly:
        return countRowsWith<Filter::DarkOnly, Track, Order>(sums, occupied, rows);
    case Filter::All:
        break;
    }
    return countRowsWith<Filter::All, Track, Order>(sums, occupied, rows);
}

template <bool Track>
__attribute__((always_inline)) inline size_t countRowsInOrder(Sums* sums, uint32_t* occupied,
                                                              const Rows& rows, Filter filter) {
    if (rows.order == ByteOrder::RGBA)
        return countRowsFiltered<Track, ByteOrder::RGBA>(sums, occupied, rows, filter);
    return countRowsFiltered<Track, ByteOrder::BGRA>(sums, occupied, rows, filter);
}

// Small images note their cells while counting; for large ones, one look at
// every cell afterwards is cheaper than a test per pixel.
constexpr size_t kTrackingPixelLimit = 4 * kCCColorCubeCellCount;

__attribute__((always_inline)) inline size_t countRowsBody(uint64_t* cells, uint32_t* occupied,
                                                           const Rows& rows, Filter filter) {
    Sums* const sums = reinterpret_cast<Sums*>(cells);
    if (rows.width * rows.height <= kTrackingPixelLimit)
        return countRowsInOrder<true>(sums, occupied, rows, filter);
    countRowsInOrder<false>(sums, occupied, rows, filter);
    // In scan order (red slowest, blue fastest), which the maxima are
    // collected in, so that no sort is needed afterwards.
    size_t noted = 0;
    for (uint32_t ri = 0; ri < kSteps; ++ri)
        for (uint32_t gi = 0; gi < kSteps; ++gi)
            for (uint32_t index = ri + gi * kSteps; index < kCCColorCubeCellCount;
                 index += kSteps * kSteps)
                if (sums[index][kCountLane] != 0)
                    occupied[noted++] = index;
    return noted;
}

// The counting loop built for each instruction level.
using CountRows = size_t (*)(uint64_t*, uint32_t*, const Rows&, Filter);

size_t countRowsBaseline(uint64_t* sums, uint32_t* occupied, const Rows& rows, Filter filter) {
    return countRowsBody(sums, occupied, rows, filter);
}
ROTIX_TARGET_X86_64_V3 size_t countRowsV3(uint64_t* sums, uint32_t* occupied, const Rows& rows,
                                          Filter filter) {
    return countRowsBody(sums, occupied, rows, filter);
}
ROTIX_TARGET_X86_64_V4 size_t countRowsV4(uint64_t* sums, uint32_t* occupied, const Rows& rows,
                                          Filter filter) {
    return countRowsBody(sums, occupied, rows, filter);
}

constexpr InstructionLevelTable<CountRows> kCountRows{countRowsBaseline, countRowsV3, countRowsV4};

// The position of a cell in the scan: red slowest, then green, blue fastest.
uint32_t scanKey(uint32_t index) {
    const uint32_t ri = index % kSteps;
    const uint32_t gi = index / kSteps % kSteps;
    const uint32_t bi = index / (kSteps * kSteps);
    return (ri * kSteps + gi) * kSteps + bi;
}

} // namespace

void CCCubeCounter::clearAll(Cells& cells) {
    cells.fill(CCCubeCell{});
    m_sums.fill(0);
    m_occupiedCount = 0;
}

void CCCubeCounter::clearLast(Cells& cells) {
    for (size_t i = 0; i < m_occupiedCount; ++i) {
        const uint32_t index = m_occupied[i];
        cells[index] = CCCubeCell{};
        std::fill_n(&m_sums[index * 4], 4, 0);
    }
    std::fill_n(&m_sums[kDiscardCell * 4], 4, 0);
    m_occupiedCount = 0;
}

void CCCubeCounter::count(const Rows& rows, Filter filter, Cells& cells) {
    m_occupiedCount = kCountRows.active()(m_sums.data(), m_occupied.data(), rows, filter);
    // Cells noted while counting are in the order the pixels reached them.
    const auto byScan = [](uint32_t a, uint32_t b) { return scanKey(a) < scanKey(b); };
    const auto occupied = m_occupied.begin() + static_cast<std::ptrdiff_t>(m_occupiedCount);
    if (!std::is_sorted(m_occupied.begin(), occupied, byScan))
        std::sort(m_occupied.begin(), occupied, byScan);
    // The sums' first three lanes hold the bytes in the pixels' order.
    for (size_t i = 0; i < m_occupiedCount; ++i) {
        const uint32_t index = m_occupied[i];
        uint64_t* sums = &m_sums[index * 4];
        if (rows.order == ByteOrder::BGRA)
            std::swap(sums[0], sums[2]);
        cells[index] = {static_cast<uint32_t>(sums[kCountLane]), sums[0] / 255.0, sums[1] / 255.0,
                        sums[2] / 255.0};
    }
}

std::span<const uint32_t> CCCubeCounter::occupiedCells() const {
    return {m_occupied.data(), m_occupiedCount};
}

std::array<double, 3> CCCubeCounter::means(uint32_t index) const {
    const uint64_t* sums = &m_sums[index * 4];
    const auto count = static_cast<uint32_t>(sums[kCountLane]);
    return {static_cast<double>(sums[0]) / count / 255.0,
            static_cast<double>(sums[1]) / count / 255.0,
            static_cast<double>(sums[2]) / count / 255.0};
}
