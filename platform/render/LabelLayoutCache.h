#pragma once

#include "platform/uikit/UIFont.h"

#include <cstdint>
#include <memory>
#include <pango/pangocairo.h>
#include <string>
#include <vector>

// Text laid out for labels, kept between draws. Shaping a line costs more
// than drawing it, and a window draws a scrolling title twenty times a
// second, a clock's text at every tick: the same text in the same font at
// the same width is shaped once and then only re-rendered.
//
// A layout follows the context it is drawn in (its scale and font options);
// Pango lays it out again only when those change. One cache per thread: the
// layouts are not safe to share.
class LabelLayoutCache {
public:
    struct Layout {
        PangoLayout* layout = nullptr;
        // The whole text on one line, in points, before any ellipsis.
        double textWidth = 0;
        double textHeight = 0;
        bool fits = true;
    };

    static LabelLayoutCache& forThisThread();

    // The text in the font, ready to draw in cr; a text wider than maxWidth
    // is ellipsized at its end unless it scrolls. Valid until the next call.
    Layout layout(cairo_t* cr, const std::string& text, const UIFont& font, double maxWidth,
                  bool scrolls);

private:
    struct Release {
        void operator()(PangoLayout* layout) const { g_object_unref(layout); }
    };
    struct ContextKey {
        double xx = 0, yx = 0, xy = 0, yy = 0;
        const void* target = nullptr;
        unsigned long targetOptions = 0;
        unsigned long options = 0;
        bool operator==(const ContextKey&) const = default;
    };
    // Reads the context's scale and font options, into one options object
    // kept for it: this runs for every label of every frame.
    ContextKey contextKey(cairo_t* cr);

    struct Entry {
        std::string text;
        std::string family;
        double pointSize = 0;
        bool italic = false;
        bool bold = false;
        double maxWidth = 0;
        bool scrolls = false;
        std::unique_ptr<PangoLayout, Release> layout;
        Layout measured;
        std::uint64_t lastUse = 0;
        // What the layout was last fitted to. Pango cannot tell an unchanged
        // context from a changed one (setting its matrix always counts as a
        // change), so the layout is only updated when these differ.
        ContextKey context;
    };

    struct ReleaseOptions {
        void operator()(cairo_font_options_t* options) const {
            cairo_font_options_destroy(options);
        }
    };
    std::unique_ptr<cairo_font_options_t, ReleaseOptions> m_options{cairo_font_options_create()};

    static constexpr std::size_t kCapacity = 48;
    std::vector<Entry> m_entries;
    std::uint64_t m_useCounter = 0;
};
