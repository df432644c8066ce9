#pragma once

#include <mutex>
#include <string>
#include <vector>

// The system log of the process: every line goes to standard error and is
// kept (up to a bound) so that hosts can put it into their dumps.
class SystemLog {
public:
    static SystemLog& shared();

    struct Line {
        std::string source;
        std::string text;
    };

    void write(const std::string& source, const std::string& text);
    std::vector<Line> lines() const;
    void clear();
    // Tests silence standard error; the lines are still kept.
    void setEchoToStandardError(bool echo);

private:
    static constexpr size_t kMaximumLines = 10000;

    mutable std::mutex m_mutex;
    std::vector<Line> m_lines;
    bool m_echo = true;
};
