// One to a few scenario lines of the Settings app host, through its own line
// parsing and command table, against one host that lives for the whole run:
// a fresh copy of the device image, the manual clock, and no file written
// outside the sandbox's scratch folder. The respring's killall is pointed at
// a program that does not exist, so no process is ever started or ended.
#include "apps/common/Scenario.h"
#include "apps/settings/SettingsHost.h"
#include "fuzz/ScenarioSandbox.h"
#include "platform/posix/ProcessSpawn.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr const char* kDevice = "device 320x568@1 phone";
constexpr const char* kRespringProgram = "/usr/bin/killall";

struct SettingsUnderTest {
    ScenarioSandbox sandbox;
    SettingsHost host{{sandbox.root().string(), HostClock::Manual}};
    Scenario scenario;

    SettingsUnderTest() {
        ProcessSpawn::redirect(kRespringProgram, (sandbox.scratch() / "no-such-program").string());
        host.registerCommands(scenario);
        // A small screen at one pixel per point keeps snapshots quick.
        scenario.runLine(kDevice, 0, "fuzz");
        host.boot();
    }
};

SettingsUnderTest& underTest() {
    static SettingsUnderTest shared;
    return shared;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    underTest();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SettingsUnderTest& fuzz = underTest();
    fuzz.sandbox.run(fuzz.scenario, data, size, [&] { fuzz.host.boot(); });
    // Had a line found a way to start a program, the run stops here.
    for (const ProcessSpawn::Record& record : ProcessSpawn::records())
        if (record.result == 0)
            __builtin_trap();
    ProcessSpawn::clearRecords();
    return 0;
}
