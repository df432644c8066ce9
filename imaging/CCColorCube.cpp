#include "imaging/CCColorCube.h"

#include "platform/accelerate/InstructionLevel.h"
#include "platform/graphics/CGImage.h"
#include "platform/uikit/UIImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

const int32_t neighbourIndices[27][3] = {
    {0, 0, 0},  {0, 0, 1},   {0, 0, -1},  {0, 1, 0},   {0, 1, 1},   {0, 1, -1},   {0, -1, 0},
    {0, -1, 1}, {0, -1, -1}, {1, 0, 0},   {1, 0, 1},   {1, 0, -1},  {1, 1, 0},    {1, 1, 1},
    {1, 1, -1}, {1, -1, 0},  {1, -1, 1},  {1, -1, -1}, {-1, 0, 0},  {-1, 0, 1},   {-1, 0, -1},
    {-1, 1, 0}, {-1, 1, 1},  {-1, 1, -1}, {-1, -1, 0}, {-1, -1, 1}, {-1, -1, -1},
};

namespace {

constexpr int kSteps = kCCColorCubeResolution;
constexpr double kDistinctThreshold = 0.2;
constexpr double kAvoidThreshold = 0.5;
constexpr double kBrightThreshold = 0.6;
constexpr double kDarkThreshold = 0.4;

// The counting loop adds each pixel to its cell as one vector of four 64-bit
// integers: the pixel's first three bytes and a count of one. Integer sums
// are exact in any order and never overflow, and a mean is then one division
// of the exact sum, closer to the true mean than a running sum of doubles.
typedef uint64_t Sums __attribute__((vector_size(32), may_alias));
typedef uint8_t Bytes __attribute__((vector_size(4)));
constexpr int kCountLane = 3;

// Pixels the flags leave out are added to this spare cell past the cube, so
// the loop never branches on them.
constexpr uint32_t kDiscardCell = kCCColorCubeCellCount;

enum class PixelFilter { All, BrightOnly, DarkOnly };

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

// Where a pixel's red byte lies: first (RGBA) or third (BGRA, the bitmap
// layout of images).
enum class ByteOrder { RGBA, BGRA };

// Rows of four-byte pixels.
struct PixelRows {
    const uint8_t* data;
    size_t width;
    size_t height;
    size_t bytesPerRow;
    ByteOrder order;
};

// One pixel's part of the count: whether the flags let it count, its cell
// (the spare one when not) and what it adds there.
struct PixelCount {
    bool counts;
    uint32_t index;
    Sums addend;
};

template <PixelFilter Filter, ByteOrder Order>
__attribute__((always_inline)) inline PixelCount pixelCount(const ComponentTables& t,
                                                            uint32_t word) {
    constexpr int kRedShift = Order == ByteOrder::RGBA ? 0 : 16;
    constexpr int kBlueShift = 16 - kRedShift;
    const auto& offsets = t.offsets[static_cast<int>(Filter)];
    const uint32_t key = offsets[0][word >> kRedShift & 0xFF] + offsets[1][word >> 8 & 0xFF] +
                         offsets[2][word >> kBlueShift & 0xFF];
    bool counts = true;
    if constexpr (Filter == PixelFilter::BrightOnly)
        counts = (key >> kTestShift) != 0;
    else if constexpr (Filter == PixelFilter::DarkOnly)
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
template <PixelFilter Filter, bool Track, ByteOrder Order>
__attribute__((always_inline)) inline size_t countRowsWith(Sums* sums, uint32_t* occupied,
                                                           const PixelRows& rows) {
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
            const PixelCount first = pixelCount<Filter, Order>(t, static_cast<uint32_t>(words));
            const PixelCount second =
                pixelCount<Filter, Order>(t, static_cast<uint32_t>(words >> 32));
            add(first);
            add(second);
        }
        if (x < width) {
            uint32_t word;
            std::memcpy(&word, p, sizeof word);
            add(pixelCount<Filter, Order>(t, word));
        }
    }
    return noted;
}

