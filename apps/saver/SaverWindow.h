#pragma once

#include "apps/common/ScreenPainter.h"
#include "apps/common/WindowLoop.h"
#include "platform/foundation/NSRunLoop.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

struct _XDisplay;
struct _XGC;
class UIView;

// A window that another program owns (a screen locker's) with a host's
// screen drawn into it. It only shows: it asks the display for
// nothing but exposures and changes of the window's size or life, so the
// keyboard and the mouse stay with the locker. It draws from the main run
// loop just before the loop sleeps, only what changed, like the desktop
// window does.
class SaverWindow : private WindowLoop::Client {
public:
    // Connects to the display and finds the window (the root window for
    // nothing); nothing, with the reason in error, when either cannot be had.
    static std::unique_ptr<SaverWindow> attach(std::optional<unsigned long> window,
                                               std::string programName, std::string* error);
    ~SaverWindow();
    SaverWindow(const SaverWindow&) = delete;
    SaverWindow& operator=(const SaverWindow&) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }

    // Starts showing the view tree. The resize handler hears each new size
    // after the picture has been fitted to it.
    void show(std::function<std::shared_ptr<UIView>()> root,
              std::function<void(int width, int height)> resized);
    // Stops showing and ends the run loop, as the locker's SIGTERM asks.
    void close();

    // Closed: by close(), or because the window went away.
    bool isClosed() const override { return m_closed; }
    bool windowWentAway() const { return m_windowGone; }
    bool lostDisplay() const { return m_displayLost; }

    struct Statistics {
        unsigned long window = 0;
        long frames = 0;
        int pixelWidth = 0;
        int pixelHeight = 0;
        double scale = 0;
        double originX = 0;
        double originY = 0;
    };
    Statistics statistics() const;

private:
    SaverWindow(std::string programName) : m_programName(std::move(programName)) {}

    // Handles every event the display has sent; true when any mattered.
    bool pumpEvents() override;
    void takeSize(int width, int height);
    bool frameCanWait() const override;
    bool drawFrame() override;
    void present(const std::vector<ScreenPainter::PixelRect>& rects);
    void loseDisplay() override;

    std::string m_programName;
    _XDisplay* m_display = nullptr;
    unsigned long m_window = 0;
    _XGC* m_graphics = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<ScreenPainter> m_painter;
    std::function<void(int, int)> m_resized;
    bool m_needsFullPresent = true;
    long m_frames = 0;
    bool m_closed = false;
    bool m_windowGone = false;
    bool m_displayLost = false;
    WindowLoop m_loop{*this};
};
