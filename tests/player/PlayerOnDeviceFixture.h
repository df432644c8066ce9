#pragma once

#include "platform/corefoundation/CFPreferences.h"
#include "platform/foundation/NSTimer.h"
#include "platform/mediaremote/NowPlayingService.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIDeviceProfile.h"
#include "platform/uikit/UIScreen.h"
#include "player/Rotix.h"
#include "support/ManualClockFixture.h"

#include <memory>
#include <string>

// A player built on a chosen device, with preferences of the test's own and
// nothing playing. The device, its screen and orientation are process-wide,
// so every test starts from a portrait iPhone 7 Plus and leaves one behind.
class PlayerOnDeviceTest : public ManualClockTest {
protected:
    void SetUp() override {
        ManualClockTest::SetUp();
        CFPreferencesResetForTesting();
        NowPlayingService::shared().setSource(nullptr);
        useDevice(UIDeviceProfile::iPhone7Plus());
    }

    void TearDown() override {
        releasePlayer();
        ManualClockTest::TearDown();
        useDevice(UIDeviceProfile::iPhone7Plus());
        CFPreferencesResetForTesting();
    }

    static void useDevice(const UIDeviceProfile& profile) {
        UIScreen::mainScreen()->setProfile(profile);
        auto device = UIDevice::currentDevice();
        device->setProfile(profile);
        device->setAnswersUserInterfaceIdiom(true);
        device->setOrientation(UIDeviceOrientation::Portrait);
    }

    static void rotate(UIDeviceOrientation orientation) {
        UIDevice::currentDevice()->setOrientation(orientation);
    }

    // Written as the Settings app writes: into the domain, then to its file.
    static void setPreference(const std::string& key, const CFPropertyList& value,
                              const std::string& domain = "com.varlo.rotixsettings") {
        CFPreferencesSetAppValue(key, value, domain);
        CFPreferencesAppSynchronize(domain);
    }

    // Builds the player and lets its first replies arrive, as the lock screen
    // would before anyone looks at it.
    std::shared_ptr<Rotix> makePlayer() { return adopt(Rotix::create()); }

    template <class T>
    std::shared_ptr<T> adopt(std::shared_ptr<T> player) {
        releasePlayer();
        m_player = player;
        NSRunLoop::mainRunLoop().runUntilIdle();
        return player;
    }

    // The tick timer holds the player; stopping it lets the player go.
    void releasePlayer() {
        if (m_player && m_player->timer())
            m_player->timer()->invalidate();
        m_player.reset();
    }

    std::shared_ptr<Rotix> m_player;
};