template <bool Track, ByteOrder Order>
__attribute__((always_inline)) inline size_t
countRowsFiltered(Sums* sums, uint32_t* occupied, const PixelRows& rows, CCColorFlags flags) {
    if (flags & CCFlagBrightOnly)
        return countRowsWith<PixelFilter::BrightOnly, Track, Order>(sums, occupied, rows);
    if (flags & CCFlagDarkOnly)
        return countRowsWith<PixelFilter::DarkOnly, Track, Order>(sums, occupied, rows);
    return countRowsWith<PixelFilter::All, Track, Order>(sums, occupied, rows);
}

template <bool Track>
__attribute__((always_inline)) inline size_t
countRowsInOrder(Sums* sums, uint32_t* occupied, const PixelRows& rows, CCColorFlags flags) {
    if (rows.order == ByteOrder::RGBA)
        return countRowsFiltered<Track, ByteOrder::RGBA>(sums, occupied, rows, flags);
    return countRowsFiltered<Track, ByteOrder::BGRA>(sums, occupied, rows, flags);
}

// Small images note their cells while counting; for large ones, one look at
// every cell afterwards is cheaper than a test per pixel.
constexpr size_t kTrackingPixelLimit = 4 * kCCColorCubeCellCount;

__attribute__((always_inline)) inline size_t
countRowsBody(uint64_t* cells, uint32_t* occupied, const PixelRows& rows, CCColorFlags flags) {
    Sums* const sums = reinterpret_cast<Sums*>(cells);
    if (rows.width * rows.height <= kTrackingPixelLimit)
        return countRowsInOrder<true>(sums, occupied, rows, flags);
    countRowsInOrder<false>(sums, occupied, rows, flags);
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
using CountRows = size_t (*)(uint64_t*, uint32_t*, const PixelRows&, CCColorFlags);

size_t countRowsBaseline(uint64_t* sums, uint32_t* occupied, const PixelRows& rows,
                         CCColorFlags flags) {
    return countRowsBody(sums, occupied, rows, flags);
}
ROTIX_TARGET_X86_64_V3 size_t countRowsV3(uint64_t* sums, uint32_t* occupied, const PixelRows& rows,
                                          CCColorFlags flags) {
    return countRowsBody(sums, occupied, rows, flags);
}
ROTIX_TARGET_X86_64_V4 size_t countRowsV4(uint64_t* sums, uint32_t* occupied, const PixelRows& rows,
                                          CCColorFlags flags) {
    return countRowsBody(sums, occupied, rows, flags);
}

constexpr InstructionLevelTable<CountRows> kCountRows{countRowsBaseline, countRowsV3, countRowsV4};

// The mean component of a cell from its exact sum of bytes: divided by the
// count first, so that a cell of one colour gives exactly that byte / 255.
double meanComponent(uint64_t sum, uint32_t count) {
    return static_cast<double>(sum) / count / 255.0;
}

// The position of a cell in the scan: red slowest, then green, blue fastest.
uint32_t scanKey(uint32_t index) {
    const uint32_t ri = index % kSteps;
    const uint32_t gi = index / kSteps % kSteps;
    const uint32_t bi = index / (kSteps * kSteps);
    return (ri * kSteps + gi) * kSteps + bi;
}

double distance(double r1, double g1, double b1, double r2, double g2, double b2) {
    const double dr = r1 - r2;
    const double dg = g1 - g2;
    const double db = b1 - b2;
    return std::sqrt(dr * dr + dg * dg + db * db);
}

double distance(const CCLocalMaximum& a, const CCLocalMaximum& b) {
    return distance(a.red(), a.green(), a.blue(), b.red(), b.green(), b.blue());
}

// From this threshold on, the distinct filter finds earlier close maxima
// through a grid of buckets one threshold wide instead of comparing with
// every earlier maximum; the answer is the same, and a list of thousands of
// maxima no longer takes seconds.
constexpr double kGridThreshold = 0.05;

bool allComponentsInUnitRange(const CCLocalMaximumList& maxima) {
    for (const auto& m : maxima)
        for (double c : {m->red(), m->green(), m->blue()})
            if (!(c >= 0 && c <= 1))
                return false;
    return true;
}

CCLocalMaximumList filterDistinctOnGrid(const CCLocalMaximumList& maxima, double threshold) {
    // Buckets a hair wider than the threshold: two maxima closer than it lie
    // in the same or neighbouring buckets on every axis, rounding included.
    const double side = threshold * (1 + 1e-6);
    const int perAxis = static_cast<int>(1.0 / side) + 2;
    auto bucketOf = [&](double c) { return std::min(perAxis - 1, static_cast<int>(c / side)); };
    // Each bucket is a list through `next` of the maxima seen so far in it,
    // kept or dropped alike.
    std::vector<int32_t> heads(static_cast<size_t>(perAxis) * perAxis * perAxis, -1);
    std::vector<int32_t> next(maxima.size(), -1);
    CCLocalMaximumList filtered;
    for (size_t i = 0; i < maxima.size(); ++i) {
        const CCLocalMaximum& m = *maxima[i];
        const int br = bucketOf(m.red());
        const int bg = bucketOf(m.green());
        const int bb = bucketOf(m.blue());
        bool isDistinct = true;
        for (int r = std::max(0, br - 1); isDistinct && r <= std::min(perAxis - 1, br + 1); ++r)
            for (int g = std::max(0, bg - 1); isDistinct && g <= std::min(perAxis - 1, bg + 1); ++g)
                for (int b = std::max(0, bb - 1); isDistinct && b <= std::min(perAxis - 1, bb + 1);
                     ++b)
                    for (int32_t j = heads[(r * perAxis + g) * perAxis + b]; j >= 0; j = next[j])
                        if (distance(m, *maxima[j]) < threshold) {
                            isDistinct = false;
                            break;
                        }
        int32_t& head = heads[(br * perAxis + bg) * perAxis + bb];
        next[i] = head;
        head = static_cast<int32_t>(i);
        if (isDistinct)
            filtered.push_back(maxima[i]);
    }
    return filtered;
}

// Images are described by their words: alpha, red, green, blue from the top
// byte down, so in memory on this little-endian machine blue comes first.
constexpr int kImageRedByte = 2;
constexpr int kImageGreenByte = 1;
constexpr int kImageBlueByte = 0;
constexpr int kImageAlphaByte = 3;

} // namespace

