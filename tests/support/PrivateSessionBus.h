#pragma once

#include "support/SpawnedProcess.h"

#include <filesystem>
#include <map>
#include <string>

// A session bus of the test's own, as dbus-run-session would start one, on
// a socket in the test's folder. It activates no services, so nothing the
// machine has installed (a player daemon, say) turns up on it uninvited.
class PrivateSessionBus {
public:
    explicit PrivateSessionBus(std::filesystem::path folder);
    ~PrivateSessionBus();

    // Starts the daemon and waits until it says where it listens.
    bool start();
    // Ends the daemon: everyone on the bus loses it at once.
    void stop();

    const std::string& address() const { return m_address; }
    // The environment that puts a program on this bus.
    std::map<std::string, std::string> environment() const;

private:
    std::filesystem::path m_folder;
    std::string m_address;
    SpawnedProcess m_daemon;
};
