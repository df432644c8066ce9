#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/objc/NSObject.h"

#include <memory>
#include <optional>
#include <string>

using NSNotificationName = std::string;

// One posting of a notification: its name, the object that posted it
// (nothing when none) and an optional dictionary of details.
class NSNotification : public NSObject {
public:
    static std::shared_ptr<NSNotification> create(NSNotificationName name, id object,
                                                  std::optional<CFDictionary> userInfo);

    const NSNotificationName& name() const { return m_name; }
    const id& object() const { return m_object; }
    const std::optional<CFDictionary>& userInfo() const { return m_userInfo; }

    std::string_view className() const override { return "NSNotification"; }

protected:
    NSNotification(NSNotificationName name, id object, std::optional<CFDictionary> userInfo);

private:
    NSNotificationName m_name;
    id m_object;
    std::optional<CFDictionary> m_userInfo;
};
