#pragma once

#include "platform/corefoundation/CFPropertyList.h"

#include <functional>
#include <optional>
#include <string>

// A distributed notification on its way between processes. The object is
// only ever compared, never followed: across processes it means nothing.
struct DistributedNotification {
    std::string name;
    const void* object = nullptr;
    std::optional<CFDictionary> userInfo;
};

// Carries distributed notifications between the processes of the device.
// Every post, this process's own included, comes back through the receiver,
// later and on the main thread's run loop, never inside the post itself.
class DistributedNotificationTransport {
public:
    using Receiver = std::function<void(const DistributedNotification&)>;

    virtual ~DistributedNotificationTransport() = default;

    virtual void setReceiver(Receiver receiver) = 0;
    // Safe to call from any thread.
    virtual void post(DistributedNotification notification, bool deliverImmediately) = 0;
};
