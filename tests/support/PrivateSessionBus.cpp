#include "support/PrivateSessionBus.h"

#include <cstdlib>
#include <fstream>

PrivateSessionBus::PrivateSessionBus() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rotix-bus-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
        m_folder = pattern;
        m_ownsFolder = true;
    }
}

PrivateSessionBus::PrivateSessionBus(std::filesystem::path folder) : m_folder(std::move(folder)) {}

PrivateSessionBus::~PrivateSessionBus() {
    stop();
    if (m_ownsFolder) {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }
}

bool PrivateSessionBus::start() {
    if (m_folder.empty())
        return false;
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
    // The shell says where the bus listens, then waits on its input.
    if (!m_session.start({"dbus-run-session", "--config-file=" + config.string(), "--", "sh", "-c",
                          "printf '%s\\n' \"$DBUS_SESSION_BUS_ADDRESS\"; exec cat >/dev/null"},
                         {}, m_folder, "dbus-session"))
        return false;
    if (!m_session.waitForOutput("\n", std::chrono::seconds(10)))
        return false;
    m_address = m_session.output();
    m_address.erase(m_address.find('\n'));
    return !m_address.empty();
}

void PrivateSessionBus::stop() {
    // Killing dbus-run-session would leave the bus running without it.
    m_session.closeInput();
    m_session.wait(std::chrono::seconds(10));
}

std::map<std::string, std::string> PrivateSessionBus::environment() const {
    return {{"DBUS_SESSION_BUS_ADDRESS", m_address}};
}
