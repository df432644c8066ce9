#pragma once

#include "platform/graphics/CGGeometry.h"

#include <optional>
#include <string>

// A colour as a value. It remembers whether it was made as a grey (two
// components: white and alpha) or as RGB (four), because the platform's
// component count tells them apart.
class UIColor {
public:
    enum class Space { Gray, RGB };

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

    UIColor colorWithAlphaComponent(CGFloat alpha) const;

    Space space() const { return m_space; }
    // CGColorGetNumberOfComponents of the colour's CGColor.
    int numberOfComponents() const { return m_space == Space::Gray ? 2 : 4; }

    // getRed:green:blue:alpha: succeeds for both spaces (a grey converts).
    bool getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const;
    // getWhite:alpha: succeeds only for a grey.
    bool getWhite(CGFloat* white, CGFloat* alpha) const;

    CGFloat red() const { return m_red; }
    CGFloat green() const { return m_green; }
    CGFloat blue() const { return m_blue; }
    CGFloat alpha() const { return m_alpha; }

    // "#RRGGBB" (and "#RRGGBBAA" when not opaque), for dumps.
    std::string hexString() const;

    bool operator==(const UIColor&) const = default;

private:
    UIColor(Space space, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
        : m_space(space), m_red(red), m_green(green), m_blue(blue), m_alpha(alpha) {}

    Space m_space;
    CGFloat m_red;
    CGFloat m_green;
    CGFloat m_blue;
    CGFloat m_alpha;
};

// Where the platform passes a colour object that may be nil.
using UIColorRef = std::optional<UIColor>;
