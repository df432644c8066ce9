#include "apps/springboard/SpringBoardHost.h"

#include "apps/common/PreferenceCommands.h"
#include "apps/common/ProcessMemory.h"
#include "apps/springboard/ClockCommands.h"
#include "apps/springboard/DeviceCommands.h"
#include "apps/springboard/LockScreen.h"
#include "apps/springboard/LockScreenCommands.h"
#include "apps/springboard/MediaKeys.h"
#include "apps/springboard/NowPlayingCommands.h"
#include "apps/springboard/OutputCommands.h"
#include "apps/springboard/PlayerDump.h"
#include "apps/springboard/TouchCommands.h"
#include "platform/activator/LAActivator.h"
#include "platform/activator/LAActivatorBusService.h"
#include "platform/corefoundation/CFNotificationCenter.h"
#include "platform/corefoundation/CFPreferences.h"
#include "platform/dbus/DBusNotificationTransport.h"
#include "platform/corefoundation/InProcessNotificationTransport.h"
#include "platform/dbus/BusConnection.h"
#include "platform/device/DeviceRoot.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/mediaremote/NowPlayingService.h"
#include "platform/objc/Runtime.h"
#include "platform/render/Renderer.h"
#include "platform/render/ViewDump.h"
#include "platform/springboard/LockScreenClasses.h"
#include "platform/springboard/SBDeviceLockController.h"
#include "platform/substrate/MobileSubstrate.h"
#include "platform/system/SystemLog.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

#include <set>

namespace {

constexpr const char* kSpringBoardBundleIdentifier = "com.apple.springboard";
// The player's domain: its "landscape" setting lets a phone's screen turn.
constexpr const char* kPlayerDomain = "com.varlo.rotixsettings";

} // namespace

SpringBoardHost::SpringBoardHost(Options options)
    : m_options(std::move(options)), m_clock(makeClock(m_options.clock)) {
    if (!m_options.root.empty())
        DeviceRoot::set(m_options.root);
    NSRunLoop::mainRunLoop().setClock(m_clock);
    setDevice(m_options.device.value_or(UIDeviceProfile::iPhone7Plus()));
}

void SpringBoardHost::setDevice(const UIDeviceProfile& profile) {
    m_profile = profile;
    UIScreen::mainScreen()->setProfile(m_profile);
    UIDevice::currentDevice()->setProfile(m_profile);
}

SpringBoardHost::~SpringBoardHost() {
    if (m_orientationObserver)
        NSNotificationCenter::defaultCenter()->removeObserver(m_orientationObserver);
    // The process-wide centre outlives the host; it must not keep reading a
    // bus that is about to close.
    if (m_busTransport)
        CFNotificationCenter::distributedCenter()->setTransport(
            InProcessNotificationTransport::create());
}

std::shared_ptr<UIWindow> SpringBoardHost::window() const {
    return m_lockScreen ? m_lockScreen->window() : nullptr;
}

void SpringBoardHost::boot() {
    if (m_booted)
        return;
    m_booted = true;
    // The process's own classes exist before anything is loaded into it; the
    // substrate then loads extensions before the application object exists,
    // so their initialisers see every class the process starts with.
    std::set<std::string> omitted(m_options.omittedClasses.begin(), m_options.omittedClasses.end());
    LockScreenClasses::registerAll(omitted);
    if (m_passcodeLocked && objc_getClass("SBDeviceLockController"))
        SBDeviceLockController::sharedController()->setPasscodeLocked(true);
    followDeviceOrientation();
    auto loaded = MobileSubstrate::loadExtensionsForBundleIdentifier(kSpringBoardBundleIdentifier);
    for (const auto& extension : loaded.loaded)
        m_loadedExtensions.push_back(extension.name);
    m_lockScreen = std::make_unique<LockScreen>(UIScreen::mainScreen()->bounds(),
                                                m_options.clock == HostClock::Manual
                                                    ? LockScreen::TimeZone::Universal
                                                    : LockScreen::TimeZone::Local);
    connectSessionBus();
    NSRunLoop::mainRunLoop().runUntilIdle();
    // The motion hardware's first reading arrives once something listens, as
    // on a device: a tablet gets its first layout from it, and an
    // orientation set before the start is not lost.
    auto device = UIDevice::currentDevice();
    device->setOrientation(device->orientation());
    NSRunLoop::mainRunLoop().runUntilIdle();
}

void SpringBoardHost::followDeviceOrientation() {
    auto device = UIDevice::currentDevice();
    bool phoneTurns = false;
    // Read once, at the start, the way the player reads it: a phone's lock
    // screen turns only when the player follows the turn too.
    if (device->userInterfaceIdiom() == UIUserInterfaceIdiom::Phone) {
        CFPreferencesAppSynchronize(kPlayerDomain);
        auto landscape = CFPreferencesCopyAppValue("landscape", kPlayerDomain);
        phoneTurns = landscape && landscape->isBooleanTrue();
    }
    m_rotation = UIScreenRotation(device->userInterfaceIdiom(), phoneTurns);
    device->beginGeneratingDeviceOrientationNotifications();
    // Registered before any extension loads, so it is the first to hear.
    m_orientationObserver = NSNotificationCenter::defaultCenter()->addObserverForName(
        UIDeviceOrientationDidChangeNotification, nullptr,
        [this](const NSNotification&) { turnScreen(); });
}

