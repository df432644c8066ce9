#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

// A program's command line, read by CLI11 the same way for every program:
// --help lists every option with its meaning, --version prints the version,
// and a mistake is one line on standard error, "program: what (try --help)",
// with exit status 2.
class CommandLine {
public:
    static constexpr int kMistakeStatus = 2;

    // The usage lines head the help, before the description.
    CommandLine(std::string program, std::string usage, std::string description);

    CLI::App& app() { return m_app; }

    // Reads the arguments into the options; answers the exit status when the
    // program should stop here: 0 after --help or --version, 2 after a
    // mistake, which has been reported.
    std::optional<int> parse(int argc, const char* const* argv);

    // Reports a mistake found after parsing (a value an option refuses);
    // answers 2.
    int refuse(const std::string& message) const;

    // Of options that exclude each other, each paired with what it chooses:
    // sets the one given and its choice, or reports two given and answers 2.
    template <typename Choice, std::size_t N>
    std::optional<int> chooseOne(const std::pair<CLI::Option*, Choice> (&options)[N],
                                 const CLI::Option*& chosen, Choice& choice) const {
        for (const auto& [option, value] : options) {
            if (!*option)
                continue;
            if (chosen)
                return refuse(chosen->get_name() + " and " + option->get_name() +
                              " cannot be combined");
            chosen = option;
            choice = value;
        }
        return std::nullopt;
    }

    const std::string& program() const { return m_program; }

private:
    std::string m_program;
    CLI::App m_app;
};

// The programs' version, from the build.
const char* rotixVersion();
