#include "support/LiveHost.h"

#include <fstream>
#include <random>
#include <sstream>
#include <thread>

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
    m_process.kill();
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
}

bool LiveHost::start(const std::vector<std::string>& extraArguments,
                     const std::map<std::string, std::string>& environment) {
    std::vector<std::string> arguments = {m_host, "--clock", "system",       "--scenario",
                                          "-",    "--root",  m_root.string()};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    return m_process.start(arguments, environment, m_folder, "host");
}

bool LiveHost::send(const std::string& line) {
    return m_process.send(line);
}

std::optional<DumpNode> LiveHost::dump(std::chrono::milliseconds timeout) {
    // Each dump goes to a fresh name, written by the host in one go, so a
    // file that parses is complete.
    const std::string name = "live-" + std::to_string(++m_dumpCount) + ".json";
    if (!send("dump " + name))
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(m_folder / name)) {
            if (auto json = DumpNode::parse(readFile(m_folder / name))) {
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

std::optional<DumpNode> LiveHost::waitFor(const std::function<bool(const DumpNode&)>& condition,
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

int LiveHost::finish(std::chrono::milliseconds timeout) {
    m_process.closeInput();
    return m_process.wait(timeout);
}
