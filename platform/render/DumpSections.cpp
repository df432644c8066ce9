#include "platform/render/DumpSections.h"

DumpSections& DumpSections::shared() {
    static DumpSections sections;
    return sections;
}

void DumpSections::add(const std::string& name, std::function<Json()> section) {
    std::lock_guard lock(m_mutex);
    for (auto& entry : m_sections) {
        if (entry.first == name) {
            entry.second = std::move(section);
            return;
        }
    }
    m_sections.emplace_back(name, std::move(section));
}

void DumpSections::remove(const std::string& name) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_sections, [&](const auto& entry) { return entry.first == name; });
}

std::vector<std::pair<std::string, Json>> DumpSections::collect() const {
    std::vector<std::pair<std::string, std::function<Json()>>> sections;
    {
        std::lock_guard lock(m_mutex);
        sections = m_sections;
    }
    std::vector<std::pair<std::string, Json>> result;
    for (const auto& [name, section] : sections)
        result.emplace_back(name, section());
    return result;
}
