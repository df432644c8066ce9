#pragma once

#include "platform/corefoundation/DistributedNotificationTransport.h"

#include <memory>
#include <mutex>

// The transport of a device with one process: a post is handed to the main
// run loop's queue and received from there.
class InProcessNotificationTransport : public DistributedNotificationTransport {
public:
    static std::shared_ptr<InProcessNotificationTransport> create();

    void setReceiver(Receiver receiver) override;
    void post(DistributedNotification notification, bool deliverImmediately) override;

protected:
    InProcessNotificationTransport() = default;

private:
    std::mutex m_mutex;
    Receiver m_receiver;
};
