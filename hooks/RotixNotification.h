#pragma once

#include "platform/activator/LAActivator.h"
#include "platform/objc/NSObject.h"

// The listener behind "Toggle Notification Visibility": each event asks the
// lock screen to show the notification list when the player shows, and the
// player again when the list shows. It only posts the request; the hooks
// carry it out.
class RotixNotification : public NSObject, public LAListener {
public:
    static constexpr const char* kListenerName = "org.brenwick.rotix";

    static std::shared_ptr<RotixNotification> create();
    // +load: makes the one listener and registers it with the event library.
    static void load();

    void activatorReceiveEvent(LAActivator& activator,
                               const std::shared_ptr<LAEvent>& event) override;
    void activatorAbortEvent(LAActivator&, const std::shared_ptr<LAEvent>&) override {}
    void activatorOtherListenerDidHandleEvent(LAActivator&,
                                              const std::shared_ptr<LAEvent>&) override {}
    void activatorReceiveDeactivateEvent(LAActivator&, const std::shared_ptr<LAEvent>&) override {}
    std::string activatorRequiresLocalizedGroupForListenerName(LAActivator&,
                                                               const std::string&) override;
    std::string activatorRequiresLocalizedTitleForListenerName(LAActivator&,
                                                               const std::string&) override;
    std::string activatorRequiresLocalizedDescriptionForListenerName(LAActivator&,
                                                                     const std::string&) override;

    std::string_view className() const override { return "RotixNotification"; }

protected:
    RotixNotification() = default;
};
