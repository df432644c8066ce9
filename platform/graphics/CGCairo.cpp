#include "platform/graphics/CGCairo.h"

#include "platform/objc/NSObject.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

// Below this many device pixels per image pixel Cairo's good filter
// convolves; above it, it samples bilinearly and costs little.
constexpr double kReduceBelowScale = 0.75;

bool sameMatrix(const cairo_matrix_t& a, const cairo_matrix_t& b) {
    return a.xx == b.xx && a.yx == b.yx && a.xy == b.xy && a.yy == b.yy && a.x0 == b.x0 &&
           a.y0 == b.y0;
}

std::uint32_t loadWord(const std::uint8_t* bytes) {
    std::uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

void storeWord(std::uint8_t* bytes, std::uint32_t word) {
    std::memcpy(bytes, &word, sizeof word);
}

} // namespace

bool cairoMatrixIsInvertible(const cairo_matrix_t& matrix) {
    for (double value : {matrix.xx, matrix.yx, matrix.xy, matrix.yy, matrix.x0, matrix.y0}) {
        if (!std::isfinite(value))
            return false;
    }
    cairo_matrix_t copy = matrix;
    return cairo_matrix_invert(&copy) == CAIRO_STATUS_SUCCESS;
}

cairo_matrix_t CGAffineTransformToCairo(const CGAffineTransform& t) {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
    return matrix;
}

CGAffineTransform CGAffineTransformFromCairo(const cairo_matrix_t& m) {
    return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

CGContext::CGContext(const Bitmap& bitmap) : m_bitmap(bitmap) {
    m_states.emplace_back();
    if (!m_bitmap.external) {
        m_ownedBytes.assign(m_bitmap.bytesPerRow * m_bitmap.height, 0);
        m_bitmap.external = m_ownedBytes.data();
        if (m_bitmap.opaque) {
            // An opaque bitmap starts black; its alpha bytes stay 255.
            // Alpha is the last byte red-first, else the high byte of the word.
            std::size_t alphaByte =
                m_bitmap.redFirst || std::endian::native == std::endian::little ? 3 : 0;
            for (std::size_t y = 0; y < m_bitmap.height; ++y) {
                std::uint8_t* row = m_bitmap.external + y * m_bitmap.bytesPerRow;
                for (std::size_t x = 0; x < m_bitmap.width; ++x)
                    row[4 * x + alphaByte] = 255;
            }
        }
    }
    int width = static_cast<int>(m_bitmap.width);
    int height = static_cast<int>(m_bitmap.height);
    if (m_bitmap.redFirst)
        m_surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    else
        m_surface.reset(
            cairo_image_surface_create_for_data(m_bitmap.external, CAIRO_FORMAT_ARGB32, width,
                                                height, static_cast<int>(m_bitmap.bytesPerRow)));
    m_cairo = cairo_create(m_surface.get());
}

CGContext::~CGContext() {
    cairo_destroy(m_cairo);
}

CGContextRef CGContext::create(const Bitmap& bitmap) {
    auto context = makeObject<CGContext>(bitmap);
    if (cairo_surface_status(context->m_surface.get()) != CAIRO_STATUS_SUCCESS ||
        cairo_status(context->m_cairo) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return context;
}

std::uint8_t* CGContext::data() const {
    cairo_surface_flush(m_surface.get());
    return m_bitmap.external;
}

void CGContext::save() {
    cairo_save(m_cairo);
    m_states.push_back(m_states.back());
}

void CGContext::restore() {
    // A restore without a save is ignored, as the platform only logs it.
    if (m_states.size() < 2)
        return;
    cairo_restore(m_cairo);
    m_states.pop_back();
}

void CGContext::transform(const cairo_matrix_t& matrix) {
    if (state().degenerate)
        return;
    cairo_matrix_t current;
    cairo_get_matrix(m_cairo, &current);
    cairo_matrix_t result;
    cairo_matrix_multiply(&result, &matrix, &current);
    // A singular matrix would put cairo into a lasting error state; the
    // platform merely draws nothing until the state is restored.
    if (!cairoMatrixIsInvertible(result)) {
        state().degenerate = true;
        return;
    }
    cairo_set_matrix(m_cairo, &result);
}

void CGContext::maskSource() {
    cairo_save(m_cairo);
    cairo_identity_matrix(m_cairo);
    cairo_mask_surface(m_cairo, state().mask.get(), 0, 0);
    cairo_restore(m_cairo);
}

void CGContext::beginDrawing() {
    if (!m_bitmap.redFirst) {
        cairo_surface_mark_dirty(m_surface.get());
        return;
    }
    cairo_surface_flush(m_surface.get());
    std::uint8_t* pixels = cairo_image_surface_get_data(m_surface.get());
    std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(m_surface.get()));
    for (std::size_t y = 0; y < m_bitmap.height; ++y) {
        const std::uint8_t* from = m_bitmap.external + y * m_bitmap.bytesPerRow;
        std::uint8_t* to = pixels + y * stride;
        for (std::size_t x = 0; x < m_bitmap.width; ++x, from += 4) {
            std::uint32_t word = std::uint32_t(from[3]) << 24 | std::uint32_t(from[0]) << 16 |
                                 std::uint32_t(from[1]) << 8 | from[2];
            storeWord(to + 4 * x, word);
        }
    }
    cairo_surface_mark_dirty(m_surface.get());
}

void CGContext::endDrawing() {
    cairo_surface_flush(m_surface.get());
    if (!m_bitmap.redFirst)
        return;
    const std::uint8_t* pixels = cairo_image_surface_get_data(m_surface.get());
    std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(m_surface.get()));
    for (std::size_t y = 0; y < m_bitmap.height; ++y) {
        const std::uint8_t* from = pixels + y * stride;
        std::uint8_t* to = m_bitmap.external + y * m_bitmap.bytesPerRow;
        for (std::size_t x = 0; x < m_bitmap.width; ++x, to += 4) {
            std::uint32_t word = loadWord(from + 4 * x);
            to[0] = static_cast<std::uint8_t>(word >> 16);
            to[1] = static_cast<std::uint8_t>(word >> 8);
            to[2] = static_cast<std::uint8_t>(word);
            to[3] = static_cast<std::uint8_t>(word >> 24);
        }
    }
}

