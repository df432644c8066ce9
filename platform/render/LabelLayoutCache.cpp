#include "platform/render/LabelLayoutCache.h"

#include "platform/uikit/UIFontPango.h"

#include <algorithm>

LabelLayoutCache& LabelLayoutCache::forThisThread() {
    thread_local LabelLayoutCache cache;
    return cache;
}

LabelLayoutCache::Layout LabelLayoutCache::layout(cairo_t* cr, const std::string& text,
                                                  const UIFont& font, double maxWidth,
                                                  bool scrolls) {
    ++m_useCounter;
    for (Entry& entry : m_entries) {
        if (entry.maxWidth == maxWidth && entry.scrolls == scrolls &&
            entry.pointSize == font.pointSize() && entry.italic == font.isItalic() &&
            entry.bold == font.isBold() && entry.family == font.familyName() &&
            entry.text == text) {
            entry.lastUse = m_useCounter;
            // Laid out again only if the context's scale or font options
            // differ from the last draw; where it sits does not matter.
            if (ContextKey now = contextKey(cr); !(now == entry.context)) {
                pango_cairo_update_layout(cr, entry.layout.get());
                entry.context = now;
            }
            return entry.measured;
        }
    }

    std::unique_ptr<PangoLayout, Release> layout(pango_cairo_create_layout(cr));
    UIFontSetOnPangoLayout(layout.get(), font);
    // Labels show one line; a text with line breaks shows them as blanks.
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    pango_layout_set_text(layout.get(), line.c_str(), static_cast<int>(line.size()));
    int width = 0;
    int height = 0;
    pango_layout_get_size(layout.get(), &width, &height);
    Layout measured;
    measured.layout = layout.get();
    measured.textWidth = static_cast<double>(width) / PANGO_SCALE;
    measured.textHeight = static_cast<double>(height) / PANGO_SCALE;
    measured.fits = measured.textWidth <= maxWidth;
    if (!measured.fits && !scrolls) {
        pango_layout_set_width(layout.get(), static_cast<int>(maxWidth * PANGO_SCALE));
        pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
    }

    if (m_entries.size() >= kCapacity) {
        auto oldest =
            std::min_element(m_entries.begin(), m_entries.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        m_entries.erase(oldest);
    }
    m_entries.push_back({text, font.familyName(), font.pointSize(), font.isItalic(), font.isBold(),
                         maxWidth, scrolls, std::move(layout), measured, m_useCounter,
                         contextKey(cr)});
    return measured;
}

LabelLayoutCache::ContextKey LabelLayoutCache::contextKey(cairo_t* cr) {
    ContextKey key;
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    key.xx = matrix.xx;
    key.yx = matrix.yx;
    key.xy = matrix.xy;
    key.yy = matrix.yy;
    cairo_surface_t* target = cairo_get_target(cr);
    key.target = target;
    cairo_surface_get_font_options(target, m_options.get());
    key.targetOptions = cairo_font_options_hash(m_options.get());
    cairo_get_font_options(cr, m_options.get());
    key.options = cairo_font_options_hash(m_options.get());
    return key;
}
