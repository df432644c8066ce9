#pragma once

#include "platform/objc/NSObject.h"

#include <cstdint>
#include <memory>
#include <vector>

// One candidate colour of the cube: an occupied cell that no neighbouring
// cell outnumbers, with the mean colour of its pixels.
class CCLocalMaximum : public NSObject {
public:
    static std::shared_ptr<CCLocalMaximum> create();

    uint32_t hitCount() const { return m_hitCount; }
    void setHitCount(uint32_t hitCount) { m_hitCount = hitCount; }
    uint32_t cellIndex() const { return m_cellIndex; }
    void setCellIndex(uint32_t cellIndex) { m_cellIndex = cellIndex; }
    double red() const { return m_red; }
    void setRed(double red) { m_red = red; }
    double green() const { return m_green; }
    void setGreen(double green) { m_green = green; }
    double blue() const { return m_blue; }
    void setBlue(double blue) { m_blue = blue; }
    // The largest of the three means.
    double brightness() const { return m_brightness; }
    void setBrightness(double brightness) { m_brightness = brightness; }

    std::string_view className() const override { return "CCLocalMaximum"; }

protected:
    CCLocalMaximum() = default;

private:
    uint32_t m_hitCount = 0;
    uint32_t m_cellIndex = 0;
    double m_red = 0;
    double m_green = 0;
    double m_blue = 0;
    double m_brightness = 0;
};

// An ordered list of maxima; operations build new lists and never change one
// they were given.
using CCLocalMaximumList = std::vector<std::shared_ptr<CCLocalMaximum>>;
