#include "apps/common/ScreenPainter.h"

#include "platform/render/Renderer.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIView.h"

#include <algorithm>
#include <cmath>

namespace {

// Frames while something turns or fades, and while only a text scrolls:
// 30 points a second of text needs fewer frames to look smooth.
constexpr double kAnimationFrameInterval = 1.0 / 60.0;
constexpr double kScrollingTextFrameInterval = 1.0 / 20.0;
// Antialiased edges reach a little past a view's rectangle.
constexpr int kDamageMargin = 2;

void redrawDrawingViews(UIView& view) {
    if (view.drawsContent())
        view.setNeedsDisplay();
    for (const auto& subview : view.subviews())
        redrawDrawingViews(*subview);
}

} // namespace

ScreenPainter::ScreenPainter(std::function<std::shared_ptr<UIView>()> root)
    : m_root(std::move(root)) {}

ScreenPainter::~ScreenPainter() {
    cancelFrames();
    m_context.reset();
    UIView::setContentsScale(0);
}

bool ScreenPainter::resize(int width, int height) {
    m_width = width;
    m_height = height;
    // Drawn at the window's real pixel size, so the picture stays crisp at
    // any window size rather than being a small bitmap stretched.
    m_context = UIGraphicsCreateImageContext(
        {static_cast<double>(m_width), static_cast<double>(m_height)}, true, 1);
    if (!m_context)
        return false;
    Renderer::keepReducedImages(m_context);
    m_scale = std::min(m_width / m_screenSize.width, m_height / m_screenSize.height);
    m_originX = std::floor((m_width - m_screenSize.width * m_scale) / 2);
    m_originY = std::floor((m_height - m_screenSize.height * m_scale) / 2);
    // What views draw themselves is made at the window's size: a ring made
    // for a 3x screen and shrunk on every frame would cost several times as
    // much, and look softer.
    if (UIView::contentsScale() != m_scale) {
        UIView::setContentsScale(m_scale);
        if (auto shown = root())
            redrawDrawingViews(*shown);
    }
    CGContextSetFillColorWithColor(m_context, UIColor::colorWithWhite(0, 1));
    CGContextFillRect(m_context, {{0, 0}, {double(m_width), double(m_height)}});
    m_damage.invalidate();
    return true;
}

std::vector<ScreenPainter::PixelRect> ScreenPainter::draw() {
    std::vector<PixelRect> pixels;
    auto shown = root();
    if (!shown || !m_context)
        return pixels;
    // What views drew is compared before anything is painted, so they draw first.
    UIView::displayPendingViews();
    DamageTracker::Update update = m_damage.update(shown, NSRunLoop::mainRunLoop().now());
    for (const CGRect& rect : update.rects) {
        int x0 = static_cast<int>(std::floor(m_originX + rect.origin.x * m_scale)) - kDamageMargin;
        int y0 = static_cast<int>(std::floor(m_originY + rect.origin.y * m_scale)) - kDamageMargin;
        int x1 =
            static_cast<int>(std::ceil(m_originX + (rect.origin.x + rect.size.width) * m_scale)) +
            kDamageMargin;
        int y1 =
            static_cast<int>(std::ceil(m_originY + (rect.origin.y + rect.size.height) * m_scale)) +
            kDamageMargin;
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, m_width);
        y1 = std::min(y1, m_height);
        if (x1 > x0 && y1 > y0)
            pixels.push_back({x0, y0, x1 - x0, y1 - y0});
    }
    for (const PixelRect& rect : pixels) {
        CGContextSaveGState(m_context);
        CGRect clip{{double(rect.x), double(rect.y)}, {double(rect.width), double(rect.height)}};
        CGContextClipToRect(m_context, clip);
        CGContextSetFillColorWithColor(m_context, UIColor::colorWithWhite(0, 1));
        CGContextFillRect(m_context, clip);
        CGContextTranslateCTM(m_context, m_originX, m_originY);
        CGContextScaleCTM(m_context, m_scale, m_scale);
        Renderer::draw(m_context, shown);
        CGContextRestoreGState(m_context);
    }
    if (update.animating)
        scheduleNextFrame(update.onlyTextScrolls ? kScrollingTextFrameInterval
                                                 : kAnimationFrameInterval);
    return pixels;
}

bool ScreenPainter::frameIsComing() const {
    return m_frameTimer && NSRunLoop::mainRunLoop().isScheduled(m_frameTimer);
}

void ScreenPainter::cancelFrames() {
    if (m_frameTimer)
        NSRunLoop::mainRunLoop().cancel(m_frameTimer);
    m_frameTimer = 0;
}

void ScreenPainter::scheduleNextFrame(double interval) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (frameIsComing())
        return;
    // Nothing to do when it fires: waking the loop is enough, as the frame
    // is drawn before it sleeps again.
    m_frameTimer = loop.schedule(loop.now() + interval, [] {});
}
