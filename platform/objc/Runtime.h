#pragma once

#include "platform/objc/NSObject.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <typeindex>
#include <unordered_map>
#include <vector>

// An implementation as the runtime stores it: the receiver, the selector and
// the arguments, exactly as a replacement is called.
template <class R, class... Args>
using IMP = std::function<R(const id& self, const SEL& cmd, Args... args)>;

// A type-erased method: its implementation and the signature it was made for,
// so that a caller or a replacement of another signature is refused instead of
// being called with the wrong arguments.
class Method {
public:
    template <class R, class... Args>
    static std::shared_ptr<Method> make(IMP<R, Args...> imp, std::string types = {}) {
        auto method = std::make_shared<Method>(Key(), typeid(R(Args...)), std::move(types));
        method->m_imp = std::make_shared<IMP<R, Args...>>(std::move(imp));
        return method;
    }

    template <class R, class... Args>
    const IMP<R, Args...>* get() const {
        if (m_signature != std::type_index(typeid(R(Args...))))
            return nullptr;
        return static_cast<const IMP<R, Args...>*>(m_imp.get());
    }

    struct Key {};
    Method(Key, std::type_index signature, std::string types)
        : m_signature(signature), m_types(std::move(types)) {}

    std::type_index signature() const { return m_signature; }
    const std::string& types() const { return m_types; }

private:
    std::type_index m_signature;
    std::string m_types;
    std::shared_ptr<void> m_imp;
};

// A class of the runtime. Classes are objects too: messages sent to one are
// looked up in its metaclass, which holds the class methods.
struct objc_class : public NSObject {
public:
    static Class make(std::string name, Class superclass, bool isMetaclass);

    std::string_view className() const override { return m_name; }
    Class objectClass() const override { return m_metaclass; }

    const std::string& name() const { return m_name; }
    Class superclass() const { return m_superclass; }
    Class metaclass() const { return m_metaclass; }
    bool isMetaclass() const { return m_isMetaclass; }

    // The method for the selector, searched up the superclass chain.
    std::shared_ptr<Method> lookup(const SEL& selector) const;
    // The method defined on this class itself, not inherited.
    std::shared_ptr<Method> ownMethod(const SEL& selector) const;
    void setMethod(const SEL& selector, std::shared_ptr<Method> method);

protected:
    objc_class(std::string name, Class superclass, bool isMetaclass)
        : m_name(std::move(name)), m_superclass(std::move(superclass)), m_isMetaclass(isMetaclass) {
    }

private:
    std::string m_name;
    Class m_superclass;
    Class m_metaclass;
    bool m_isMetaclass;
    mutable std::mutex m_mutex;
    std::unordered_map<SEL, std::shared_ptr<Method>> m_methods;
};

// The class of that name, or nothing when the running system has none.
Class objc_getClass(const std::string& name);
// The metaclass of a class object (or the class of any other object).
Class object_getClass(const id& object);
// Registers a class under its name; a class of that name already registered
// is returned unchanged. The superclass is looked up by name ("" for a root).
Class objc_registerClass(const std::string& name, const std::string& superclassName = "NSObject");
// Removes a class, as a system version without it would be. For hosts and tests.
void objc_unregisterClass(const std::string& name);

// Adds a method unless the class already defines one for the selector.
template <class R, class... Args>
bool class_addMethod(const Class& cls, const SEL& selector,
                     std::type_identity_t<IMP<R, Args...>> imp, std::string types = {}) {
    if (!cls || cls->ownMethod(selector))
        return false;
    cls->setMethod(selector, Method::make<R, Args...>(std::move(imp), std::move(types)));
    return true;
}

// Binds a member function of T as the method for a selector, so that the
// runtime's callers reach the C++ method. A receiver of another type answers
// nothing, as a message to an object without the method would. The method
// answers Result, which may be more general than the member's own result (an
// id for a particular object); a const member's reference result is copied.
template <class Result, class T, class... Args, class Member>
IMP<Result, Args...> imp_implementationWithMemberAs(Member member) {
    return [member](const id& self, const SEL&, Args... args) -> Result {
        if (auto object = std::dynamic_pointer_cast<T>(self))
            return ((*object).*member)(std::forward<Args>(args)...);
        return Result();
    };
}

template <class T, class R, class... Args>
IMP<R, Args...> imp_implementationWithMember(R (T::*member)(Args...)) {
    return imp_implementationWithMemberAs<R, T, Args...>(member);
}

template <class T, class R, class... Args>
IMP<std::remove_cvref_t<R>, Args...> imp_implementationWithMember(R (T::*member)(Args...) const) {
    return imp_implementationWithMemberAs<std::remove_cvref_t<R>, T, Args...>(member);
}

template <class T, class R, class... Args>
bool class_addMethod(const Class& cls, const SEL& selector, R (T::*member)(Args...)) {
    return class_addMethod<R, Args...>(cls, selector, imp_implementationWithMember(member));
}

template <class T, class R, class... Args>
bool class_addMethod(const Class& cls, const SEL& selector, R (T::*member)(Args...) const) {
    return class_addMethod<std::remove_cvref_t<R>, Args...>(cls, selector,
                                                            imp_implementationWithMember(member));
}

// The member bound under the result its callers ask for:
// class_addMethod<id>(cls, "view", &UIViewController::view).
template <class Result, class T, class R, class... Args>
bool class_addMethod(const Class& cls, const SEL& selector, R (T::*member)(Args...)) {
    return class_addMethod<Result, Args...>(
        cls, selector, imp_implementationWithMemberAs<Result, T, Args...>(member));
}

template <class Result, class T, class R, class... Args>
bool class_addMethod(const Class& cls, const SEL& selector, R (T::*member)(Args...) const) {
    return class_addMethod<Result, Args...>(
        cls, selector, imp_implementationWithMemberAs<Result, T, Args...>(member));
}

void objc_logRuntimeError(const std::string& message);

// Sends a message through the runtime. A message to nothing answers the
// zero value; a selector the receiver lacks, or one registered with another
// signature, is reported and answers the zero value instead of crashing.
template <class R, class... Args>
R objc_msgSend(const id& receiver, const SEL& selector, std::type_identity_t<Args>... args) {
    if (!receiver)
        return R();
    Class cls = receiver->objectClass();
    std::shared_ptr<Method> method = cls ? cls->lookup(selector) : nullptr;
    if (!method) {
        objc_logRuntimeError("-[" + std::string(receiver->className()) + " " + selector +
                             "]: unrecognized selector");
        return R();
    }
    const IMP<R, Args...>* imp = method->get<R, Args...>();
    if (!imp) {
        objc_logRuntimeError("-[" + std::string(receiver->className()) + " " + selector +
                             "]: sent with a signature the method does not have");
        return R();
    }
    return (*imp)(receiver, selector, std::forward<Args>(args)...);
}

// Sends an action the way controls, recognisers, timers and notifications do:
// a selector ending in a colon takes the sender, one without takes nothing.
void objc_sendAction(const id& target, const SEL& action, const id& sender);

// Associated values, kept strongly and non-atomically on the object.
void objc_setAssociatedObject(const id& object, const void* key, std::any value);
std::any objc_getAssociatedObject(const id& object, const void* key);
