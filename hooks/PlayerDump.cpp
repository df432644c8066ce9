#include "hooks/PlayerDump.h"

#include "hooks/Tweak.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSTimer.h"
#include "platform/mediaremote/MediaRemote.h"
#include "platform/render/DumpSections.h"
#include "platform/render/ViewDump.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "player/Rotix.h"
#include "slider/UICircularSlider.h"

namespace {

Json colorJson(const UIColorRef& color) {
    return color ? Json(color->hexString()) : Json();
}

// Which of the player's glyphs an image is, by identity where it can be.
Json glyphName(const Rotix& player, const std::shared_ptr<UIImage>& image) {
    if (!image)
        return Json();
    if (image == player.play())
        return "play.png";
    if (image == player.ppause())
        return "pause.png";
    if (image == player.next())
        return "forward.png";
    if (image == player.back())
        return "backward.png";
    auto empty = UIImage::imageWithContentsOfFile("/Library/Application Support/Rotix2/empty.png");
    if (empty && image->contentHash() == empty->contentHash())
        return "empty.png";
    return "tinted";
}

Json infoJson(const std::optional<CFDictionary>& info) {
    if (!info)
        return Json();
    Json json = Json::object();
    for (const auto& [key, value] : *info) {
        if (const auto* text = value.string())
            json.set(key, *text);
        else if (const auto* bytes = value.bytes())
            json.set(key, "<" + std::to_string(*bytes ? (*bytes)->size() : 0) + " bytes>");
        else if (const auto* date = value.date())
            json.set(key, date->absoluteTime);
        else if (value.isNumber() || value.isBoolean())
            json.set(key, value.doubleValue());
    }
    return json;
}

} // namespace

Json PlayerDumpJson(const Rotix& player) {
    Json json = Json::object();
    json.set("isSeeking", player.isSeeking());
    json.set("isTouching", player.isTouching());
    json.set("f", player.f());
    json.set("mainID", player.appID() ? Json(*player.appID()) : Json());
    json.set("dict", infoJson(player.dict()));
    json.set("tickTimerRunning", player.timer() && player.timer()->isValid());
    json.set("retryPending", player._delayTimer() && player._delayTimer()->isValid());
    json.set("lastCall", player._lastCall()
                             ? Json(player._lastCall()->timeIntervalSinceReferenceDate())
                             : Json());
    if (auto ring = player.songScrubber()) {
        Json slider = Json::object();
        slider.set("value", static_cast<double>(ring->value()));
        slider.set("minimumValue", static_cast<double>(ring->minimumValue()));
        slider.set("maximumValue", static_cast<double>(ring->maximumValue()));
        slider.set("minimumTrackTintColor", colorJson(ring->minimumTrackTintColor()));
        slider.set("maximumTrackTintColor", colorJson(ring->maximumTrackTintColor()));
        slider.set("thumbTintColor", colorJson(ring->thumbTintColor()));
        slider.set("userInteractionEnabled", ring->isUserInteractionEnabled());
        CGPoint thumb = ring->thumbCenterPoint();
        Json thumbJson = Json::array();
        thumbJson.push(thumb.x);
        thumbJson.push(thumb.y);
        slider.set("thumbCenterPoint", std::move(thumbJson));
        json.set("songScrubber", std::move(slider));
    }
    Json labels = Json::object();
    auto text = [](const std::shared_ptr<UILabel>& label) {
        return label && label->text() ? Json(*label->text()) : Json();
    };
    labels.set("title", text(player.titleLabel()));
    labels.set("artist", text(player.artistLabel()));
    labels.set("track", text(player.trackLabel()));
    labels.set("clock", text(player.clockLabel()));
    json.set("labels", std::move(labels));
    Json buttons = Json::object();
    auto image = [](const std::shared_ptr<UIButton>& button) {
        return button ? button->imageForState(UIControlStateNormal) : nullptr;
    };
    buttons.set("playOrPause", glyphName(player, image(player.playOrPauseButton())));
    buttons.set("skipForward", glyphName(player, image(player.skipForwardButton())));
    buttons.set("backward", glyphName(player, image(player.backwardButton())));
    json.set("buttons", std::move(buttons));
    if (auto disc = player.songImageView())
        json.set("disc", ViewDump::dumpImage(disc->image()));
    return json;
}

void PlayerDumpRegister() {
    DumpSections::shared().add("player", [] {
        if (!rotix)
            return Json();
        return PlayerDumpJson(*rotix);
    });
}
