#include "platform/activator/LAActivator.h"

std::shared_ptr<LAEvent> LAEvent::eventWithName(std::string name, std::string mode) {
    return makeObject<LAEvent>(std::move(name), std::move(mode));
}

std::shared_ptr<LAActivator> LAActivator::sharedInstance() {
    static std::shared_ptr<LAActivator> activator = makeObject<LAActivator>();
    return activator;
}

bool LAActivator::registerListener(const std::shared_ptr<LAListener>& listener,
                                   const std::string& name) {
    if (!listener || name.empty())
        return false;
    std::lock_guard lock(m_mutex);
    auto& slot = m_listeners[name];
    if (!slot.expired())
        return false;
    slot = listener;
    return true;
}

void LAActivator::unregisterListenerWithName(const std::string& name) {
    std::lock_guard lock(m_mutex);
    m_listeners.erase(name);
}

std::shared_ptr<LAListener> LAActivator::listenerForName(const std::string& name) const {
    std::lock_guard lock(m_mutex);
    auto found = m_listeners.find(name);
    return found == m_listeners.end() ? nullptr : found->second.lock();
}

bool LAActivator::sendEventToListener(const std::shared_ptr<LAEvent>& event,
                                      const std::string& name) {
    auto listener = listenerForName(name);
    if (!listener || !event)
        return false;
    listener->activatorReceiveEvent(*this, event);
    return true;
}

std::vector<LAActivator::ListenerInfo> LAActivator::listeners() {
    std::vector<std::pair<std::string, std::shared_ptr<LAListener>>> live;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [name, weak] : m_listeners) {
            if (auto listener = weak.lock())
                live.emplace_back(name, listener);
        }
    }
    std::vector<ListenerInfo> infos;
    for (const auto& [name, listener] : live)
        infos.push_back(
            {name, listener->activatorRequiresLocalizedTitleForListenerName(*this, name),
             listener->activatorRequiresLocalizedDescriptionForListenerName(*this, name),
             listener->activatorRequiresLocalizedGroupForListenerName(*this, name)});
    return infos;
}
