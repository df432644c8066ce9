#pragma once

#include "platform/objc/NSObject.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class LAActivator;

// An event the user triggered: a gesture, a button press, a key.
class LAEvent : public NSObject {
public:
    static std::shared_ptr<LAEvent> eventWithName(std::string name,
                                                  std::string mode = "lockscreen");

    const std::string& name() const { return m_name; }
    const std::string& mode() const { return m_mode; }
    bool isHandled() const { return m_handled; }
    void setHandled(bool handled) { m_handled = handled; }

    std::string_view className() const override { return "LAEvent"; }

protected:
    LAEvent(std::string name, std::string mode)
        : m_name(std::move(name)), m_mode(std::move(mode)) {}

private:
    std::string m_name;
    std::string m_mode;
    bool m_handled = false;
};

// What a listener answers to: events, and the texts the event library shows
// for it.
class LAListener {
public:
    virtual ~LAListener() = default;
    virtual void activatorReceiveEvent(LAActivator& activator,
                                       const std::shared_ptr<LAEvent>& event) = 0;
    virtual void activatorAbortEvent(LAActivator&, const std::shared_ptr<LAEvent>&) {}
    virtual void activatorOtherListenerDidHandleEvent(LAActivator&,
                                                      const std::shared_ptr<LAEvent>&) {}
    virtual void activatorReceiveDeactivateEvent(LAActivator&, const std::shared_ptr<LAEvent>&) {}
    virtual std::string activatorRequiresLocalizedGroupForListenerName(LAActivator&,
                                                                       const std::string&) {
        return {};
    }
    virtual std::string activatorRequiresLocalizedTitleForListenerName(LAActivator&,
                                                                       const std::string& name) {
        return name;
    }
    virtual std::string activatorRequiresLocalizedDescriptionForListenerName(LAActivator&,
                                                                             const std::string&) {
        return {};
    }
};

// The event library: listeners register under a name, and events are sent
// to a listener by name. Listeners are held strongly by whoever made them;
// the library keeps them weakly.
class LAActivator : public NSObject {
public:
    struct ListenerInfo {
        std::string name;
        std::string title;
        std::string description;
        std::string group;
    };

    static std::shared_ptr<LAActivator> sharedInstance();

    // -registerListener:forName:; a name already taken keeps its listener.
    bool registerListener(const std::shared_ptr<LAListener>& listener, const std::string& name);
    void unregisterListenerWithName(const std::string& name);
    std::shared_ptr<LAListener> listenerForName(const std::string& name) const;
    // Sends the event to the named listener; false when none is registered.
    bool sendEventToListener(const std::shared_ptr<LAEvent>& event, const std::string& name);
    // Every registered listener, asked for its texts.
    std::vector<ListenerInfo> listeners();

    std::string_view className() const override { return "LAActivator"; }

protected:
    LAActivator() = default;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::weak_ptr<LAListener>> m_listeners;
};
