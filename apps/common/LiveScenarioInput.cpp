#include "apps/common/LiveScenarioInput.h"

#include <iostream>
#include <unistd.h>

std::optional<LiveScenarioInput> LiveScenarioInput::open(const std::string& path,
                                                         std::string* error) {
    if (path.empty())
        return LiveScenarioInput(path, -1);
    if (path == "-")
        return LiveScenarioInput(path, STDIN_FILENO);
    int fd = Scenario::openFile(path, error);
    if (fd < 0)
        return std::nullopt;
    return LiveScenarioInput(path, fd);
}

LiveScenarioInput::LiveScenarioInput(LiveScenarioInput&& other) noexcept
    : m_path(std::move(other.m_path)), m_fd(other.m_fd), m_live(std::move(other.m_live)) {
    other.m_fd = -1;
}

LiveScenarioInput::~LiveScenarioInput() {
    m_live.reset();
    if (m_fd > STDERR_FILENO)
        close(m_fd);
}

void LiveScenarioInput::start(Scenario& scenario, const std::string& programName) {
    if (m_fd < 0 || m_live)
        return;
    std::string name = m_path == "-" ? "stdin" : m_path;
    m_live = std::make_unique<LiveScenario>(
        scenario, m_fd, name,
        [programName](const std::string& message) {
            std::cerr << programName << ": " << message << "\n";
        },
        nullptr);
}
