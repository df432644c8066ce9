// One to a few scenario lines of the home-screen host, through its own line
// parsing and command table, against one host that lives for the whole run:
// a fresh copy of the device image, the manual clock, no session bus, and no
// file written outside the sandbox's scratch folder.
#include "apps/common/Scenario.h"
#include "apps/springboard/SpringBoardHost.h"
#include "fuzz/ScenarioSandbox.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIWindow.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr const char* kDevice = "device 320x568@1 phone";

struct SpringBoardUnderTest {
    ScenarioSandbox sandbox;
    SpringBoardHost host{{sandbox.root().string(), HostClock::Manual, {}}};
    Scenario scenario;

    SpringBoardUnderTest() {
        host.registerCommands(scenario);
        // A small screen at one pixel per point keeps snapshots quick.
        scenario.runLine(kDevice, 0, "fuzz");
        host.boot();
    }

    // No finger is left down from the input before, so an input's touches
    // mean the same alone as after any other.
    void reset() {
        if (host.window()->hasActiveTouch()) {
            host.window()->touchUp({0, 0});
            NSRunLoop::mainRunLoop().runUntilIdle();
        }
    }
};

SpringBoardUnderTest& underTest() {
    static SpringBoardUnderTest shared;
    return shared;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    underTest();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SpringBoardUnderTest& fuzz = underTest();
    fuzz.reset();
    fuzz.sandbox.run(fuzz.scenario, data, size, [&] { fuzz.host.boot(); });
    return 0;
}
