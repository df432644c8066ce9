#pragma once

#include "apps/common/Scenario.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

// Where a fuzzed scenario runs: a temporary folder holding a fresh copy of
// the device image the build assembled, which becomes the device root, and a
// scratch folder that is the working directory while lines run, emptied
// before each input so that files do not pile up. Lines that would reach
// outside it (a file named by path, standard output, an hour of clock time)
// are left out before the host's own runner, parsing and dispatch see the
// rest.
class ScenarioSandbox {
public:
    // The longest stretch of clock time one line may ask for, so that an
    // input stays quick; the handlers' own bounds are far wider.
    static constexpr double kMaximumSeconds = 5;
    static constexpr int kMaximumLines = 16;

    ScenarioSandbox();
    ~ScenarioSandbox();
    ScenarioSandbox(const ScenarioSandbox&) = delete;
    ScenarioSandbox& operator=(const ScenarioSandbox&) = delete;

    const std::filesystem::path& root() const { return m_root; }
    const std::filesystem::path& scratch() const { return m_scratch; }

    // Runs the bytes as a scenario file through the hosts' runner, which
    // stops at the first line that fails (a normal outcome) and then boots
    // the host if no line did.
    void run(Scenario& scenario, const std::uint8_t* data, std::size_t size,
             const std::function<void()>& boot) const;

    // True when the line stays inside the sandbox and within the time bound.
    static bool isHarmless(const Scenario::Line& line);
    // A file name inside the working directory: no folder, nothing hidden.
    static bool isPlainFileName(const std::string& name);

private:
    std::filesystem::path m_folder;
    std::filesystem::path m_root;
    std::filesystem::path m_scratch;
};
