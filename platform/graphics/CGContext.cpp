#include "platform/graphics/CGContext.h"

#include "platform/graphics/CGCairo.h"
#include "platform/graphics/SourceOverFill.h"
#include "platform/graphics/StrokeCoverageCache.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>

namespace {

constexpr double kTurn = 2 * std::numbers::pi;

bool finite(std::initializer_list<double> values) {
    for (double value : values) {
        if (!std::isfinite(value))
            return false;
    }
    return true;
}

double clampUnit(double value) {
    if (!(value > 0))
        return 0;
    return value < 1 ? value : 1;
}

void setSourceColor(cairo_t* cr, const CGColor& color, CGFloat alpha) {
    cairo_set_source_rgba(cr, clampUnit(color.red), clampUnit(color.green), clampUnit(color.blue),
                          clampUnit(color.alpha) * alpha);
}

// The end angle cairo is given: on the requested side of the start and at
// most two turns away, so a huge or wrapped angle never makes cairo loop.
double arcEnd(double start, double end, bool increasing) {
    double sweep = increasing ? end - start : start - end;
    if (sweep < 0) {
        sweep = std::fmod(sweep, kTurn);
        if (sweep < 0)
            sweep += kTurn;
    } else if (sweep > 2 * kTurn) {
        sweep = kTurn + std::fmod(sweep - kTurn, kTurn);
    }
    return increasing ? start + sweep : start - sweep;
}

// Lays an arc down in pieces that end on a fixed grid of angles. Cairo
// divides an arc into curves evenly over its whole sweep, so an arc that
// grows by a degree (a progress ring on every tick) would move every curve
// and redraw pixels all along it; on the grid, two arcs from one start share
// every piece but the last, and their pixels differ only near their ends.
void addArcOnGrid(cairo_t* cr, double x, double y, double radius, double start, double end,
                  bool increasing) {
    constexpr double kPiece = std::numbers::pi / 16;
    const double direction = increasing ? 1 : -1;
    // The grid line after the start, counted in pieces from angle zero.
    double line = increasing ? std::floor(start / kPiece) + 1 : std::ceil(start / kPiece) - 1;
    double from = start;
    // At most two turns, so at most this many pieces; the bound also stops a
    // loop that rounding could keep from moving.
    for (int piece = 0; piece < 80; ++piece, line += direction) {
        double to = line * kPiece;
        bool last = increasing ? to >= end : to <= end;
        if (last)
            to = end;
        if (increasing)
            cairo_arc(cr, x, y, radius, from, to);
        else
            cairo_arc_negative(cr, x, y, radius, from, to);
        if (last)
            return;
        from = to;
    }
    if (increasing)
        cairo_arc(cr, x, y, radius, from, end);
    else
        cairo_arc_negative(cr, x, y, radius, from, end);
}

// Pixel (u, v) of a w x h image, first row at v 0, to the user space of rect
// in the image's y-up unit space, as the platform draws images.
cairo_matrix_t yUpImageMatrix(CGRect rect, std::size_t width, std::size_t height) {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, rect.size.width / double(width), 0, 0,
                      -rect.size.height / double(height), rect.origin.x,
                      rect.origin.y + rect.size.height);
    return matrix;
}

} // namespace

void CGContextSaveGState(const CGContextRef& c) {
    if (c)
        c->save();
}

void CGContextRestoreGState(const CGContextRef& c) {
    if (c)
        c->restore();
}

void CGContextScaleCTM(const CGContextRef& c, CGFloat sx, CGFloat sy) {
    if (!c)
        return;
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, sx, sy);
    c->transform(matrix);
}

void CGContextTranslateCTM(const CGContextRef& c, CGFloat tx, CGFloat ty) {
    if (!c)
        return;
    cairo_matrix_t matrix;
    cairo_matrix_init_translate(&matrix, tx, ty);
    c->transform(matrix);
}

void CGContextRotateCTM(const CGContextRef& c, CGFloat angle) {
    if (!c)
        return;
    cairo_matrix_t matrix;
    cairo_matrix_init_rotate(&matrix, angle);
    c->transform(matrix);
}

void CGContextConcatCTM(const CGContextRef& c, CGAffineTransform transform) {
    if (c)
        c->transform(CGAffineTransformToCairo(transform));
}

