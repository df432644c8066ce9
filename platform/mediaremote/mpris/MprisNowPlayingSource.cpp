#include "platform/mediaremote/mpris/MprisNowPlayingSource.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/mediaremote/mpris/MprisCommandMapping.h"
#include "platform/mediaremote/mpris/MprisPlayerChoice.h"
#include "platform/objc/NSObject.h"

#include <vector>

std::shared_ptr<MprisNowPlayingSource>
MprisNowPlayingSource::create(std::shared_ptr<BusConnection> bus) {
    auto source = makeObject<MprisNowPlayingSource>(std::move(bus));
    source->start();
    return source;
}

MprisNowPlayingSource::MprisNowPlayingSource(std::shared_ptr<BusConnection> bus)
    : m_bus(std::move(bus)) {}

// The players and the tracker hold proxies and match rules into the bus
// connection: the members are declared so that they go before it.
MprisNowPlayingSource::~MprisNowPlayingSource() = default;

void MprisNowPlayingSource::start() {
    std::weak_ptr<MprisNowPlayingSource> weakSelf = weak_from_this();
    m_stepper = MprisSeekStepper::create([weakSelf](std::int64_t offset) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        if (auto player = self->shownPlayer())
            player->seek(offset);
    });
    if (!m_bus || !m_bus->isOpen())
        return;
    m_bus->setCallTimeout(MprisPlayerTracker::kCallTimeout);
    m_bus->addCloseHandler([weakSelf] {
        if (auto self = weakSelf.lock())
            self->busLost();
    });
    MprisPlayerTracker::Handlers handlers;
    handlers.appeared = [weakSelf](const std::string& busName, const std::string& owner) {
        if (auto self = weakSelf.lock())
            self->playerAppeared(busName, owner);
    };
    handlers.vanished = [weakSelf](const std::string& busName) {
        if (auto self = weakSelf.lock())
            self->playerVanished(busName);
    };
    handlers.propertiesChanged = [weakSelf](const std::string& owner, sdbus::Message& signal) {
        if (auto self = weakSelf.lock())
            self->forPlayersOwnedBy(owner,
                                    [&](MprisPlayer& player) { player.propertiesChanged(signal); });
    };
    handlers.seeked = [weakSelf](const std::string& owner, sdbus::Message& signal) {
        if (auto self = weakSelf.lock())
            self->forPlayersOwnedBy(owner, [&](MprisPlayer& player) { player.seeked(signal); });
    };
    m_tracker = MprisPlayerTracker::create(m_bus, std::move(handlers));
    m_bus->attachToRunLoop();
    if (!m_tracker->start())
        m_tracker.reset();
}

template <class Handler>
void MprisNowPlayingSource::forPlayersOwnedBy(const std::string& owner, Handler handler) {
    // One program may own several names (an instance name beside the plain
    // one); each of its players hears what it says.
    std::vector<std::shared_ptr<MprisPlayer>> players;
    for (const auto& [name, player] : m_players) {
        if (player->owner() == owner)
            players.push_back(player);
    }
    for (const auto& player : players)
        handler(*player);
}

void MprisNowPlayingSource::playerAppeared(const std::string& busName, const std::string& owner) {
    std::weak_ptr<MprisNowPlayingSource> weakSelf = weak_from_this();
    auto player =
        MprisPlayer::create(m_bus, busName, owner,
                            [weakSelf](MprisPlayer& changed, const MprisPlayer::Changes& changes) {
                                if (auto self = weakSelf.lock())
                                    self->playerChanged(changed, changes);
                            });
    m_players[busName] = player;
    // Not shown until it has answered: a player that says nothing is not
    // one to show.
    player->start();
}

void MprisNowPlayingSource::playerVanished(const std::string& busName) {
    if (m_players.erase(busName))
        update();
}

void MprisNowPlayingSource::playerChanged(MprisPlayer& player,
                                          const MprisPlayer::Changes& changes) {
    // Fast-forwarding into the next track ends the fast-forward.
    if (changes.track && shownPlayer().get() == &player)
        m_stepper->stop();
    update();
}

void MprisNowPlayingSource::busLost() {
    m_stepper->stop();
    // Their proxies and match rules point into the connection, which goes
    // once this returns.
    m_players.clear();
    m_tracker.reset();
    update();
}

void MprisNowPlayingSource::update() {
    std::vector<MprisPlayerCandidate> candidates;
    for (const auto& [name, player] : m_players) {
        if (player->isReady())
            candidates.push_back({name, player->isPlaying(), player->lastActive()});
    }
    Shown next;
    next.busName = MprisPlayerChoice::choose(candidates);
    if (next.busName) {
        const MprisPlayer& player = *m_players.at(*next.busName);
        next.playing = player.isPlaying();
        next.metadata = player.metadata();
        next.artwork = player.artwork();
        next.readSeconds = player.position().readSeconds();
        next.readTime = player.position().readTime();
        next.rate = player.position().effectiveRate();
        next.positionKnown = player.position().isKnown();
    }
    bool infoChanged;
    bool stateChanged;
    bool playerSwitched;
    {
        std::lock_guard lock(m_mutex);
        playerSwitched = next.busName != m_shown.busName;
        // Artwork is compared by identity: the bytes only change with it.
        infoChanged = playerSwitched || next.metadata != m_shown.metadata ||
                      next.artwork != m_shown.artwork || next.readSeconds != m_shown.readSeconds ||
                      next.readTime != m_shown.readTime || next.rate != m_shown.rate ||
                      next.positionKnown != m_shown.positionKnown;
        stateChanged = playerSwitched || next.playing != m_shown.playing;
        m_shown = std::move(next);
    }
    // Seeking steps belong to the player they started on.
    if (playerSwitched)
        m_stepper->stop();
    if (infoChanged)
        reportChange(Change::Info);
    if (stateChanged)
        reportChange(Change::PlaybackState);
}

