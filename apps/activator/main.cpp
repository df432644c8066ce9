#include "apps/common/CommandLine.h"
#include "apps/common/QuotedName.h"
#include "platform/activator/LAActivatorBusClient.h"
#include "platform/corefoundation/UTF8Text.h"
#include "platform/dbus/BusConnection.h"

#include <iostream>
#include <string>

namespace {

// Exit statuses: the event went nowhere is not the same failure as a wrong
// command line or a desktop without a session bus.
constexpr int kSucceeded = 0;
constexpr int kNotDelivered = 1;
constexpr int kUsageOrNoBus = 2;

constexpr const char* kUsage = "usage: activator send LISTENER-NAME\n"
                               "       activator list\n";

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
    CommandLine commandLine("activator", kUsage,
                            "Sends Activator events to the running home-screen host over the "
                            "session bus.");
    CLI::App& app = commandLine.app();
    app.require_subcommand(1);
    std::string listenerName;
    CLI::App* send = app.add_subcommand("send", "Send an event to the listener of that name");
    send->add_option("LISTENER-NAME", listenerName, "The listener, as list shows it")->required();
    app.add_subcommand("list", "List the host's listeners: name, title and description");
    if (auto stop = commandLine.parse(argc, argv))
        return *stop;
    if (send->parsed()) {
        if (listenerName.empty())
            return commandLine.refuse("a listener name cannot be empty");
        // The bus carries only UTF-8; the name is refused here, where the
        // fault is, rather than blamed on the host that never saw it.
        if (!isValidUTF8(listenerName)) {
            std::cerr << "activator: a listener name is UTF-8 text, not "
                      << quotedName(listenerName) << "\n";
            return kUsageOrNoBus;
        }
    }

    std::string error;
    auto bus = BusConnection::openSessionBus(&error);
    if (!bus) {
        std::cerr << "activator: no session bus: " << error << "\n";
        return kUsageOrNoBus;
    }
    LAActivatorBusClient client(*bus);
    if (send->parsed())
        return reportOutcome(client.sendEvent(listenerName, &error), listenerName, error);

    LAActivatorBusClient::Outcome outcome;
    auto listeners = client.listeners(&outcome, &error);
    if (!listeners)
        return reportOutcome(outcome, {}, error);
    for (const auto& info : *listeners)
        std::cout << info.name << "\t" << info.title << "\t" << info.description << "\n";
    return kSucceeded;
}