std::shared_ptr<CCColorCube> CCColorCube::create() {
    return makeObject<CCColorCube>();
}

void CCColorCube::clearCells() {
    m_cells.fill(CCCubeCell{});
    m_sums.fill(0);
    m_occupiedCount = 0;
}

void CCColorCube::clearOccupiedCells() {
    for (size_t i = 0; i < m_occupiedCount; ++i) {
        const uint32_t index = m_occupied[i];
        m_cells[index] = CCCubeCell{};
        std::fill_n(&m_sums[index * 4], 4, 0);
    }
    std::fill_n(&m_sums[kDiscardCell * 4], 4, 0);
    m_occupiedCount = 0;
}

std::unique_ptr<uint8_t[]> CCColorCube::rawPixelDataFromImage(const std::shared_ptr<UIImage>& image,
                                                              uint32_t* pixelCount) const {
    if (!image || !image->CGImage())
        return nullptr;
    const CGImageRef& bitmap = image->CGImage();
    const size_t width = CGImageGetWidth(bitmap);
    const size_t height = CGImageGetHeight(bitmap);
    if (width == 0 || height == 0 || width > std::numeric_limits<uint32_t>::max() / height)
        return nullptr;
    std::unique_ptr<uint8_t[]> buffer;
    try {
        buffer = std::make_unique_for_overwrite<uint8_t[]>(width * height * 4);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    // The bitmap at its own size with red, green, blue, alpha in memory order,
    // as drawing it unscaled into a big-endian RGBA context would leave it.
    const uint8_t* source = CGImageGetBytes(bitmap).data();
    const size_t bytesPerRow = CGImageGetBytesPerRow(bitmap);
    uint8_t* out = buffer.get();
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* p = source + y * bytesPerRow;
        for (size_t x = 0; x < width; ++x, p += 4, out += 4) {
            out[0] = p[kImageRedByte];
            out[1] = p[kImageGreenByte];
            out[2] = p[kImageBlueByte];
            out[3] = p[kImageAlphaByte];
        }
    }
    if (pixelCount)
        *pixelCount = static_cast<uint32_t>(width * height);
    return buffer;
}

