#include "hooks/RotixNotification.h"

#include "hooks/Tweak.h"
#include "platform/corefoundation/CFNotificationCenter.h"
#include "player/Rotix.h"

namespace {
// The one listener, for the life of the process.
std::shared_ptr<RotixNotification>& listenerSlot() {
    static std::shared_ptr<RotixNotification> listener;
    return listener;
}
} // namespace

std::shared_ptr<RotixNotification> RotixNotification::create() {
    return makeObject<RotixNotification>();
}

void RotixNotification::load() {
    listenerSlot() = create();
    LAActivator::sharedInstance()->registerListener(listenerSlot(), kListenerName);
}

void RotixNotification::activatorReceiveEvent(LAActivator&, const std::shared_ptr<LAEvent>&) {
    // The player's page is hidden exactly while the list shows; with no
    // player yet the flag reads NO, so the list is asked for.
    bool hidden = false;
    if (rotix) {
        if (auto container = rotix->superview())
            hidden = container->isHidden();
    }
    CFDictionary info{{"isHidden", CFPropertyList(!hidden)}};
    CFNotificationCenterPostNotification(CFNotificationCenterGetDistributedCenter(), "rotixToggle",
                                         nullptr, &info, true);
}

std::string RotixNotification::activatorRequiresLocalizedGroupForListenerName(LAActivator&,
                                                                              const std::string&) {
    return "";
}

std::string RotixNotification::activatorRequiresLocalizedTitleForListenerName(LAActivator&,
                                                                              const std::string&) {
    return "Rotix";
}

std::string
RotixNotification::activatorRequiresLocalizedDescriptionForListenerName(LAActivator&,
                                                                        const std::string&) {
    return "Toggle Notification Visibility";
}
