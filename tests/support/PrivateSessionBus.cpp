#include "support/PrivateSessionBus.h"

#include <fstream>

PrivateSessionBus::PrivateSessionBus(std::filesystem::path folder) : m_folder(std::move(folder)) {}

PrivateSessionBus::~PrivateSessionBus() {
    stop();
}

bool PrivateSessionBus::start() {
    std::filesystem::create_directories(m_folder);
    const std::filesystem::path socket = m_folder / "bus";
    const std::filesystem::path config = m_folder / "bus.conf";
    std::ofstream(config)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path="
        << socket.string()
        << "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
    if (!m_daemon.start({"dbus-daemon", "--config-file=" + config.string(), "--nofork",
                         "--nopidfile", "--print-address=1"},
                        {}, m_folder, "dbus-daemon"))
        return false;
    if (!m_daemon.waitForOutput("\n", std::chrono::seconds(10)))
        return false;
    m_address = m_daemon.output();
    m_address.erase(m_address.find('\n'));
    return !m_address.empty();
}

void PrivateSessionBus::stop() {
    m_daemon.kill();
}

std::map<std::string, std::string> PrivateSessionBus::environment() const {
    return {{"DBUS_SESSION_BUS_ADDRESS", m_address}};
}
