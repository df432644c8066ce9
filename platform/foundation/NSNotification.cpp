#include "platform/foundation/NSNotification.h"

#include "platform/objc/Runtime.h"

NSNotification::NSNotification(NSNotificationName name, id object,
                               std::optional<CFDictionary> userInfo)
    : m_name(std::move(name)), m_object(std::move(object)), m_userInfo(std::move(userInfo)) {}

std::shared_ptr<NSNotification> NSNotification::create(NSNotificationName name, id object,
                                                       std::optional<CFDictionary> userInfo) {
    [[maybe_unused]] static const Class registered = objc_registerClass("NSNotification");
    return makeObject<NSNotification>(std::move(name), std::move(object), std::move(userInfo));
}
