#pragma once

#include "imaging/CCCubeCell.h"
#include "imaging/CCCubeCounter.h"
#include "imaging/CCLocalMaximum.h"
#include "platform/objc/NSObject.h"
#include "platform/uikit/UIColor.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class UIImage;

// Bits of the flag word that choose which pixels count and how the colours
// are filtered and ordered.
using CCColorFlags = unsigned long;
enum : CCColorFlags {
    // Only pixels with a component of at least 0.6 count.
    CCFlagBrightOnly = 1,
    // Only pixels whose components are all below 0.4 count (unless BrightOnly).
    CCFlagDarkOnly = 2,
    // Maxima closer than 0.2 to a more frequent one are dropped.
    CCFlagDistinct = 4,
    CCFlagOrderBrightFirst = 8,
    // Darkest first, unless OrderBrightFirst.
    CCFlagOrderDarkFirst = 16,
    CCFlagAvoidWhite = 32,
    CCFlagAvoidBlack = 64,
};

// The offsets from a cell to itself and its 26 neighbours, (dr, dg, db), the
// first varying slowest and each running 0, +1, -1.
extern const int32_t neighbourIndices[27][3];

// Where the cube reads its pixels: an image, whose bitmap is read at its own
// size, or RGBA bytes given directly (four a pixel, alpha premultiplied).
class CCImageInput {
public:
    CCImageInput(std::shared_ptr<UIImage> image) : m_image(std::move(image)) {}
    CCImageInput(std::nullptr_t) {}
    CCImageInput(std::span<const uint8_t> rgbaPixels) : m_pixels(rgbaPixels), m_direct(true) {}

    const std::shared_ptr<UIImage>& image() const { return m_image; }
    std::span<const uint8_t> pixels() const { return m_pixels; }
    bool isDirect() const { return m_direct; }

private:
    std::shared_ptr<UIImage> m_image;
    std::span<const uint8_t> m_pixels;
    bool m_direct = false;
};

// Finds the dominant colours of an image: a 30 x 30 x 30 histogram over red,
// green and blue, whose local maxima are filtered, ordered and trimmed by a
// flag word and an optional count. The cells are scratch state of the
// analysis under way, so one cube runs one analysis at a time.
class CCColorCube : public NSObject {
public:
    static std::shared_ptr<CCColorCube> create();

    void clearCells();
    const std::array<CCCubeCell, kCCColorCubeCellCount>& cells() const { return m_cells; }

    // The image's bitmap at its own size as RGBA bytes, premultiplied; the
    // count of pixels is stored only on success. Nothing without a bitmap.
    std::unique_ptr<uint8_t[]> rawPixelDataFromImage(const std::shared_ptr<UIImage>& image,
                                                     uint32_t* pixelCount) const;

    // Nothing when the pixels cannot be read.
    std::optional<CCLocalMaximumList> findLocalMaximaInImage(const CCImageInput& image,
                                                             CCColorFlags flags);
    std::optional<CCLocalMaximumList> findAndSortMaximaInImage(const CCImageInput& image,
                                                               CCColorFlags flags);
    CCLocalMaximumList filterDistinctMaxima(const CCLocalMaximumList& maxima,
                                            double threshold) const;
    // A colour with fewer than three components cannot be compared and
    // leaves the list as it is.
    CCLocalMaximumList filterMaxima(const CCLocalMaximumList& maxima,
                                    const UIColor& tooCloseToColor) const;
    CCLocalMaximumList orderByBrightness(const CCLocalMaximumList& maxima) const;
    CCLocalMaximumList orderByDarkness(const CCLocalMaximumList& maxima) const;
    CCLocalMaximumList performAdaptiveDistinctFilteringForMaxima(const CCLocalMaximumList& maxima,
                                                                 unsigned long count) const;
    std::vector<UIColor> colorsFromMaxima(const CCLocalMaximumList& maxima) const;
    std::optional<CCLocalMaximumList> extractAndFilterMaximaFromImage(const CCImageInput& image,
                                                                      CCColorFlags flags);

    std::vector<UIColor> extractColorsFromImage(const CCImageInput& image, CCColorFlags flags);
    // Without an avoid colour the colour filter is skipped.
    std::vector<UIColor> extractColorsFromImage(const CCImageInput& image, CCColorFlags flags,
                                                const UIColorRef& avoidColor);
    std::vector<UIColor> extractColorsFromImage(const CCImageInput& image, CCColorFlags flags,
                                                unsigned long count);
    std::vector<UIColor> extractBrightColorsFromImage(const CCImageInput& image,
                                                      const UIColorRef& avoidColor,
                                                      unsigned long count);
    std::vector<UIColor> extractDarkColorsFromImage(const CCImageInput& image,
                                                    const UIColorRef& avoidColor,
                                                    unsigned long count);

    std::string_view className() const override { return "CCColorCube"; }

protected:
    CCColorCube() = default;

private:
    // Counts the pixels into the cells; false when there are none to read.
    bool countPixels(const CCImageInput& image, CCColorFlags flags);
    CCLocalMaximumList collectMaxima();
    std::vector<UIColor> extractColors(const CCImageInput& image, CCColorFlags flags,
                                       const UIColorRef& avoidColor, unsigned long count);

    std::array<CCCubeCell, kCCColorCubeCellCount> m_cells{};
    // Keeps the exact sums the cells are filled from, and which cells the
    // last analysis reached, so that the next clears only those.
    CCCubeCounter m_counter;
};
