#include "platform/preferences/PSRowInput.h"

#include "platform/preferences/PSSpecifier.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

std::string trimmed(const std::string& text) {
    size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return "";
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(start, end - start + 1);
}

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<double> parseNumber(const std::string& text) {
    double value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

PSRowInput::Outcome refuse(std::string message) {
    PSRowInput::Outcome outcome;
    outcome.action = PSRowInput::Outcome::Action::Refuse;
    outcome.message = std::move(message);
    return outcome;
}

PSRowInput::Outcome write(CFPropertyList value) {
    PSRowInput::Outcome outcome;
    outcome.action = PSRowInput::Outcome::Action::Write;
    outcome.value = std::move(value);
    return outcome;
}

PSRowInput::Outcome remove() {
    PSRowInput::Outcome outcome;
    outcome.action = PSRowInput::Outcome::Action::Remove;
    return outcome;
}

// A value written as a whole number stays a whole number, so an integer
// choice of the plist is stored as an integer.
bool sameChoice(const CFPropertyList& value, const std::string& text) {
    if (const std::string* string = value.string())
        return *string == text;
    if (value.isNumber()) {
        auto number = parseNumber(text);
        return number && *number == value.doubleValue();
    }
    return false;
}

} // namespace

bool PSRowInput::isHexColor(const std::string& text) {
    if (text.size() != 7 || text[0] != '#')
        return false;
    return std::all_of(text.begin() + 1, text.end(),
                       [](unsigned char c) { return std::isxdigit(c) != 0; });
}

bool PSRowInput::isNumeric(const PSSpecifier& specifier) {
    if (specifier.cellType() == PSCellType::Slider)
        return true;
    auto keyboard = specifier.stringProperty("keyboard");
    return keyboard && (*keyboard == "numbers" || *keyboard == "decimal");
}

bool PSRowInput::isColor(const PSSpecifier& specifier) {
    return specifier.stringProperty("validation") == std::optional<std::string>("hexColor");
}

std::pair<double, double> PSRowInput::range(const PSSpecifier& specifier) {
    bool slider = specifier.cellType() == PSCellType::Slider;
    double low = specifier.numberProperty("min").value_or(
        slider ? 0.0 : -std::numeric_limits<double>::max());
    double high =
        specifier.numberProperty("max").value_or(slider ? 1.0 : std::numeric_limits<double>::max());
    if (high < low)
        std::swap(low, high);
    return {low, high};
}

std::string PSRowInput::formatNumber(double value) {
    if (value == 0)
        value = 0; // no "-0"
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return "";
    return std::string(buffer, end);
}

PSRowInput::Outcome PSRowInput::interpret(const PSSpecifier& specifier, const std::string& input) {
    if (!specifier.key())
        return refuse("This row has no setting to change.");
    if (input.size() > kMaximumTextLength)
        return refuse("That is longer than a setting can be.");
    std::string text = trimmed(input);

    switch (specifier.cellType()) {
    case PSCellType::Switch: {
        std::string word = lowercase(text);
        if (word == "on" || word == "true" || word == "yes" || word == "1")
            return write(CFPropertyList(true));
        if (word == "off" || word == "false" || word == "no" || word == "0")
            return write(CFPropertyList(false));
        return refuse("A switch is either on or off.");
    }
    case PSCellType::Slider:
    case PSCellType::EditText: {
        if (text.empty() && specifier.cellType() == PSCellType::EditText)
            return remove();
        if (isColor(specifier)) {
            if (!isHexColor(text))
                return refuse("\"" + text +
                              "\" is not a colour. Enter # and six hexadecimal digits, like "
                              "#FF8000.");
            std::string upper = text;
            std::transform(upper.begin(), upper.end(), upper.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            return write(CFPropertyList(upper));
        }
        if (isNumeric(specifier)) {
            auto number = parseNumber(text);
            if (!number)
                return refuse("\"" + text + "\" is not a number.");
            auto [low, high] = range(specifier);
            return write(CFPropertyList(std::clamp(*number, low, high)));
        }
        return write(CFPropertyList(input));
    }
    case PSCellType::LinkList: {
        auto choices = specifier.choices();
        for (const auto& [value, title] : choices) {
            if (title == text || sameChoice(value, text))
                return write(value);
        }
        std::string names;
        for (const auto& choice : choices)
            names += (names.empty() ? "" : ", ") + choice.second;
        return refuse("\"" + text + "\" is not one of the choices: " + names + ".");
    }
    default:
        return refuse("This row has no value to set.");
    }
}

std::optional<CFPropertyList> PSRowInput::shownValue(const PSSpecifier& specifier,
                                                     const std::optional<CFPropertyList>& stored) {
    if (stored)
        return stored;
    if (const CFPropertyList* fallback = specifier.defaultValue())
        return *fallback;
    return std::nullopt;
}

bool PSRowInput::switchIsOn(const PSSpecifier& specifier,
                            const std::optional<CFPropertyList>& stored) {
    if (stored)
        return stored->isBooleanTrue();
    const CFPropertyList* fallback = specifier.defaultValue();
    return fallback && (fallback->isBoolean() || fallback->isNumber()) && fallback->boolValue();
}

std::string PSRowInput::text(const PSSpecifier& specifier,
                             const std::optional<CFPropertyList>& shown) {
    if (!shown)
        return "";
    if (specifier.cellType() == PSCellType::LinkList) {
        for (const auto& [value, title] : specifier.choices()) {
            if (value == *shown || (value.isNumber() && shown->isNumber() &&
                                    value.doubleValue() == shown->doubleValue()))
                return title;
        }
    }
    if (const std::string* string = shown->string())
        return *string;
    if (shown->isBoolean())
        return shown->isBooleanTrue() ? "on" : "off";
    if (shown->isNumber()) {
        double number = shown->doubleValue();
        if (specifier.cellType() == PSCellType::Slider) {
            auto [low, high] = range(specifier);
            number = std::clamp(number, low, high);
        }
        return formatNumber(number);
    }
    return "";
}
