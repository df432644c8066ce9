#pragma once

#include "platform/render/DumpJson.h"

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// Parts of the process that want to appear in dumps register a section here:
// an extension library can describe its own state without the host knowing
// its types.
class DumpSections {
public:
    static DumpSections& shared();

    // A section of the same name replaces the earlier one.
    void add(const std::string& name, std::function<Json()> section);
    void remove(const std::string& name);
    // Every section, in the order they were first added.
    std::vector<std::pair<std::string, Json>> collect() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<std::string, std::function<Json()>>> m_sections;
};
