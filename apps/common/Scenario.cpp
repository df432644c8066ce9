#include "apps/common/Scenario.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

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
    auto line = parseLine(raw, number, &error);
    auto fail = [&](const std::string& message) {
        return name + ":" + std::to_string(number) + ": " + message;
    };
    if (!line)
        return fail(error);
    if (line->command.empty())
        return std::nullopt;
    auto found = m_commands.find(line->command);
    if (found == m_commands.end())
        return fail("unknown command '" + line->command + "'");
    const Command& command = found->second;
    if (line->arguments.size() < command.minimumArguments ||
        line->arguments.size() > command.maximumArguments)
        return fail("usage: " + command.usage);
    if (auto message = command.handler(*line))
        return fail(*message + " (usage: " + command.usage + ")");
    return std::nullopt;
}

std::optional<std::string> Scenario::runFile(const std::string& path) {
    std::ifstream file(path);
    if (!file)
        return path + ": cannot read the scenario";
    std::stringstream text;
    text << file.rdbuf();
    return runText(text.str(), path);
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