// Counts into cleared cells.
bool CCColorCube::countPixels(const CCImageInput& image, CCColorFlags flags) {
    PixelRows rows{};
    if (image.isDirect()) {
        const std::span<const uint8_t> rgba = image.pixels();
        rows = {rgba.data(), rgba.size() / 4, 1, 0, ByteOrder::RGBA};
    } else {
        // The bitmap is counted where it lies, in the same pixel order as the
        // RGBA copy rawPixelDataFromImage makes, which saves writing and
        // reading that copy.
        const std::shared_ptr<UIImage>& picture = image.image();
        if (!picture || !picture->CGImage())
            return false;
        const CGImageRef& bitmap = picture->CGImage();
        rows = {CGImageGetBytes(bitmap).data(), CGImageGetWidth(bitmap), CGImageGetHeight(bitmap),
                CGImageGetBytesPerRow(bitmap), ByteOrder::BGRA};
    }
    m_occupiedCount = kCountRows.active()(m_sums.data(), m_occupied.data(), rows, flags);
    // The sums' first three lanes hold the bytes in the pixels' order.
    const int redLane = rows.order == ByteOrder::RGBA ? 0 : 2;
    for (size_t i = 0; i < m_occupiedCount; ++i) {
        const uint32_t index = m_occupied[i];
        uint64_t* sums = &m_sums[index * 4];
        if (redLane != 0)
            std::swap(sums[0], sums[2]);
        m_cells[index] = {static_cast<uint32_t>(sums[kCountLane]), sums[0] / 255.0, sums[1] / 255.0,
                          sums[2] / 255.0};
    }
    return true;
}

CCLocalMaximumList CCColorCube::collectMaxima() {
    // Only occupied cells can be maxima; they are visited in scan order, which
    // cells noted while counting are not in.
    const auto byScan = [](uint32_t a, uint32_t b) { return scanKey(a) < scanKey(b); };
    const auto occupied = m_occupied.begin() + static_cast<std::ptrdiff_t>(m_occupiedCount);
    if (!std::is_sorted(m_occupied.begin(), occupied, byScan))
        std::sort(m_occupied.begin(), occupied, byScan);
    CCLocalMaximumList maxima;
    for (size_t i = 0; i < m_occupiedCount; ++i) {
        const uint32_t index = m_occupied[i];
        const int ri = static_cast<int>(index % kSteps);
        const int gi = static_cast<int>(index / kSteps % kSteps);
        const int bi = static_cast<int>(index / (kSteps * kSteps));
        const CCCubeCell& cell = m_cells[index];
        bool isMaximum = true;
        for (const auto& offset : neighbourIndices) {
            const int r = ri + offset[0];
            const int g = gi + offset[1];
            const int b = bi + offset[2];
            if (r < 0 || g < 0 || b < 0 || r >= kSteps || g >= kSteps || b >= kSteps)
                continue;
            if (m_cells[r + g * kSteps + b * kSteps * kSteps].hitCount > cell.hitCount) {
                isMaximum = false;
                break;
            }
        }
        if (!isMaximum)
            continue;
        auto maximum = CCLocalMaximum::create();
        maximum->setCellIndex(index);
        maximum->setHitCount(cell.hitCount);
        const uint64_t* sums = &m_sums[index * 4];
        maximum->setRed(meanComponent(sums[0], cell.hitCount));
        maximum->setGreen(meanComponent(sums[1], cell.hitCount));
        maximum->setBlue(meanComponent(sums[2], cell.hitCount));
        maximum->setBrightness(
            std::max(std::max(maximum->red(), maximum->green()), maximum->blue()));
        maxima.push_back(std::move(maximum));
    }
    return maxima;
}

