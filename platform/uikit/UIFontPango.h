#pragma once

#include "platform/uikit/UIFont.h"

#include <pango/pango.h>

// Gives a layout the font as labels show it: the family, at its size in
// points as an absolute size, italic and bold as the font says. Drawing,
// measuring and the window's damage checks must all agree on it.
inline void UIFontSetOnPangoLayout(PangoLayout* layout, const UIFont& font) {
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, font.familyName().c_str());
    pango_font_description_set_absolute_size(description, font.pointSize() * PANGO_SCALE);
    pango_font_description_set_style(description,
                                     font.isItalic() ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_weight(description,
                                      font.isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
}
