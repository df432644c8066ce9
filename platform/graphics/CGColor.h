#pragma once

#include "platform/graphics/CGGeometry.h"

// A colour as the drawing functions take it, a value as colours are here. It
// keeps whether it was made as a grey (white and alpha, the white in all of
// red, green and blue) or as RGB, because the component count tells them apart
// on the platform.
struct CGColor {
    enum class Space { Gray, RGB };

    Space space = Space::Gray;
    CGFloat red = 0;
    CGFloat green = 0;
    CGFloat blue = 0;
    CGFloat alpha = 1;
};

// Not a hidden friend: UIColor converts to a CGColor, and compares through
// this on either side.
inline bool operator==(const CGColor& a, const CGColor& b) {
    return a.space == b.space && a.red == b.red && a.green == b.green && a.blue == b.blue &&
           a.alpha == b.alpha;
}
