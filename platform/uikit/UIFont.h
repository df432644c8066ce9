#pragma once

#include "platform/graphics/CGGeometry.h"

#include <string>

// A font as a value: the system font (DejaVu Sans here) at a size, upright or
// italic.
class UIFont {
public:
    static UIFont systemFontOfSize(CGFloat size) {
        return UIFont("DejaVu Sans", size, false, false);
    }
    static UIFont italicSystemFontOfSize(CGFloat size) {
        return UIFont("DejaVu Sans", size, true, false);
    }
    static UIFont boldSystemFontOfSize(CGFloat size) {
        return UIFont("DejaVu Sans", size, false, true);
    }

    const std::string& familyName() const { return m_family; }
    CGFloat pointSize() const { return m_size; }
    bool isItalic() const { return m_italic; }
    bool isBold() const { return m_bold; }

    bool operator==(const UIFont&) const = default;

private:
    UIFont(std::string family, CGFloat size, bool italic, bool bold)
        : m_family(std::move(family)), m_size(size), m_italic(italic), m_bold(bold) {}

    std::string m_family;
    CGFloat m_size;
    bool m_italic;
    bool m_bold;
};
