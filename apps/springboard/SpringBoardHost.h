#pragma once

#include "apps/common/HostClock.h"
#include "apps/common/Scenario.h"
#include "platform/objc/NSObject.h"
#include "platform/render/Json.h"
#include "platform/uikit/UIDeviceProfile.h"
#include "platform/uikit/UIScreenRotation.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIWindow;
class Clock;
class LockScreen;
class BusConnection;
class DBusNotificationTransport;
class LAActivatorBusService;

// The home-screen process: it loads the extensions the way the substrate
// does, builds the application object and the lock screen, and runs
// scenarios against the manual clock.
class SpringBoardHost {
public:
    struct Options {
        std::string root;
        // Scenarios run on a manual clock; a live session runs on the real one.
        HostClock clock = HostClock::Manual;
        std::vector<std::string> omittedClasses;
        // The device to play until a scenario chooses another; the default
        // is an iPhone 7 Plus.
        std::optional<UIDeviceProfile> device;
    };

    explicit SpringBoardHost(Options options);
    ~SpringBoardHost();

    // Registers the scenario commands, group by group; the ones that act on
    // the lock screen start it first if it is not running yet.
    void registerCommands(Scenario& scenario);

    // The device the home screen runs on; chosen before it starts.
    void setDevice(const UIDeviceProfile& profile);

    // Starts the process: extensions, application object, lock screen.
    void boot();
    bool isBooted() const { return m_booted; }

    std::shared_ptr<UIWindow> window() const;
    Json dump() const;
    bool writeSnapshot(const std::string& path) const;

    // A key of a keyboard attached to the device: the media keys (and Space,
    // Left and Right) send their now-playing command, and wake the screen as
    // a touch does. Answers whether the key means anything here.
    bool pressKey(const std::string& keyName);

    // A finger on the glass: it starts the lock screen if need be and wakes
    // its backlight.
    void noteUserTouch();
    // Rebuilds the lock screen's media-controls page, starting it first.
    void rebuildMediaControlsPage();
    // Whether the device is locked with a passcode; chosen before the start
    // too, when the lock controller takes it as it comes up.
    void setPasscodeLocked(bool locked);

    // Lets later subsystems add their own parts to every dump.
    void addDumpSection(std::string name, std::function<Json()> section);

private:
    void connectSessionBus();
    // The home screen turns its screen with the device before anything else
    // hears of the turn, so the lock screen and the player lay out in it.
    void followDeviceOrientation();
    void turnScreen();

    Options m_options;
    std::shared_ptr<Clock> m_clock;
    UIDeviceProfile m_profile;
    UIScreenRotation m_rotation{UIUserInterfaceIdiom::Phone, false};
    id m_orientationObserver;
    bool m_booted = false;
    bool m_passcodeLocked = false;
    std::unique_ptr<LockScreen> m_lockScreen;
    std::vector<std::string> m_loadedExtensions;
    std::vector<std::pair<std::string, std::function<Json()>>> m_sections;
    std::shared_ptr<BusConnection> m_bus;
    std::shared_ptr<DBusNotificationTransport> m_busTransport;
    std::shared_ptr<LAActivatorBusService> m_activatorService;
};
