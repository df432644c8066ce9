#include "apps/common/Scenario.h"

#include "apps/common/QuotedName.h"
#include "platform/corefoundation/UTF8Text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

void Scenario::addCommand(const std::string& name, Command command) {
    m_commands[name] = std::move(command);
}

std::optional<Scenario::Line> Scenario::parseLine(const std::string& text, int number,
                                                  std::string* error) {
    Line line;
    line.number = number;
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    size_t restStart = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        // A '#' opens a comment at the start of a line or before a blank;
        // elsewhere it is text, so colours like #FF8000 need no quotes.
        if (!quoted && c == '#' && !inWord &&
            (words.empty() || i + 1 == text.size() || text[i + 1] == ' ' || text[i + 1] == '\t'))
            break;
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
            continue;
        }
        if (!quoted && (c == ' ' || c == '\t' || c == '\r')) {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
            continue;
        }
        if (!inWord && words.size() == 1 && restStart == std::string::npos)
            restStart = i;
        word += c;
        inWord = true;
    }
    if (quoted) {
        if (error)
            *error = "unterminated quote";
        return std::nullopt;
    }
    if (inWord)
        words.push_back(word);
    if (words.empty())
        return line;
    line.command = words.front();
    line.arguments.assign(words.begin() + 1, words.end());
    if (restStart != std::string::npos) {
        line.rest = text.substr(restStart);
        while (!line.rest.empty() &&
               (line.rest.back() == ' ' || line.rest.back() == '\r' || line.rest.back() == '\t'))
            line.rest.pop_back();
    }
    return line;
}

std::optional<std::string> Scenario::runText(const std::string& text, const std::string& name) {
    std::istringstream stream(text);
    std::string raw;
    int number = 0;
    while (std::getline(stream, raw)) {
        if (auto failure = runLine(raw, ++number, name))
            return failure;
    }
    return std::nullopt;
}

std::optional<std::string> Scenario::runLine(const std::string& raw, int number,
                                             const std::string& name) {
    std::string error;
    // Every word a handler sees is UTF-8, so what it shows and what a dump
    // writes are the same text.
    auto line = parseLine(stringByRepairingUTF8(raw), number, &error);
    auto fail = [&](const std::string& message) {
        return name + ":" + std::to_string(number) + ": " + message;
    };
    if (!line)
        return fail(error);
    if (line->command.empty())
        return std::nullopt;
    auto found = m_commands.find(line->command);
    if (found == m_commands.end())
        return fail("unknown command " + quotedName(line->command));
    const Command& command = found->second;
    if (line->arguments.size() < command.minimumArguments ||
        line->arguments.size() > command.maximumArguments)
        return fail("usage: " + command.usage);
    if (auto message = command.handler(*line))
        return fail(*message + " (usage: " + command.usage + ")");
    return std::nullopt;
}

int Scenario::openFile(const std::string& path, std::string* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || fstat(fd, &status) != 0) {
        *error = path + ": cannot read the scenario: " + std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return -1;
    }
    if (S_ISDIR(status.st_mode)) {
        *error = path + ": a folder, not a scenario";
        close(fd);
        return -1;
    }
    return fd;
}

std::optional<std::string> Scenario::runFile(const std::string& path) {
    std::string error;
    int fd = openFile(path, &error);
    if (fd < 0)
        return error;
    auto failure = runDescriptor(fd, path);
    close(fd);
    return failure;
}

std::optional<std::string> Scenario::runDescriptor(int fd, const std::string& name) {
    auto lineTooLong = [&](int number) {
        return name + ":" + std::to_string(number) + ": a line is at most " +
               std::to_string(kMaximumLineLength >> 10) + " KiB";
    };
    const std::string tooLarge =
        name + ": a scenario is at most " + std::to_string(kMaximumBytes >> 20) + " MiB";
    // A file says its size at once; a pipe or a device is counted as it comes.
    struct stat status {};
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
        static_cast<unsigned long long>(status.st_size) > kMaximumBytes)
        return tooLarge;
    std::string pending;
    size_t total = 0;
    int number = 0;
    char chunk[16 * 1024];
    for (;;) {
        ssize_t count = read(fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return name + ": cannot read the scenario: " + std::strerror(errno);
        if (count == 0)
            break;
        total += static_cast<size_t>(count);
        if (total > kMaximumBytes)
            return tooLarge;
        pending.append(chunk, static_cast<size_t>(count));
        size_t start = 0;
        for (size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
            if (end - start > kMaximumLineLength)
                return lineTooLong(number + 1);
            if (auto failure = runLine(pending.substr(start, end - start), ++number, name))
                return failure;
        }
        pending.erase(0, start);
        if (pending.size() > kMaximumLineLength)
            return lineTooLong(number + 1);
    }
    // A last line without its newline still runs.
    if (!pending.empty())
        return runLine(pending, ++number, name);
    return std::nullopt;
}

std::optional<double> parseScenarioNumber(const std::string& text) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<CGPoint> parseScenarioPoint(const Scenario::Line& line, size_t first) {
    if (line.arguments.size() < first + 2)
        return std::nullopt;
    auto x = parseScenarioNumber(line.arguments[first]);
    auto y = parseScenarioNumber(line.arguments[first + 1]);
    if (!x || !y)
        return std::nullopt;
    return CGPoint{*x, *y};
}

std::optional<double> parseScenarioDuration(const std::string& text) {
    auto value = parseScenarioNumber(text);
    // A day of scenario time is plenty; more is a typo.
    if (!value || *value < 0 || *value > 86400)
        return std::nullopt;
    return value;
}

std::optional<double> parseScenarioTouchDuration(const std::string& text, std::string* error) {
    auto value = parseScenarioNumber(text);
    if (!value || *value < 0) {
        *error = "bad duration " + quotedName(text);
        return std::nullopt;
    }
    if (*value > kMaximumTouchSeconds) {
        *error = "a finger stays down at most " + std::to_string(int(kMaximumTouchSeconds)) +
                 " seconds, not " + quotedName(text);
        return std::nullopt;
    }
    return value;
}
