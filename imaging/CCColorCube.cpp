#include "imaging/CCColorCube.h"

#include "platform/graphics/CGImage.h"
#include "platform/uikit/UIImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

const int32_t neighbourIndices[27][3] = {
    {0, 0, 0},   {0, 0, 1},   {0, 0, -1},  {0, 1, 0},   {0, 1, 1},   {0, 1, -1},  {0, -1, 0},
    {0, -1, 1},  {0, -1, -1}, {1, 0, 0},   {1, 0, 1},   {1, 0, -1},  {1, 1, 0},   {1, 1, 1},
    {1, 1, -1},  {1, -1, 0},  {1, -1, 1},  {1, -1, -1}, {-1, 0, 0},  {-1, 0, 1},  {-1, 0, -1},
    {-1, 1, 0},  {-1, 1, 1},  {-1, 1, -1}, {-1, -1, 0}, {-1, -1, 1}, {-1, -1, -1},
};

namespace {

constexpr int kSteps = kCCColorCubeResolution;
constexpr double kDistinctThreshold = 0.2;
constexpr double kAvoidThreshold = 0.5;
constexpr double kBrightThreshold = 0.6;
constexpr double kDarkThreshold = 0.4;

// The counting loop adds each pixel to its cell as one vector of four doubles,
// (red, green, blue, 1), so that one addition carries all four sums. Each sum
// still receives the same additions in the same order as one double per
// field would, and the count is exact far beyond any image's size.
using Sums = double __attribute__((vector_size(32), may_alias));

// Everything the counting loop needs of one byte value, computed once with
// the same double arithmetic as the per-pixel formulas: the component v / 255
// in its lane (the red table also carries the count), its step times each
// axis's stride, and the two brightness tests.
struct ComponentTables {
    Sums red[256];
    Sums green[256];
    Sums blue[256];
    uint32_t redOffset[256];
    uint32_t greenOffset[256];
    uint32_t blueOffset[256];
    bool bright[256];
    bool dark[256];

    ComponentTables() {
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            // 29, not 30: only a component of exactly 255 reaches step 29.
            const auto step = static_cast<uint32_t>(c * 29.0);
            red[v] = Sums{c, 0, 0, 1};
            green[v] = Sums{0, c, 0, 0};
            blue[v] = Sums{0, 0, c, 0};
            redOffset[v] = step;
            greenOffset[v] = step * kSteps;
            blueOffset[v] = step * kSteps * kSteps;
            bright[v] = c >= kBrightThreshold;
            dark[v] = c < kDarkThreshold;
        }
    }
};

const ComponentTables& componentTables() {
    static const ComponentTables tables;
    return tables;
}

enum class PixelFilter { All, BrightOnly, DarkOnly };

// Rows of pixels whose red, green and blue bytes lie at the given offsets.
struct PixelRows {
    const uint8_t* data;
    size_t width;
    size_t height;
    size_t bytesPerRow;
    int red;
    int green;
    int blue;
};

template <PixelFilter Filter>
__attribute__((always_inline)) inline void countRowsWith(Sums* sums, const PixelRows& rows) {
    const ComponentTables& t = componentTables();
    for (size_t y = 0; y < rows.height; ++y) {
        const uint8_t* p = rows.data + y * rows.bytesPerRow;
        for (size_t x = 0; x < rows.width; ++x, p += 4) {
            const uint8_t r = p[rows.red];
            const uint8_t g = p[rows.green];
            const uint8_t b = p[rows.blue];
            if constexpr (Filter == PixelFilter::BrightOnly) {
                if (!(t.bright[r] | t.bright[g] | t.bright[b]))
                    continue;
            } else if constexpr (Filter == PixelFilter::DarkOnly) {
                if (!(t.dark[r] & t.dark[g] & t.dark[b]))
                    continue;
            }
            // Adding the zero lanes changes nothing, so each lane gets exactly
            // its component.
            sums[t.redOffset[r] + t.greenOffset[g] + t.blueOffset[b]] +=
                t.red[r] + t.green[g] + t.blue[b];
        }
    }
}

// Wider vectors where the machine has them, chosen when the library loads.
__attribute__((target_clones("arch=x86-64-v3", "default"))) void
countRows(Sums* sums, const PixelRows& rows, CCColorFlags flags) {
    if (flags & CCFlagBrightOnly)
        countRowsWith<PixelFilter::BrightOnly>(sums, rows);
    else if (flags & CCFlagDarkOnly)
        countRowsWith<PixelFilter::DarkOnly>(sums, rows);
    else
        countRowsWith<PixelFilter::All>(sums, rows);
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

// Images are described by their words: alpha, red, green, blue from the top
// byte down, so in memory on this little-endian machine blue comes first.
constexpr int kImageRedByte = 2;
constexpr int kImageGreenByte = 1;
constexpr int kImageBlueByte = 0;
constexpr int kImageAlphaByte = 3;

} // namespace

