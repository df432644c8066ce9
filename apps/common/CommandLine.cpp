#include "apps/common/CommandLine.h"

#include "apps/common/QuotedName.h"

#include <cstdio>
#include <iostream>

namespace {

// A message of CLI11's is echoed whole, but kept to one line.
constexpr size_t kMaximumMessageCharacters = 300;

// CLI11's help with the program's own usage lines first, the way command-line
// programs usually start theirs.
class UsageFirstFormatter : public CLI::Formatter {
public:
    explicit UsageFirstFormatter(std::string usage) : m_usage(std::move(usage)) {}

    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        if (mode == CLI::AppFormatMode::Sub || app->get_parent())
            return CLI::Formatter::make_help(app, std::move(name), mode);
        return m_usage + "\n" + make_description(app) + make_positionals(app) +
               make_groups(app, mode) + make_subcommands(app, mode) + "\n" + make_footer(app);
    }

private:
    std::string m_usage;
};

// CLI11 says "--radius: 1 required R missing"; the programs have always said
// "--radius needs a value".
std::string plainerMessage(const std::string& message) {
    size_t colon = message.find(": ");
    const std::string missing = " missing";
    if (colon != std::string::npos && message.find(" required ", colon) != std::string::npos &&
        message.size() > missing.size() &&
        message.compare(message.size() - missing.size(), missing.size(), missing) == 0)
        return message.substr(0, colon) + " needs a value";
    return message;
}

} // namespace

const char* rotixVersion() {
    return ROTIX_VERSION;
}

CommandLine::CommandLine(std::string program, std::string usage, std::string description)
    : m_program(std::move(program)), m_app(std::move(description), m_program) {
    m_app.formatter(std::make_shared<UsageFirstFormatter>(std::move(usage)));
    m_app.set_version_flag("--version", m_program + " (Rotix) " + rotixVersion(),
                           "Print the version and exit");
    // Left-over arguments are reported here, in the programs' own words;
    // subcommands made later inherit this.
    m_app.allow_extras();
    // An option given again replaces what it said before; options that
    // collect values (a list of keys, say) say so themselves.
    m_app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

std::optional<int> CommandLine::parse(int argc, const char* const* argv) {
    try {
        m_app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << m_app.help() << std::flush;
        return 0;
    } catch (const CLI::CallForVersion& version) {
        std::cout << version.what() << std::endl;
        return 0;
    } catch (const CLI::ParseError& error) {
        return refuse(plainerMessage(error.what()));
    }
    for (const std::string& argument : m_app.remaining(true)) {
        // What follows "--" is never an option; the marker itself is no mistake.
        if (argument == "--")
            continue;
        if (argument.size() > 1 && argument[0] == '-')
            return refuse("unknown option " + quotedName(argument));
        return refuse("unexpected argument " + quotedName(argument));
    }
    return std::nullopt;
}

int CommandLine::refuse(const std::string& message) const {
    std::string line = printableText(message, kMaximumMessageCharacters);
    std::fprintf(stderr, "%s: %s (try --help)\n", m_program.c_str(), line.c_str());
    return kMistakeStatus;
}
