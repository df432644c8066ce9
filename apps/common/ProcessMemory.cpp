#include "apps/common/ProcessMemory.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace {

// A "Name:   1234 kB" line of /proc/self/status.
std::optional<long> statusKilobytes(const std::string& status, const std::string& name) {
    std::istringstream lines(status);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(name + ":", 0) != 0)
            continue;
        std::istringstream fields(line.substr(name.size() + 1));
        long kilobytes = 0;
        if (fields >> kilobytes)
            return kilobytes;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

Json ProcessMemory::dump() {
    std::ifstream file("/proc/self/status");
    std::stringstream status;
    status << file.rdbuf();
    Json json = Json::object();
    for (const auto& [key, name] :
         {std::pair{"residentKB", "VmRSS"}, {"peakResidentKB", "VmHWM"}}) {
        auto kilobytes = statusKilobytes(status.str(), name);
        json[key] = kilobytes ? Json(*kilobytes) : Json();
    }
    return json;
}
