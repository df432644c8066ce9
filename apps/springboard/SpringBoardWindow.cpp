#include "apps/springboard/SpringBoardWindow.h"

#include "apps/common/WindowSession.h"
#include "apps/springboard/NowPlayingWindowTitle.h"
#include "apps/springboard/SpringBoardHost.h"
#include "platform/uikit/UIWindow.h"

#include <cstdio>
#include <iostream>

namespace {

std::string fingerLine(LiveWindow::FingerPhase phase, CGPoint point) {
    const char* command = phase == LiveWindow::FingerPhase::Down   ? "down"
                          : phase == LiveWindow::FingerPhase::Move ? "move"
                                                                   : "up";
    char line[96];
    std::snprintf(line, sizeof line, "%s %.3f %.3f", command, point.x, point.y);
    return line;
}

} // namespace

int runSpringBoardWindow(SpringBoardHost& host, Scenario& scenario, const std::string& scenarioPath,
                         std::vector<ActivatorKey> activatorKeys) {
    if (activatorKeys.empty())
        activatorKeys.push_back(defaultActivatorKey());
    WindowSessionOptions options{"springboard", NowPlayingWindowTitle::kIdleTitle, scenarioPath,
                                 std::move(activatorKeys)};
    LiveWindow* shown = nullptr;
    std::shared_ptr<NowPlayingWindowTitle> title;
    // The lock screen has no text field: keys are only commands.
    LiveWindow::Host windowHost;
    windowHost.root = [&host] { return std::static_pointer_cast<UIView>(host.window()); };
    windowHost.finger = [&scenario](LiveWindow::FingerPhase phase, CGPoint point) {
        if (auto failure = scenario.runLine(fingerLine(phase, point), 0, "window"))
            std::cerr << "springboard: " << *failure << "\n";
    };
    windowHost.key = [&host](const std::string& name) { return host.pressKey(name); };
    int status = runWindowSession(
        scenario, options, [&host] { host.boot(); }, std::move(windowHost),
        [&host, &shown, &title](LiveWindow& window) {
            shown = &window;
            title = NowPlayingWindowTitle::create([&shown](const std::string& text) {
                if (shown)
                    shown->setTitle(text);
            });
            // Tests and bug reports see what the window did in every dump.
            host.addDumpSection("liveWindow", [&shown] {
                Json section = Json::object();
                if (!shown)
                    return section;
                auto statistics = shown->statistics();
                section["frames"] = statistics.frames;
                section["pixelWidth"] = statistics.pixelWidth;
                section["pixelHeight"] = statistics.pixelHeight;
                section["scale"] = statistics.scale;
                section["fingerDown"] = statistics.fingerDown;
                section["title"] = shown->title();
                return section;
            });
        });
    // The window has gone: no change of track may reach it now.
    title.reset();
    return status;
}