CGImageRef CGContext::snapshot() {
    cairo_surface_flush(m_surface.get());
    std::size_t rowBytes = m_bitmap.width * 4;
    std::vector<std::uint8_t> pixels(rowBytes * m_bitmap.height);
    for (std::size_t y = 0; y < m_bitmap.height; ++y) {
        const std::uint8_t* from = m_bitmap.external + y * m_bitmap.bytesPerRow;
        std::uint8_t* to = pixels.data() + y * rowBytes;
        if (!m_bitmap.redFirst) {
            std::memcpy(to, from, rowBytes);
        } else {
            for (std::size_t x = 0; x < m_bitmap.width; ++x, from += 4)
                storeWord(to + 4 * x, std::uint32_t(from[3]) << 24 | std::uint32_t(from[0]) << 16 |
                                          std::uint32_t(from[1]) << 8 | from[2]);
        }
        if (m_bitmap.opaque) {
            for (std::size_t x = 0; x < m_bitmap.width; ++x)
                storeWord(to + 4 * x, loadWord(to + 4 * x) | 0xFF000000u);
        }
    }
    return CGImage::create(m_bitmap.width, m_bitmap.height, rowBytes, std::move(pixels),
                           m_bitmap.opaque ? kCGImageAlphaNoneSkipFirst
                                           : kCGImageAlphaPremultipliedFirst);
}

CGImageRef CGContext::finishIntoImage() {
    const std::size_t rowBytes = m_bitmap.width * 4;
    if (m_bitmap.redFirst || m_ownedBytes.empty() || m_bitmap.external != m_ownedBytes.data() ||
        m_bitmap.bytesPerRow != rowBytes)
        return snapshot();
    cairo_surface_finish(m_surface.get());
    if (m_bitmap.opaque) {
        for (std::size_t i = 0; i < m_ownedBytes.size(); i += 4)
            storeWord(&m_ownedBytes[i], loadWord(&m_ownedBytes[i]) | 0xFF000000u);
    }
    m_bitmap.external = nullptr;
    return CGImage::create(m_bitmap.width, m_bitmap.height, rowBytes, std::move(m_ownedBytes),
                           m_bitmap.opaque ? kCGImageAlphaNoneSkipFirst
                                           : kCGImageAlphaPremultipliedFirst);
}

CGContext::TrackedPoint CGContext::track(CGPoint user) const {
    TrackedPoint point{user, {}};
    cairo_get_matrix(m_cairo, &point.matrix);
    return point;
}

void CGContext::moveCurrentPoint(CGPoint user) {
    m_currentPoint = track(user);
    if (!m_hasCurrentPoint)
        m_subpathStart = m_currentPoint;
    m_hasCurrentPoint = true;
}

