#pragma once

#include "platform/dbus/BusConnection.h"
#include "platform/mediaremote/NowPlayingSource.h"
#include "platform/mediaremote/mpris/MprisPlayer.h"
#include "platform/mediaremote/mpris/MprisPlayerTracker.h"
#include "platform/mediaremote/mpris/MprisSeekStepper.h"
#include "platform/render/Json.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// The desktop's music players, reached over the session bus, as the
// now-playing application: the one shown is the one playing, else the one
// most recently active; when it leaves, the next one takes over, or nothing
// plays. The bus is read on the main thread; what the service asks (from
// any thread) is answered from a copy kept under a lock.
class MprisNowPlayingSource : public NowPlayingSource,
                              public std::enable_shared_from_this<MprisNowPlayingSource> {
public:
    // On the given connection; with none (no session bus), nothing ever
    // plays.
    static std::shared_ptr<MprisNowPlayingSource> create(std::shared_ptr<BusConnection> bus);
    ~MprisNowPlayingSource() override;

    MRNowPlayingInfo nowPlayingInfo() const override;
    bool isPlaying() const override;
    // The player's bus name, org.mpris.MediaPlayer2.NAME.
    std::optional<std::string> nowPlayingApplicationBundleIdentifier() const override;
    void performCommand(int command) override;
    void setElapsedTime(double seconds) override;

    bool isConnected() const;
    // Every player known and which one is shown, for dumps. Main thread.
    Json dump() const;

protected:
    explicit MprisNowPlayingSource(std::shared_ptr<BusConnection> bus);

private:
    // What the service may read from any thread.
    struct Shown {
        std::optional<std::string> busName;
        bool playing = false;
        MprisMetadata metadata;
        CFData artwork;
        double readSeconds = 0;
        CFAbsoluteTime readTime = 0;
        double rate = 0;
        bool positionKnown = false;
    };

    void start();
    void playerAppeared(const std::string& busName, const std::string& owner);
    void playerVanished(const std::string& busName);
    void playerChanged(MprisPlayer& player, const MprisPlayer::Changes& changes);
    void busLost();
    // Chooses the player to show and reports what that changed.
    void update();
    void performOnMainThread(std::function<void(MprisNowPlayingSource& self)> work);
    std::shared_ptr<MprisPlayer> shownPlayer() const;
    template <class Handler>
    void forPlayersOwnedBy(const std::string& owner, Handler handler);

    std::shared_ptr<BusConnection> m_bus;
    std::shared_ptr<MprisPlayerTracker> m_tracker;
    std::map<std::string, std::shared_ptr<MprisPlayer>> m_players;
    std::shared_ptr<MprisSeekStepper> m_stepper;

    mutable std::mutex m_mutex;
    Shown m_shown;
};
