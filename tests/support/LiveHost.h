#pragma once

#include "support/DumpNode.h"
#include "support/SpawnedProcess.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// A host program running live on the system clock, fed scenario lines
// through a pipe to its standard input, in a scratch folder with a device
// root of its own. Tests that involve real outside programs (a bus, a music
// player, a display) drive it line by line and poll its dumps with a
// deadline.
class LiveHost {
public:
    explicit LiveHost(std::string hostPath);
    ~LiveHost();
    LiveHost(const LiveHost&) = delete;
    LiveHost& operator=(const LiveHost&) = delete;

    // Starts the host with "--clock system --scenario -" and the extra
    // arguments; extra environment entries are added to the test's own.
    bool start(const std::vector<std::string>& extraArguments = {},
               const std::map<std::string, std::string>& environment = {});
    // Sends one scenario line.
    bool send(const std::string& line);
    // Asks for a dump and waits for it; nothing if the host did not answer
    // in time.
    std::optional<DumpNode> dump(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Dumps until the condition holds or the deadline passes; answers the
    // last dump that satisfied it.
    std::optional<DumpNode> waitFor(const std::function<bool(const DumpNode&)>& condition,
                                    std::chrono::milliseconds timeout);
    // Closes the host's input, which ends it, and waits for it; answers the
    // exit status, or -1 if it had to be killed.
    int finish(std::chrono::milliseconds timeout = std::chrono::seconds(10));

    bool isRunning() { return m_process.isRunning(); }
    pid_t pid() const { return m_process.pid(); }
    std::string standardError() const { return m_process.errors(); }
    const std::filesystem::path& folder() const { return m_folder; }
    const std::filesystem::path& root() const { return m_root; }

private:
    std::string m_host;
    std::filesystem::path m_folder;
    std::filesystem::path m_root;
    SpawnedProcess m_process;
    int m_dumpCount = 0;
};
