#pragma once

#include "platform/objc/Runtime.h"

#include <string>

// Installs a replacement for a method of a class's instances (or, given a
// metaclass, of the class itself) and hands back the implementation it
// replaced, so the replacement can call through. A method the class inherits
// is replaced on the class alone; the previous implementation is then the
// inherited one. A replacement whose signature differs from the method's is
// refused with a log line, leaving the method and *previous untouched.
template <class R, class... Args>
bool MSHookMessageEx(const Class& cls, const SEL& selector,
                     std::type_identity_t<IMP<R, Args...>> replacement,
                     std::type_identity_t<IMP<R, Args...>>* previous) {
    if (!cls) {
        objc_logRuntimeError("MSHookMessageEx: no class for " + selector);
        return false;
    }
    std::shared_ptr<Method> existing = cls->lookup(selector);
    if (!existing) {
        objc_logRuntimeError("MSHookMessageEx: " + cls->name() + " has no method " + selector);
        return false;
    }
    const IMP<R, Args...>* current = existing->get<R, Args...>();
    if (!current) {
        objc_logRuntimeError("MSHookMessageEx: the replacement for " + cls->name() + " " +
                             selector + " does not match the method's signature; not installed");
        return false;
    }
    if (previous)
        *previous = *current;
    cls->setMethod(selector, Method::make<R, Args...>(std::move(replacement), existing->types()));
    return true;
}