std::shared_ptr<CCColorCube> CCColorCube::create() { return makeObject<CCColorCube>(); }

void CCColorCube::clearCells() {
    m_cells.fill(CCCubeCell{});
    m_sums.fill(0);
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

bool CCColorCube::countPixels(const CCImageInput& image, CCColorFlags flags) {
    PixelRows rows{};
    if (image.isDirect()) {
        const std::span<const uint8_t> rgba = image.pixels();
        rows = {rgba.data(), rgba.size() / 4, 1, 0, 0, 1, 2};
    } else {
        // The bitmap is counted where it lies, in the same pixel order as the
        // RGBA copy rawPixelDataFromImage makes, which saves writing and
        // reading that copy.
        const std::shared_ptr<UIImage>& picture = image.image();
        if (!picture || !picture->CGImage())
            return false;
        const CGImageRef& bitmap = picture->CGImage();
        rows = {CGImageGetBytes(bitmap).data(), CGImageGetWidth(bitmap), CGImageGetHeight(bitmap),
                CGImageGetBytesPerRow(bitmap),  kImageRedByte,          kImageGreenByte,
                kImageBlueByte};
    }
    m_sums.fill(0);
    countRows(reinterpret_cast<Sums*>(m_sums.data()), rows, flags);
    for (size_t i = 0; i < m_cells.size(); ++i) {
        const double* sums = &m_sums[i * 4];
        m_cells[i] = {static_cast<uint32_t>(sums[3]), sums[0], sums[1], sums[2]};
    }
    return true;
}

CCLocalMaximumList CCColorCube::collectMaxima() const {
    CCLocalMaximumList maxima;
    for (int ri = 0; ri < kSteps; ++ri) {
        for (int gi = 0; gi < kSteps; ++gi) {
            for (int bi = 0; bi < kSteps; ++bi) {
                const int index = ri + gi * kSteps + bi * kSteps * kSteps;
                const CCCubeCell& cell = m_cells[index];
                if (cell.hitCount == 0)
                    continue;
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
                maximum->setCellIndex(static_cast<uint32_t>(index));
                maximum->setHitCount(cell.hitCount);
                maximum->setRed(cell.redAcc / cell.hitCount);
                maximum->setGreen(cell.greenAcc / cell.hitCount);
                maximum->setBlue(cell.blueAcc / cell.hitCount);
                maximum->setBrightness(
                    std::max(std::max(maximum->red(), maximum->green()), maximum->blue()));
                maxima.push_back(std::move(maximum));
            }
        }
    }
    return maxima;
}

std::optional<CCLocalMaximumList> CCColorCube::findLocalMaximaInImage(const CCImageInput& image,
                                                                      CCColorFlags flags) {
    clearCells();
    if (!countPixels(image, flags))
        return std::nullopt;
    CCLocalMaximumList maxima = collectMaxima();
    // Most frequent first; equal counts keep their scan order.
    std::stable_sort(maxima.begin(), maxima.end(), [](const auto& a, const auto& b) {
        return a->hitCount() > b->hitCount();
    });
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
        maxima = filterMaxima(maxima.value_or(CCLocalMaximumList{}),
                              UIColor::colorWithRed(0, 0, 0, 1));
    if (flags & CCFlagAvoidWhite)
        maxima = filterMaxima(maxima.value_or(CCLocalMaximumList{}),
                              UIColor::colorWithRed(1, 1, 1, 1));
    return maxima;
}

std::vector<UIColor> CCColorCube::extractColorsFromImage(const CCImageInput& image,
                                                         CCColorFlags flags) {
    return colorsFromMaxima(extractAndFilterMaximaFromImage(image, flags).value_or(
        CCLocalMaximumList{}));
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
                                                         CCColorFlags flags,
                                                         unsigned long count) {
    return colorsFromMaxima(performAdaptiveDistinctFilteringForMaxima(
        extractAndFilterMaximaFromImage(image, flags).value_or(CCLocalMaximumList{}), count));
}

std::vector<UIColor> CCColorCube::extractColors(const CCImageInput& image, CCColorFlags flags,
                                                const UIColorRef& avoidColor,
                                                unsigned long count) {
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
