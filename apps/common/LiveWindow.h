#pragma once

#include "apps/common/QuitSignals.h"
#include "apps/common/ScreenPainter.h"
#include "apps/common/WindowLoop.h"
#include "apps/common/WindowOptions.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/graphics/CGGeometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

struct SDL_Window;
struct SDL_Surface;
union SDL_Event;
class UIView;

// A desktop window that shows a host's screen and lets the mouse be its
// finger. It draws from the main run loop just before the loop sleeps, and
// only what changed since the last frame; while nothing moves it sleeps with
// the loop, woken by the display connection's descriptor like any other.
class LiveWindow : private WindowLoop::Client {
public:
    enum class FingerPhase { Down, Move, Up };

    struct Options {
        std::string title;
        std::vector<ActivatorKey> activatorKeys;
        std::string programName;
    };

    struct Host {
        // The view tree to show; its bounds are the device's screen.
        std::function<std::shared_ptr<UIView>()> root;
        // Delivers the finger in screen points, the way the host's touch
        // commands do.
        std::function<void(FingerPhase, CGPoint)> finger;
        // For a host with a text field: whether it is being typed into now.
        // While it is, typed characters go to text and Return, Escape and
        // Backspace to editingKey (as "return", "escape", "backspace"); Escape
        // ends the typing rather than the window, and Activator keys type.
        std::function<bool()> wantsText;
        std::function<void(const std::string&)> text;
        std::function<void(const std::string&)> editingKey;
        // A key pressed that is neither Escape nor bound to an Activator
        // event, named as SDL names keys in lower case ("space", "left",
        // "audioplay"); answers whether the host did something with it.
        std::function<bool(const std::string&)> key;
    };

    // Opens the window at a size that fits the display; nothing, with the
    // reason in error, when there is no display to open it on.
    static std::unique_ptr<LiveWindow> open(Options options, Host host, std::string* error);
    ~LiveWindow();
    LiveWindow(const LiveWindow&) = delete;
    LiveWindow& operator=(const LiveWindow&) = delete;

    // Escape, or the window's close button.
    bool isClosed() const override { return m_closed; }
    const std::string& title() const { return m_options.title; }
    void setTitle(const std::string& title);
    // Closed because the display server went away.
    bool lostDisplay() const { return m_displayLost; }

    struct Statistics {
        long frames = 0;
        int pixelWidth = 0;
        int pixelHeight = 0;
        double scale = 0;
        bool fingerDown = false;
    };
    Statistics statistics() const;

private:
    LiveWindow(Options options, Host host);
    bool create(std::string* error);

    // Handles every pending event; true when any reached the host.
    bool pumpEvents() override;
    std::optional<bool> eventsQueued() const override;
    void pollEvents();
    void handle(const SDL_Event& event);
    void sendPendingMove();
    void closeWindow();
    void loseDisplay() override;
    bool hostWantsText() const { return m_host.wantsText && m_host.wantsText(); }
    // Turns the system's text input on while the host wants text.
    void syncTextInput();

    bool resizeBuffer();
    // Gives the window the shape of the screen, which was `previousScreen`.
    void reshapeWindow(CGSize previousScreen);
    bool frameCanWait() const override;
    // Draws what changed; true when a frame went to the screen.
    bool drawFrame() override;
    std::optional<CGPoint> screenPoint(int windowX, int windowY, bool clampToScreen) const;

    Options m_options;
    Host m_host;
    SDL_Window* m_window = nullptr;
    // The painter's bitmap as SDL sees it.
    SDL_Surface* m_buffer = nullptr;
    ScreenPainter m_painter;

    bool m_needsFullPresent = true;
    long m_frames = 0;
    bool m_closed = false;
    bool m_displayLost = false;

    bool m_textInput = false;
    bool m_fingerDown = false;
    std::optional<CGPoint> m_pendingMove;

    // The X connection the loop watches, when the window is on X.
    _XDisplay* m_x11Display = nullptr;
    WindowLoop m_loop{*this};
    // SIGINT and SIGTERM close the window, as its close button does.
    std::unique_ptr<QuitSignals> m_quitSignals;
    // Without a descriptor to watch, events are fetched on a short timer.
    NSRunLoop::Token m_pollTimer = 0;
};
