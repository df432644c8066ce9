#include "apps/common/LiveWindow.h"

#include "platform/activator/LAActivator.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/uikit/UIView.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <iostream>
#include <utility>

namespace {

// How often events are fetched when the display offers no descriptor.
constexpr double kEventPollInterval = 1.0 / 50.0;
// The window takes at most this share of the usable display at the start,
// and never more pixels a point than the device itself has.
constexpr double kDisplayShare = 0.9;
constexpr double kMaximumStartScale = 3.0;

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return text;
}

// Each character past ASCII becomes a question mark.
std::string asciiCopy(const std::string& text) {
    std::string copy;
    for (unsigned char c : text) {
        if (c < 0x80)
            copy += static_cast<char>(c);
        else if (c >= 0xC0)
            copy += '?';
    }
    return copy;
}

// Starts SDL's video for the window; it is shut down with the window.
bool startVideo(std::string* error) {
    // The window's pixels go straight to the display through shared memory:
    // a GL texture would cost a software GL stack per frame where there is
    // no GPU, and everything is drawn by Cairo anyway.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A lock screen on a desktop must not keep the desktop's own
    // screensaver away.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // SDL's own handlers would turn SIGINT and SIGTERM into a quit event
    // that only a pump finds, and the loop pumps only when the display has
    // something: the window hears the signals itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = std::string("cannot open the display: ") + SDL_GetError();
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || isInvisibleVideoDriver(driver)) {
        *error =
            std::string("the video driver '") + (driver ? driver : "none") + "' shows no window";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

SDL_Rect usableBounds(int display) {
    SDL_Rect usable{0, 0, 1024, 768};
    SDL_GetDisplayUsableBounds(display, &usable);
    return usable;
}

// A window showing the screen whole, in its shape, at most `maximumScale`
// window units a point and within the usable share of the display.
std::pair<int, int> windowSize(CGSize screen, const SDL_Rect& usable, double maximumScale) {
    double scale = std::min({usable.w * kDisplayShare / screen.width,
                             usable.h * kDisplayShare / screen.height, maximumScale});
    return {std::max(1, static_cast<int>(std::lround(screen.width * scale))),
            std::max(1, static_cast<int>(std::lround(screen.height * scale)))};
}

} // namespace

LiveWindow::LiveWindow(Options options, Host host)
    : m_options(std::move(options)), m_host(std::move(host)), m_painter(m_host.root) {}

std::unique_ptr<LiveWindow> LiveWindow::open(Options options, Host host, std::string* error) {
    std::string ignored;
    if (!error)
        error = &ignored;
    if (!startVideo(error))
        return nullptr;
    std::unique_ptr<LiveWindow> window(new LiveWindow(std::move(options), std::move(host)));
    if (!window->create(error))
        return nullptr;
    return window;
}

bool LiveWindow::create(std::string* error) {
    auto root = m_host.root ? m_host.root() : nullptr;
    CGSize screen = root ? root->bounds().size : CGSize{320, 480};
    if (!(screen.width > 0) || !(screen.height > 0))
        screen = {320, 480};
    m_painter.setScreenSize(screen);

    SDL_Rect usable = usableBounds(0);
    auto [width, height] = windowSize(screen, usable, kMaximumStartScale);
    m_window =
        SDL_CreateWindow(m_options.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         width, height, SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!m_window) {
        *error = std::string("cannot open a window: ") + SDL_GetError();
        return false;
    }
    // Keys are commands here, not text: no input method is started for them.
    SDL_StopTextInput();
    if (!resizeBuffer()) {
        *error = std::string("cannot draw into the window: ") + SDL_GetError();
        return false;
    }

    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    int fd = -1;
    if (SDL_GetWindowWMInfo(m_window, &info) && info.subsystem == SDL_SYSWM_X11) {
        m_x11Display = info.info.x11.display;
        fd = ConnectionNumber(m_x11Display);
    }
    if (fd >= 0)
        m_loop.watchDisplay(fd);
    else
        pollEvents();
    m_loop.observeBeforeWaiting();
    m_quitSignals = std::make_unique<QuitSignals>([this] { closeWindow(); });
    return true;
}

