#include "platform/uikit/UIColor.h"

#include <cmath>
#include <cstdio>

UIColor UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
    return CGColor{Space::RGB, red, green, blue, alpha};
}

UIColor UIColor::colorWithWhite(CGFloat white, CGFloat alpha) {
    return CGColor{Space::Gray, white, white, white, alpha};
}

UIColor UIColor::colorWithAlphaComponent(CGFloat alpha) const {
    UIColor copy = *this;
    copy.m_color.alpha = alpha;
    return copy;
}

bool UIColor::getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const {
    if (red)
        *red = m_color.red;
    if (green)
        *green = m_color.green;
    if (blue)
        *blue = m_color.blue;
    if (alpha)
        *alpha = m_color.alpha;
    return true;
}

bool UIColor::getWhite(CGFloat* white, CGFloat* alpha) const {
    if (m_color.space != Space::Gray)
        return false;
    if (white)
        *white = m_color.red;
    if (alpha)
        *alpha = m_color.alpha;
    return true;
}

namespace {
int byteOf(CGFloat component) {
    if (!(component > 0))
        return 0;
    if (component >= 1)
        return 255;
    return static_cast<int>(std::lround(component * 255.0));
}
} // namespace

std::string UIColor::hexString() const {
    char text[16];
    if (byteOf(m_color.alpha) == 255)
        std::snprintf(text, sizeof text, "#%02X%02X%02X", byteOf(m_color.red),
                      byteOf(m_color.green), byteOf(m_color.blue));
    else
        std::snprintf(text, sizeof text, "#%02X%02X%02X%02X", byteOf(m_color.red),
                      byteOf(m_color.green), byteOf(m_color.blue), byteOf(m_color.alpha));
    return text;
}
