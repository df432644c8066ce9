// One to a few scenario lines of the home-screen host, through its own line
// parsing and command table, against one host that lives for the whole run:
// a fresh copy of the device image, the manual clock, no session bus, and no
// file written outside the sandbox's scratch folder.
#include "apps/common/Scenario.h"
#include "apps/springboard/SpringBoardHost.h"
#include "fuzz/ScenarioFuzzTarget.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIWindow.h"

namespace {

constexpr const char* kDevice = "device 320x568@1 phone";

class SpringBoardUnderTest : public ScenarioFuzzTarget {
public:
    SpringBoardUnderTest() {
        m_host.registerCommands(scenario());
        // A small screen at one pixel per point keeps snapshots quick.
        scenario().runLine(kDevice, 0, "fuzz");
        m_host.boot();
    }

    // No finger is left down from the input before, so an input's touches
    // mean the same alone as after any other.
    void reset() override {
        if (m_host.window()->hasActiveTouch()) {
            m_host.window()->touchUp({0, 0});
            NSRunLoop::mainRunLoop().runUntilIdle();
        }
    }

    void boot() override { m_host.boot(); }

private:
    SpringBoardHost m_host{{.root = sandbox().root().string(), .clock = HostClock::Manual}};
};

} // namespace

ScenarioFuzzTarget& scenarioFuzzTarget() {
    static SpringBoardUnderTest shared;
    return shared;
}
