// One to a few scenario lines of the Settings app host, through its own line
// parsing and command table, against one host that lives for the whole run:
// a fresh copy of the device image, the manual clock, and no file written
// outside the sandbox's scratch folder. The respring's killall is pointed at
// a program that does not exist, so no process is ever started or ended.
#include "apps/common/Scenario.h"
#include "apps/settings/SettingsFinger.h"
#include "apps/settings/SettingsHost.h"
#include "apps/settings/SettingsKeyboard.h"
#include "fuzz/ScenarioSandbox.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/messageui/MFMailComposeViewController.h"
#include "platform/posix/ProcessSpawn.h"
#include "platform/preferences/PSRootController.h"
#include "platform/preferences/PSViewController.h"
#include "platform/uikit/UIAlertView.h"

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
        m_bootDepth = host.rootController()->controllers().size();
    }

    // Each input starts where a person opening the app would: the pane the
    // app opens on, nothing presented, nothing being typed, no finger down. Inputs
    // then reproduce alone, and no left-over sheet blocks every later one.
    void reset() {
        if (host.finger().isDown())
            host.finger().up({0, 0});
        if (host.keyboard().isEditing())
            host.pressEditingKey("escape");
        // Button 0 is each alert's cancel button; a few alerts can stack.
        for (int i = 0; i < 8; ++i) {
            auto alert = UIAlertView::visibleAlert();
            if (!alert || alert->numberOfButtons() == 0)
                break;
            alert->clickButtonAtIndex(0);
        }
        for (const auto& controller : host.rootController()->controllers()) {
            if (auto composer = std::dynamic_pointer_cast<MFMailComposeViewController>(
                    controller->presentedViewController()))
                composer->finishWithResult(MFMailComposeResultCancelled);
        }
        while (host.rootController()->controllers().size() > m_bootDepth)
            host.rootController()->popController();
        NSRunLoop::mainRunLoop().runUntilIdle();
        host.refreshWindow();
    }

    size_t m_bootDepth = 1;
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
    fuzz.reset();
    fuzz.sandbox.run(fuzz.scenario, data, size, [&] { fuzz.host.boot(); });
    // Had a line found a way to start a program, the run stops here.
    for (const ProcessSpawn::Record& record : ProcessSpawn::records())
        if (record.result == 0)
            __builtin_trap();
    ProcessSpawn::clearRecords();
    return 0;
}
