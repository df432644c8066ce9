#pragma once

#include "platform/foundation/NSNotification.h"
#include "platform/objc/NSObject.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The process's notification centre. Posting delivers synchronously, on the
// posting thread, to every matching observer in the order they registered.
// Observers are held weakly: one that has gone away is skipped and pruned.
// An observer removed while a post is being delivered gets nothing more
// from that post.
class NSNotificationCenter : public NSObject {
public:
    using Block = std::function<void(const NSNotification&)>;

    static std::shared_ptr<NSNotificationCenter> defaultCenter();
    // A separate centre, for code and tests that want their own.
    static std::shared_ptr<NSNotificationCenter> create();

    // An empty name matches every name; no object matches every sender. A
    // selector with a colon is sent the notification.
    void addObserver(const id& observer, const SEL& selector, const NSNotificationName& name,
                     const id& object);
    // The block runs for each match until the answered token is removed
    // with removeObserver(); the centre holds the block (not the token's
    // owner), so the block should capture its owner weakly.
    id addObserverForName(const NSNotificationName& name, const id& object, Block block);

    void removeObserver(const id& observer);
    // Removes the observer's registrations for the name (every name when
    // empty) and the object (every object when nothing).
    void removeObserver(const id& observer, const NSNotificationName& name, const id& object);

    void postNotification(const std::shared_ptr<NSNotification>& notification);
    void postNotificationName(const NSNotificationName& name, const id& object,
                              std::optional<CFDictionary> userInfo = std::nullopt);

    // Registrations still held, dead observers included until pruned.
    size_t observationCount() const;

    std::string_view className() const override { return "NSNotificationCenter"; }

protected:
    NSNotificationCenter() = default;

private:
    struct Observation;

    void prune();
    void removeWhere(const std::function<bool(const Observation&)>& predicate);

    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<Observation>> m_observations;
};
