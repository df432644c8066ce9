#pragma once

// The Cairo side of the graphics stand-ins: the inside of CGContext, and the
// accessors the renderer draws with. Only the platform layer includes this.

#include "platform/graphics/CGContext.h"
#include "platform/graphics/ReducedImageCache.h"

#include <cairo.h>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct CairoSurfaceRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceRelease>;

class CGContext {
public:
    // Where the bitmap's bytes live and in which order. Cairo draws into a
    // native-order surface; a red-first bitmap is converted on each drawing.
    struct Bitmap {
        std::size_t width = 0;
        std::size_t height = 0;
        std::size_t bytesPerRow = 0;
        std::uint32_t bitmapInfo = 0;
        std::uint8_t* external = nullptr;
        bool redFirst = false;
        bool opaque = false;
    };

    // Makes the context, its base transform the identity on pixels (y down).
    static CGContextRef create(const Bitmap& bitmap);
    ~CGContext();
    CGContext(const CGContext&) = delete;
    CGContext& operator=(const CGContext&) = delete;

    struct GState {
        CGColor fill;
        CGColor stroke;
        CGFloat alpha = 1;
        // Coverage in device pixels of every mask clipped to so far.
        std::shared_ptr<cairo_surface_t> mask;
        // A singular transform was asked for: nothing draws in this state.
        bool degenerate = false;
    };

    cairo_t* cairo() const { return m_cairo; }
    cairo_surface_t* surface() const { return m_surface.get(); }
    const Bitmap& bitmap() const { return m_bitmap; }
    std::uint8_t* data() const;

    GState& state() { return m_states.back(); }
    void save();
    void restore();
    // Applies a transform unless it would make the CTM singular.
    void transform(const cairo_matrix_t& matrix);

    // Runs a painting operation with the state's mask applied: painted into a
    // group first, then put down through the mask.
    template <class Paint>
    void paint(Paint&& operation) {
        if (state().degenerate) {
            cairo_new_path(m_cairo);
            return;
        }
        beginDrawing();
        if (state().mask) {
            cairo_push_group(m_cairo);
            operation();
            cairo_pop_group_to_source(m_cairo);
            maskSource();
        } else {
            operation();
        }
        endDrawing();
    }

    // Lays the image's pixels (0..w, 0..h, first row at 0) through a
    // transform into user space, clipped to the image's area, at the state's
    // alpha. The current path is kept.
    void drawImage(const CGImageRef& image, const cairo_matrix_t& pixelToUser);
    // A context that draws the same pictures frame after frame (a window)
    // keeps smaller copies of the images it shows reduced, instead of
    // reducing them again on every draw.
    void keepReducedImages() {
        if (!m_reducedImages)
            m_reducedImages = std::make_unique<ReducedImageCache>();
    }
    const ReducedImageCache* reducedImages() const { return m_reducedImages.get(); }
    void clipToMask(const CGImageRef& mask, const cairo_matrix_t& pixelToUser);
    void clearRect(CGRect rect);

    void beginDrawing();
    void endDrawing();

    // The current point as last set by the path functions, kept exactly (Cairo
    // keeps path points to 1/256 of a pixel) together with the transform it
    // was given under.
    void moveCurrentPoint(CGPoint user);
    void startSubpath(CGPoint user);
    void closeSubpath();
    void forgetCurrentPoint() { m_hasCurrentPoint = false; }
    CGPoint currentPoint() const;
    // The bitmap as an image, in the image layout.
    CGImageRef snapshot();
    // The same image, taking the context's own pixels instead of copying
    // them when it can; the context draws nothing afterwards. For a context
    // at its end that nobody else holds.
    CGImageRef finishIntoImage();

protected:
    explicit CGContext(const Bitmap& bitmap);

private:
    void maskSource();

    Bitmap m_bitmap;
    CairoSurfacePtr m_surface;
    cairo_t* m_cairo = nullptr;
    std::vector<GState> m_states;
    std::vector<std::uint8_t> m_ownedBytes;
    struct TrackedPoint {
        CGPoint user;
        cairo_matrix_t matrix{};
    };
    TrackedPoint track(CGPoint user) const;
    bool m_hasCurrentPoint = false;
    TrackedPoint m_currentPoint;
    TrackedPoint m_subpathStart;
    std::unique_ptr<ReducedImageCache> m_reducedImages;
};

// Keeps the current path across an operation that needs cairo's path for
// itself: the platform's rectangle, image and clip operations leave the path
// alone.
class CairoPathKeeper {
public:
    explicit CairoPathKeeper(cairo_t* cr) : m_cairo(cr), m_path(cairo_copy_path(cr)) {
        cairo_new_path(cr);
    }
    ~CairoPathKeeper() {
        cairo_new_path(m_cairo);
        if (m_path->status == CAIRO_STATUS_SUCCESS)
            cairo_append_path(m_cairo, m_path);
        cairo_path_destroy(m_path);
    }
    CairoPathKeeper(const CairoPathKeeper&) = delete;
    CairoPathKeeper& operator=(const CairoPathKeeper&) = delete;

private:
    cairo_t* m_cairo;
    cairo_path_t* m_path;
};

// Finite and not singular: safe to give cairo, which stays in an error state
// after a singular matrix.
bool cairoMatrixIsInvertible(const cairo_matrix_t& matrix);
cairo_matrix_t CGAffineTransformToCairo(const CGAffineTransform& t);
CGAffineTransform CGAffineTransformFromCairo(const cairo_matrix_t& m);

// A new surface over the image's pixels, without copying them; it keeps the
// image alive for as long as it exists. Opaque images give RGB24 surfaces.
CairoSurfacePtr CGImageCreateCairoSurface(const CGImageRef& image);

// A bitmap context with UIKit's geometry: y down, origin top-left, user units
// of points, each scale pixels wide.
CGContextRef CGContextCreateImageContext(std::size_t pixelWidth, std::size_t pixelHeight,
                                         CGFloat scale, bool opaque);

// The cairo context a CGContext draws with. Drawing through it directly skips
// the context's clip masks and its red-first conversion; save and restore the
// state through CGContextSaveGState/RestoreGState so the two stay paired.
cairo_t* CGContextGetCairo(const CGContextRef& context);

// Draws the image upright over rect of a y-down user space (its first row at
// rect's minimum y), as UIKit and Core Animation show images.
void CGContextDrawImageUpright(const CGContextRef& context, CGRect rect, const CGImageRef& image);
