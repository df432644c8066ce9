#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/uikit/UIFont.h"

#include <string>
#include <vector>

// Measures text as labels draw it, and breaks a paragraph into the lines
// that fit a width, so that views showing a sentence or two (footers,
// alert messages) can lay it out as one label per line.
class TextLines {
public:
    static CGFloat width(const std::string& text, const UIFont& font);
    // The line height of the font, as a label of one line needs it.
    static CGFloat lineHeight(const UIFont& font);
    // Breaks at blanks and at line breaks; a word longer than the width
    // gets a line of its own.
    static std::vector<std::string> wrap(const std::string& text, const UIFont& font,
                                         CGFloat width);

private:
    // Texts longer than this are cut before measuring; nothing shown on a
    // phone's screen is longer.
    static constexpr size_t kMaximumLength = 4096;
    // Lines are broken this much short of the width, so rounding in the
    // drawing never cuts the last word off.
    static constexpr CGFloat kMargin = 2;
};
