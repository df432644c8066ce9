// One to a few scenario lines of the Settings app host, through its own line
// parsing and command table, against one host that lives for the whole run:
// a fresh copy of the device image, the manual clock, and no file written
// outside the sandbox's scratch folder. The respring's killall is pointed at
// a program that does not exist, so no process is ever started or ended.
#include "apps/common/Scenario.h"
#include "apps/settings/SettingsFinger.h"
#include "apps/settings/SettingsHost.h"
#include "apps/settings/SettingsKeyboard.h"
#include "fuzz/ScenarioFuzzTarget.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/messageui/MFMailComposeViewController.h"
#include "platform/posix/ProcessSpawn.h"
#include "platform/preferences/PSRootController.h"
#include "platform/preferences/PSViewController.h"
#include "platform/uikit/UIAlertView.h"

#include <cstddef>

namespace {

constexpr const char* kDevice = "device 320x568@1 phone";
constexpr const char* kRespringProgram = "/usr/bin/killall";

class SettingsUnderTest : public ScenarioFuzzTarget {
public:
    SettingsUnderTest() {
        ProcessSpawn::redirect(kRespringProgram,
                               (sandbox().scratch() / "no-such-program").string());
        m_host.registerCommands(scenario());
        // A small screen at one pixel per point keeps snapshots quick.
        scenario().runLine(kDevice, 0, "fuzz");
        m_host.boot();
        m_bootDepth = m_host.rootController()->controllers().size();
    }

    // Each input starts where a person opening the app would: the pane the
    // app opens on, nothing presented, nothing being typed, no finger down. Inputs
    // then reproduce alone, and no left-over sheet blocks every later one.
    void reset() override {
        if (m_host.finger().isDown())
            m_host.finger().up({0, 0});
        if (m_host.keyboard().isEditing())
            m_host.pressEditingKey("escape");
        // Button 0 is each alert's cancel button; a few alerts can stack.
        for (int i = 0; i < 8; ++i) {
            auto alert = UIAlertView::visibleAlert();
            if (!alert || alert->numberOfButtons() == 0)
                break;
            alert->clickButtonAtIndex(0);
        }
        for (const auto& controller : m_host.rootController()->controllers()) {
            if (auto composer = std::dynamic_pointer_cast<MFMailComposeViewController>(
                    controller->presentedViewController()))
                composer->finishWithResult(MFMailComposeResultCancelled);
        }
        while (m_host.rootController()->controllers().size() > m_bootDepth)
            m_host.rootController()->popController();
        NSRunLoop::mainRunLoop().runUntilIdle();
        m_host.refreshWindow();
    }

    void boot() override { m_host.boot(); }

    // Had a line found a way to start a program, the run stops here.
    void check() override {
        for (const ProcessSpawn::Record& record : ProcessSpawn::records())
            if (record.result == 0)
                __builtin_trap();
        ProcessSpawn::clearRecords();
    }

private:
    SettingsHost m_host{{.root = sandbox().root().string(), .clock = HostClock::Manual}};
    size_t m_bootDepth = 1;
};

} // namespace

ScenarioFuzzTarget& scenarioFuzzTarget() {
    static SettingsUnderTest shared;
    return shared;
}
