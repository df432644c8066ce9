#include "platform/foundation/NSObjectPerform.h"
#include "platform/foundation/NSTimer.h"
#include "platform/mediaremote/MediaRemote.h"
#include "platform/objc/Runtime.h"
#include "platform/uikit/UIImageView.h"
#include "player/Rotix.h"
#include "slider/UICircularSlider.h"

namespace {

// An outside component may take seeks over when it is loaded and active; it
// is found by name, as on a device where it may or may not be installed.
constexpr const char* kExternalSeekControllerClass = "ExternalSeekController";

constexpr double kTickInterval = 0.1;
constexpr double kRestartDelay = 0.2;

id sharedExternalSeekController() {
    return objc_msgSend<id>(objc_getClass(kExternalSeekControllerClass), "sharedSeekController");
}

} // namespace

void Rotix::touchDown() {
    m_isSeeking = true;
    setIsTouching(true);
    resetIdleTimer();
    // The ring follows the finger, not the music, until the lift.
    if (m_timer)
        m_timer->invalidate();
}

void Rotix::seeking() {
    resetIdleTimer();
}

void Rotix::touchUp() {
    finishSeek();
}

void Rotix::touchUpOut() {
    finishSeek();
}

void Rotix::touchCancel() {
    // The drag ends as at a lift, but nothing was chosen, so nothing is sought.
    m_isSeeking = false;
    setIsTouching(false);
    performSelectorAfterDelay(shared_from_this(), "restart", shared_from_this(), kRestartDelay);
}

void Rotix::finishSeek() {
    m_isSeeking = false;
    setIsTouching(false);
    // The product is formed in single precision, as the ring's value is.
    double target = m_songScrubber->value() * static_cast<float>(m_f);
    if (objc_msgSend<bool>(sharedExternalSeekController(), "isSeekActive"))
        objc_msgSend<void, double>(sharedExternalSeekController(), "seekToTime:", target);
    else
        MRMediaRemoteSetElapsedTime(target);
    performSelectorAfterDelay(shared_from_this(), "restart", shared_from_this(), kRestartDelay);
}

void Rotix::restart() {
    startTickTimer();
}

void Rotix::startTickTimer() {
    // A second drag inside the restart delay, or a drag that began off the
    // thumb, leaves a timer running here; stop it so that only one ticks.
    if (m_timer)
        m_timer->invalidate();
    m_timer = NSTimer::scheduledTimerWithTimeInterval(kTickInterval, shared_from_this(),
                                                      "tick:", nullptr, Repeats::Yes);
}

void Rotix::noteTouchOnInteractivePart(const UITouchSet& touches) {
    auto touch = anyObject(touches);
    resetIdleTimer();
    std::shared_ptr<UIView> view = touch ? touch->view() : nullptr;
    if (!view)
        return;
    if (view == m_scrubberBase || view == m_songScrubber || view == m_songImageView ||
        view == m_dummy)
        setIsTouching(true);
}

void Rotix::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
    UIView::touchesBegan(touches, event);
    noteTouchOnInteractivePart(touches);
}

void Rotix::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
    // Movements go up the responder chain as cancellations, not moves:
    // whatever lies above the player stops following a finger moving on it.
    UIView::touchesCancelled(touches, event);
    noteTouchOnInteractivePart(touches);
}

void Rotix::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
    UIView::touchesEnded(touches, event);
    m_isSeeking = false;
    setIsTouching(false);
}

void Rotix::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
    UIView::touchesCancelled(touches, event);
    // The ring reports how its own touches end, through its control events.
    auto touch = anyObject(touches);
    if (touch && touch->view() == m_songScrubber)
        return;
    // A tap or hold took the touch (the disc's gestures): no touchesEnded
    // follows, so the finger stops counting here, or the lock screen would
    // refuse to page until the next touch on the player.
    setIsTouching(false);
}
