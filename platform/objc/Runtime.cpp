#include "platform/objc/Runtime.h"

#include "platform/system/SystemLog.h"

#include <map>
#include <shared_mutex>

namespace {

// The class table of the process. Classes live as long as the process, as
// they do on the platform.
struct ClassTable {
    std::shared_mutex mutex;
    std::map<std::string, Class, std::less<>> classes;
};

ClassTable& classTable() {
    static ClassTable* table = [] {
        static ClassTable instance;
        Class root = objc_class::make("NSObject", nullptr, false);
        instance.classes.emplace("NSObject", root);
        return &instance;
    }();
    return *table;
}

} // namespace

Class objc_class::make(std::string name, Class superclass, bool isMetaclass) {
    Class cls = makeObject<objc_class>(std::move(name), std::move(superclass), isMetaclass);
    if (!isMetaclass) {
        Class superMeta = cls->m_superclass ? cls->m_superclass->metaclass() : nullptr;
        cls->m_metaclass = make(cls->m_name, superMeta, true);
    }
    return cls;
}

std::shared_ptr<Method> objc_class::ownMethod(const SEL& selector) const {
    std::lock_guard lock(m_mutex);
    auto found = m_methods.find(selector);
    return found == m_methods.end() ? nullptr : found->second;
}

std::shared_ptr<Method> objc_class::lookup(const SEL& selector) const {
    for (const objc_class* cls = this; cls; cls = cls->m_superclass.get()) {
        if (auto method = cls->ownMethod(selector))
            return method;
    }
    return nullptr;
}

void objc_class::setMethod(const SEL& selector, std::shared_ptr<Method> method) {
    std::lock_guard lock(m_mutex);
    m_methods[selector] = std::move(method);
}

Class objc_getClass(const std::string& name) {
    ClassTable& table = classTable();
    std::shared_lock lock(table.mutex);
    auto found = table.classes.find(name);
    return found == table.classes.end() ? nullptr : found->second;
}

Class object_getClass(const id& object) {
    return object ? object->objectClass() : nullptr;
}

Class objc_registerClass(const std::string& name, const std::string& superclassName) {
    ClassTable& table = classTable();
    std::unique_lock lock(table.mutex);
    if (auto found = table.classes.find(name); found != table.classes.end())
        return found->second;
    Class superclass;
    if (!superclassName.empty()) {
        auto found = table.classes.find(superclassName);
        superclass = found == table.classes.end() ? table.classes.at("NSObject") : found->second;
    }
    Class cls = objc_class::make(name, superclass, false);
    table.classes.emplace(name, cls);
    return cls;
}

void objc_unregisterClass(const std::string& name) {
    ClassTable& table = classTable();
    std::unique_lock lock(table.mutex);
    table.classes.erase(name);
}

void objc_logRuntimeError(const std::string& message) {
    SystemLog::shared().write("objc", message);
}

void objc_sendAction(const id& target, const SEL& action, const id& sender) {
    if (!target || action.empty())
        return;
    if (action.back() == ':')
        objc_msgSend<void, id>(target, action, sender);
    else
        objc_msgSend<void>(target, action);
}

void objc_setAssociatedObject(const id& object, const void* key, std::any value) {
    if (object)
        object->setAssociatedValue(key, std::move(value));
}

std::any objc_getAssociatedObject(const id& object, const void* key) {
    if (!object)
        return {};
    const std::any* value = object->associatedValue(key);
    return value ? *value : std::any();
}
