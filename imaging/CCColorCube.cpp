#include "imaging/CCColorCube.h"

#include "imaging/CCColorDistance.h"
#include "imaging/CCDistinctGrid.h"
#include "platform/graphics/CGImage.h"
#include "platform/uikit/UIImage.h"

#include <algorithm>
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
    m_counter.clearAll(m_cells);
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

// Counts every pixel into cleared cells: r, g and b are its bytes / 255.0;
// with CCFlagBrightOnly a pixel counts only when a component is at least
// 0.6, else with CCFlagDarkOnly only when all three are below 0.4; its cell
// is each component's step (component x 29, truncated). The counter does
// this with exact integer sums.
bool CCColorCube::countPixels(const CCImageInput& image, CCColorFlags flags) {
    CCCubeCounter::Rows rows{};
    if (image.isDirect()) {
        const std::span<const uint8_t> rgba = image.pixels();
        rows = {rgba.data(), rgba.size() / 4, 1, 0, CCCubeCounter::ByteOrder::RGBA};
    } else {
        // The bitmap is counted where it lies, in the same pixel order as the
        // RGBA copy rawPixelDataFromImage makes, which saves writing and
        // reading that copy.
        const std::shared_ptr<UIImage>& picture = image.image();
        if (!picture || !picture->CGImage())
            return false;
        const CGImageRef& bitmap = picture->CGImage();
        rows = {CGImageGetBytes(bitmap).data(), CGImageGetWidth(bitmap), CGImageGetHeight(bitmap),
                CGImageGetBytesPerRow(bitmap), CCCubeCounter::ByteOrder::BGRA};
    }
    CCCubeCounter::Filter filter = CCCubeCounter::Filter::All;
    if (flags & CCFlagBrightOnly)
        filter = CCCubeCounter::Filter::BrightOnly;
    else if (flags & CCFlagDarkOnly)
        filter = CCCubeCounter::Filter::DarkOnly;
    m_counter.count(rows, filter, m_cells);
    return true;
}

CCLocalMaximumList CCColorCube::collectMaxima() {
    // Only occupied cells can be maxima; the counter hands them over in scan
    // order.
    CCLocalMaximumList maxima;
    for (const uint32_t index : m_counter.occupiedCells()) {
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
        const auto [red, green, blue] = m_counter.means(index);
        maximum->setRed(red);
        maximum->setGreen(green);
        maximum->setBlue(blue);
        maximum->setBrightness(std::max(std::max(red, green), blue));
        maxima.push_back(std::move(maximum));
    }
    return maxima;
}

std::optional<CCLocalMaximumList> CCColorCube::findLocalMaximaInImage(const CCImageInput& image,
                                                                      CCColorFlags flags) {
    m_counter.clearLast(m_cells);
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
    if (CCDistinctGrid::suits(maxima, threshold))
        return CCDistinctGrid::filter(maxima, threshold);
    // A maximum is compared with every earlier one of the input, kept or not.
    CCLocalMaximumList filtered;
    for (size_t i = 0; i < maxima.size(); ++i) {
        bool isDistinct = true;
        for (size_t j = 0; j < i; ++j) {
            if (colorDistance(*maxima[i], *maxima[j]) < threshold) {
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
        if (colorDistance(maximum->red(), maximum->green(), maximum->blue(), red, green, blue) >=
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
