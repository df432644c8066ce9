#pragma once

#include "platform/activator/LAActivator.h"

#include <memory>
#include <string>

class BusConnection;

// The event library's door on the session bus: other programs (the
// `activator` tool, a desktop shortcut) send an event to a listener of this
// process by name, or ask which listeners there are. Calls arrive on the main
// run loop, where listeners expect to run.
class LAActivatorBusService : public std::enable_shared_from_this<LAActivatorBusService> {
public:
    static constexpr const char* kBusName = "dev.varlo.Rotix.SpringBoard";
    static constexpr const char* kObjectPath = "/dev/varlo/Rotix/Activator";
    static constexpr const char* kInterface = "dev.varlo.Rotix.Activator";
    // The name of the events that arrive this way.
    static constexpr const char* kEventName = "dev.varlo.Rotix.send";
    static constexpr size_t kMaximumListenerNameLength = 1024;

    // Exports the interface and takes the bus name; nothing (and the reason
    // in `error`) when the connection is closed or another process holds
    // the name. Call on the main thread.
    static std::shared_ptr<LAActivatorBusService> create(std::shared_ptr<BusConnection> bus,
                                                         std::shared_ptr<LAActivator> activator,
                                                         std::string* error = nullptr);
    ~LAActivatorBusService();
    LAActivatorBusService(const LAActivatorBusService&) = delete;
    LAActivatorBusService& operator=(const LAActivatorBusService&) = delete;

    // Whether calls can still reach this process.
    bool isServing() const;

protected:
    LAActivatorBusService(std::shared_ptr<BusConnection> bus,
                          std::shared_ptr<LAActivator> activator);

private:
    struct Endpoint;

    bool serve(std::string* error);
    bool sendEvent(const std::string& listenerName);

    std::shared_ptr<BusConnection> m_bus;
    std::shared_ptr<LAActivator> m_activator;
    // Declared after the connection, so it is released first.
    std::unique_ptr<Endpoint> m_endpoint;
};