void SpringBoardHost::turnScreen() {
    if (!m_rotation.follow(UIDevice::currentDevice()->orientation()))
        return;
    UIScreen::mainScreen()->setBoundsSize(m_rotation.boundsSize(m_profile.screenSize));
    if (m_lockScreen)
        m_lockScreen->layOut(UIScreen::mainScreen()->bounds(), m_profile.screenSize);
}

void SpringBoardHost::connectSessionBus() {
    // A scenario on the manual clock is a reproduction and hears nothing
    // from other programs. A live session joins the desktop's session bus
    // when there is one, and keeps to itself, silently, when there is none.
    if (m_options.clock != HostClock::System)
        return;
    addDumpSection("sessionBus", [this] {
        Json section = Json::object();
        section["connected"] = m_bus && m_bus->isOpen();
        section["notifications"] =
            m_busTransport && m_busTransport->isConnected() ? "session bus" : "in-process";
        section["activator"] = m_activatorService && m_activatorService->isServing();
        return section;
    });
    m_bus = BusConnection::openSessionBus();
    if (!m_bus)
        return;
    m_busTransport = DBusNotificationTransport::create(m_bus);
    if (m_busTransport)
        CFNotificationCenter::distributedCenter()->setTransport(m_busTransport);
    std::string error;
    m_activatorService =
        LAActivatorBusService::create(m_bus, LAActivator::sharedInstance(), &error);
    if (!m_activatorService)
        SystemLog::shared().write("springboard",
                                  "events from other programs cannot reach this host: " + error);
}

bool SpringBoardHost::pressKey(const std::string& keyName) {
    auto command = nowPlayingCommandForKey(keyName);
    if (!command)
        return false;
    noteUserTouch();
    MRMediaRemoteSendCommand(*command, nullptr);
    return true;
}

void SpringBoardHost::noteUserTouch() {
    boot();
    m_lockScreen->noteUserTouch();
}

void SpringBoardHost::rebuildMediaControlsPage() {
    boot();
    m_lockScreen->rebuildMediaControlsPage();
}

void SpringBoardHost::setPasscodeLocked(bool locked) {
    m_passcodeLocked = locked;
    if (m_booted && objc_getClass("SBDeviceLockController"))
        SBDeviceLockController::sharedController()->setPasscodeLocked(m_passcodeLocked);
}

void SpringBoardHost::addDumpSection(std::string name, std::function<Json()> section) {
    m_sections.emplace_back(std::move(name), std::move(section));
}

Json SpringBoardHost::dump() const {
    // A dump tells where the ring's thumb was last drawn: draw what waits.
    UIView::displayPendingViews();
    Json json = Json::object();
    json["time"] = NSRunLoop::mainRunLoop().now();
    Json device = Json::object();
    device["name"] = m_profile.name;
    device["idiom"] = static_cast<long>(UIDevice::currentDevice()->userInterfaceIdiom());
    device["orientation"] = static_cast<long>(UIDevice::currentDevice()->orientation());
    device["interfaceOrientation"] = static_cast<long>(m_rotation.orientation());
    CGRect bounds = UIScreen::mainScreen()->bounds();
    device["screen"] =
        ViewDump::dumpRect(bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
    device["scale"] = UIScreen::mainScreen()->scale();
    json["device"] = std::move(device);
    Json extensions = Json::array();
    for (const auto& name : m_loadedExtensions)
        extensions.push_back(name);
    json["extensions"] = std::move(extensions);
    json["lockScreen"] = m_lockScreen ? m_lockScreen->dump() : Json();
    json["nowPlaying"] = nowPlayingDumpSection();
    Json listeners = Json::array();
    for (const auto& info : LAActivator::sharedInstance()->listeners()) {
        Json entry = Json::object();
        entry["name"] = info.name;
        entry["title"] = info.title;
        entry["description"] = info.description;
        entry["group"] = info.group;
        listeners.push_back(std::move(entry));
    }
    json["activatorListeners"] = std::move(listeners);
    json["window"] = ViewDump::dumpView(window());
    // What the host costs: its memory, and how often views drew, which a
    // host without a window does only when something looks.
    Json process = ProcessMemory::dump();
    process["viewsDrawn"] = UIView::drawCount();
    json["process"] = std::move(process);
    for (const auto& [name, section] : m_sections)
        json[name] = section();
    if (auto player = playerDumpSection())
        json["player"] = std::move(*player);
    Json log = Json::array();
    for (const auto& line : SystemLog::shared().lines())
        log.push_back(line.source + ": " + line.text);
    json["log"] = std::move(log);
    return json;
}

bool SpringBoardHost::writeSnapshot(const std::string& path) const {
    auto root = window();
    if (!root)
        return false;
    return Renderer::writePNG(root, UIScreen::mainScreen()->scale(), path);
}

void SpringBoardHost::registerCommands(Scenario& scenario) {
    registerDeviceCommands(scenario, *this);
    registerPreferenceCommands(scenario);
    registerClockCommands(scenario, *this);
    registerTouchCommands(scenario, *this);
    registerNowPlayingCommands(scenario);
    registerLockScreenCommands(scenario, *this);
    registerOutputCommands(scenario, *this);
}
