#include "apps/springboard/NowPlayingWindowTitle.h"

#include "apps/common/QuotedName.h"
#include "platform/dispatch/Dispatch.h"
#include "platform/foundation/NSNotificationCenter.h"

namespace {

std::string infoText(const MRNowPlayingInfo& info, const std::string& key) {
    const CFPropertyList* value = CFDictionaryGetValue(info ? &*info : nullptr, key);
    return value && value->string() ? *value->string() : std::string();
}

// A title bar shows a line of a few words; a player's tags may hold anything.
constexpr size_t kMaximumTitleCharacters = 200;

} // namespace

std::shared_ptr<NowPlayingWindowTitle> NowPlayingWindowTitle::create(Sink sink) {
    std::shared_ptr<NowPlayingWindowTitle> title(new NowPlayingWindowTitle(std::move(sink)));
    title->start();
    return title;
}

NowPlayingWindowTitle::~NowPlayingWindowTitle() {
    if (m_observer)
        NSNotificationCenter::defaultCenter()->removeObserver(m_observer);
}

std::string NowPlayingWindowTitle::titleFor(const MRNowPlayingInfo& info) {
    std::string title = infoText(info, kMRMediaRemoteNowPlayingInfoTitle);
    std::string artist = infoText(info, kMRMediaRemoteNowPlayingInfoArtist);
    if (title.empty() && artist.empty())
        return kIdleTitle;
    // As the lock screen shows a track without a title.
    std::string text = title.empty() ? "Untitled" : title;
    if (!artist.empty())
        text += " - " + artist;
    return printableText(text, kMaximumTitleCharacters) + " - Rotix";
}

void NowPlayingWindowTitle::start() {
    // The home screen hears of every change of track, whether or not a
    // player view has asked for the notifications yet.
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    std::weak_ptr<NowPlayingWindowTitle> weak = weak_from_this();
    m_observer = NSNotificationCenter::defaultCenter()->addObserverForName(
        kMRMediaRemoteNowPlayingInfoDidChangeNotification, nullptr, [weak](const NSNotification&) {
            if (auto self = weak.lock())
                self->refresh();
        });
    refresh();
}

void NowPlayingWindowTitle::refresh() {
    std::weak_ptr<NowPlayingWindowTitle> weak = weak_from_this();
    MRMediaRemoteGetNowPlayingInfo(dispatch_get_main_queue(), [weak](const MRNowPlayingInfo& info) {
        if (auto self = weak.lock())
            self->m_sink(titleFor(info));
    });
}
