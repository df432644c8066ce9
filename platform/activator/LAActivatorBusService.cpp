#include "platform/activator/LAActivatorBusService.h"

#include "platform/dbus/BusConnection.h"
#include "platform/objc/NSObject.h"
#include "platform/system/SystemLog.h"

#include <sdbus-c++/sdbus-c++.h>

struct LAActivatorBusService::Endpoint {
    std::unique_ptr<sdbus::IObject> object;
};

std::shared_ptr<LAActivatorBusService>
LAActivatorBusService::create(std::shared_ptr<BusConnection> bus,
                              std::shared_ptr<LAActivator> activator, std::string* error) {
    if (!bus || !bus->isOpen() || !activator) {
        if (error)
            *error = "no open bus connection";
        return nullptr;
    }
    auto service = makeObject<LAActivatorBusService>(std::move(bus), std::move(activator));
    if (!service->serve(error))
        return nullptr;
    return service;
}

LAActivatorBusService::LAActivatorBusService(std::shared_ptr<BusConnection> bus,
                                             std::shared_ptr<LAActivator> activator)
    : m_bus(std::move(bus)), m_activator(std::move(activator)) {}

LAActivatorBusService::~LAActivatorBusService() {
    // The connection may carry on for others; the name goes with the service.
    if (m_endpoint && m_bus->connection()) {
        try {
            m_bus->connection()->releaseName(kBusName);
        } catch (const std::exception&) {
        }
    }
}

bool LAActivatorBusService::serve(std::string* error) {
    sdbus::IConnection* connection = m_bus->connection();
    if (!connection)
        return false;
    std::weak_ptr<LAActivatorBusService> weakSelf = weak_from_this();
    auto endpoint = std::make_unique<Endpoint>();
    try {
        endpoint->object = sdbus::createObject(*connection, kObjectPath);
        endpoint->object->registerMethod("SendEvent")
            .onInterface(kInterface)
            .withInputParamNames("listenerName")
            .withOutputParamNames("handled")
            .implementedAs([weakSelf](const std::string& listenerName) {
                auto self = weakSelf.lock();
                return self && self->sendEvent(listenerName);
            });
        endpoint->object->registerMethod("ListListeners")
            .onInterface(kInterface)
            .withOutputParamNames("listeners")
            .implementedAs([weakSelf] {
                std::vector<sdbus::Struct<std::string, std::string, std::string, std::string>>
                    listeners;
                if (auto self = weakSelf.lock()) {
                    for (const auto& info : self->m_activator->listeners())
                        listeners.emplace_back(info.name, info.title, info.description, info.group);
                }
                return listeners;
            });
        endpoint->object->finishRegistration();
        // The object is there before the name is, so a caller that finds the
        // name finds the interface behind it.
        connection->requestName(kBusName);
    } catch (const std::exception& failure) {
        if (error)
            *error = failure.what();
        return false;
    }
    m_endpoint = std::move(endpoint);
    m_bus->addCloseHandler([weakSelf] {
        if (auto self = weakSelf.lock())
            self->m_endpoint.reset();
    });
    m_bus->attachToRunLoop();
    return true;
}

bool LAActivatorBusService::isServing() const {
    return m_endpoint && m_bus->isOpen();
}

bool LAActivatorBusService::sendEvent(const std::string& listenerName) {
    if (listenerName.empty() || listenerName.size() > kMaximumListenerNameLength)
        return false;
    auto event = LAEvent::eventWithName(kEventName);
    bool handled = m_activator->sendEventToListener(event, listenerName);
    // Whatever the listener posted leaves at the next turn; the reply to
    // this call goes out now.
    m_bus->messagesQueued();
    return handled;
}
