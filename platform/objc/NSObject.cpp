#include "platform/objc/NSObject.h"

#include "platform/objc/Runtime.h"

#include <cstdio>

Class NSObject::objectClass() const {
    // Classes a C++ type stands for are looked up by name every time, so a
    // class the host left out (another system version) yields nothing.
    return objc_getClass(std::string(className()));
}

bool NSObject::respondsToSelector(const SEL& selector) const {
    Class cls = objectClass();
    return cls && cls->lookup(selector) != nullptr;
}

std::string NSObject::description() const {
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return "<" + std::string(className()) + ": " + address + ">";
}

void NSObject::setAssociatedValue(const void* key, std::any value) {
    if (value.has_value())
        m_associated[key] = std::move(value);
    else
        m_associated.erase(key);
}

const std::any* NSObject::associatedValue(const void* key) const {
    auto found = m_associated.find(key);
    return found == m_associated.end() ? nullptr : &found->second;
}
