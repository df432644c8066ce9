#include "platform/corefoundation/CFNotificationCenter.h"

#include "platform/corefoundation/InProcessNotificationTransport.h"
#include "platform/objc/NSObject.h"

#include <utility>

std::shared_ptr<CFNotificationCenter>
CFNotificationCenter::create(std::shared_ptr<DistributedNotificationTransport> transport) {
    auto center = makeObject<CFNotificationCenter>();
    center->setTransport(std::move(transport));
    return center;
}

CFNotificationCenterRef CFNotificationCenter::distributedCenter() {
    static std::shared_ptr<CFNotificationCenter> center =
        create(InProcessNotificationTransport::create());
    return center.get();
}

void CFNotificationCenter::setTransport(
    std::shared_ptr<DistributedNotificationTransport> transport) {
    std::shared_ptr<DistributedNotificationTransport> previous;
    {
        std::lock_guard lock(m_mutex);
        previous = std::exchange(m_transport, transport);
    }
    if (previous == transport)
        return;
    if (previous)
        previous->setReceiver(nullptr);
    // The receiver holds the centre weakly: deliveries queued for a centre
    // that has gone away are dropped.
    if (transport) {
        std::weak_ptr<CFNotificationCenter> weakCenter = weak_from_this();
        transport->setReceiver([weakCenter](const DistributedNotification& notification) {
            if (auto center = weakCenter.lock())
                center->receive(notification);
        });
    }
}

void CFNotificationCenter::addObserver(const void* observer, CFNotificationCallback callback,
                                       const std::string& name, const void* object,
                                       CFNotificationSuspensionBehavior suspensionBehavior) {
    if (!callback)
        return;
    auto registration = std::make_shared<Registration>();
    registration->observer = observer;
    registration->callback = callback;
    registration->name = name;
    registration->object = object;
    registration->suspensionBehavior = suspensionBehavior;
    std::lock_guard lock(m_mutex);
    m_registrations.push_back(std::move(registration));
}

void CFNotificationCenter::removeObserver(const void* observer, const std::string& name,
                                          const void* object) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_registrations, [&](const std::shared_ptr<Registration>& registration) {
        bool matches = registration->observer == observer &&
                       (name.empty() || registration->name == name) &&
                       (!object || registration->object == object);
        if (matches)
            registration->active = false;
        return matches;
    });
}

void CFNotificationCenter::removeEveryObserver(const void* observer) {
    removeObserver(observer, {}, nullptr);
}

void CFNotificationCenter::post(const std::string& name, const void* object,
                                const CFDictionary* userInfo, bool deliverImmediately) {
    std::shared_ptr<DistributedNotificationTransport> transport;
    {
        std::lock_guard lock(m_mutex);
        transport = m_transport;
    }
    if (!transport)
        return;
    DistributedNotification notification{name, object, std::nullopt};
    // The details are copied, as they would be serialised between processes.
    if (userInfo)
        notification.userInfo = *userInfo;
    transport->post(std::move(notification), deliverImmediately);
}

void CFNotificationCenter::receive(const DistributedNotification& notification) {
    std::vector<std::shared_ptr<Registration>> matching;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& registration : m_registrations) {
            if ((registration->name.empty() || registration->name == notification.name) &&
                (!registration->object || registration->object == notification.object))
                matching.push_back(registration);
        }
    }
    const CFDictionary* userInfo = notification.userInfo ? &*notification.userInfo : nullptr;
    for (const auto& registration : matching) {
        // A callback may remove registrations that have not been called yet.
        if (!registration->active)
            continue;
        registration->callback(this, const_cast<void*>(registration->observer), notification.name,
                               notification.object, userInfo);
    }
}

size_t CFNotificationCenter::observerCount() const {
    std::lock_guard lock(m_mutex);
    return m_registrations.size();
}

CFNotificationCenterRef CFNotificationCenterGetDistributedCenter() {
    return CFNotificationCenter::distributedCenter();
}

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callBack, const std::string& name,
                                     const void* object,
                                     CFNotificationSuspensionBehavior suspensionBehavior) {
    if (center)
        center->addObserver(observer, callBack, name, object, suspensionBehavior);
}

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer,
                                        const std::string& name, const void* object) {
    if (center)
        center->removeObserver(observer, name, object);
}

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer) {
    if (center)
        center->removeEveryObserver(observer);
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, const std::string& name,
                                          const void* object, const CFDictionary* userInfo,
                                          bool deliverImmediately) {
    if (center)
        center->post(name, object, userInfo, deliverImmediately);
}
