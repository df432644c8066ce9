#include "apps/common/QuotedName.h"
#include "platform/activator/LAActivatorBusClient.h"
#include "platform/dbus/BusConnection.h"
#include "platform/foundation/UTF8Text.h"

#include <iostream>
#include <string>

namespace {

// Exit statuses: the event went nowhere is not the same failure as a wrong
// command line or a desktop without a session bus.
constexpr int kSucceeded = 0;
constexpr int kNotDelivered = 1;
constexpr int kUsageOrNoBus = 2;

int usage() {
    std::cerr << "usage: activator send LISTENER-NAME | activator list\n";
    return kUsageOrNoBus;
}

int reportOutcome(LAActivatorBusClient::Outcome outcome, const std::string& listenerName,
                  const std::string& error) {
    switch (outcome) {
    case LAActivatorBusClient::Outcome::Handled:
        return kSucceeded;
    case LAActivatorBusClient::Outcome::NoListener:
        std::cerr << "activator: no listener is registered as " << quotedName(listenerName) << "\n";
        return kNotDelivered;
    case LAActivatorBusClient::Outcome::NoHost:
        std::cerr << "activator: no home-screen host is running on the session bus\n";
        return kNotDelivered;
    case LAActivatorBusClient::Outcome::Failed:
        break;
    }
    std::cerr << "activator: the home-screen host did not answer: " << error << "\n";
    return kNotDelivered;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if (!((command == "send" && argc == 3 && *argv[2]) || (command == "list" && argc == 2)))
        return usage();
    // The bus carries only UTF-8; the name is refused here, where the fault
    // is, rather than blamed on the host that never saw it.
    if (command == "send" && !isValidUTF8(argv[2])) {
        std::cerr << "activator: a listener name is UTF-8 text, not " << quotedName(argv[2])
                  << "\n";
        return kUsageOrNoBus;
    }

    std::string error;
    auto bus = BusConnection::openSessionBus(&error);
    if (!bus) {
        std::cerr << "activator: no session bus: " << error << "\n";
        return kUsageOrNoBus;
    }
    LAActivatorBusClient client(*bus);
    if (command == "send")
        return reportOutcome(client.sendEvent(argv[2], &error), argv[2], error);

    LAActivatorBusClient::Outcome outcome;
    auto listeners = client.listeners(&outcome, &error);
    if (!listeners)
        return reportOutcome(outcome, {}, error);
    for (const auto& info : *listeners)
        std::cout << info.name << "\t" << info.title << "\t" << info.description << "\n";
    return kSucceeded;
}
