#include "apps/common/ScenarioRunner.h"

#include "apps/common/LiveScenario.h"
#include "platform/foundation/NSRunLoop.h"

#include <iostream>
#include <unistd.h>

namespace {
constexpr const char* kStandardInput = "-";
}

int runHostScenario(Scenario& scenario, const std::string& path, HostClock clock,
                    const std::string& programName, const std::function<void()>& boot) {
    if (path == kStandardInput && clock == HostClock::System) {
        boot();
        NSRunLoop& loop = NSRunLoop::mainRunLoop();
        // A live session reports a bad line and goes on: the person or test
        // driving it decides what happens next.
        LiveScenario live(
            scenario, STDIN_FILENO, "stdin",
            [&](const std::string& message) {
                std::cerr << programName << ": " << message << "\n";
            },
            [&] { loop.stop(); });
        while (!live.isFinished())
            loop.run();
        return 0;
    }
    auto failure = path == kStandardInput ? scenario.runDescriptor(STDIN_FILENO, "stdin")
                                          : scenario.runFile(path);
    if (failure) {
        std::cerr << programName << ": " << *failure << "\n";
        return 2;
    }
    boot();
    return 0;
}
