#include "platform/activator/LAActivatorBusClient.h"

#include "platform/activator/LAActivatorBusService.h"
#include "platform/dbus/BusConnection.h"

#include <sdbus-c++/sdbus-c++.h>

namespace {

// Errors the bus itself gives when no process owns the name.
bool meansNoOwner(const sdbus::Error& error) {
    return error.getName() == "org.freedesktop.DBus.Error.ServiceUnknown" ||
           error.getName() == "org.freedesktop.DBus.Error.NameHasNoOwner";
}

LAActivatorBusClient::Outcome failure(const sdbus::Error& error, std::string* message) {
    if (meansNoOwner(error))
        return LAActivatorBusClient::Outcome::NoHost;
    if (message)
        *message = error.getMessage().empty() ? error.getName() : error.getMessage();
    return LAActivatorBusClient::Outcome::Failed;
}

} // namespace

LAActivatorBusClient::Outcome LAActivatorBusClient::sendEvent(const std::string& listenerName,
                                                              std::string* error) {
    sdbus::IConnection* connection = m_bus.connection();
    if (!connection)
        return Outcome::Failed;
    try {
        auto proxy = sdbus::createProxy(*connection, LAActivatorBusService::kBusName,
                                        LAActivatorBusService::kObjectPath);
        bool handled = false;
        proxy->callMethod("SendEvent")
            .onInterface(LAActivatorBusService::kInterface)
            .withArguments(listenerName)
            .storeResultsTo(handled);
        return handled ? Outcome::Handled : Outcome::NoListener;
    } catch (const sdbus::Error& thrown) {
        return failure(thrown, error);
    }
}

std::optional<std::vector<LAActivator::ListenerInfo>>
LAActivatorBusClient::listeners(Outcome* outcome, std::string* error) {
    Outcome result = Outcome::Failed;
    std::optional<std::vector<LAActivator::ListenerInfo>> infos;
    if (sdbus::IConnection* connection = m_bus.connection()) {
        try {
            auto proxy = sdbus::createProxy(*connection, LAActivatorBusService::kBusName,
                                            LAActivatorBusService::kObjectPath);
            std::vector<sdbus::Struct<std::string, std::string, std::string, std::string>> reply;
            proxy->callMethod("ListListeners")
                .onInterface(LAActivatorBusService::kInterface)
                .storeResultsTo(reply);
            infos.emplace();
            for (const auto& entry : reply)
                infos->push_back({entry.get<0>(), entry.get<1>(), entry.get<2>(), entry.get<3>()});
            result = Outcome::Handled;
        } catch (const sdbus::Error& thrown) {
            result = failure(thrown, error);
        }
    }
    if (outcome)
        *outcome = result;
    return infos;
}
