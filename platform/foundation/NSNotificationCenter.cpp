#include "platform/foundation/NSNotificationCenter.h"

#include "platform/objc/Runtime.h"

#include <algorithm>
#include <atomic>

namespace {

// What addObserverForName answers: it stands for the registration, so
// removing it removes the block.
class NotificationObserverToken : public NSObject {
public:
    std::string_view className() const override { return "__NSObserver"; }
};

// Identity by control block, which survives the object: a registration for
// an object that has gone away never matches a newer object at its address.
bool sameObject(const WeakId& held, const id& object) {
    return !held.owner_before(object) && !object.owner_before(held);
}

} // namespace

struct NSNotificationCenter::Observation {
    WeakId observer;
    SEL selector;
    NSNotificationName name;
    WeakId object;
    bool anyObject = true;
    // Block registrations hold their token, so they live until removed.
    id token;
    Block block;
    std::atomic<bool> active = true;

    bool matches(const NSNotificationName& postedName, const id& sender) const {
        return (name.empty() || name == postedName) && (anyObject || sameObject(object, sender));
    }
    bool isDead() const { return !token && observer.expired(); }
};

std::shared_ptr<NSNotificationCenter> NSNotificationCenter::defaultCenter() {
    static std::shared_ptr<NSNotificationCenter> center = create();
    return center;
}

std::shared_ptr<NSNotificationCenter> NSNotificationCenter::create() {
    return makeObject<NSNotificationCenter>();
}

void NSNotificationCenter::addObserver(const id& observer, const SEL& selector,
                                       const NSNotificationName& name, const id& object) {
    if (!observer || selector.empty())
        return;
    auto observation = std::make_shared<Observation>();
    observation->observer = observer;
    observation->selector = selector;
    observation->name = name;
    observation->object = object;
    observation->anyObject = !object;
    prune();
    std::lock_guard lock(m_mutex);
    m_observations.push_back(std::move(observation));
}

id NSNotificationCenter::addObserverForName(const NSNotificationName& name, const id& object,
                                            Block block) {
    id token = makeObject<NotificationObserverToken>();
    if (!block)
        return token;
    auto observation = std::make_shared<Observation>();
    observation->observer = token;
    observation->token = token;
    observation->name = name;
    observation->object = object;
    observation->anyObject = !object;
    observation->block = std::move(block);
    prune();
    std::lock_guard lock(m_mutex);
    m_observations.push_back(std::move(observation));
    return token;
}

void NSNotificationCenter::removeObserver(const id& observer) {
    if (!observer)
        return;
    removeWhere(
        [&](const Observation& observation) { return sameObject(observation.observer, observer); });
}

void NSNotificationCenter::removeObserver(const id& observer, const NSNotificationName& name,
                                          const id& object) {
    if (!observer)
        return;
    removeWhere([&](const Observation& observation) {
        if (!sameObject(observation.observer, observer))
            return false;
        if (!name.empty() && observation.name != name)
            return false;
        return !object || (!observation.anyObject && sameObject(observation.object, object));
    });
}

void NSNotificationCenter::postNotification(const std::shared_ptr<NSNotification>& notification) {
    if (!notification)
        return;
    // Deliver from a copy taken under the lock, so observers can register and
    // remove (themselves or others) while being called.
    std::vector<std::shared_ptr<Observation>> matching;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& observation : m_observations) {
            if (observation->matches(notification->name(), notification->object()))
                matching.push_back(observation);
        }
    }
    bool sawDead = false;
    for (const auto& observation : matching) {
        if (!observation->active)
            continue;
        if (observation->block) {
            observation->block(*notification);
            continue;
        }
        id observer = observation->observer.lock();
        if (!observer) {
            sawDead = true;
            continue;
        }
        objc_sendAction(observer, observation->selector, notification);
    }
    if (sawDead)
        prune();
}

void NSNotificationCenter::postNotificationName(const NSNotificationName& name, const id& object,
                                                std::optional<CFDictionary> userInfo) {
    postNotification(NSNotification::create(name, object, std::move(userInfo)));
}

size_t NSNotificationCenter::observationCount() const {
    std::lock_guard lock(m_mutex);
    return m_observations.size();
}

void NSNotificationCenter::prune() {
    removeWhere([](const Observation& observation) { return observation.isDead(); });
}

void NSNotificationCenter::removeWhere(const std::function<bool(const Observation&)>& predicate) {
    // Declared before the lock so that the removed registrations (and
    // whatever their blocks hold) are released after it: a destructor may
    // well come back to the centre.
    std::vector<std::shared_ptr<Observation>> removed;
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observations, [&](const std::shared_ptr<Observation>& observation) {
        if (!predicate(*observation))
            return false;
        observation->active = false;
        removed.push_back(observation);
        return true;
    });
}
