#pragma once

#include "platform/corefoundation/CFPropertyList.h"

#include <optional>
#include <string>

class PSSpecifier;

// What a row makes of a person's input, and how it shows a value. Input is
// checked by the row's kind before anything is written: a switch takes on
// or off, a slider or a number field a number it clamps to its range, a
// colour field "#" and six hexadecimal digits, a list one of its choices.
// Emptying a field removes the key, so the player's own default applies.
class PSRowInput {
public:
    struct Outcome {
        enum class Action { Write, Remove, Refuse };
        Action action = Action::Refuse;
        std::optional<CFPropertyList> value;
        // Why the input was refused, in words for the person.
        std::string message;
    };

    static Outcome interpret(const PSSpecifier& specifier, const std::string& text);

    // The value a row shows: the stored one, else the row's default.
    static std::optional<CFPropertyList> shownValue(const PSSpecifier& specifier,
                                                    const std::optional<CFPropertyList>& stored);
    // A switch is on for the boolean true only, as the player counts it; an
    // absent key shows the row's default.
    static bool switchIsOn(const PSSpecifier& specifier,
                           const std::optional<CFPropertyList>& stored);
    // The value as the row's text shows it ("" for none).
    static std::string text(const PSSpecifier& specifier,
                            const std::optional<CFPropertyList>& shown);

    static bool isHexColor(const std::string& text);
    static bool isNumeric(const PSSpecifier& specifier);
    static bool isColor(const PSSpecifier& specifier);
    // The row's range; a slider without one runs from 0 to 1.
    static std::pair<double, double> range(const PSSpecifier& specifier);
    static std::string formatNumber(double value);

private:
    // Longer text is not a setting anyone means to type.
    static constexpr size_t kMaximumTextLength = 1024;
};
