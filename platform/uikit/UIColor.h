#pragma once

#include "platform/graphics/CGColor.h"

#include <optional>
#include <string>

// A colour as a value, wrapping the CGColor it draws with. It converts to
// and from that CGColor, as the platform's CGColor and colorWithCGColor: do,
// so the layers below UIKit take colours without knowing this class.
class UIColor {
public:
    using Space = CGColor::Space;

    static UIColor colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    static UIColor colorWithWhite(CGFloat white, CGFloat alpha);

    static UIColor clearColor() { return colorWithWhite(0, 0); }
    static UIColor whiteColor() { return colorWithWhite(1, 1); }
    static UIColor blackColor() { return colorWithWhite(0, 1); }
    static UIColor darkGrayColor() { return colorWithWhite(1.0 / 3.0, 1); }
    static UIColor lightGrayColor() { return colorWithWhite(2.0 / 3.0, 1); }
    static UIColor grayColor() { return colorWithWhite(0.5, 1); }
    static UIColor blueColor() { return colorWithRed(0, 0, 1, 1); }
    static UIColor redColor() { return colorWithRed(1, 0, 0, 1); }
    static UIColor greenColor() { return colorWithRed(0, 1, 0, 1); }

    UIColor(const CGColor& color) : m_color(color) {}
    operator const CGColor&() const { return m_color; }

    UIColor colorWithAlphaComponent(CGFloat alpha) const;

    Space space() const { return m_color.space; }
    // CGColorGetNumberOfComponents of the colour's CGColor.
    int numberOfComponents() const { return m_color.space == Space::Gray ? 2 : 4; }

    // getRed:green:blue:alpha: succeeds for both spaces (a grey converts).
    bool getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const;
    // getWhite:alpha: succeeds only for a grey.
    bool getWhite(CGFloat* white, CGFloat* alpha) const;

    CGFloat red() const { return m_color.red; }
    CGFloat green() const { return m_color.green; }
    CGFloat blue() const { return m_color.blue; }
    CGFloat alpha() const { return m_color.alpha; }

    // "#RRGGBB" (and "#RRGGBBAA" when not opaque), for dumps.
    std::string hexString() const;

private:
    CGColor m_color;
};

// Where the platform passes a colour object that may be nil.
using UIColorRef = std::optional<UIColor>;