std::optional<CCLocalMaximumList> CCColorCube::findLocalMaximaInImage(const CCImageInput& image,
                                                                      CCColorFlags flags) {
    clearOccupiedCells();
    if (!countPixels(image, flags))
        return std::nullopt;
    CCLocalMaximumList maxima = collectMaxima();
    // Most frequent first; equal counts keep their scan order.
    std::stable_sort(maxima.begin(), maxima.end(),
                     [](const auto& a, const auto& b) { return a->hitCount() > b->hitCount(); });
    return maxima;
}

std::optional<CCLocalMaximumList> CCColorCube::findAndSortMaximaInImage(const CCImageInput& image,
                                                                        CCColorFlags flags) {
    std::optional<CCLocalMaximumList> maxima = findLocalMaximaInImage(image, flags);
    if (!maxima)
        return std::nullopt;
    // On the hit-count order, so the more frequent of two close colours survives.
    if (flags & CCFlagDistinct)
        maxima = filterDistinctMaxima(*maxima, kDistinctThreshold);
    if (flags & CCFlagOrderBrightFirst)
        maxima = orderByBrightness(*maxima);
    else if (flags & CCFlagOrderDarkFirst)
        maxima = orderByDarkness(*maxima);
    return maxima;
}

CCLocalMaximumList CCColorCube::filterDistinctMaxima(const CCLocalMaximumList& maxima,
                                                     double threshold) const {
    // No distance is below a threshold that is not positive.
    if (!(threshold > 0))
        return maxima;
    if (threshold >= kGridThreshold && allComponentsInUnitRange(maxima))
        return filterDistinctOnGrid(maxima, threshold);
    // A maximum is compared with every earlier one of the input, kept or not.
    CCLocalMaximumList filtered;
    for (size_t i = 0; i < maxima.size(); ++i) {
        bool isDistinct = true;
        for (size_t j = 0; j < i; ++j) {
            if (distance(*maxima[i], *maxima[j]) < threshold) {
                isDistinct = false;
                break;
            }
        }
        if (isDistinct)
            filtered.push_back(maxima[i]);
    }
    return filtered;
}

CCLocalMaximumList CCColorCube::filterMaxima(const CCLocalMaximumList& maxima,
                                             const UIColor& tooCloseToColor) const {
    if (tooCloseToColor.numberOfComponents() < 3)
        return maxima;
    const double red = tooCloseToColor.red();
    const double green = tooCloseToColor.green();
    const double blue = tooCloseToColor.blue();
    CCLocalMaximumList filtered;
    for (const auto& maximum : maxima) {
        if (distance(maximum->red(), maximum->green(), maximum->blue(), red, green, blue) >=
            kAvoidThreshold)
            filtered.push_back(maximum);
    }
    return filtered;
}

CCLocalMaximumList CCColorCube::orderByBrightness(const CCLocalMaximumList& maxima) const {
    CCLocalMaximumList ordered = maxima;
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        return a->brightness() > b->brightness();
    });
    return ordered;
}

CCLocalMaximumList CCColorCube::orderByDarkness(const CCLocalMaximumList& maxima) const {
    CCLocalMaximumList ordered = maxima;
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        return a->brightness() < b->brightness();
    });
    return ordered;
}

