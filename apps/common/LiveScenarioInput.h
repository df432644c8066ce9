#pragma once

#include "apps/common/LiveScenario.h"
#include "apps/common/Scenario.h"

#include <memory>
#include <optional>
#include <string>

// The scenario a live session reads beside its window: a file, "-" for
// standard input, or nothing. Opened before anything starts, so a file that
// cannot be read costs nothing; its lines run once the session is up.
class LiveScenarioInput {
public:
    // Nothing, with the reason in error, when the file cannot be read.
    static std::optional<LiveScenarioInput> open(const std::string& path, std::string* error);
    ~LiveScenarioInput();
    LiveScenarioInput(LiveScenarioInput&& other) noexcept;
    LiveScenarioInput& operator=(LiveScenarioInput&&) = delete;
    LiveScenarioInput(const LiveScenarioInput&) = delete;

    // Runs the lines as they come; a bad one is reported on standard error
    // after the program's name, and the session goes on.
    void start(Scenario& scenario, const std::string& programName);
    // Stops reading.
    void stop() { m_live.reset(); }

private:
    LiveScenarioInput(std::string path, int fd) : m_path(std::move(path)), m_fd(fd) {}

    std::string m_path;
    int m_fd = -1;
    std::unique_ptr<LiveScenario> m_live;
};