CGAffineTransform CGContextGetCTM(const CGContextRef& c) {
    if (!c)
        return CGAffineTransformIdentity;
    cairo_matrix_t m;
    cairo_get_matrix(c->cairo(), &m);
    // Cairo's device space is y-down; the platform's is y-up from the bottom.
    double height = double(c->bitmap().height);
    return {m.xx, -m.yx, m.xy, -m.yy, m.x0, height - m.y0};
}

void CGContextBeginPath(const CGContextRef& c) {
    if (!c)
        return;
    cairo_new_path(c->cairo());
    c->forgetCurrentPoint();
}

void CGContextMoveToPoint(const CGContextRef& c, CGFloat x, CGFloat y) {
    if (!c || c->state().degenerate || !finite({x, y}))
        return;
    cairo_move_to(c->cairo(), x, y);
    c->startSubpath({x, y});
}

void CGContextAddLineToPoint(const CGContextRef& c, CGFloat x, CGFloat y) {
    // Without a current point the platform adds nothing.
    if (!c || c->state().degenerate || !finite({x, y}) || !cairo_has_current_point(c->cairo()))
        return;
    cairo_line_to(c->cairo(), x, y);
    c->moveCurrentPoint({x, y});
}

void CGContextAddArc(const CGContextRef& c, CGFloat x, CGFloat y, CGFloat radius,
                     CGFloat startAngle, CGFloat endAngle, int clockwise) {
    if (!c || c->state().degenerate || !finite({x, y, radius, startAngle, endAngle}) || radius < 0)
        return;
    cairo_t* cr = c->cairo();
    bool increasing = clockwise == 0;
    double end = arcEnd(startAngle, endAngle, increasing);
    CGPoint start{x + radius * std::cos(startAngle), y + radius * std::sin(startAngle)};
    bool joined = cairo_has_current_point(cr);
    addArcOnGrid(cr, x, y, radius, startAngle, end, increasing);
    if (!joined)
        c->startSubpath(start);
    // The end point from the angle as given, exactly as the platform reports it.
    c->moveCurrentPoint({x + radius * std::cos(endAngle), y + radius * std::sin(endAngle)});
}

