#pragma once

#include <any>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class NSObject;
struct objc_class;

// The platform's object pointer: every object with identity is shared, and a
// message to an empty one does nothing.
using id = std::shared_ptr<NSObject>;
using Class = std::shared_ptr<objc_class>;
using SEL = std::string;

// Root of every object that takes part in the runtime: it knows its class by
// name, so messages sent through the runtime find the methods (and the
// replacements) registered for that class.
class NSObject : public std::enable_shared_from_this<NSObject> {
public:
    virtual ~NSObject() = default;
    NSObject(const NSObject&) = delete;
    NSObject& operator=(const NSObject&) = delete;

    // The name the runtime knows this object's class by.
    virtual std::string_view className() const { return "NSObject"; }

    // The object's class (for a class object, its metaclass); nothing when the
    // running system has no class of that name.
    virtual Class objectClass() const;

    bool respondsToSelector(const SEL& selector) const;
    std::string description() const;

    id self() { return shared_from_this(); }

    // Values hung off the object by key, as objc_setAssociatedObject does.
    void setAssociatedValue(const void* key, std::any value);
    const std::any* associatedValue(const void* key) const;

protected:
    NSObject() = default;

private:
    std::map<const void*, std::any> m_associated;
};

// The weak reference the platform keeps for targets, observers and blocks.
using WeakId = std::weak_ptr<NSObject>;

// Makes a shared object whose constructor is protected, for the create()
// factories: a private subclass reaches the constructor on its behalf.
template <class T, class... Args>
std::shared_ptr<T> makeObject(Args&&... args) {
    struct Allocation final : T {
        explicit Allocation(Args&&... forwarded) : T(std::forward<Args>(forwarded)...) {}
    };
    return std::make_shared<Allocation>(std::forward<Args>(args)...);
}
