#include "platform/mediaremote/MediaRemote.h"

#include "platform/mediaremote/NowPlayingService.h"

const std::string kMRMediaRemoteNowPlayingInfoDidChangeNotification =
    "kMRMediaRemoteNowPlayingInfoDidChangeNotification";
const std::string kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification =
    "kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification";
const std::string kMRMediaRemoteNowPlayingApplicationIsPlayingUserInfoKey =
    "kMRMediaRemoteNowPlayingApplicationIsPlayingUserInfoKey";

const std::string kMRMediaRemoteNowPlayingInfoTitle = "kMRMediaRemoteNowPlayingInfoTitle";
const std::string kMRMediaRemoteNowPlayingInfoArtist = "kMRMediaRemoteNowPlayingInfoArtist";
const std::string kMRMediaRemoteNowPlayingInfoAlbum = "kMRMediaRemoteNowPlayingInfoAlbum";
const std::string kMRMediaRemoteNowPlayingInfoArtworkData =
    "kMRMediaRemoteNowPlayingInfoArtworkData";
const std::string kMRMediaRemoteNowPlayingInfoDuration = "kMRMediaRemoteNowPlayingInfoDuration";
const std::string kMRMediaRemoteNowPlayingInfoElapsedTime =
    "kMRMediaRemoteNowPlayingInfoElapsedTime";
const std::string kMRMediaRemoteNowPlayingInfoTimestamp = "kMRMediaRemoteNowPlayingInfoTimestamp";
const std::string kMRMediaRemoteNowPlayingInfoPlaybackRate =
    "kMRMediaRemoteNowPlayingInfoPlaybackRate";

void MRMediaRemoteRegisterForNowPlayingNotifications(const dispatch_queue_t& queue) {
    NowPlayingService::shared().registerForNotifications(queue);
}

void MRMediaRemoteUnregisterForNowPlayingNotifications() {
    NowPlayingService::shared().unregisterForNotifications();
}

void MRMediaRemoteGetNowPlayingInfo(const dispatch_queue_t& queue,
                                    std::function<void(const MRNowPlayingInfo& info)> reply) {
    NowPlayingService::shared().getNowPlayingInfo(queue, std::move(reply));
}

void MRMediaRemoteGetNowPlayingApplicationIsPlaying(const dispatch_queue_t& queue,
                                                    std::function<void(bool playing)> reply) {
    NowPlayingService::shared().getIsPlaying(queue, std::move(reply));
}

// Options are accepted and ignored: the player never passes any.
bool MRMediaRemoteSendCommand(int command, const CFDictionary*) {
    return NowPlayingService::shared().sendCommand(command);
}

void MRMediaRemoteSetElapsedTime(double seconds) {
    NowPlayingService::shared().setElapsedTime(seconds);
}
