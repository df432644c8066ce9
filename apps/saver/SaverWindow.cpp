#include "apps/saver/SaverWindow.h"

#include "apps/common/QuotedName.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/uikit/UIView.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

// The window belongs to another program and can go at any moment, between
// a request and its reply: the errors that follow are expected, and must not
// end the process the way Xlib's own handler would. A failure on the window
// itself is remembered, as a sign that it has gone.
unsigned long s_watchedWindow = 0;
bool s_watchedWindowFailed = false;

int noteError(Display*, XErrorEvent* event) {
    if (s_watchedWindow && event->resourceid == s_watchedWindow &&
        (event->error_code == BadWindow || event->error_code == BadDrawable))
        s_watchedWindowFailed = true;
    return 0;
}

std::string windowName(unsigned long window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", window);
    return text;
}

// The picture is 32-bit words of red, green and blue, which a window of
// depth 24 takes as they are, wherever the server keeps its pixels in
// 32 bits (every current one does).
bool takesPicturesAsTheyAre(Display* display, const XWindowAttributes& attributes) {
    const Visual* visual = attributes.visual;
    if (attributes.depth != 24 || !visual || visual->c_class != TrueColor ||
        visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF)
        return false;
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    bool found = false;
    for (int i = 0; i < count; ++i)
        found = found || (formats[i].depth == 24 && formats[i].bits_per_pixel == 32);
    if (formats)
        XFree(formats);
    return found;
}

} // namespace

std::unique_ptr<SaverWindow> SaverWindow::attach(std::optional<unsigned long> window,
                                                 std::string programName, std::string* error) {
    XSetErrorHandler(noteError);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        const char* name = std::getenv("DISPLAY");
        *error = name && *name ? "cannot open the display " + quotedName(name)
                               : std::string("no display to draw on (DISPLAY is not set)");
        return nullptr;
    }
    std::unique_ptr<SaverWindow> saver(new SaverWindow(std::move(programName)));
    saver->m_display = display;
    saver->m_window = window.value_or(DefaultRootWindow(display));
    s_watchedWindow = saver->m_window;
    s_watchedWindowFailed = false;
    // Exposures to redraw, and the window's size and end; nothing of the
    // keyboard or the mouse, which are the locker's.
    XSelectInput(display, saver->m_window, ExposureMask | StructureNotifyMask);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, saver->m_window, &attributes) || s_watchedWindowFailed) {
        *error = "no window " + windowName(saver->m_window) + " on the display";
        saver->m_windowGone = true;
        return nullptr;
    }
    saver->m_width = std::max(1, attributes.width);
    saver->m_height = std::max(1, attributes.height);
    if (!takesPicturesAsTheyAre(display, attributes)) {
        *error = "cannot draw into the window " + windowName(saver->m_window) + " of depth " +
                 std::to_string(attributes.depth) + ": only 24-bit colour windows are drawn into";
        return nullptr;
    }
    saver->m_graphics = XCreateGC(display, saver->m_window, 0, nullptr);
    return saver;
}

SaverWindow::~SaverWindow() {
    m_painter.reset();
    // A dead connection takes no more requests; what it holds goes with the
    // process.
    if (m_displayLost)
        return;
    if (m_display && m_graphics)
        XFreeGC(m_display, m_graphics);
    if (m_display) {
        if (!m_windowGone)
            XSelectInput(m_display, m_window, NoEventMask);
        XCloseDisplay(m_display);
    }
    s_watchedWindow = 0;
}

void SaverWindow::show(std::function<std::shared_ptr<UIView>()> root,
                       std::function<void(int width, int height)> resized) {
    m_resized = std::move(resized);
    m_painter = std::make_unique<ScreenPainter>(std::move(root));
    if (auto shown = m_painter->root()) {
        CGSize size = shown->bounds().size;
        if (size.width > 0 && size.height > 0)
            m_painter->setScreenSize(size);
    }
    m_painter->resize(m_width, m_height);
    m_needsFullPresent = true;

    m_loop.watchDisplay(ConnectionNumber(m_display));
    m_loop.observeBeforeWaiting();
}

