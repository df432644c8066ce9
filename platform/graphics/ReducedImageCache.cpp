#include "platform/graphics/ReducedImageCache.h"

#include "platform/graphics/CGCairo.h"

#include <algorithm>

ReducedImageCache::ReducedImageCache(std::size_t byteBudget) : m_budget(byteBudget) {}

std::shared_ptr<cairo_surface_t> ReducedImageCache::reduced(const CGImageRef& image, int width,
                                                            int height) {
    if (!image || width <= 0 || height <= 0 || image->width() == 0 || image->height() == 0)
        return nullptr;
    ++m_useCounter;
    for (Entry& entry : m_entries) {
        // An address can come back for a new image once the old one is gone:
        // the weak pointer tells them apart.
        if (entry.key == image.get() && entry.width == width && entry.height == height &&
            entry.image.lock() == image) {
            entry.lastUse = m_useCounter;
            return entry.surface;
        }
    }

    const cairo_format_t format = image->isOpaque() ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32;
    const std::size_t bytes =
        static_cast<std::size_t>(cairo_format_stride_for_width(format, width)) *
        static_cast<std::size_t>(height);
    // A copy larger than the whole budget would only push everything else out.
    if (bytes > m_budget)
        return nullptr;
    CairoSurfacePtr source = CGImageCreateCairoSurface(image);
    std::shared_ptr<cairo_surface_t> surface(cairo_image_surface_create(format, width, height),
                                             cairo_surface_destroy);
    if (!source || cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_t* cr = cairo_create(surface.get());
    cairo_scale(cr, double(width) / double(image->width()),
                double(height) / double(image->height()));
    cairo_set_source_surface(cr, source.get(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    if (!drawn)
        return nullptr;
    cairo_surface_flush(surface.get());

    dropExpired();
    makeRoomFor(bytes);
    m_entries.push_back({image.get(), image, width, height, surface, bytes, m_useCounter});
    m_bytes += bytes;
    return surface;
}

void ReducedImageCache::dropExpired() {
    auto expired = std::remove_if(m_entries.begin(), m_entries.end(), [this](const Entry& entry) {
        if (!entry.image.expired())
            return false;
        m_bytes -= entry.bytes;
        return true;
    });
    m_entries.erase(expired, m_entries.end());
}

void ReducedImageCache::makeRoomFor(std::size_t bytes) {
    while (!m_entries.empty() && m_bytes + bytes > m_budget) {
        auto oldest =
            std::min_element(m_entries.begin(), m_entries.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        m_bytes -= oldest->bytes;
        m_entries.erase(oldest);
    }
}
