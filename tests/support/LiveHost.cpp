#include "support/LiveHost.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {
std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Polling interval while waiting on a live process; short enough to keep
// the tests quick, long enough not to compete with the host for the cores.
constexpr auto kPollInterval = std::chrono::milliseconds(20);
} // namespace

LiveHost::LiveHost(std::string hostPath) : m_host(std::move(hostPath)) {
    std::random_device random;
    m_folder = std::filesystem::temp_directory_path() /
               ("rotix-live-" + std::to_string(random()) + std::to_string(random()));
    m_root = m_folder / "root";
    std::filesystem::create_directories(m_folder);
    std::filesystem::copy(ROTIX_BUILD_DEVICE_ROOT, m_root,
                          std::filesystem::copy_options::recursive);
}

LiveHost::~LiveHost() {
    if (m_pid > 0 && !m_exitStatus) {
        kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    if (m_input >= 0)
        close(m_input);
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
}

bool LiveHost::start(const std::vector<std::string>& extraArguments,
                     const std::map<std::string, std::string>& environment) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    std::vector<std::string> arguments = {m_host, "--clock", "system",       "--scenario",
                                          "-",    "--root",  m_root.string()};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        auto equals = text.find('=');
        if (equals != std::string::npos)
            merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    // A host under test joins a session bus only when the test hands it one,
    // never the desktop's of whoever runs the tests.
    merged.erase("DBUS_SESSION_BUS_ADDRESS");
    for (const auto& [key, value] : environment)
        merged[key] = value;
    std::vector<std::string> environmentLines;
    for (const auto& [key, value] : merged)
        environmentLines.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (auto& line : environmentLines)
        envp.push_back(line.data());
    envp.push_back(nullptr);

    const std::string errorPath = (m_folder / "stderr.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, m_folder.c_str());
    int result = posix_spawn(&m_pid, m_host.c_str(), &actions, nullptr, argv.data(), envp.data());
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

bool LiveHost::send(const std::string& line) {
    if (m_input < 0)
        return false;
    std::string text = line + "\n";
    size_t written = 0;
    // A host that died closes the pipe; the write must fail, not kill the
    // test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
    while (written < text.size()) {
        ssize_t count = write(m_input, text.data() + written, text.size() - written);
        if (count <= 0)
            return false;
        written += static_cast<size_t>(count);
    }
    return true;
}

std::optional<Json> LiveHost::dump(std::chrono::milliseconds timeout) {
    // Each dump goes to a fresh name, written by the host in one go, so a
    // file that parses is complete.
    const std::string name = "live-" + std::to_string(++m_dumpCount) + ".json";
    if (!send("dump " + name))
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(m_folder / name)) {
            if (auto json = Json::parse(readFile(m_folder / name))) {
                std::filesystem::remove(m_folder / name);
                return json;
            }
        }
        if (!isRunning())
            return std::nullopt;
        std::this_thread::sleep_for(kPollInterval);
    }
    return std::nullopt;
}

std::optional<Json> LiveHost::waitFor(const std::function<bool(const Json&)>& condition,
                                      std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        auto json = dump(std::max(remaining, std::chrono::milliseconds(1)));
        if (json && condition(*json))
            return json;
        if (!isRunning())
            return std::nullopt;
        std::this_thread::sleep_for(kPollInterval * 5);
    }
    return std::nullopt;
}

bool LiveHost::isRunning() {
    if (m_pid <= 0 || m_exitStatus)
        return false;
    int status = 0;
    pid_t result = waitpid(m_pid, &status, WNOHANG);
    if (result == 0)
        return true;
    m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

int LiveHost::finish(std::chrono::milliseconds timeout) {
    if (m_input >= 0) {
        close(m_input);
        m_input = -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (isRunning()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(m_pid, SIGKILL);
            int status = 0;
            waitpid(m_pid, &status, 0);
            m_exitStatus = -1;
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return m_exitStatus.value_or(-1);
}

std::string LiveHost::standardError() const {
    return readFile(m_folder / "stderr.txt");
}
