#include "apps/settings/SettingsWindow.h"

#include "apps/common/WindowSession.h"
#include "apps/settings/SettingsFinger.h"
#include "apps/settings/SettingsHost.h"
#include "apps/settings/SettingsKeyboard.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIWindow.h"

int runSettingsWindow(SettingsHost& host, Scenario& scenario, const std::string& scenarioPath,
                      std::vector<ActivatorKey> activatorKeys) {
    if (activatorKeys.empty())
        activatorKeys.push_back(defaultActivatorKey());
    WindowSessionOptions options{"settings", "Rotix settings", scenarioPath,
                                 std::move(activatorKeys)};
    // The mouse is the finger the scenario's touches are.
    LiveWindow::Host windowHost{[&host] { return std::static_pointer_cast<UIView>(host.window()); },
                                [&host](LiveWindow::FingerPhase phase, CGPoint point) {
                                    SettingsFinger& finger = host.finger();
                                    if (phase == LiveWindow::FingerPhase::Down)
                                        finger.down(point);
                                    else if (phase == LiveWindow::FingerPhase::Move)
                                        finger.move(point);
                                    else
                                        finger.up(point);
                                },
                                [&host] { return host.keyboard().isEditing(); },
                                [&host](const std::string& text) {
                                    host.keyboard().type(text);
                                    host.refreshWindow();
                                },
                                [&host](const std::string& key) { host.pressEditingKey(key); },
                                // Keys other than typing are the window's own.
                                nullptr};
    return runWindowSession(
        scenario, options, [&host] { host.boot(); }, std::move(windowHost));
}