void CGContext::startSubpath(CGPoint user) {
    m_currentPoint = track(user);
    m_subpathStart = m_currentPoint;
    m_hasCurrentPoint = true;
}

void CGContext::closeSubpath() {
    if (m_hasCurrentPoint)
        m_currentPoint = m_subpathStart;
}

CGPoint CGContext::currentPoint() const {
    if (!cairo_has_current_point(m_cairo))
        return CGPointZero;
    cairo_matrix_t now;
    cairo_get_matrix(m_cairo, &now);
    if (!m_hasCurrentPoint) {
        double x = 0, y = 0;
        cairo_get_current_point(m_cairo, &x, &y);
        return {x, y};
    }
    if (sameMatrix(now, m_currentPoint.matrix))
        return m_currentPoint.user;
    // The transform changed since: the point stays where it is on the bitmap.
    double x = m_currentPoint.user.x, y = m_currentPoint.user.y;
    cairo_matrix_transform_point(&m_currentPoint.matrix, &x, &y);
    cairo_matrix_invert(&now);
    cairo_matrix_transform_point(&now, &x, &y);
    return {x, y};
}

void CGContext::drawImage(const CGImageRef& image, const cairo_matrix_t& pixelToUser) {
    if (!image || !cairoMatrixIsInvertible(pixelToUser))
        return;
    CairoPathKeeper keeper(m_cairo);
    std::shared_ptr<cairo_surface_t> source = CGImageCreateCairoSurface(image);
    cairo_matrix_t matrix = pixelToUser;
    double width = double(image->width());
    double height = double(image->height());
    cairo_filter_t filter = CAIRO_FILTER_GOOD;
    if (m_reducedImages) {
        // How many device pixels one image pixel covers along each of its axes.
        cairo_matrix_t ctm;
        cairo_get_matrix(m_cairo, &ctm);
        cairo_matrix_t toDevice;
        cairo_matrix_multiply(&toDevice, &pixelToUser, &ctm);
        double scaleX = std::hypot(toDevice.xx, toDevice.yx);
        double scaleY = std::hypot(toDevice.xy, toDevice.yy);
        if (scaleX < kReduceBelowScale && scaleY < kReduceBelowScale) {
            int reducedWidth = std::max(1, static_cast<int>(std::lround(width * scaleX)));
            int reducedHeight = std::max(1, static_cast<int>(std::lround(height * scaleY)));
            if (auto reduced = m_reducedImages->reduced(image, reducedWidth, reducedHeight)) {
                source = std::move(reduced);
                cairo_matrix_t grow;
                cairo_matrix_init_scale(&grow, width / reducedWidth, height / reducedHeight);
                cairo_matrix_multiply(&matrix, &grow, &pixelToUser);
                width = reducedWidth;
                height = reducedHeight;
                // Upright, the copy covers its own size in device pixels but
                // for rounding: laid on whole pixels it is a plain copy, where
                // a fraction of a pixel off would resample it on every draw.
                if (toDevice.yx == 0 && toDevice.xy == 0) {
                    cairo_matrix_t onPixels;
                    cairo_matrix_multiply(&onPixels, &matrix, &ctm);
                    // A flip (a y-up context) stays a flip.
                    cairo_matrix_init(&onPixels, std::copysign(1.0, onPixels.xx), 0, 0,
                                      std::copysign(1.0, onPixels.yy), std::round(onPixels.x0),
                                      std::round(onPixels.y0));
                    cairo_matrix_t deviceToUser = ctm;
                    if (cairo_matrix_invert(&deviceToUser) == CAIRO_STATUS_SUCCESS) {
                        cairo_matrix_multiply(&matrix, &onPixels, &deviceToUser);
                        filter = CAIRO_FILTER_NEAREST;
                    }
                }
            }
        }
    }
    double alpha = state().alpha;
    paint([&] {
        cairo_save(m_cairo);
        cairo_transform(m_cairo, &matrix);
        cairo_set_source_surface(m_cairo, source.get(), 0, 0);
        // Padding keeps the edges crisp when the image is stretched; the clip
        // to the image's area keeps the padding from showing.
        cairo_pattern_set_extend(cairo_get_source(m_cairo), CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(cairo_get_source(m_cairo), filter);
        cairo_rectangle(m_cairo, 0, 0, width, height);
        cairo_clip(m_cairo);
        cairo_paint_with_alpha(m_cairo, alpha);
        cairo_restore(m_cairo);
    });
}

void CGContext::clipToMask(const CGImageRef& mask, const cairo_matrix_t& pixelToUser) {
    if (state().degenerate)
        return;
    cairo_matrix_t ctm;
    cairo_get_matrix(m_cairo, &ctm);
    cairo_matrix_t pixelToDevice;
    cairo_matrix_multiply(&pixelToDevice, &pixelToUser, &ctm);
    cairo_surface_t* target = cairo_get_target(m_cairo);
    int deviceWidth = cairo_image_surface_get_width(target);
    int deviceHeight = cairo_image_surface_get_height(target);
    cairo_surface_t* coverage =
        cairo_image_surface_create(CAIRO_FORMAT_A8, deviceWidth, deviceHeight);
    std::shared_ptr<cairo_surface_t> combined(coverage, cairo_surface_destroy);
    if (!cairoMatrixIsInvertible(pixelToDevice)) {
        // An empty rectangle lets nothing through.
        state().mask = combined;
        return;
    }

    // The mask's own coverage: its alpha when any pixel is transparent, else
    // its luminance (Rec. 709 weights in 8-bit fixed point). Image editors
    // often export grey masks with an alpha channel that is opaque throughout,
    // which would otherwise let everything through.
    bool byAlpha = false;
    for (std::size_t y = 0; y < mask->height() && !mask->isOpaque() && !byAlpha; ++y) {
        for (std::size_t x = 0; x < mask->width() && !byAlpha; ++x)
            byAlpha = mask->pixelAt(x, y) >> 24 != 255;
    }
    int width = static_cast<int>(mask->width());
    int height = static_cast<int>(mask->height());
    CairoSurfacePtr levels(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    if (cairo_surface_status(levels.get()) != CAIRO_STATUS_SUCCESS)
        return;
    std::uint8_t* out = cairo_image_surface_get_data(levels.get());
    std::size_t outStride = static_cast<std::size_t>(cairo_image_surface_get_stride(levels.get()));
    for (std::size_t y = 0; y < mask->height(); ++y) {
        for (std::size_t x = 0; x < mask->width(); ++x) {
            std::uint32_t word = mask->pixelAt(x, y);
            std::uint32_t level;
            if (byAlpha)
                level = word >> 24;
            else
                level = (54 * ((word >> 16) & 0xFF) + 183 * ((word >> 8) & 0xFF) +
                         19 * (word & 0xFF) + 128) >>
                        8;
            out[y * outStride + x] = static_cast<std::uint8_t>(level);
        }
    }
    cairo_surface_mark_dirty(levels.get());

    cairo_t* cr = cairo_create(coverage);
    cairo_set_matrix(cr, &pixelToDevice);
    cairo_set_source_surface(cr, levels.get(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    if (state().mask) {
        cairo_identity_matrix(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_DEST_IN);
        cairo_set_source_surface(cr, state().mask.get(), 0, 0);
        cairo_paint(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(coverage);
    state().mask = combined;
}

void CGContext::clearRect(CGRect rect) {
    if (state().degenerate)
        return;
    CairoPathKeeper keeper(m_cairo);
    beginDrawing();
    cairo_save(m_cairo);
    cairo_set_operator(m_cairo, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(m_cairo, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    if (state().mask) {
        cairo_clip(m_cairo);
        cairo_identity_matrix(m_cairo);
        cairo_mask_surface(m_cairo, state().mask.get(), 0, 0);
    } else {
        cairo_fill(m_cairo);
    }
    cairo_restore(m_cairo);
    endDrawing();
}

CairoSurfacePtr CGImageCreateCairoSurface(const CGImageRef& image) {
    if (!image)
        return nullptr;
    // Cairo only reads a source surface; the pixels are never written.
    auto* pixels = const_cast<std::uint8_t*>(image->bytes().data());
    CairoSurfacePtr surface(cairo_image_surface_create_for_data(
        pixels, image->isOpaque() ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32,
        static_cast<int>(image->width()), static_cast<int>(image->height()),
        static_cast<int>(image->bytesPerRow())));
    static cairo_user_data_key_t keepAliveKey;
    auto keepAlive = std::make_unique<CGImageRef>(image);
    auto release = [](void* data) { std::unique_ptr<CGImageRef>(static_cast<CGImageRef*>(data)); };
    if (cairo_surface_set_user_data(surface.get(), &keepAliveKey, keepAlive.get(), release) ==
        CAIRO_STATUS_SUCCESS)
        keepAlive.release();
    return surface;
}

cairo_t* CGContextGetCairo(const CGContextRef& c) {
    return c ? c->cairo() : nullptr;
}
