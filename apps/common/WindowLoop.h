#pragma once

#include "platform/foundation/NSRunLoop.h"

#include <optional>

// A window's part in the main run loop, the same for the desktop's window
// and a screen locker's: the display connection's descriptor wakes the loop
// to read events, and just before the loop sleeps the window handles what
// came and draws what changed. What it registered goes with it.
class WindowLoop {
public:
    // What the window does when the loop calls on it.
    class Client {
    public:
        virtual bool isClosed() const = 0;
        // Handles every pending event; true when any mattered.
        virtual bool pumpEvents() = 0;
        // Whether events already read off the connection wait in a queue,
        // where the descriptor no longer announces them; nothing when the
        // window cannot tell, and is then pumped on every round.
        virtual std::optional<bool> eventsQueued() const { return std::nullopt; }
        // The display server went away: nothing can be shown or read any more.
        virtual void loseDisplay() = 0;
        // True when no frame is owed now and the animations bring one soon.
        virtual bool frameCanWait() const = 0;
        // Draws what changed; true when a frame went to the screen.
        virtual bool drawFrame() = 0;

    protected:
        ~Client() = default;
    };

    explicit WindowLoop(Client& client) : m_client(client) {}
    ~WindowLoop();
    WindowLoop(const WindowLoop&) = delete;
    WindowLoop& operator=(const WindowLoop&) = delete;

    // Reads the display's events whenever its descriptor has some; a hang-up
    // or an error on it loses the display.
    void watchDisplay(int fd);
    // A closed window reads no more events, so its descriptor must not keep
    // waking the loop.
    void stopWatchingDisplay();
    // Handles events and draws from now on, each time before the loop sleeps.
    void observeBeforeWaiting();

private:
    void beforeWaiting();

    Client& m_client;
    NSRunLoop::Token m_displayWatch = 0;
    NSRunLoop::Token m_observer = 0;
};