CCLocalMaximumList
CCColorCube::performAdaptiveDistinctFilteringForMaxima(const CCLocalMaximumList& maxima,
                                                       unsigned long count) const {
    if (maxima.size() <= count)
        return maxima;
    // Raise the threshold until one more pass would leave too few, and keep
    // the last list that still had more than enough.
    CCLocalMaximumList current = maxima;
    double threshold = 0.1;
    for (int pass = 0; pass < 10; ++pass) {
        CCLocalMaximumList filtered = filterDistinctMaxima(current, threshold);
        if (filtered.size() <= count)
            break;
        current = std::move(filtered);
        threshold += 0.05;
    }
    current.resize(std::min<size_t>(count, current.size()));
    return current;
}

std::vector<UIColor> CCColorCube::colorsFromMaxima(const CCLocalMaximumList& maxima) const {
    std::vector<UIColor> colors;
    colors.reserve(maxima.size());
    for (const auto& maximum : maxima)
        colors.push_back(
            UIColor::colorWithRed(maximum->red(), maximum->green(), maximum->blue(), 1.0));
    return colors;
}

std::optional<CCLocalMaximumList>
CCColorCube::extractAndFilterMaximaFromImage(const CCImageInput& image, CCColorFlags flags) {
    std::optional<CCLocalMaximumList> maxima = findAndSortMaximaInImage(image, flags);
    // A colour filter turns a missing list into an empty one.
    if (flags & CCFlagAvoidBlack)
        maxima =
            filterMaxima(maxima.value_or(CCLocalMaximumList{}), UIColor::colorWithRed(0, 0, 0, 1));
    if (flags & CCFlagAvoidWhite)
        maxima =
            filterMaxima(maxima.value_or(CCLocalMaximumList{}), UIColor::colorWithRed(1, 1, 1, 1));
    return maxima;
}

std::vector<UIColor> CCColorCube::extractColorsFromImage(const CCImageInput& image,
                                                         CCColorFlags flags) {
    return colorsFromMaxima(
        extractAndFilterMaximaFromImage(image, flags).value_or(CCLocalMaximumList{}));
}

std::vector<UIColor> CCColorCube::extractColorsFromImage(const CCImageInput& image,
                                                         CCColorFlags flags,
                                                         const UIColorRef& avoidColor) {
    CCLocalMaximumList maxima =
        extractAndFilterMaximaFromImage(image, flags).value_or(CCLocalMaximumList{});
    if (avoidColor)
        maxima = filterMaxima(maxima, *avoidColor);
    return colorsFromMaxima(maxima);
}

std::vector<UIColor> CCColorCube::extractColorsFromImage(const CCImageInput& image,
                                                         CCColorFlags flags, unsigned long count) {
    return colorsFromMaxima(performAdaptiveDistinctFilteringForMaxima(
        extractAndFilterMaximaFromImage(image, flags).value_or(CCLocalMaximumList{}), count));
}

std::vector<UIColor> CCColorCube::extractColors(const CCImageInput& image, CCColorFlags flags,
                                                const UIColorRef& avoidColor, unsigned long count) {
    CCLocalMaximumList maxima =
        findAndSortMaximaInImage(image, flags).value_or(CCLocalMaximumList{});
    if (avoidColor)
        maxima = filterMaxima(maxima, *avoidColor);
    return colorsFromMaxima(performAdaptiveDistinctFilteringForMaxima(maxima, count));
}

std::vector<UIColor> CCColorCube::extractBrightColorsFromImage(const CCImageInput& image,
                                                               const UIColorRef& avoidColor,
                                                               unsigned long count) {
    return extractColors(image, CCFlagBrightOnly, avoidColor, count);
}

std::vector<UIColor> CCColorCube::extractDarkColorsFromImage(const CCImageInput& image,
                                                             const UIColorRef& avoidColor,
                                                             unsigned long count) {
    return extractColors(image, CCFlagDarkOnly, avoidColor, count);
}
