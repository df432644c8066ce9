#include "apps/settings/SettingsWindow.h"

#include "apps/common/WindowSession.h"
#include "apps/settings/SettingsHost.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIWindow.h"

int runSettingsWindow(SettingsHost& host, Scenario& scenario, const std::string& scenarioPath,
                      std::vector<ActivatorKey> activatorKeys) {
    if (activatorKeys.empty())
        activatorKeys.push_back(defaultActivatorKey());
    WindowSessionOptions options{"settings", "Rotix settings", scenarioPath,
                                 std::move(activatorKeys)};
    LiveWindow::Host windowHost{[&host] { return std::static_pointer_cast<UIView>(host.window()); },
                                [&host](LiveWindow::FingerPhase phase, CGPoint point) {
                                    auto window = host.window();
                                    if (!window)
                                        return;
                                    // The same finger a scenario's touch would be: the window hit
                                    // tests it and hands it to recognisers and views.
                                    if (phase == LiveWindow::FingerPhase::Down)
                                        window->touchDown(point);
                                    else if (!window->hasActiveTouch())
                                        return;
                                    else if (phase == LiveWindow::FingerPhase::Move)
                                        window->touchMove(point);
                                    else
                                        window->touchUp(point);
                                    NSRunLoop::mainRunLoop().runUntilIdle();
                                }};
    return runWindowSession(
        scenario, options, [&host] { host.boot(); }, std::move(windowHost));
}
