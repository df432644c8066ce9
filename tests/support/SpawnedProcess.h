#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// An outside program a test starts (a bus, a music player, a command-line
// tool): its standard input is a pipe the test writes lines to, its output
// and errors go to files in the test's folder. It is killed, if still
// running, when this object goes.
class SpawnedProcess {
public:
    SpawnedProcess() = default;
    ~SpawnedProcess();
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    // Runs arguments[0] (searched in PATH when it has no slash) with the
    // test's environment plus the entries given; DBUS_SESSION_BUS_ADDRESS is
    // passed only when given, so nothing reaches the desktop's own bus.
    bool start(const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment,
               const std::filesystem::path& folder, const std::string& name);
    bool send(const std::string& line);
    void closeInput();

    std::string output() const;
    std::string errors() const;
    // Polls the output until it holds the text or the deadline passes.
    bool waitForOutput(std::string_view text, std::chrono::milliseconds timeout) const;

    bool isRunning();
    void signal(int number);
    // Waits for the program to end by itself; kills it at the deadline.
    // Answers its exit status, or -1 when killed or ended by a signal.
    int wait(std::chrono::milliseconds timeout);
    // Ends it now and reaps it.
    void kill();
    pid_t pid() const { return m_pid; }

private:
    std::filesystem::path m_outputPath;
    std::filesystem::path m_errorPath;
    pid_t m_pid = -1;
    int m_input = -1;
    std::optional<int> m_status;
};

// Runs a command-line tool to its end (killed after the timeout) and
// answers its exit status and standard output.
struct ToolResult {
    int status = -1;
    std::string output;
};
ToolResult runTool(const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& environment,
                   const std::filesystem::path& folder,
                   std::chrono::milliseconds timeout = std::chrono::seconds(5));
