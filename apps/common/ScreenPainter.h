#pragma once

#include "apps/common/DamageTracker.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGGeometry.h"

#include <functional>
#include <memory>
#include <vector>

class UIView;

// Draws a host's screen into a bitmap of a window's pixel size: the screen
// fitted whole and centred, only what changed since the last frame, and,
// while something moves, a wake-up of the run loop for the next frame. The
// window that shows the bitmap (an SDL window, a screen locker's) copies the
// rectangles drawn.
class ScreenPainter {
public:
    struct PixelRect {
        int x = 0, y = 0, width = 0, height = 0;
    };

    explicit ScreenPainter(std::function<std::shared_ptr<UIView>()> root);
    ~ScreenPainter();
    ScreenPainter(const ScreenPainter&) = delete;
    ScreenPainter& operator=(const ScreenPainter&) = delete;

    // The view tree shown, or nothing yet.
    std::shared_ptr<UIView> root() const { return m_root ? m_root() : nullptr; }

    // Makes the bitmap for a window of width x height pixels, black, and
    // places the screen in it; the next frame draws everything. False when
    // no bitmap can be made at that size.
    bool resize(int width, int height);
    // The screen's size in points, as the bitmap was last placed for.
    CGSize screenSize() const { return m_screenSize; }
    void setScreenSize(CGSize size) { m_screenSize = size; }

    // Draws what changed since the last frame; answers the pixels drawn.
    std::vector<PixelRect> draw();
    // An animation frame is already on its way.
    bool frameIsComing() const;
    void cancelFrames();

    // The bitmap: 32-bit words, blue, green, red and an unused byte.
    const CGContextRef& bitmap() const { return m_context; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Where the screen lies in the bitmap: pixels a point, and its corner.
    double scale() const { return m_scale; }
    double originX() const { return m_originX; }
    double originY() const { return m_originY; }

private:
    void scheduleNextFrame(double interval);

    std::function<std::shared_ptr<UIView>()> m_root;
    CGContextRef m_context;
    int m_width = 0;
    int m_height = 0;
    double m_scale = 1;
    double m_originX = 0;
    double m_originY = 0;
    CGSize m_screenSize{320, 480};
    DamageTracker m_damage;
    NSRunLoop::Token m_frameTimer = 0;
};
