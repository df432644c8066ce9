#include "apps/springboard/PlayerDump.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSTimer.h"
#include "platform/mediaremote/MediaRemote.h"
#include "platform/render/ViewDump.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "player/Rotix.h"
#include "player/RotixAssets.h"
#include "slider/UICircularSlider.h"

#include <dlfcn.h>
#include <memory>

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
    // The player loads the hiding image afresh each time, so it is known by
    // its pixels; those are read from the device once, at the first dump.
    static const std::optional<std::string> emptyHash = []() -> std::optional<std::string> {
        auto empty = UIImage::imageWithContentsOfFile(kRotixEmptyImagePath);
        return empty ? std::optional(empty->contentHash()) : std::nullopt;
    }();
    if (emptyHash && image->contentHash() == *emptyHash)
        return "empty.png";
    return "tinted";
}

Json infoJson(const std::optional<CFDictionary>& info) {
    if (!info)
        return Json();
    Json json = Json::object();
    for (const auto& [key, value] : *info) {
        if (const auto* text = value.string())
            json[key] = *text;
        else if (const auto* bytes = value.bytes())
            json[key] = "<" + std::to_string(*bytes ? (*bytes)->size() : 0) + " bytes>";
        else if (const auto* date = value.date())
            json[key] = date->absoluteTime;
        else if (value.isNumber() || value.isBoolean())
            json[key] = value.doubleValue();
    }
    return json;
}

Json playerJson(const Rotix& player) {
    Json json = Json::object();
    json["isSeeking"] = player.isSeeking();
    json["isTouching"] = player.isTouching();
    json["f"] = player.f();
    json["mainID"] = player.appID() ? Json(*player.appID()) : Json();
    json["dict"] = infoJson(player.dict());
    json["tickTimerRunning"] = player.timer() && player.timer()->isValid();
    json["retryPending"] = player._delayTimer() && player._delayTimer()->isValid();
    json["lastCall"] =
        player._lastCall() ? Json(player._lastCall()->timeIntervalSinceReferenceDate()) : Json();
    if (auto ring = player.songScrubber()) {
        Json slider = Json::object();
        slider["value"] = static_cast<double>(ring->value());
        slider["minimumValue"] = static_cast<double>(ring->minimumValue());
        slider["maximumValue"] = static_cast<double>(ring->maximumValue());
        slider["minimumTrackTintColor"] = colorJson(ring->minimumTrackTintColor());
        slider["maximumTrackTintColor"] = colorJson(ring->maximumTrackTintColor());
        slider["thumbTintColor"] = colorJson(ring->thumbTintColor());
        slider["userInteractionEnabled"] = ring->isUserInteractionEnabled();
        CGPoint thumb = ring->thumbCenterPoint();
        Json thumbJson = Json::array();
        thumbJson.push_back(thumb.x);
        thumbJson.push_back(thumb.y);
        slider["thumbCenterPoint"] = std::move(thumbJson);
        json["songScrubber"] = std::move(slider);
    }
    Json labels = Json::object();
    auto text = [](const std::shared_ptr<UILabel>& label) {
        return label && label->text() ? Json(*label->text()) : Json();
    };
    labels["title"] = text(player.titleLabel());
    labels["artist"] = text(player.artistLabel());
    labels["track"] = text(player.trackLabel());
    labels["clock"] = text(player.clockLabel());
    json["labels"] = std::move(labels);
    Json buttons = Json::object();
    auto image = [](const std::shared_ptr<UIButton>& button) {
        return button ? button->imageForState(UIControlStateNormal) : nullptr;
    };
    buttons["playOrPause"] = glyphName(player, image(player.playOrPauseButton()));
    buttons["skipForward"] = glyphName(player, image(player.skipForwardButton()));
    buttons["backward"] = glyphName(player, image(player.backwardButton()));
    json["buttons"] = std::move(buttons);
    if (auto disc = player.songImageView())
        json["disc"] = ViewDump::dumpImage(disc->image());
    return json;
}

} // namespace

std::optional<Json> playerDumpSection() {
    // The extension keeps its player in the global it exports; the host
    // finds it by name, as it found the library by path.
    const auto* player = static_cast<const std::shared_ptr<Rotix>*>(dlsym(RTLD_DEFAULT, "rotix"));
    if (!player)
        return std::nullopt;
    return *player ? playerJson(**player) : Json();
}
