#include "apps/common/WindowSession.h"

#include "apps/common/LiveScenario.h"
#include "platform/foundation/NSRunLoop.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <unistd.h>

int runWindowSession(Scenario& scenario, const WindowSessionOptions& options,
                     const std::function<void()>& boot, LiveWindow::Host host,
                     const std::function<void(LiveWindow&)>& opened) {
    auto fail = [&](const std::string& message) {
        std::cerr << options.programName << ": " << message << "\n";
        return 2;
    };
    // Refused before anything starts, so a missing display costs nothing.
    if (auto reason = displayUnavailableReason([](const char* name) { return std::getenv(name); }))
        return fail(*reason);

    int fd = -1;
    if (options.scenarioPath == "-") {
        fd = STDIN_FILENO;
    } else if (!options.scenarioPath.empty()) {
        std::string error;
        fd = Scenario::openFile(options.scenarioPath, &error);
        if (fd < 0)
            return fail(error);
    }
    struct Closer {
        int fd;
        ~Closer() {
            if (fd > STDERR_FILENO)
                close(fd);
        }
    } closer{fd};

    boot();
    LiveWindow::Options windowOptions{options.title, options.activatorKeys, options.programName};
    std::string error;
    auto window = LiveWindow::open(windowOptions, std::move(host), &error);
    if (!window)
        return fail(error);
    if (opened)
        opened(*window);

    // A bad line is reported and the session goes on; the end of the lines
    // leaves the window to the person in front of it.
    std::unique_ptr<LiveScenario> live;
    if (fd >= 0) {
        std::string name = options.scenarioPath == "-" ? "stdin" : options.scenarioPath;
        live = std::make_unique<LiveScenario>(
            scenario, fd, name,
            [&](const std::string& message) {
                std::cerr << options.programName << ": " << message << "\n";
            },
            nullptr);
    }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    while (!window->isClosed())
        loop.run();
    live.reset();
    bool lost = window->lostDisplay();
    window.reset();
    return lost ? 1 : 0;
}
