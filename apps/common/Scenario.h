#pragma once

#include "platform/graphics/CGGeometry.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A scenario: a text file of commands, one a line. '#' starts a comment at the
// start of a line or when a blank follows it ("# like this"); "#FF8000" is a
// word.
// Hosts register their commands; running stops at the first line that fails,
// naming the file and line.
class Scenario {
public:
    struct Line {
        int number = 0;
        std::string command;
        std::vector<std::string> arguments;
        std::string rest; // everything after the command, as written
    };

    // A handler answers nothing when the line did its work, else the message
    // that stops the run.
    using Handler = std::function<std::optional<std::string>(const Line&)>;

    struct Command {
        std::string usage;
        size_t minimumArguments = 0;
        size_t maximumArguments = 0;
        Handler handler;
    };

    void addCommand(const std::string& name, Command command);
    bool hasCommand(const std::string& name) const { return m_commands.count(name) != 0; }

    // Splits a line into words; double quotes group words with blanks in them.
    static std::optional<Line> parseLine(const std::string& text, int number, std::string* error);

    // Lines longer than this, and scenarios larger than that, are mistakes
    // (or /dev/zero), not scripts: reading them whole would take all memory.
    static constexpr size_t kMaximumLineLength = 64 * 1024;
    static constexpr size_t kMaximumBytes = 16 * 1024 * 1024;

    // Opens a scenario file for reading; a folder is refused. Answers the
    // descriptor, or -1 with the reason.
    static int openFile(const std::string& path, std::string* error);

    // Runs the file; answers the message of the line that failed, if any,
    // as "FILE:LINE: message".
    std::optional<std::string> runFile(const std::string& path);
    // Runs the lines read from the descriptor as they come, to its end,
    // holding no more than one line at a time.
    std::optional<std::string> runDescriptor(int fd, const std::string& name);
    std::optional<std::string> runText(const std::string& text, const std::string& name);

    // Runs one line; a live session feeds lines one at a time as they come.
    std::optional<std::string> runLine(const std::string& raw, int number, const std::string& name);

private:
    std::map<std::string, Command> m_commands;
};

// Argument helpers for handlers: they answer nothing for a malformed value.
std::optional<double> parseScenarioNumber(const std::string& text);
std::optional<double> parseScenarioDuration(const std::string& text);
// How long a finger stays on the glass in a drag or a hold: no longer than a
// person keeps one there, so that a typo does not move the clock in
// sixtieths of a second for hours. Nothing, and why, for anything else.
constexpr double kMaximumTouchSeconds = 60;
std::optional<double> parseScenarioTouchDuration(const std::string& text, std::string* error);
// Two arguments from the given one on, as a point in screen points.
std::optional<CGPoint> parseScenarioPoint(const Scenario::Line& line, size_t first);