LiveWindow::~LiveWindow() {
    if (m_pollTimer)
        NSRunLoop::mainRunLoop().cancel(m_pollTimer);
    m_painter.cancelFrames();
    if (m_buffer)
        SDL_FreeSurface(m_buffer);
    m_buffer = nullptr;
    // Without its display, SDL would end the program on the first request
    // it sent down the dead connection; what it holds goes with the process.
    if (m_displayLost)
        return;
    if (m_window)
        SDL_DestroyWindow(m_window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}

void LiveWindow::setTitle(const std::string& title) {
    if (title == m_options.title)
        return;
    m_options.title = title;
    if (!m_window || m_displayLost)
        return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(m_window, &info) || info.subsystem != SDL_SYSWM_X11) {
        SDL_SetWindowTitle(m_window, title.c_str());
        return;
    }
    // Xlib converts titles by the locale, and this program runs in the C
    // locale: SDL would garble a title of more than ASCII. The old name
    // takes an ASCII copy, and the name window managers show takes the
    // UTF-8 as it is.
    SDL_SetWindowTitle(m_window, asciiCopy(title).c_str());
    Display* display = info.info.x11.display;
    XChangeProperty(display, info.info.x11.window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    XFlush(display);
}

LiveWindow::Statistics LiveWindow::statistics() const {
    return {m_frames, m_painter.width(), m_painter.height(), m_painter.scale(), m_fingerDown};
}

bool LiveWindow::resizeBuffer() {
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!surface)
        return false;
    if (m_buffer)
        SDL_FreeSurface(m_buffer);
    m_buffer = nullptr;
    if (!m_painter.resize(surface->w, surface->h))
        return false;
    const CGContextRef& bitmap = m_painter.bitmap();
    m_buffer = SDL_CreateRGBSurfaceWithFormatFrom(
        CGBitmapContextGetData(bitmap), m_painter.width(), m_painter.height(), 32,
        static_cast<int>(CGBitmapContextGetBytesPerRow(bitmap)), SDL_PIXELFORMAT_RGB888);
    if (!m_buffer)
        return false;
    SDL_SetSurfaceBlendMode(m_buffer, SDL_BLENDMODE_NONE);
    m_needsFullPresent = true;
    return true;
}

void LiveWindow::reshapeWindow(CGSize previousScreen) {
    // A point keeps the size it had on the display, as far as the display
    // lets it; the window stays where it was, moved only to stay on it.
    int windowWidth = 0, windowHeight = 0;
    SDL_GetWindowSize(m_window, &windowWidth, &windowHeight);
    double unitsPerPoint =
        std::min(windowWidth / previousScreen.width, windowHeight / previousScreen.height);
    int display = std::max(0, SDL_GetWindowDisplayIndex(m_window));
    SDL_Rect usable = usableBounds(display);
    auto [width, height] = windowSize(m_painter.screenSize(), usable, unitsPerPoint);
    SDL_SetWindowSize(m_window, width, height);
    int x = 0, y = 0;
    SDL_GetWindowPosition(m_window, &x, &y);
    int keptX = std::max(usable.x, std::min(x, usable.x + usable.w - width));
    int keptY = std::max(usable.y, std::min(y, usable.y + usable.h - height));
    if (keptX != x || keptY != y)
        SDL_SetWindowPosition(m_window, keptX, keptY);
}

std::optional<CGPoint> LiveWindow::screenPoint(int windowX, int windowY, bool clampToScreen) const {
    // Mouse positions come in window units, which a HiDPI display maps to
    // more than one pixel.
    int windowWidth = 0, windowHeight = 0;
    SDL_GetWindowSize(m_window, &windowWidth, &windowHeight);
    double ratioX = windowWidth > 0 ? double(m_painter.width()) / windowWidth : 1;
    double ratioY = windowHeight > 0 ? double(m_painter.height()) / windowHeight : 1;
    CGPoint point{(windowX * ratioX - m_painter.originX()) / m_painter.scale(),
                  (windowY * ratioY - m_painter.originY()) / m_painter.scale()};
    CGSize screen = m_painter.screenSize();
    bool inside = point.x >= 0 && point.y >= 0 && point.x < screen.width && point.y < screen.height;
    if (inside)
        return point;
    if (!clampToScreen)
        return std::nullopt;
    // A finger cannot leave the glass: it stays at the edge.
    point.x = std::clamp(point.x, 0.0, screen.width - 0.001);
    point.y = std::clamp(point.y, 0.0, screen.height - 0.001);
    return point;
}

