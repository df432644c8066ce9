#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/corefoundation/DistributedNotificationTransport.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CFNotificationCenter;
// As in Core Foundation, a centre is reached through a plain pointer; the
// centres live as long as the process (or the test that made one).
using CFNotificationCenterRef = CFNotificationCenter*;

using CFNotificationCallback = void (*)(CFNotificationCenterRef center, void* observer,
                                        const std::string& name, const void* object,
                                        const CFDictionary* userInfo);

enum CFNotificationSuspensionBehavior : long {
    CFNotificationSuspensionBehaviorDrop = 1,
    CFNotificationSuspensionBehaviorCoalesce = 2,
    CFNotificationSuspensionBehaviorHold = 3,
    CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

// A distributed notification centre: posts travel through a transport and
// reach the callbacks registered for them on the main thread's run loop,
// after the post has returned. Every registration is called, so a callback
// registered twice runs twice.
class CFNotificationCenter : public std::enable_shared_from_this<CFNotificationCenter> {
public:
    static std::shared_ptr<CFNotificationCenter>
    create(std::shared_ptr<DistributedNotificationTransport> transport);
    static CFNotificationCenterRef distributedCenter();

    // An empty name matches every name; no object matches every object.
    void addObserver(const void* observer, CFNotificationCallback callback, const std::string& name,
                     const void* object, CFNotificationSuspensionBehavior suspensionBehavior);
    // Removes the observer's registrations for the name (every name when
    // empty) and the object (every object when nothing).
    void removeObserver(const void* observer, const std::string& name, const void* object);
    void removeEveryObserver(const void* observer);
    void post(const std::string& name, const void* object, const CFDictionary* userInfo,
              bool deliverImmediately);

    // Another transport, for a cross-process build or a test.
    void setTransport(std::shared_ptr<DistributedNotificationTransport> transport);
    size_t observerCount() const;

    CFNotificationCenter(const CFNotificationCenter&) = delete;
    CFNotificationCenter& operator=(const CFNotificationCenter&) = delete;
    virtual ~CFNotificationCenter() = default;

protected:
    CFNotificationCenter() = default;

private:
    struct Registration {
        const void* observer;
        CFNotificationCallback callback;
        std::string name;
        const void* object;
        CFNotificationSuspensionBehavior suspensionBehavior;
        std::atomic<bool> active = true;
    };

    void receive(const DistributedNotification& notification);

    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<Registration>> m_registrations;
    std::shared_ptr<DistributedNotificationTransport> m_transport;
};

CFNotificationCenterRef CFNotificationCenterGetDistributedCenter();
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callBack, const std::string& name,
                                     const void* object,
                                     CFNotificationSuspensionBehavior suspensionBehavior);
void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer,
                                        const std::string& name, const void* object);
void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer);
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, const std::string& name,
                                          const void* object, const CFDictionary* userInfo,
                                          bool deliverImmediately);
