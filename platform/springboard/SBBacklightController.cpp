#include "platform/springboard/SBBacklightController.h"

Class SBBacklightController::registerClass() {
    Class cls = objc_registerClass("SBBacklightController");
    class_addMethod<id>(object_getClass(cls), "sharedInstance",
                        [](const id&, const SEL&) -> id { return sharedInstance(); });
    class_addMethod(cls, "resetLockScreenIdleTimer",
                    &SBBacklightController::resetLockScreenIdleTimer);
    return cls;
}

std::shared_ptr<SBBacklightController> SBBacklightController::sharedInstance() {
    static std::shared_ptr<SBBacklightController> controller = makeObject<SBBacklightController>();
    return controller;
}

void SBBacklightController::resetLockScreenIdleTimer() {
    ++m_resets;
    restartCountdown();
}

void SBBacklightController::userActivity() {
    restartCountdown();
}

void SBBacklightController::start() {
    restartCountdown();
}

void SBBacklightController::restartCountdown() {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (m_countdown)
        loop.cancel(m_countdown);
    setDimmed(false);
    std::weak_ptr<SBBacklightController> weak =
        std::static_pointer_cast<SBBacklightController>(shared_from_this());
    m_countdown = loop.schedule(loop.now() + kLockScreenIdleInterval, [weak] {
        if (auto controller = weak.lock()) {
            controller->m_countdown = 0;
            controller->setDimmed(true);
        }
    });
}

void SBBacklightController::setDimmed(bool dimmed) {
    if (dimmed == m_dimmed)
        return;
    m_dimmed = dimmed;
    if (m_handler)
        m_handler(dimmed);
}