void SaverWindow::close() {
    if (m_closed)
        return;
    m_closed = true;
    m_loop.stopWatchingDisplay();
    if (m_painter)
        m_painter->cancelFrames();
    NSRunLoop::mainRunLoop().stop();
}

void SaverWindow::loseDisplay() {
    if (m_displayLost)
        return;
    m_displayLost = true;
    std::cerr << m_programName << ": the display went away\n";
    close();
}

SaverWindow::Statistics SaverWindow::statistics() const {
    Statistics statistics;
    statistics.window = m_window;
    statistics.frames = m_frames;
    statistics.pixelWidth = m_width;
    statistics.pixelHeight = m_height;
    if (m_painter) {
        statistics.scale = m_painter->scale();
        statistics.originX = m_painter->originX();
        statistics.originY = m_painter->originY();
    }
    return statistics;
}

bool SaverWindow::pumpEvents() {
    bool any = false;
    while (!m_closed && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        switch (event.type) {
        case Expose:
            m_needsFullPresent = true;
            any = true;
            break;
        case ConfigureNotify:
            if (event.xconfigure.window == m_window &&
                (event.xconfigure.width != m_width || event.xconfigure.height != m_height)) {
                takeSize(event.xconfigure.width, event.xconfigure.height);
                any = true;
            }
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == m_window) {
                m_windowGone = true;
                close();
            }
            break;
        default:
            break;
        }
    }
    if (s_watchedWindowFailed && !m_closed) {
        m_windowGone = true;
        close();
    }
    return any;
}

void SaverWindow::takeSize(int width, int height) {
    m_width = std::max(1, width);
    m_height = std::max(1, height);
    if (m_painter && !m_painter->resize(m_width, m_height)) {
        std::cerr << m_programName << ": cannot draw at " << m_width << "x" << m_height << "\n";
        close();
        return;
    }
    m_needsFullPresent = true;
    if (m_resized)
        m_resized(m_width, m_height);
}

bool SaverWindow::frameCanWait() const {
    return !m_needsFullPresent && m_painter->frameIsComing();
}

bool SaverWindow::drawFrame() {
    auto root = m_painter ? m_painter->root() : nullptr;
    if (!root)
        return false;
    CGSize size = root->bounds().size;
    CGSize placed = m_painter->screenSize();
    if (size.width > 0 && size.height > 0 &&
        (size.width != placed.width || size.height != placed.height)) {
        // The screen turned: it is fitted into the window afresh.
        m_painter->setScreenSize(size);
        if (!m_painter->resize(m_width, m_height))
            return false;
        m_needsFullPresent = true;
    }
    std::vector<ScreenPainter::PixelRect> drawn = m_painter->draw();
    if (drawn.empty() && !m_needsFullPresent)
        return false;
    if (m_needsFullPresent)
        present({{0, 0, m_painter->width(), m_painter->height()}});
    else
        present(drawn);
    m_needsFullPresent = false;
    ++m_frames;
    return true;
}

void SaverWindow::present(const std::vector<ScreenPainter::PixelRect>& rects) {
    const CGContextRef& bitmap = m_painter->bitmap();
    auto* data = static_cast<char*>(CGBitmapContextGetData(bitmap));
    if (!data || !m_graphics)
        return;
    // An image over the painter's bitmap, which it does not own: Xlib sends
    // each rectangle from it, split into as many requests as it takes.
    XImage image{};
    image.width = m_painter->width();
    image.height = m_painter->height();
    image.format = ZPixmap;
    image.data = data;
    image.byte_order = LSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = LSBFirst;
    image.bitmap_pad = 32;
    image.depth = 24;
    image.bytes_per_line = static_cast<int>(CGBitmapContextGetBytesPerRow(bitmap));
    image.bits_per_pixel = 32;
    image.red_mask = 0xFF0000;
    image.green_mask = 0xFF00;
    image.blue_mask = 0xFF;
    if (!XInitImage(&image))
        return;
    for (const auto& rect : rects)
        XPutImage(m_display, m_window, m_graphics, &image, rect.x, rect.y, rect.x, rect.y,
                  static_cast<unsigned>(rect.width), static_cast<unsigned>(rect.height));
    XFlush(m_display);
}
