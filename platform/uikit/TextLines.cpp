#include "platform/uikit/TextLines.h"

#include "platform/uikit/UIFontPango.h"
#include "platform/uikit/UIScreen.h"

#include <pango/pangocairo.h>

namespace {

struct Measured {
    CGFloat width = 0;
    CGFloat height = 0;
};

Measured measure(const std::string& text, const UIFont& font) {
    // Laid out as the renderer lays labels out: on a Cairo context at the
    // screen's scale, whose hinting can make text a little wider than an
    // unscaled layout says.
    CGFloat scale = UIScreen::mainScreen()->scale();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    UIFontSetOnPangoLayout(layout, font);
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    int width = 0;
    int height = 0;
    pango_layout_get_size(layout, &width, &height);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return {static_cast<CGFloat>(width) / PANGO_SCALE, static_cast<CGFloat>(height) / PANGO_SCALE};
}

} // namespace

CGFloat TextLines::width(const std::string& text, const UIFont& font) {
    return measure(text.substr(0, kMaximumLength), font).width;
}

CGFloat TextLines::lineHeight(const UIFont& font) {
    return measure("Hg", font).height;
}

std::vector<std::string> TextLines::wrap(const std::string& text, const UIFont& font,
                                         CGFloat width) {
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::string bounded = text.substr(0, kMaximumLength);
    size_t paragraphStart = 0;
    while (paragraphStart <= bounded.size()) {
        size_t paragraphEnd = bounded.find('\n', paragraphStart);
        if (paragraphEnd == std::string::npos)
            paragraphEnd = bounded.size();
        std::string line;
        size_t wordStart = paragraphStart;
        while (wordStart < paragraphEnd) {
            while (wordStart < paragraphEnd && bounded[wordStart] == ' ')
                ++wordStart;
            if (wordStart == paragraphEnd)
                break;
            size_t wordEnd = bounded.find(' ', wordStart);
            if (wordEnd == std::string::npos || wordEnd > paragraphEnd)
                wordEnd = paragraphEnd;
            std::string word = bounded.substr(wordStart, wordEnd - wordStart);
            std::string candidate = line.empty() ? word : line + " " + word;
            if (line.empty() || measure(candidate, font).width <= width - kMargin) {
                line = std::move(candidate);
            } else {
                lines.push_back(std::move(line));
                line = std::move(word);
            }
            wordStart = wordEnd;
        }
        lines.push_back(std::move(line));
        paragraphStart = paragraphEnd + 1;
    }
    // A text that ends with a line break has no empty line after it.
    while (lines.size() > 1 && lines.back().empty())
        lines.pop_back();
    return lines;
}
