#pragma once

#include "platform/activator/LAActivator.h"

#include <optional>
#include <string>
#include <vector>

class BusConnection;

// The other end of LAActivatorBusService: blocking calls, with the
// connection's timeout, for a tool that sends one event and exits.
class LAActivatorBusClient {
public:
    enum class Outcome {
        Handled,
        // The home-screen process answered, but has no listener of that name.
        NoListener,
        // Nothing on the bus answers for the home-screen process.
        NoHost,
        Failed,
    };

    explicit LAActivatorBusClient(BusConnection& bus) : m_bus(bus) {}

    Outcome sendEvent(const std::string& listenerName, std::string* error = nullptr);
    std::optional<std::vector<LAActivator::ListenerInfo>> listeners(Outcome* outcome = nullptr,
                                                                    std::string* error = nullptr);

private:
    BusConnection& m_bus;
};