void CGContextAddRect(const CGContextRef& c, CGRect rect) {
    if (!c || c->state().degenerate ||
        !finite({rect.origin.x, rect.origin.y, rect.size.width, rect.size.height}))
        return;
    cairo_rectangle(c->cairo(), rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    c->startSubpath(rect.origin);
}

void CGContextAddEllipseInRect(const CGContextRef& c, CGRect rect) {
    if (!c || c->state().degenerate ||
        !finite({rect.origin.x, rect.origin.y, rect.size.width, rect.size.height}))
        return;
    rect = CGRectStandardize(rect);
    cairo_t* cr = c->cairo();
    cairo_matrix_t saved;
    cairo_get_matrix(cr, &saved);
    cairo_matrix_t ellipse = saved;
    cairo_matrix_translate(&ellipse, CGRectGetMidX(rect), CGRectGetMidY(rect));
    cairo_matrix_scale(&ellipse, rect.size.width / 2, rect.size.height / 2);
    if (!cairoMatrixIsInvertible(ellipse))
        return;
    cairo_new_sub_path(cr);
    cairo_set_matrix(cr, &ellipse);
    cairo_arc(cr, 0, 0, 1, 0, kTurn);
    cairo_close_path(cr);
    cairo_set_matrix(cr, &saved);
    c->startSubpath({CGRectGetMaxX(rect), CGRectGetMidY(rect)});
}

void CGContextClosePath(const CGContextRef& c) {
    if (!c)
        return;
    cairo_close_path(c->cairo());
    c->closeSubpath();
}

CGPoint CGContextGetPathCurrentPoint(const CGContextRef& c) {
    return c ? c->currentPoint() : CGPointZero;
}

bool CGContextIsPathEmpty(const CGContextRef& c) {
    return !c || !cairo_has_current_point(c->cairo());
}

void CGContextStrokePath(const CGContextRef& c) {
    if (!c)
        return;
    cairo_t* cr = c->cairo();
    CGColor color = c->state().stroke;
    CGFloat alpha = c->state().alpha;
    c->paint([&] {
        setSourceColor(cr, color, alpha);
        if (!StrokeCoverageCache::stroke(cr))
            cairo_stroke(cr);
    });
    c->forgetCurrentPoint();
}

void CGContextFillPath(const CGContextRef& c) {
    if (!c)
        return;
    cairo_t* cr = c->cairo();
    CGColor color = c->state().fill;
    CGFloat alpha = c->state().alpha;
    c->paint([&] {
        setSourceColor(cr, color, alpha);
        cairo_fill(cr);
    });
    c->forgetCurrentPoint();
}

namespace {

// Paints a shape of its own, leaving the current path as it was.
template <class AddShape>
void paintShape(const CGContextRef& c, bool stroke, AddShape&& addShape) {
    if (!c || c->state().degenerate)
        return;
    cairo_t* cr = c->cairo();
    CairoPathKeeper keeper(cr);
    CGColor color = stroke ? c->state().stroke : c->state().fill;
    CGFloat alpha = c->state().alpha;
    c->paint([&] {
        addShape(cr);
        setSourceColor(cr, color, alpha);
        if (stroke)
            cairo_stroke(cr);
        else
            cairo_fill(cr);
    });
}

bool finiteRect(CGRect rect) {
    return finite({rect.origin.x, rect.origin.y, rect.size.width, rect.size.height});
}

// A rectangle in device pixels, from a user-space one whose corners land on
// whole pixels under an upright transform; nothing otherwise.
struct PixelRect {
    long left, top, right, bottom;
};

std::optional<PixelRect> wholePixels(cairo_t* cr, double x, double y, double width, double height) {
    double x0 = x, y0 = y, x1 = x + width, y1 = y + height;
    cairo_user_to_device(cr, &x0, &y0);
    cairo_user_to_device(cr, &x1, &y1);
    for (double v : {x0, y0, x1, y1})
        if (!(std::abs(v) < 1e9) || v != std::floor(v))
            return std::nullopt;
    return PixelRect{static_cast<long>(std::min(x0, x1)), static_cast<long>(std::min(y0, y1)),
                     static_cast<long>(std::max(x0, x1)), static_cast<long>(std::max(y0, y1))};
}

// The colour as Cairo's pixel library receives it: premultiplied 8-bit, got
// by letting Cairo put it down on one pixel, so no conversion is repeated here.
uint32_t premultipliedPixel(const CGColor& color, CGFloat alpha) {
    cairo_surface_t* pixel = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(pixel);
    setSourceColor(cr, color, alpha);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(pixel);
    uint32_t word = 0;
    std::memcpy(&word, cairo_image_surface_get_data(pixel), sizeof word);
    cairo_surface_destroy(pixel);
    return word;
}

// Fills a rectangle of whole pixels with the fill colour without Cairo's
// path machinery, where the result is the same: no mask, source-over onto a
// native-order bitmap with alpha, an upright transform and a clip of one
// whole-pixel rectangle. Large translucent fills (the frosted-glass tint)
// then cost one pass at the machine's widest vectors. False where Cairo
// must draw it.
bool fillWholePixels(const CGContextRef& c, CGRect rect) {
    cairo_t* cr = c->cairo();
    if (c->state().degenerate || c->state().mask || c->bitmap().redFirst ||
        cairo_get_group_target(cr) != c->surface() ||
        cairo_get_operator(cr) != CAIRO_OPERATOR_OVER ||
        cairo_surface_get_type(c->surface()) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(c->surface()) != CAIRO_FORMAT_ARGB32)
        return false;
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    if (matrix.xy != 0 || matrix.yx != 0)
        return false;
    std::optional<PixelRect> area =
        wholePixels(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_rectangle_list_t* clips = cairo_copy_clip_rectangle_list(cr);
    std::optional<PixelRect> clip;
    if (clips->status == CAIRO_STATUS_SUCCESS && clips->num_rectangles == 1) {
        const cairo_rectangle_t& r = clips->rectangles[0];
        clip = wholePixels(cr, r.x, r.y, r.width, r.height);
    }
    cairo_rectangle_list_destroy(clips);
    if (!area || !clip)
        return false;
    const long width = cairo_image_surface_get_width(c->surface());
    const long height = cairo_image_surface_get_height(c->surface());
    const uint32_t colour = premultipliedPixel(c->state().fill, c->state().alpha);
    SourceOverFill fill{};
    fill.pixels = cairo_image_surface_get_data(c->surface());
    fill.bytesPerRow = static_cast<size_t>(cairo_image_surface_get_stride(c->surface()));
    fill.left = std::clamp(std::max(area->left, clip->left), 0L, width);
    fill.right = std::clamp(std::min(area->right, clip->right), 0L, width);
    fill.top = std::clamp(std::max(area->top, clip->top), 0L, height);
    fill.bottom = std::clamp(std::min(area->bottom, clip->bottom), 0L, height);
    std::memcpy(fill.colour, &colour, sizeof colour);
    // Alpha is the word's top byte.
    fill.alphaByte = std::endian::native == std::endian::little ? 3 : 0;
    cairo_surface_flush(c->surface());
    fillSourceOver(fill);
    cairo_surface_mark_dirty(c->surface());
    return true;
}

} // namespace

void CGContextFillRect(const CGContextRef& c, CGRect rect) {
    if (!finiteRect(rect))
        return;
    if (c && fillWholePixels(c, rect))
        return;
    paintShape(c, false, [&](cairo_t* cr) {
        cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    });
}

void CGContextStrokeRect(const CGContextRef& c, CGRect rect) {
    if (!finiteRect(rect))
        return;
    paintShape(c, true, [&](cairo_t* cr) {
        cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    });
}

void CGContextFillEllipseInRect(const CGContextRef& c, CGRect rect) {
    if (!c || !finiteRect(rect))
        return;
    rect = CGRectStandardize(rect);
    cairo_matrix_t ellipse;
    cairo_get_matrix(c->cairo(), &ellipse);
    cairo_matrix_translate(&ellipse, CGRectGetMidX(rect), CGRectGetMidY(rect));
    cairo_matrix_scale(&ellipse, rect.size.width / 2, rect.size.height / 2);
    if (!cairoMatrixIsInvertible(ellipse))
        return;
    paintShape(c, false, [&](cairo_t* cr) {
        cairo_matrix_t saved;
        cairo_get_matrix(cr, &saved);
        cairo_set_matrix(cr, &ellipse);
        cairo_arc(cr, 0, 0, 1, 0, kTurn);
        cairo_close_path(cr);
        cairo_set_matrix(cr, &saved);
    });
}

void CGContextClearRect(const CGContextRef& c, CGRect rect) {
    if (c && finiteRect(rect))
        c->clearRect(rect);
}

void CGContextSetLineWidth(const CGContextRef& c, CGFloat width) {
    if (c && std::isfinite(width) && width >= 0)
        cairo_set_line_width(c->cairo(), width);
}

void CGContextSetFillColorWithColor(const CGContextRef& c, const CGColor& color) {
    if (c)
        c->state().fill = color;
}

void CGContextSetStrokeColorWithColor(const CGContextRef& c, const CGColor& color) {
    if (c)
        c->state().stroke = color;
}

void CGContextSetAlpha(const CGContextRef& c, CGFloat alpha) {
    if (c && !std::isnan(alpha))
        c->state().alpha = clampUnit(alpha);
}

void CGContextClipToRect(const CGContextRef& c, CGRect rect) {
    if (!c || c->state().degenerate || !finiteRect(rect))
        return;
    cairo_t* cr = c->cairo();
    CairoPathKeeper keeper(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(cr);
}

void CGContextClipToMask(const CGContextRef& c, CGRect rect, const CGImageRef& mask) {
    // No mask leaves the clip as it is, as a message to nothing would.
    if (!c || !mask || !finiteRect(rect))
        return;
    c->clipToMask(mask, yUpImageMatrix(rect, mask->width(), mask->height()));
}

void CGContextDrawImage(const CGContextRef& c, CGRect rect, const CGImageRef& image) {
    if (!c || !image || !finiteRect(rect))
        return;
    c->drawImage(image, yUpImageMatrix(rect, image->width(), image->height()));
}

void CGContextDrawImageUpright(const CGContextRef& c, CGRect rect, const CGImageRef& image) {
    if (!c || !image || !finiteRect(rect))
        return;
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, rect.size.width / double(image->width()), 0, 0,
                      rect.size.height / double(image->height()), rect.origin.x, rect.origin.y);
    c->drawImage(image, matrix);
}