void LiveWindow::sendPendingMove() {
    if (!m_pendingMove)
        return;
    CGPoint point = *m_pendingMove;
    m_pendingMove.reset();
    if (m_fingerDown && m_host.finger)
        m_host.finger(FingerPhase::Move, point);
}

bool LiveWindow::pumpEvents() {
    bool any = false;
    SDL_Event event;
    while (!m_closed && SDL_PollEvent(&event)) {
        // A burst of motion is one move, to the last place: the host sees
        // the finger where it is now, not everywhere it has been.
        if (event.type == SDL_MOUSEMOTION) {
            if (m_fingerDown) {
                m_pendingMove = screenPoint(event.motion.x, event.motion.y, true);
                any = true;
            }
            continue;
        }
        sendPendingMove();
        handle(event);
        any = true;
    }
    sendPendingMove();
    if (any)
        syncTextInput();
    return any;
}

void LiveWindow::handle(const SDL_Event& event) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    switch (event.type) {
    case SDL_QUIT:
        closeWindow();
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            closeWindow();
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (!resizeBuffer()) {
                std::cerr << m_options.programName
                          << ": cannot draw into the window: " << SDL_GetError() << "\n";
                closeWindow();
            }
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            m_needsFullPresent = true;
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // A finger held while the window loses the pointer is lifted
            // where it was last seen.
            if (m_fingerDown) {
                m_fingerDown = false;
                int x = 0, y = 0;
                SDL_GetMouseState(&x, &y);
                if (auto point = screenPoint(x, y, true); point && m_host.finger)
                    m_host.finger(FingerPhase::Up, *point);
            }
            break;
        default:
            break;
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button != SDL_BUTTON_LEFT || m_fingerDown)
            break;
        if (auto point = screenPoint(event.button.x, event.button.y, false)) {
            m_fingerDown = true;
            if (m_host.finger)
                m_host.finger(FingerPhase::Down, *point);
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT || !m_fingerDown)
            break;
        m_fingerDown = false;
        if (auto point = screenPoint(event.button.x, event.button.y, true); point && m_host.finger)
            m_host.finger(FingerPhase::Up, *point);
        break;
    case SDL_TEXTINPUT:
        if (hostWantsText() && m_host.text)
            m_host.text(event.text.text);
        break;
    case SDL_KEYDOWN: {
        if (hostWantsText()) {
            // Backspace repeats while held, as on any keyboard.
            SDL_Keycode key = event.key.keysym.sym;
            const char* name = key == SDLK_RETURN || key == SDLK_KP_ENTER ? "return"
                               : key == SDLK_ESCAPE                       ? "escape"
                               : key == SDLK_BACKSPACE                    ? "backspace"
                                                                          : nullptr;
            if (name && m_host.editingKey && (!event.key.repeat || key == SDLK_BACKSPACE))
                m_host.editingKey(name);
            break;
        }
        if (event.key.repeat)
            break;
        if (event.key.keysym.sym == SDLK_ESCAPE) {
            closeWindow();
            break;
        }
        std::string name = lowercase(SDL_GetKeyName(event.key.keysym.sym));
        bool bound = false;
        for (const auto& binding : m_options.activatorKeys) {
            if (binding.key != name)
                continue;
            bound = true;
            auto activatorEvent = LAEvent::eventWithName("keyboard");
            if (!LAActivator::sharedInstance()->sendEventToListener(activatorEvent,
                                                                    binding.listener))
                std::cerr << m_options.programName << ": no listener is registered as '"
                          << binding.listener << "'\n";
            loop.runUntilIdle();
        }
        // A key the person bound to an Activator event is theirs, whatever
        // the host would have done with it.
        if (!bound && m_host.key && m_host.key(name))
            loop.runUntilIdle();
        break;
    }
    default:
        break;
    }
}