std::shared_ptr<MprisPlayer> MprisNowPlayingSource::shownPlayer() const {
    std::optional<std::string> busName;
    {
        std::lock_guard lock(m_mutex);
        busName = m_shown.busName;
    }
    if (!busName)
        return nullptr;
    auto found = m_players.find(*busName);
    return found == m_players.end() ? nullptr : found->second;
}

MRNowPlayingInfo MprisNowPlayingSource::nowPlayingInfo() const {
    std::lock_guard lock(m_mutex);
    if (!m_shown.busName)
        return std::nullopt;
    const MprisMetadata& metadata = m_shown.metadata;
    CFDictionary info;
    if (auto title = metadata.shownTitle())
        info[kMRMediaRemoteNowPlayingInfoTitle] = *title;
    if (metadata.artist)
        info[kMRMediaRemoteNowPlayingInfoArtist] = *metadata.artist;
    if (metadata.album)
        info[kMRMediaRemoteNowPlayingInfoAlbum] = *metadata.album;
    if (m_shown.artwork)
        info[kMRMediaRemoteNowPlayingInfoArtworkData] = m_shown.artwork;
    if (metadata.lengthMicroseconds)
        info[kMRMediaRemoteNowPlayingInfoDuration] = metadata.lengthSeconds();
    // As the player last said, with the moment it said it: the reader moves
    // it on by the rate.
    info[kMRMediaRemoteNowPlayingInfoElapsedTime] = m_shown.readSeconds;
    info[kMRMediaRemoteNowPlayingInfoTimestamp] = CFDate{m_shown.readTime};
    info[kMRMediaRemoteNowPlayingInfoPlaybackRate] = m_shown.rate;
    return info;
}

bool MprisNowPlayingSource::isPlaying() const {
    std::lock_guard lock(m_mutex);
    return m_shown.busName && m_shown.playing;
}

std::optional<std::string> MprisNowPlayingSource::nowPlayingApplicationBundleIdentifier() const {
    std::lock_guard lock(m_mutex);
    return m_shown.busName;
}

void MprisNowPlayingSource::performOnMainThread(
    std::function<void(MprisNowPlayingSource& self)> work) {
    if (NSRunLoop::isMainThread()) {
        work(*this);
        return;
    }
    std::weak_ptr<MprisNowPlayingSource> weakSelf = weak_from_this();
    NSRunLoop::mainRunLoop().enqueue([weakSelf, work = std::move(work)] {
        if (auto self = weakSelf.lock())
            work(*self);
    });
}

void MprisNowPlayingSource::performCommand(int command) {
    performOnMainThread([command](MprisNowPlayingSource& self) {
        MprisCommandAction action = MprisCommandMapping::actionForCommand(command);
        auto player = self.shownPlayer();
        switch (action.kind) {
        case MprisCommandAction::Kind::None:
            break;
        case MprisCommandAction::Kind::Method:
            if (player)
                player->callMethod(action.method);
            break;
        case MprisCommandAction::Kind::BeginSeeking:
            if (player)
                self.m_stepper->begin(action.direction);
            break;
        case MprisCommandAction::Kind::EndSeeking:
            self.m_stepper->end(action.direction);
            break;
        }
    });
}

void MprisNowPlayingSource::setElapsedTime(double seconds) {
    performOnMainThread([seconds](MprisNowPlayingSource& self) {
        auto player = self.shownPlayer();
        if (!player)
            return;
        const MprisMetadata& metadata = player->metadata();
        std::optional<double> length;
        if (metadata.lengthMicroseconds)
            length = metadata.lengthSeconds();
        double current = player->position().secondsAt(NSRunLoop::mainRunLoop().now(), length);
        auto request = MprisCommandMapping::positionRequest(metadata, current, seconds);
        if (!request)
            return;
        if (request->kind == MprisPositionRequest::Kind::SetPosition)
            player->setPosition(request->trackId, request->microseconds);
        else
            player->seek(request->microseconds);
    });
}

bool MprisNowPlayingSource::isConnected() const {
    return m_bus && m_bus->isOpen();
}

Json MprisNowPlayingSource::dump() const {
    CFAbsoluteTime now = NSRunLoop::mainRunLoop().now();
    Json json = Json::object();
    json.set("connected", isConnected());
    std::optional<std::string> shown;
    {
        std::lock_guard lock(m_mutex);
        shown = m_shown.busName;
    }
    json.set("shown", shown ? Json(*shown) : Json());
    auto direction = m_stepper ? m_stepper->direction() : std::nullopt;
    json.set("seeking", !direction                                           ? Json()
                        : *direction == MprisSeekStepper::Direction::Forward ? Json("forward")
                                                                             : Json("backward"));
    Json players = Json::array();
    for (const auto& [name, player] : m_players)
        players.push(player->dump(now));
    json.set("players", std::move(players));
    return json;
}
