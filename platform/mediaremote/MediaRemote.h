#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/dispatch/Dispatch.h"

#include <functional>
#include <optional>
#include <string>

// The now-playing service: what the playing application reports, and the
// commands it takes. Every reply is delivered asynchronously on the queue
// named for it.

extern const std::string kMRMediaRemoteNowPlayingInfoDidChangeNotification;
extern const std::string kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification;
// The playing-state notification's user info carries the new state as a boolean.
extern const std::string kMRMediaRemoteNowPlayingApplicationIsPlayingUserInfoKey;

extern const std::string kMRMediaRemoteNowPlayingInfoTitle;
extern const std::string kMRMediaRemoteNowPlayingInfoArtist;
extern const std::string kMRMediaRemoteNowPlayingInfoAlbum;
extern const std::string kMRMediaRemoteNowPlayingInfoArtworkData;
extern const std::string kMRMediaRemoteNowPlayingInfoDuration;
extern const std::string kMRMediaRemoteNowPlayingInfoElapsedTime;
extern const std::string kMRMediaRemoteNowPlayingInfoTimestamp;
extern const std::string kMRMediaRemoteNowPlayingInfoPlaybackRate;

// Command numbers, as the service numbers them.
enum MRMediaRemoteCommand : int {
    kMRPlay = 0,
    kMRPause = 1,
    kMRTogglePlayPause = 2,
    kMRStop = 3,
    kMRNextTrack = 4,
    kMRPreviousTrack = 5,
    kMRBeginFastForward = 8,
    kMREndFastForward = 9,
    kMRBeginRewind = 10,
    kMREndRewind = 11,
};

// The information dictionary; nothing when nothing plays.
using MRNowPlayingInfo = std::optional<CFDictionary>;

// From now on the two notifications are posted on the default notification
// centre, on the queue given.
void MRMediaRemoteRegisterForNowPlayingNotifications(const dispatch_queue_t& queue);
void MRMediaRemoteUnregisterForNowPlayingNotifications();
void MRMediaRemoteGetNowPlayingInfo(const dispatch_queue_t& queue,
                                    std::function<void(const MRNowPlayingInfo& info)> reply);
void MRMediaRemoteGetNowPlayingApplicationIsPlaying(const dispatch_queue_t& queue,
                                                    std::function<void(bool playing)> reply);
bool MRMediaRemoteSendCommand(int command, const CFDictionary* options);
void MRMediaRemoteSetElapsedTime(double seconds);
