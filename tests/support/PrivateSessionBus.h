#pragma once

#include "support/SpawnedProcess.h"

#include <filesystem>
#include <map>
#include <string>

// A session bus of the test's own, on a socket in the test's folder. It
// activates no services, so nothing the machine has installed (a player
// daemon, say) turns up on it uninvited. dbus-run-session ends the bus when
// its input closes: stopping it, and a test that dies, both take the bus
// down with them.
class PrivateSessionBus {
public:
    // In a scratch folder of its own, removed when the bus goes.
    PrivateSessionBus();
    explicit PrivateSessionBus(std::filesystem::path folder);
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Starts the bus and waits until it says where it listens.
    bool start();
    // Ends the bus and waits until it has gone: everyone on it loses it at
    // once.
    void stop();

    // The value for DBUS_SESSION_BUS_ADDRESS.
    const std::string& address() const { return m_address; }
    // The environment that puts a program on this bus.
    std::map<std::string, std::string> environment() const;

private:
    std::filesystem::path m_folder;
    bool m_ownsFolder = false;
    std::string m_address;
    SpawnedProcess m_session;
};
