#include "support/SpawnedProcess.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

SpawnedProcess::~SpawnedProcess() {
    kill();
    if (m_input >= 0)
        close(m_input);
}

bool SpawnedProcess::start(const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment,
                           const std::filesystem::path& folder, const std::string& name) {
    if (arguments.empty() || m_pid > 0)
        return false;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    std::vector<std::string> argumentCopies = arguments;
    std::vector<char*> argv;
    for (auto& argument : argumentCopies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        auto equals = text.find('=');
        if (equals != std::string::npos)
            merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    merged.erase("DBUS_SESSION_BUS_ADDRESS");
    for (const auto& [key, value] : environment)
        merged[key] = value;
    std::vector<std::string> lines;
    for (const auto& [key, value] : merged)
        lines.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (auto& line : lines)
        envp.push_back(line.data());
    envp.push_back(nullptr);

    m_outputPath = folder / (name + ".out");
    m_errorPath = folder / (name + ".err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_errorPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    // Its own process group, so nothing it starts outlives the test.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    int result = posix_spawnp(&m_pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[0]);
    if (result != 0) {
        close(pipeFds[1]);
        m_pid = -1;
        return false;
    }
    m_input = pipeFds[1];
    return true;
}

bool SpawnedProcess::send(const std::string& line) {
    if (m_input < 0)
        return false;
    std::string text = line + "\n";
    // A program that died closes the pipe: the write fails, no SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    size_t written = 0;
    while (written < text.size()) {
        ssize_t count = write(m_input, text.data() + written, text.size() - written);
        if (count <= 0)
            return false;
        written += static_cast<size_t>(count);
    }
    return true;
}

void SpawnedProcess::closeInput() {
    if (m_input >= 0)
        close(m_input);
    m_input = -1;
}

std::string SpawnedProcess::output() const {
    return readFile(m_outputPath);
}

std::string SpawnedProcess::errors() const {
    return readFile(m_errorPath);
}

bool SpawnedProcess::waitForOutput(std::string_view text, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (output().find(text) != std::string::npos)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

bool SpawnedProcess::isRunning() {
    if (m_pid <= 0 || m_status)
        return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == 0)
        return true;
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

void SpawnedProcess::signal(int number) {
    if (isRunning())
        ::kill(m_pid, number);
}

int SpawnedProcess::wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (isRunning()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill();
            return -1;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return m_status.value_or(-1);
}

void SpawnedProcess::kill() {
    if (!isRunning())
        return;
    // A stopped program must be woken to die of anything but SIGKILL; this
    // one needs no waking.
    ::kill(m_pid, SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_status = -1;
}

ToolResult runTool(const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& environment,
                   const std::filesystem::path& folder, std::chrono::milliseconds timeout) {
    static int counter = 0;
    SpawnedProcess process;
    ToolResult result;
    if (!process.start(arguments, environment, folder, "tool-" + std::to_string(++counter)))
        return result;
    process.closeInput();
    result.status = process.wait(timeout);
    result.output = process.output();
    return result;
}
