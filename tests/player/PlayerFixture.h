#pragma once

#include "platform/corefoundation/CFPreferences.h"
#include "platform/device/DeviceImage.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSTimer.h"
#include "platform/mediaremote/NowPlayingService.h"
#include "platform/mediaremote/NowPlayingSource.h"
#include "platform/springboard/LockScreenClasses.h"
#include "platform/springboard/SBBacklightController.h"
#include "platform/springboard/SBDeviceLockController.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"
#include "player/Rotix.h"
#include "support/ManualClockFixture.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A now-playing application whose every answer the test sets.
class ScriptedNowPlayingSource : public NowPlayingSource {
public:
    MRNowPlayingInfo nowPlayingInfo() const override {
        std::lock_guard lock(m_mutex);
        return m_info;
    }
    bool isPlaying() const override {
        std::lock_guard lock(m_mutex);
        return m_playing;
    }
    std::optional<std::string> nowPlayingApplicationBundleIdentifier() const override {
        std::lock_guard lock(m_mutex);
        return m_bundleIdentifier;
    }
    void performCommand(int) override {}
    void setElapsedTime(double) override {}

    // Changes the information and reports it, as an application would.
    void setInfo(MRNowPlayingInfo info) {
        {
            std::lock_guard lock(m_mutex);
            m_info = std::move(info);
        }
        reportChange(Change::Info);
    }
    // Changes the information without a notification.
    void setInfoQuietly(MRNowPlayingInfo info) {
        std::lock_guard lock(m_mutex);
        m_info = std::move(info);
    }
    void setPlaying(bool playing) {
        {
            std::lock_guard lock(m_mutex);
            m_playing = playing;
        }
        reportChange(Change::PlaybackState);
    }
    void setBundleIdentifier(std::optional<std::string> identifier) {
        std::lock_guard lock(m_mutex);
        m_bundleIdentifier = std::move(identifier);
    }

private:
    mutable std::mutex m_mutex;
    MRNowPlayingInfo m_info;
    bool m_playing = true;
    std::optional<std::string> m_bundleIdentifier;
};

// The player on a fresh device: the build's images copied into a device root
// of its own, the lock screen's classes, a scripted now-playing application,
// the manual clock, and a large phone unless the test picks another device.
class PlayerTest : public ManualClockTest {
protected:
    static constexpr const char* kDomain = "com.varlo.rotixsettings";
    static constexpr const char* kAssetFolder = "Library/Application Support/Rotix2";

    void SetUp() override {
        ManualClockTest::SetUp();
        CFPreferencesResetForTesting();
        LockScreenClasses::registerAll({});
        installAssets();
        useDevice(UIDeviceProfile::iPhone7Plus());
        UIDevice::currentDevice()->setAnswersUserInterfaceIdiom(true);
        source = std::make_shared<ScriptedNowPlayingSource>();
        NowPlayingService::shared().setSource(source);
        NowPlayingService::shared().clearRequests();
        SBDeviceLockController::sharedController()->setPasscodeLocked(false);
    }

    void TearDown() override {
        // Stop every timer so that the views go away and nothing ticks into
        // the next test; a delayed restart still pending starts one more.
        for (const auto& view : m_views)
            stop(view);
        run(0.25);
        for (const auto& view : m_views)
            stop(view);
        m_views.clear();
        window.reset();
        ManualClockTest::TearDown();
        NowPlayingService::shared().setSource(nullptr);
        UIDevice::currentDevice()->setAnswersUserInterfaceIdiom(true);
    }

    static void stop(const std::shared_ptr<Rotix>& view) {
        if (view->timer())
            view->timer()->invalidate();
        if (view->_delayTimer())
            view->_delayTimer()->invalidate();
        NSNotificationCenter::defaultCenter()->removeObserver(view);
    }

    void installAssets() {
        namespace fs = std::filesystem;
        fs::path built = DeviceImage::build();
        if (const char* buildDir = std::getenv("ROTIX_BUILD_DIR"))
            built = fs::path(buildDir) / "device-root";
        fs::create_directories(root() / kAssetFolder);
        fs::copy(built / kAssetFolder, root() / kAssetFolder,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        ASSERT_TRUE(fs::exists(root() / kAssetFolder / "noalbum.png"));
    }

    void removeAsset(const std::string& name) {
        std::filesystem::remove(root() / kAssetFolder / name);
    }

    static void useDevice(const UIDeviceProfile& profile) {
        UIScreen::mainScreen()->setProfile(profile);
        UIDevice::currentDevice()->setProfile(profile);
        UIDevice::currentDevice()->setOrientation(UIDeviceOrientation::Portrait);
    }

    static UIDeviceProfile phoneOfHeight(CGFloat height) {
        UIDeviceProfile profile = UIDeviceProfile::iPhoneSE();
        profile.screenSize = {320, height};
        return profile;
    }

    static void setPreference(const std::string& key, CFPropertyList value) {
        CFPreferencesSetAppValue(key, std::move(value), kDomain);
    }

    // Builds a player, keeps it for teardown and lets its first requests run.
    template <class T = Rotix>
    std::shared_ptr<T> makePlayer(CGRect frame = CGRectZero) {
        auto view = makeView<T>(frame);
        m_views.push_back(view);
        settle();
        return view;
    }

    // A player in a window the size of the screen, for real touches.
    std::shared_ptr<Rotix> makePlayerOnScreen() {
        auto view = makePlayer();
        window = UIWindow::create(UIScreen::mainScreen()->bounds());
        window->addSubview(view);
        settle();
        return view;
    }

    // Runs what is due now (replies, notifications, drawing) without moving the clock.
    static void settle() { NSRunLoop::mainRunLoop().runUntilIdle(); }

    static CGPoint centerInWindow(const std::shared_ptr<UIView>& view) {
        CGRect rect = view->convertRectToView(view->bounds(), nullptr);
        return {rect.origin.x + rect.size.width / 2, rect.origin.y + rect.size.height / 2};
    }

    void tap(CGPoint point) {
        window->touchDown(point);
        window->touchUp(point);
        settle();
    }

    static std::vector<int> commands() {
        std::vector<int> sent;
        for (const auto& request : NowPlayingService::shared().requests())
            if (request.kind == NowPlayingRequest::Kind::Command)
                sent.push_back(request.command);
        return sent;
    }

    static std::vector<double> seeks() {
        std::vector<double> sent;
        for (const auto& request : NowPlayingService::shared().requests())
            if (request.kind == NowPlayingRequest::Kind::SetElapsedTime)
                sent.push_back(request.seconds);
        return sent;
    }

    static int idleTimerResets() {
        return SBBacklightController::sharedInstance()->idleTimerResetCount();
    }

    // Information as an application reports it: elapsed time measured at a
    // moment, and the track's length.
    static CFDictionary playbackInfo(double elapsed, double duration,
                                     std::optional<CFAbsoluteTime> measuredAt) {
        CFDictionary info;
        info[kMRMediaRemoteNowPlayingInfoElapsedTime] = elapsed;
        info[kMRMediaRemoteNowPlayingInfoDuration] = duration;
        if (measuredAt)
            info[kMRMediaRemoteNowPlayingInfoTimestamp] = CFDate{*measuredAt};
        return info;
    }

    std::shared_ptr<ScriptedNowPlayingSource> source;
    std::shared_ptr<UIWindow> window;

private:
    std::vector<std::shared_ptr<Rotix>> m_views;
};
