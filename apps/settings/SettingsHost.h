#pragma once

#include "apps/common/HostClock.h"
#include "apps/common/Scenario.h"
#include "platform/render/DumpJson.h"
#include "platform/uikit/UIDeviceProfile.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class Clock;
class SettingsFinger;
class SettingsKeyboard;
class MFMailComposeViewController;
class PSListController;
class PSRootController;
class PSViewController;
class UIWindow;

// The Settings app: its list of entries from the installed preference
// loader entries, the panes of the bundles they lead to, alerts and
// presented controllers over them. It runs scenarios against the manual
// clock, as the home-screen host does.
class SettingsHost {
public:
    struct Options {
        std::string root;
        // Scenarios run on a manual clock; a live session runs on the real one.
        HostClock clock = HostClock::Manual;
        // The device to play until a scenario chooses another; the default
        // is an iPhone 7 Plus.
        std::optional<UIDeviceProfile> device;
    };

    // A row's refusal repeats what was typed; standard error shows it
    // escaped and cut to this many characters.
    static constexpr size_t kMaximumRefusalCharacters = 200;

    // The schemes every device opens: the web, and Cydia on a jailbroken one.
    static constexpr const char* kBaseSchemes[] = {"http", "https", "cydia"};

    explicit SettingsHost(Options options);
    ~SettingsHost();

    void registerCommands(Scenario& scenario);

    // Starts the app: the list of entries, then the first entry's pane
    // (the one labelled "Rotix" when there is one).
    void boot();
    bool isBooted() const { return m_booted; }

    // The app's window; a live window shows it.
    std::shared_ptr<UIWindow> window() const { return m_window; }
    std::shared_ptr<PSViewController> topController() const;
    std::shared_ptr<PSListController> topList() const;
    std::shared_ptr<PSRootController> rootController() const { return m_root; }
    // The one finger on the screen, for the window's mouse and the
    // scenario's touches alike.
    SettingsFinger& finger() { return *m_finger; }
    // Typing into the text row a tap chose.
    SettingsKeyboard& keyboard() { return *m_keyboard; }
    // "return" keeps what was typed, "escape" gives it up, "backspace" takes
    // a character off; a refusal is the row's answer, shown under it.
    void pressEditingKey(const std::string& key);
    Json dump();
    bool writeSnapshot(const std::string& path, bool fullContent);

    // Puts what the app shows now into the window: the bar, the top pane
    // and whatever is presented over it.
    void refreshWindow();
    // Why a tap cannot reach the pane now (an alert or the composer covers
    // it), or nothing when it can. Boots the app first.
    std::optional<std::string> requireInteractive();

private:
    // The composer the top pane presents, remembered for the dump.
    void noticePresentedComposer();
    std::shared_ptr<PSListController> makeEntriesList();

    Options m_options;
    std::shared_ptr<Clock> m_clock;
    UIDeviceProfile m_profile;
    bool m_booted = false;
    std::shared_ptr<PSRootController> m_root;
    std::shared_ptr<UIWindow> m_window;
    std::vector<std::shared_ptr<MFMailComposeViewController>> m_composers;
    std::unique_ptr<SettingsFinger> m_finger;
    std::unique_ptr<SettingsKeyboard> m_keyboard;
};
