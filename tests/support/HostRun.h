#pragma once

#include "support/DumpNode.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Runs a host program on a scenario in a scratch folder with a device root
// of its own (a copy of the one the build assembled), and reads back what it
// wrote.
class HostRun {
public:
    explicit HostRun(std::string hostPath);
    ~HostRun();
    HostRun(const HostRun&) = delete;
    HostRun& operator=(const HostRun&) = delete;

    // Runs the scenario text; answers the exit status. Standard output goes
    // to standardOutput(), or where the shell redirection given sends it.
    int run(const std::string& scenario, const std::vector<std::string>& extraArguments = {},
            const std::string& outputRedirection = {});

    const std::string& standardError() const { return m_stderr; }
    const std::string& standardOutput() const { return m_stdout; }
    std::optional<DumpNode> readJson(const std::string& name) const;
    const std::filesystem::path& folder() const { return m_folder; }
    const std::filesystem::path& root() const { return m_root; }

private:
    std::string m_host;
    std::filesystem::path m_folder;
    std::filesystem::path m_root;
    std::string m_stdout;
    std::string m_stderr;
};

// Log lines of a dump that contain the text.
int countLogLines(const DumpNode& dump, const std::string& text);
// The first view of the class in a dumped tree, depth first.
std::optional<DumpNode> findView(const DumpNode& tree, const std::string& className);
