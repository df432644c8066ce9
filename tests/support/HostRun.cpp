#include "support/HostRun.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>

namespace {
std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string shellQuoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) {
        if (c == '\'')
            result += "'\\''";
        else
            result += c;
    }
    return result + "'";
}
} // namespace

HostRun::HostRun(std::string hostPath) : m_host(std::move(hostPath)) {
    std::random_device random;
    m_folder = std::filesystem::temp_directory_path() /
               ("rotix-host-" + std::to_string(random()) + std::to_string(random()));
    m_root = m_folder / "root";
    std::filesystem::create_directories(m_folder);
    std::filesystem::copy(ROTIX_BUILD_DEVICE_ROOT, m_root,
                          std::filesystem::copy_options::recursive);
}

HostRun::~HostRun() {
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
}

int HostRun::run(const std::string& scenario, const std::vector<std::string>& extraArguments,
                 const std::string& outputRedirection) {
    auto scenarioPath = m_folder / "scenario.scn";
    std::ofstream(scenarioPath) << scenario;
    std::string command = "cd " + shellQuoted(m_folder.string()) + " && " + shellQuoted(m_host) +
                          " --scenario " + shellQuoted(scenarioPath.string()) + " --root " +
                          shellQuoted(m_root.string());
    for (const auto& argument : extraArguments)
        command += " " + shellQuoted(argument);
    std::error_code error;
    std::filesystem::remove(m_folder / "stdout.txt", error);
    command += " " +
               (outputRedirection.empty() ? "> " + shellQuoted((m_folder / "stdout.txt").string())
                                          : outputRedirection) +
               " 2> " + shellQuoted((m_folder / "stderr.txt").string());
    int status = std::system(command.c_str());
    m_stdout = readFile(m_folder / "stdout.txt");
    m_stderr = readFile(m_folder / "stderr.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::optional<DumpNode> HostRun::readJson(const std::string& name) const {
    return DumpNode::parse(readFile(m_folder / name));
}

int countLogLines(const DumpNode& dump, const std::string& text) {
    int count = 0;
    for (const auto& line : dump["log"].asArray()) {
        if (line.asString().find(text) != std::string::npos)
            ++count;
    }
    return count;
}

std::optional<DumpNode> findView(const DumpNode& tree, const std::string& className) {
    if (tree["class"].asString() == className)
        return tree;
    for (const auto& subview : tree["subviews"].asArray()) {
        if (std::optional<DumpNode> found = findView(subview, className))
            return found;
    }
    return std::nullopt;
}
