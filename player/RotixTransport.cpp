#include "hooks/settings/SettingsStore.h"
#include "platform/dispatch/Dispatch.h"
#include "platform/mediaremote/MediaRemote.h"
#include "platform/objc/Runtime.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/storekit/SKUIImageColorAnalyzer.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "player/Rotix.h"
#include "player/RotixAssets.h"
#include "player/UIColor+ComplementaryColor.h"
#include "slider/UICircularSlider.h"

#include <functional>

namespace {

// One full turn, 2 pi as the single-precision number the animation is given.
constexpr float kFullTurn = 6.2831855f;
constexpr double kSkipTurnDuration = 0.4;
constexpr double kPasscodeTurnDuration = 0.5;

// The ring's control events that all run `seeking` when seeking is off:
// touch down, touch up inside and outside, and value changed (4289).
constexpr UIControlEvents kAllSeekingEvents =
    UIControlEventTouchDown | UIControlEventTouchUpInside | UIControlEventTouchUpOutside |
    UIControlEventValueChanged;

void sendCommand(MRMediaRemoteCommand command) {
    MRMediaRemoteSendCommand(command, nullptr);
}

UIGestureRecognizerState recognizerState(const id& sender) {
    auto recognizer = std::dynamic_pointer_cast<UIGestureRecognizer>(sender);
    return recognizer ? recognizer->state() : UIGestureRecognizerState::Possible;
}

// The lock screen's view controller, through which the passcode screen shows.
id lockScreenViewController() {
    id manager = objc_msgSend<id>(objc_getClass("SBLockScreenManager"), "sharedInstance");
    return objc_msgSend<id>(manager, "lockScreenViewController");
}

void setPasscodeLockVisible(bool animated, std::function<void()> completion) {
    objc_msgSend<void, bool, bool, std::function<void()>>(
        lockScreenViewController(), "setPasscodeLockVisible:animated:completion:", true, animated,
        std::move(completion));
}

} // namespace

void Rotix::resetIdleTimer() {
    id backlight = objc_msgSend<id>(objc_getClass("SBBacklightController"), "sharedInstance");
    objc_msgSend<void>(backlight, "resetLockScreenIdleTimer");
}

std::optional<std::string> Rotix::nowPlayingBundleIdentifier() {
    id mediaController = objc_msgSend<id>(objc_getClass("SBMediaController"), "sharedInstance");
    id application = objc_msgSend<id>(mediaController, "nowPlayingApplication");
    return objc_msgSend<std::optional<std::string>>(application, "bundleIdentifier");
}

void Rotix::spinDisc(float turn, double duration) {
    auto animation = CABasicAnimation::animationWithKeyPath("transform.rotation");
    animation->setFromValue(0);
    animation->setToValue(turn);
    animation->setDuration(duration);
    animation->setRepeatCount(0);
    m_songImageView->layer()->addAnimation(animation, "360");
}

void Rotix::playOrPauseButtonPressed() {
    sendCommand(kMRTogglePlayPause);
    resetIdleTimer();
}

void Rotix::handleTapFrom(id) {
    sendCommand(kMRTogglePlayPause);
    resetIdleTimer();
}

void Rotix::skipForwardButtonPressed() {
    sendCommand(kMRNextTrack);
    spinDisc(kFullTurn, kSkipTurnDuration);
    resetIdleTimer();
}

void Rotix::backwardButtonPressed() {
    sendCommand(kMRPreviousTrack);
    spinDisc(-kFullTurn, kSkipTurnDuration);
    resetIdleTimer();
}

void Rotix::longPressForward(id recognizer) {
    switch (recognizerState(recognizer)) {
    case UIGestureRecognizerState::Began:
        sendCommand(kMRBeginFastForward);
        resetIdleTimer();
        break;
    case UIGestureRecognizerState::Ended:
        sendCommand(kMREndFastForward);
        break;
    default:
        // A cancelled or failed press never began seeking, so nothing ends.
        break;
    }
}

void Rotix::longPressBackward(id recognizer) {
    switch (recognizerState(recognizer)) {
    case UIGestureRecognizerState::Began:
        sendCommand(kMRBeginRewind);
        resetIdleTimer();
        break;
    case UIGestureRecognizerState::Ended:
        sendCommand(kMREndRewind);
        break;
    default:
        break;
    }
}

// Runs on every callback of the disc's hold: recognised, each movement, lift.
void Rotix::longPress(id) {
    std::weak_ptr<Rotix> weak = weakSelf();
    id lockController =
        objc_msgSend<id>(objc_getClass("SBDeviceLockController"), "sharedController");
    if (objc_msgSend<bool>(lockController, "isPasscodeLocked")) {
        spinDisc(kFullTurn, kPasscodeTurnDuration);
        setPasscodeLockVisible(true, [weak] {
            if (auto view = weak.lock())
                view->setID(nowPlayingBundleIdentifier());
        });
        return;
    }
    if (auto view = weak.lock())
        view->setID(nowPlayingBundleIdentifier());
    setPasscodeLockVisible(false, nullptr);
}

void Rotix::updateButtons() {
    auto self = strongSelf();
    if (SettingsStore::flag("dynamicColors")) {
        MRMediaRemoteGetNowPlayingApplicationIsPlaying(
            dispatch_get_main_queue(), [self](bool playing) {
                self->setPlayPauseButtonImage(self->colorImageWithColor(
                    playing ? self->m_ppause : self->m_play,
                    UIColorOppositeColorOf(self->analyzedTextPrimaryColor())));
                self->m_isSeeking = !playing;
            });
        return;
    }
    MRMediaRemoteGetNowPlayingApplicationIsPlaying(dispatch_get_main_queue(), [self](bool playing) {
        self->setPlayPauseButtonImage(playing ? self->m_ppause : self->m_play);
        self->m_isSeeking = !playing;
    });
}

void Rotix::updateGestures() {
    auto self = strongSelf();
    // The information is not used: the wiring waits for the service's reply.
    MRMediaRemoteGetNowPlayingInfo(
        dispatch_get_main_queue(), [self](const std::optional<CFDictionary>&) {
            const auto& ring = self->m_songScrubber;
            if (!SettingsStore::seekingEnabled()) {
                ring->addTarget(self, "seeking", kAllSeekingEvents);
                ring->setUserInteractionEnabled(false);
                return;
            }
            ring->addTarget(self, "seeking", UIControlEventValueChanged);
            ring->addTarget(self, "touchDown", UIControlEventTouchDown);
            ring->addTarget(self, "touchUp", UIControlEventTouchUpInside);
            ring->addTarget(self, "touchUpOut", UIControlEventTouchUpOutside);
            ring->addTarget(self, "touchCancel", UIControlEventTouchCancel);
            ring->setUserInteractionEnabled(true);
        });
}

void Rotix::setID(const std::optional<std::string>& bundleIdentifier) {
    m_mainID = bundleIdentifier;
}

void Rotix::setBackButtonImage(const std::shared_ptr<UIImage>& image) {
    m_backwardButton->setImage(image, UIControlStateNormal);
}

void Rotix::setForwardButtonImage(const std::shared_ptr<UIImage>& image) {
    m_skipForwardButton->setImage(image, UIControlStateNormal);
}

void Rotix::setPlayPauseButtonImage(const std::shared_ptr<UIImage>& image) {
    // Hidden this way the button keeps its place and still takes taps.
    if (SettingsStore::flag("hide")) {
        m_playOrPauseButton->setImage(UIImage::initWithContentsOfFile(kRotixEmptyImagePath),
                                      UIControlStateNormal);
        return;
    }
    m_playOrPauseButton->setImage(image, UIControlStateNormal);
}
