#include "platform/system/SystemLog.h"

#include <cstdio>

SystemLog& SystemLog::shared() {
    static SystemLog log;
    return log;
}

void SystemLog::write(const std::string& source, const std::string& text) {
    std::lock_guard lock(m_mutex);
    if (m_echo)
        std::fprintf(stderr, "%s: %s\n", source.c_str(), text.c_str());
    if (m_lines.size() == kMaximumLines)
        m_lines.erase(m_lines.begin(), m_lines.begin() + kMaximumLines / 2);
    m_lines.push_back({source, text});
}

std::vector<SystemLog::Line> SystemLog::lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

void SystemLog::clear() {
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

void SystemLog::setEchoToStandardError(bool echo) {
    std::lock_guard lock(m_mutex);
    m_echo = echo;
}
