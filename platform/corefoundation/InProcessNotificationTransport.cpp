#include "platform/corefoundation/InProcessNotificationTransport.h"

#include "platform/corefoundation/CFRunLoop.h"
#include "platform/objc/NSObject.h"

std::shared_ptr<InProcessNotificationTransport> InProcessNotificationTransport::create() {
    return makeObject<InProcessNotificationTransport>();
}

void InProcessNotificationTransport::setReceiver(Receiver receiver) {
    std::lock_guard lock(m_mutex);
    m_receiver = std::move(receiver);
}

void InProcessNotificationTransport::post(DistributedNotification notification,
                                          bool /*deliverImmediately*/) {
    // No process of ours is ever suspended, so every post is delivered at
    // the next turn of the run loop, whatever it asked for.
    Receiver receiver;
    {
        std::lock_guard lock(m_mutex);
        receiver = m_receiver;
    }
    if (!receiver)
        return;
    CFRunLoopPerformBlock(CFRunLoopGetMain(),
                          [receiver = std::move(receiver), notification = std::move(notification)] {
                              receiver(notification);
                          });
}
