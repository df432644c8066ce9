#include "fuzz/ScenarioSandbox.h"

#include "apps/common/ScenarioRunner.h"
#include "platform/device/DeviceImage.h"
#include "platform/device/DeviceRoot.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace {

// Restores the working directory however the lines end, so that libFuzzer's
// own relative paths (corpus, artifacts) keep meaning what they did.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& folder)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingDirectory() {
        std::error_code error;
        std::filesystem::current_path(m_previous, error);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path m_previous;
};

bool withinTimeBound(const Scenario::Line& line, size_t argument) {
    if (line.arguments.size() <= argument)
        return true;
    auto seconds = parseScenarioDuration(line.arguments[argument]);
    // A malformed duration is the handler's to refuse.
    return !seconds || *seconds <= ScenarioSandbox::kMaximumSeconds;
}

} // namespace

ScenarioSandbox::ScenarioSandbox() {
    std::string folder = (std::filesystem::temp_directory_path() / "rotix-fuzz-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_folder = folder;
    m_root = m_folder / "root";
    m_scratch = m_folder / "scratch";
    std::filesystem::copy(DeviceImage::build(), m_root, std::filesystem::copy_options::recursive);
    std::filesystem::create_directories(m_scratch);
    DeviceRoot::set(m_root);
}

ScenarioSandbox::~ScenarioSandbox() {
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
}

bool ScenarioSandbox::isPlainFileName(const std::string& name) {
    return !name.empty() && name.front() != '.' && name != "-" &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

bool ScenarioSandbox::isHarmless(const Scenario::Line& line) {
    const std::string& command = line.command;
    if (command == "snapshot" || command == "dump")
        return line.arguments.empty() || isPlainFileName(line.arguments[0]);
    // The artwork file is the last field; without a slash it is in the
    // working directory.
    if (command == "track")
        return line.rest.find('/') == std::string::npos;
    // Would run any program in place of the respring's killall.
    if (command == "spawn-redirect")
        return false;
    if (command == "wait")
        return withinTimeBound(line, 0);
    if (command == "hold")
        return withinTimeBound(line, 2);
    if (command == "drag")
        return withinTimeBound(line, 4);
    return true;
}

void ScenarioSandbox::run(Scenario& scenario, const std::uint8_t* data, std::size_t size,
                          const std::function<void()>& boot) const {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_scratch, error))
        std::filesystem::remove_all(entry.path(), error);
    // The harmless lines make the scenario file, which the host's runner
    // reads and runs as the command line's --scenario would.
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string kept;
    for (int number = 1; !text.empty() && number <= kMaximumLines; ++number) {
        size_t end = text.find('\n');
        std::string raw(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        auto line = Scenario::parseLine(raw, number, nullptr);
        if (!line || isHarmless(*line))
            kept += raw + "\n";
    }
    const std::filesystem::path path = m_folder / "input.scn";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << kept;
    WorkingDirectory inScratch(m_scratch);
    runHostScenario(scenario, path.string(), HostClock::Manual, "fuzz", boot);
}