void LiveWindow::syncTextInput() {
    bool wanted = hostWantsText();
    if (wanted == m_textInput)
        return;
    m_textInput = wanted;
    if (wanted)
        SDL_StartTextInput();
    else
        SDL_StopTextInput();
}

void LiveWindow::closeWindow() {
    if (m_closed)
        return;
    m_closed = true;
    if (m_fingerDown && m_host.finger) {
        // Whatever the finger was doing ends rather than hangs.
        m_fingerDown = false;
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        if (auto point = screenPoint(x, y, true))
            m_host.finger(FingerPhase::Up, *point);
    }
    if (m_window && !m_displayLost)
        SDL_HideWindow(m_window);
    // A closed window reads no more events, so it stops listening for them:
    // a key's release or the unmapping still arriving would leave the
    // display's descriptor readable, and the loop would spin on it instead
    // of ending.
    m_loop.stopWatchingDisplay();
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (m_pollTimer) {
        loop.cancel(m_pollTimer);
        m_pollTimer = 0;
    }
    m_painter.cancelFrames();
    loop.stop();
}

void LiveWindow::loseDisplay() {
    // The display server went away (the desktop session ended, a forwarded
    // connection dropped): nothing can be shown or read any more, and the
    // dead connection would stay readable for ever. The session ends.
    if (m_displayLost)
        return;
    m_displayLost = true;
    std::cerr << m_options.programName << ": the display went away\n";
    closeWindow();
}

bool LiveWindow::frameCanWait() const {
    return !m_needsFullPresent && m_painter.frameIsComing();
}

std::optional<bool> LiveWindow::eventsQueued() const {
    if (!m_x11Display)
        return std::nullopt;
    // What the connection has not yet read wakes the watch; what it has read
    // already, or the library queued itself, is looked for here without
    // asking the server, which a pump on every wake of the loop would do.
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0 ||
           XEventsQueued(m_x11Display, QueuedAlready) > 0;
}

void LiveWindow::pollEvents() {
    pumpEvents();
    if (m_closed)
        return;
    // The timer is cancelled with the window, so it never outlives it.
    m_pollTimer = NSRunLoop::mainRunLoop().schedule(
        NSRunLoop::mainRunLoop().now() + kEventPollInterval, [this] { pollEvents(); });
}

bool LiveWindow::drawFrame() {
    auto root = m_host.root ? m_host.root() : nullptr;
    if (!root || !m_buffer)
        return false;
    CGSize size = root->bounds().size;
    CGSize previous = m_painter.screenSize();
    if (size.width > 0 && size.height > 0 &&
        (size.width != previous.width || size.height != previous.height)) {
        // The screen turned: the window takes its new shape.
        m_painter.setScreenSize(size);
        reshapeWindow(previous);
        if (!resizeBuffer())
            return false;
    }
    std::vector<ScreenPainter::PixelRect> drawn = m_painter.draw();
    std::vector<SDL_Rect> pixels;
    for (const auto& rect : drawn)
        pixels.push_back({rect.x, rect.y, rect.width, rect.height});
    if (pixels.empty() && !m_needsFullPresent)
        return false;

    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!surface)
        return false;
    if (m_needsFullPresent) {
        SDL_Rect all{0, 0, m_painter.width(), m_painter.height()};
        SDL_BlitSurface(m_buffer, &all, surface, &all);
        SDL_UpdateWindowSurface(m_window);
        m_needsFullPresent = false;
    } else {
        for (SDL_Rect rect : pixels) {
            SDL_Rect target = rect;
            SDL_BlitSurface(m_buffer, &rect, surface, &target);
        }
        SDL_UpdateWindowSurfaceRects(m_window, pixels.data(), static_cast<int>(pixels.size()));
    }
    ++m_frames;
    return true;
}
